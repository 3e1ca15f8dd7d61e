// Files for the source document's tests: a temporary folder, whole-file
// reads and writes, `cmp` and `wc -l` run on real files, and newlib's headers
// concatenated to a given size.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace editor::test {

class TempFolder {
public:
    TempFolder()
    {
        char name[] = "/tmp/zk-editor-XXXXXX";
        path_ = ::mkdtemp(name);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string RunCommand(const std::string& command, int* status = nullptr)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char chunk[4096];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        out.append(chunk, n);
    const int result = ::pclose(pipe);
    if (status)
        *status = result;
    return out;
}

// `cmp` of two files: true when they are the same bytes.
inline bool CmpIdentical(const std::string& a, const std::string& b)
{
    int status = -1;
    RunCommand("cmp '" + a + "' '" + b + "' 2>&1", &status);
    return status == 0;
}

inline long WcLines(const std::string& path)
{
    return std::stol(RunCommand("wc -l < '" + path + "'"));
}

// newlib's headers (arm-none-eabi), concatenated and repeated until the file
// holds at least `size` bytes. Empty when the headers are not installed.
inline std::string NewlibHeaders(std::size_t size)
{
    const std::string all =
        RunCommand("find -L /usr/lib/arm-none-eabi/include -name '*.h' -type f -print0 | sort -z | xargs -0 cat");
    if (all.empty())
        return {};
    std::string text;
    while (text.size() < size)
        text += all;
    return text;
}

}  // namespace editor::test
