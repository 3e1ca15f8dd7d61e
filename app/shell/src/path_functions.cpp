#include "shell/path_functions.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/global_memory.h"
#include "platform/paths.h"

namespace shell {
namespace {

size_t LastSep(const std::string& path)
{
    return path.find_last_of("\\/");
}

bool HasDriveColon(const std::string& path)
{
    return path.find(':') != std::string::npos;
}

// The drive ("C:") that _splitpath takes off the front.
size_t DriveLength(const std::string& path)
{
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

std::vector<std::string> Components(std::string text)
{
    for (char& c : text)
        if (c == '\\')
            c = '/';
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t slash = text.find('/', start);
        parts.push_back(text.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return parts;
}

}  // namespace

std::string GetFileExtension(const std::string& path)
{
    size_t sep = LastSep(path);
    size_t dot = path.rfind('.');
    if (sep == std::string::npos || dot == std::string::npos || dot < sep)
        return {};
    return path.substr(dot + 1);
}

BOOL IsSameDirectory(const std::string& path1, const std::string& path2)
{
    auto folder = [](const std::string& p) {
        size_t sep = LastSep(p);
        return sep == std::string::npos ? p : p.substr(0, sep);
    };
    return platform::EqualPathsNoCase(folder(path1), folder(path2));
}

BOOL HasNoDirectory(const std::string& path)
{
    return LastSep(path) == std::string::npos;
}

std::string GetDirectoryOfPath(const std::string& path)
{
    size_t sep = LastSep(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string GetFileNameOfPath(const std::string& path)
{
    size_t sep = LastSep(path);
    size_t start = sep == std::string::npos ? DriveLength(path) : sep + 1;
    return path.substr(start);
}

std::string GetDriveDirOfPath(const std::string& path)
{
    size_t sep = LastSep(path);
    if (sep == std::string::npos)
        return path.substr(0, DriveLength(path));
    if (sep == 0)
        return path.substr(0, 1);
    return path.substr(0, sep);
}

BOOL IsRelativeSubPath(const std::string& path)
{
    return !HasDriveColon(path) && !path.empty() && path[0] != '/' && !HasNoDirectory(path);
}

std::string GetFileNameExtOfPath(const std::string& path)
{
    return GetFileNameOfPath(path);
}

bool IsFullPath(const std::string& path)
{
    return (!path.empty() && path[0] == '/') || (HasDriveColon(path) && !HasNoDirectory(path));
}

void MakeRelativePath(const std::string& base, const std::string& path, std::string* out)
{
    if (!out)
        return;
    out->clear();
    if (base.empty() || path.empty())
        return;
    std::vector<std::string> from = Components(base), to = Components(path);
    size_t shared = 0;
    while (shared < from.size() && shared < to.size() && platform::EqualNoCase(from[shared], to[shared]))
        ++shared;
    std::string result;
    if (shared == 0) {
        // Nothing in common (another drive, or one side relative): the path whole.
        for (size_t i = 0; i < to.size(); ++i)
            result += (i ? "/" : "") + to[i];
        *out = result;
        return;
    }
    for (size_t i = shared; i < from.size(); ++i)
        result += "../";
    for (size_t i = shared; i < to.size(); ++i)
        result += to[i] + (i + 1 < to.size() ? "/" : "");
    *out = result;
}

std::string MakeAbsolutePath(const std::string& path, const std::string& base)
{
    std::string folder = GetDirectoryOfPath(base);
    if (IsFullPath(path))
        return folder + GetFileNameExtOfPath(path);
    return folder + path;
}

int CompareSourceFileNames(const std::string& path1, const std::string& path2)
{
    auto name = [](const std::string& p) {
        size_t sep = LastSep(p);
        return sep == std::string::npos ? p : p.substr(sep + 1);
    };
    return platform::CompareNoCase(name(path1), name(path2));
}

void FreeGlobalBlock(const char* text)
{
    platform::FreeHandleBlock(const_cast<char*>(text));
}

int CountTokens(const char* text)
{
    if (!text)
        return 0;
    std::string copy(text);
    int count = 0;
    char* save = nullptr;
    for (char* t = strtok_r(copy.data(), " ,", &save); t; t = strtok_r(nullptr, " ,", &save))
        ++count;
    return count;
}

int ClearWords(uint32_t* words, int count)
{
    for (int i = 0; i < count; ++i)
        words[i] = 0;
    return 0;
}

BOOL PeekKeyDown(int vk)
{
    MSG msg{};
    if (!PeekMessage(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
        return FALSE;
    return msg.message == WM_KEYDOWN && static_cast<int>(msg.wParam) == vk;
}

}  // namespace shell
