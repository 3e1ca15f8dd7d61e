#include "dwarf2_paths.h"

#include <cctype>

namespace tarnel {
namespace {

char Folded(char c)
{
    if (c == '\\')
        return '/';
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string_view WithoutDotSlash(std::string_view path)
{
    while (path.size() > 2 && path[0] == '.' && (path[1] == '/' || path[1] == '\\'))
        path.remove_prefix(2);
    return path;
}

bool IsFullPath(std::string_view name)
{
    if (name.empty())
        return false;
    if (name[0] == '/' || name[0] == '\\')
        return true;
    return name.size() > 1 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

}  // namespace

bool SamePath(std::string_view a, std::string_view b)
{
    a = WithoutDotSlash(a);
    b = WithoutDotSlash(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    return true;
}

std::string JoinPath(std::string_view directory, std::string_view name)
{
    if (directory.empty() || IsFullPath(name))
        return std::string(name);
    std::string path(directory);
    if (path.back() != '/' && path.back() != '\\')
        path += '/';
    return path.append(name);
}

}  // namespace tarnel
