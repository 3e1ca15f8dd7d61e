#include "simrun_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "qemu_runner.h"

namespace simrun_test {

namespace {

constexpr auto kQemuTimeout = std::chrono::seconds(30);

// The program's working folder is the run's folder.
std::vector<std::string> In(const Folder& folder, std::vector<std::string> argv)
{
    argv.insert(argv.begin(), {"env", "-C", folder.Path()});
    return argv;
}

}  // namespace

Folder::Folder()
{
    std::string pattern = testing::TempDir() + "/simrun_XXXXXX";
    if (mkdtemp(pattern.data()))
        path_ = pattern;
    EXPECT_FALSE(path_.empty()) << "no temporary folder";
}

Folder::~Folder()
{
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

std::map<std::string, std::string> Folder::Files() const
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = zk::test::ReadFileBytes(entry.path().string());
    }
    return files;
}

zk::test::ProcessResult RunSimrun(const Folder& folder, const std::string& image, const std::vector<std::string>& args,
                                  const std::string& input, std::chrono::milliseconds timeout)
{
    std::vector<std::string> argv{ZK_BIN_DIR "/simrun", image};
    argv.insert(argv.end(), args.begin(), args.end());
    return zk::test::RunProcess(In(folder, argv), input, timeout);
}

zk::test::ProcessResult RunQemu(const Folder& folder, const std::string& image, const std::string& input,
                                const std::string& append)
{
    std::vector<std::string> argv = zk::test::QemuCommand();
    argv.insert(argv.end(), {"-kernel", image});
    if (!append.empty())
        argv.insert(argv.end(), {"-append", append});
    return zk::test::RunProcess(In(folder, argv), input, kQemuTimeout, {"QEMU_AUDIO_DRV=none"});
}

}  // namespace simrun_test
