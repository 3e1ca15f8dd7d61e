// Running simrun and qemu on one image, each in a folder of its own, and
// reading back the files the program left there.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "host_tools.h"

namespace simrun_test {

// A fresh folder under the test's temporary folder, removed at the end.
class Folder {
public:
    Folder();
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::string& Path() const { return path_; }
    // Every regular file in the folder: name -> contents.
    std::map<std::string, std::string> Files() const;

private:
    std::string path_;
};

// simrun (build/bin) and qemu-system-arm in `folder`, with the image's path
// as given; each run bounded.
zk::test::ProcessResult RunSimrun(const Folder& folder, const std::string& image,
                                  const std::vector<std::string>& args = {}, const std::string& input = {},
                                  std::chrono::milliseconds timeout = std::chrono::seconds(30));
zk::test::ProcessResult RunQemu(const Folder& folder, const std::string& image, const std::string& input = {},
                                const std::string& append = {});

}  // namespace simrun_test
