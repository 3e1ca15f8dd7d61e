// Points the process's registry store at a fresh file for one test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/registry.h"

namespace lathris::test {

class TempRegistry {
public:
    TempRegistry()
    {
        char pattern[] = "/tmp/zk-lathris-XXXXXX";
        dir_ = mkdtemp(pattern);
        platform::Registry::Global().SetFile(dir_ + "/registry");
    }
    ~TempRegistry()
    {
        platform::Registry::Global().SetFile(dir_ + "/gone");
        std::filesystem::remove_all(dir_);
    }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

}  // namespace lathris::test
