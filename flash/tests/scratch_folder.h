// A scratch folder per process and test, removed afterwards; and a file
// written into it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"

namespace mirobel::test {

class ScratchFolder {
public:
    ScratchFolder()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string test = info ? info->name() : "x";
        for (char& c : test)
            if (c == '/')
                c = '_';
        const std::string name = "/tmp/zk-flash-" + std::to_string(getpid()) + "-" + test + "-XXXXXX";
        std::vector<char> buffer(name.begin(), name.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()))
            path_ = buffer.data();
    }
    ~ScratchFolder()
    {
        if (!path_.empty())
            std::system(("rm -rf '" + path_ + "'").c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

    // Writes the file (its folders created); the path.
    std::string Write(const std::string& relative, const std::string& bytes) const
    {
        const std::string file = *this / relative;
        EXPECT_TRUE(platform::MakeFolders(platform::FolderOf(file), nullptr));
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

private:
    std::string path_;
};

}  // namespace mirobel::test
