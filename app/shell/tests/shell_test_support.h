// A registry file of its own for each test, in a fresh temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/registry.h"

namespace shell::test {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zk-shell-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { platform::Registry::Global().SetFile(temp_.path() + "/registry"); }
    void TearDown() override { platform::Registry::Global().SetFile(temp_.path() + "/unused"); }
    platform::Registry& Reg() { return platform::Registry::Global(); }

    TempFolder temp_;
};

inline constexpr char kConfigKey[] = "Software\\Zelkor\\Zelkor for Arm\\Configuration";
inline constexpr char kSettingsKey[] = "Software\\Zelkor\\Zelkor for Arm\\Settings";

}  // namespace shell::test
