// Runs build/bin/simsh in a fresh working folder that holds the data files
// the command tests load ("data.bin": the bytes 0x00 to 0x3f; "words.txt":
// hexadecimal words with white space and a token that ends the list).
#pragma once

#include <string>

namespace zk::test {

struct SimshRun {
    std::string folder;  // the working folder, kept for files the commands wrote
    std::string out;
    int exitStatus = -1;
};

SimshRun RunSimsh(const std::string& caseName, const std::string& input);

// "takes 0.000123 seconds." becomes "takes * seconds.": the one text that
// differs from run to run.
std::string MaskRunTime(std::string text);

}  // namespace zk::test
