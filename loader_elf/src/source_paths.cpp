#include "source_paths.h"

#include <algorithm>
#include <cctype>

#include <platform/paths.h>

namespace tarnel {
namespace {

bool IsLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// "\cygdrive\c\src" and "\\c\src" name c:\src. The drive letter must stand
// alone between separators, and the doubled separator only counts at the
// start: "\home\u\\src" is an ordinary path with a doubled separator.
std::string CygwinToDrive(const std::string& path)
{
    const std::string cygdrive = "\\cygdrive\\";
    size_t at = path.find(cygdrive);
    size_t letter = std::string::npos;
    if (at != std::string::npos)
        letter = at + cygdrive.size();
    else if (path.rfind("\\\\", 0) == 0)
        letter = 2;
    if (letter == std::string::npos || letter >= path.size() || !IsLetter(path[letter]))
        return path;
    if (letter + 1 < path.size() && path[letter + 1] != '\\')
        return path;
    return std::string(1, path[letter]) + ":" + path.substr(letter + 1);
}

}  // namespace

std::string SplitFileName(const std::string& path)
{
    size_t start = 0;
    for (size_t i = path.size(); i-- > 1;) {
        if (path[i] == '/' || path[i] == '\\' || path[i] == ':') {
            start = i + 1;
            break;
        }
    }
    std::string base = path.substr(start);
    return base.substr(0, base.find('.'));
}

int ResolveUnitSourcePath(SourceFileRecord& r)
{
    if (r.name.empty())
        return 1;
    std::string name = platform::ToBackslashPath(r.name);
    std::string dir = platform::ToBackslashPath(r.directory);
    // A trailing separator would make ".." drop nothing.
    while (dir.size() > 1 && dir.back() == '\\')
        dir.pop_back();

    if (name.find(':') != std::string::npos || name.front() == '\\') {
        dir.clear();
    } else if (name.rfind(".\\", 0) == 0) {
        name.erase(0, 2);
    } else {
        for (size_t up; !dir.empty() && (up = name.find("..\\")) != std::string::npos;) {
            name.erase(0, up + 3);
            const size_t cut = dir.find_last_of('\\');
            dir.erase(cut == std::string::npos ? 0 : cut);
        }
    }

    std::string full;
    if (!dir.empty()) {
        if (dir.back() != '\\')
            dir += '\\';
        if (!name.empty() && name.front() == '\\')
            name.erase(0, 1);
        full = dir + name;
    } else {
        full = name;
    }
    full = CygwinToDrive(full);

    r.resolvedPath = full;
    r.resolved = platform::IsRegularFile(full);
    if (!r.resolved)
        return 0;
    const size_t lastSeparator = full.find_last_of('\\');
    r.directory = lastSeparator == std::string::npos ? std::string() : full.substr(0, lastSeparator);
    const size_t fileStart = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
    const size_t dot = full.find('.', fileStart);
    if (dot != std::string::npos) {
        r.extension = full.substr(dot);
        if (r.baseName.find('.') == std::string::npos)
            r.baseName += r.extension;
    }
    return 0;
}

void ResolveSourceRecord(SourceFileRecord& record, const std::string& compilationDirectory,
                         const std::string& imageDirectory)
{
    record.directory = compilationDirectory.empty() ? imageDirectory : compilationDirectory;
    ResolveUnitSourcePath(record);
    if (!compilationDirectory.empty() && !record.resolved) {
        record.directory = imageDirectory;
        ResolveUnitSourcePath(record);
    }
}

}  // namespace tarnel
