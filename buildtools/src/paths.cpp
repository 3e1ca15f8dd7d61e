#include "buildtools/paths.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace fendrix {

std::string Slashed(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string FolderOf(const std::string& path)
{
    const std::string p = Slashed(path);
    const size_t slash = p.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : p.substr(0, slash);
}

std::string FileNameOf(const std::string& path)
{
    const std::string p = Slashed(path);
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string WithExtension(const std::string& path, const std::string& extension)
{
    const std::string p = Slashed(path);
    const size_t slash = p.rfind('/');
    const size_t dot = p.rfind('.');
    const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasDot ? p.substr(0, dot) : p) + "." + extension;
}

namespace {

std::string Trimmed(std::string folder)
{
    folder = Slashed(std::move(folder));
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::vector<std::string> Levels(const std::string& folder)
{
    std::vector<std::string> levels;
    size_t at = 0;
    while (at <= folder.size()) {
        size_t next = folder.find('/', at);
        if (next == std::string::npos)
            next = folder.size();
        if (next > at)
            levels.push_back(folder.substr(at, next - at));
        at = next + 1;
    }
    return levels;
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string RelativeFolder(const std::string& projectDir, const std::string& outputDir)
{
    const std::string project = Trimmed(projectDir);
    const std::string output = Trimmed(outputDir);
    if (project.empty() || output.empty())
        return {};
    const std::vector<std::string> from = Levels(project);
    const std::vector<std::string> to = Levels(output);
    size_t common = 0;
    while (common < from.size() && common < to.size() && SameName(from[common], to[common]))
        ++common;
    std::string relative;
    for (size_t i = common; i < from.size(); ++i)
        relative += "../";
    for (size_t i = common; i < to.size(); ++i)
        relative += to[i] + "/";
    return relative.empty() ? std::string("./") : relative;
}

}  // namespace fendrix
