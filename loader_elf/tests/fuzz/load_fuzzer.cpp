// LdrLoadWinElf over any file: the whole load sequence with symbols into
// quinar (and no target), from the format check to the end of the load.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "quinar/quinar.h"
#include "tarnel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/tarnel_load_fuzzer_" + std::to_string(::getpid()) + ".elf";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    LdrLoadWinElf(path.c_str(), static_cast<int>(size & 1), LDR_FLAG_SYMBOLS, nullptr);
    ResetOnCloseELF();
    return 0;
}
