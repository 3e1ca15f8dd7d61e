#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool HasDrive(const std::string& path)
{
    return path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

size_t LastSeparator(const std::string& path)
{
    size_t sep = path.find_last_of("/\\");
    if (sep == std::string::npos && HasDrive(path))
        return 1;  // "C:name": the name follows the colon
    return sep;
}

bool Stat(const std::string& path, struct stat& st)
{
    return ::stat(ToNativePath(path).c_str(), &st) == 0;
}

}  // namespace

bool IsPathSeparator(char c)
{
    return c == '/' || c == '\\';
}

std::string ToNativePath(const std::string& path)
{
    std::string out = path;
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::string ToBackslashPath(const std::string& path)
{
    std::string out = path;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
}

DriveSplit SplitDrive(const std::string& path)
{
    if (HasDrive(path))
        return {path.substr(0, 2), path.substr(2)};
    return {{}, path};
}

bool IsAbsolutePath(const std::string& path)
{
    std::string rest = SplitDrive(path).rest;
    return !rest.empty() && IsPathSeparator(rest[0]);
}

std::string JoinPath(const std::string& a, const std::string& b)
{
    if (a.empty() || IsAbsolutePath(b))
        return b;
    if (b.empty())
        return a;
    if (IsPathSeparator(a.back()) || (a.size() == 2 && HasDrive(a)))
        return a + b;
    bool backslashes = a.find('\\') != std::string::npos && a.find('/') == std::string::npos;
    return a + (backslashes ? '\\' : '/') + b;
}

std::string FileNameOf(const std::string& path)
{
    size_t sep = LastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string FolderOf(const std::string& path)
{
    size_t sep = LastSeparator(path);
    if (sep == std::string::npos)
        return {};
    size_t rootEnd = HasDrive(path) ? 2 : 0;
    if (sep == rootEnd && IsPathSeparator(path[sep]))
        return path.substr(0, sep + 1);  // the root keeps its separator
    if (sep == 1 && HasDrive(path))
        return path.substr(0, 2);
    return path.substr(0, sep);
}

std::string ExtensionOf(const std::string& path)
{
    std::string name = FileNameOf(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string StripExtension(const std::string& path)
{
    return path.substr(0, path.size() - ExtensionOf(path).size());
}

std::string ReplaceExtension(const std::string& path, const std::string& extension)
{
    if (extension.empty())
        return StripExtension(path);
    return StripExtension(path) + (extension[0] == '.' ? extension : "." + extension);
}

bool PathExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && Stat(path, st);
}

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && Stat(path, st) && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return !path.empty() && Stat(path, st) && S_ISREG(st.st_mode);
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(Lower(a[i]));
        unsigned char cb = static_cast<unsigned char>(Lower(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return CompareNoCase(a, b) == 0;
}

bool EqualPathsNoCase(const std::string& a, const std::string& b)
{
    return EqualNoCase(ToNativePath(a), ToNativePath(b));
}

std::string ResolvePathNoCase(const std::string& path)
{
    const std::string native = ToNativePath(path);
    if (native.empty())
        return {};
    if (PathExists(native))
        return native;
    std::string resolved = native[0] == '/' ? "/" : "";
    size_t pos = native[0] == '/' ? 1 : 0;
    while (pos <= native.size()) {
        size_t end = native.find('/', pos);
        if (end == std::string::npos)
            end = native.size();
        const std::string part = native.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty())
            continue;
        const std::string folder = resolved.empty() ? "." : resolved;
        std::string candidate = resolved + part;
        if (!PathExists(candidate)) {
            // Names in order, so that the choice among several matches is
            // the same on every run.
            std::vector<std::string> matches;
            if (DIR* dir = ::opendir(folder.c_str())) {
                while (const dirent* e = ::readdir(dir)) {
                    if (EqualNoCase(e->d_name, part))
                        matches.emplace_back(e->d_name);
                }
                ::closedir(dir);
            }
            if (matches.empty())
                return {};
            candidate = resolved + *std::min_element(matches.begin(), matches.end());
        }
        resolved = candidate;
        if (pos <= native.size())
            resolved += '/';
    }
    return resolved;
}

}  // namespace platform
