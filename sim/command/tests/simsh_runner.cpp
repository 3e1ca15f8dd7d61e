#include "simsh_runner.h"

#include <filesystem>
#include <fstream>
#include <regex>

#include "host_tools.h"

namespace zk::test {

namespace {

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

SimshRun RunSimsh(const std::string& caseName, const std::string& input)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(ZK_BIN_DIR).parent_path() / "tests" / "simsh_work" / caseName;
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string data;
    for (int i = 0; i < 0x40; ++i)
        data += static_cast<char>(i);
    WriteFile(folder / "data.bin", data);
    WriteFile(folder / "words.txt", "12345678 0xDEADBEEF\ncafe\n\t1 zz 5\n");

    const std::string simsh = std::string(ZK_BIN_DIR) + "/simsh";
    ProcessResult r = RunProcess({"/bin/sh", "-c", "cd \"$1\" && exec \"$2\"", "sh", folder.string(), simsh}, input,
                                 std::chrono::seconds(60));
    return {folder.string(), std::move(r.out), r.exitStatus};
}

std::string MaskRunTime(std::string text)
{
    static const std::regex seconds("takes [0-9.]+ seconds\\.");
    return std::regex_replace(text, seconds, "takes * seconds.");
}

}  // namespace zk::test
