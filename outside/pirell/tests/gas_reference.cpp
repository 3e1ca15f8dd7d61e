#include "gas_reference.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host_tools.h"

namespace pirell::test {

namespace {

bool Run(const std::vector<std::string>& argv)
{
    const zk::test::ProcessResult r = zk::test::RunProcess(argv);
    if (r.exitStatus != 0) {
        ADD_FAILURE() << argv[0] << " failed (" << r.exitStatus << "): " << r.err;
        return false;
    }
    return true;
}

}  // namespace

std::vector<uint8_t> GasCode(const std::vector<std::string>& lines, bool thumb, uint32_t address)
{
    char pattern[] = "/tmp/pirell_gas_XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) {
        ADD_FAILURE() << "no temporary directory";
        return {};
    }
    const std::string base = std::string(dir) + "/code";
    {
        std::ofstream source(base + ".s");
        source << (thumb ? "\t.thumb\n" : "\t.arm\n");
        for (const std::string& line : lines)
            source << '\t' << line << '\n';
    }
    std::vector<std::string> as = {"arm-none-eabi-as", "-mcpu=arm7tdmi"};
    if (thumb)
        as.push_back("-mthumb");
    as.insert(as.end(), {"-o", base + ".o", base + ".s"});
    char text[32];
    std::snprintf(text, sizeof text, "-Ttext=0x%x", address);
    std::vector<uint8_t> code;
    if (Run(as) && Run({"arm-none-eabi-ld", text, "-e", "0", "-o", base + ".elf", base + ".o"}) &&
        Run({"arm-none-eabi-objcopy", "-O", "binary", "-j", ".text", base + ".elf", base + ".bin"})) {
        const std::string bytes = zk::test::ReadFileBytes(base + ".bin");
        code.assign(bytes.begin(), bytes.end());
    }
    std::filesystem::remove_all(dir);
    return code;
}

}  // namespace pirell::test
