// Any bytes as a "Compiler:" block: load, store, load again; the two loads agree.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "buildtools/compiler_block.h"

namespace {

std::vector<uint8_t> Store(CompilerInfo& info)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    fendrix::SerializeCompilerInfo(info, ar, 5);
    ar.Close();
    return file.Data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CompilerInfo first;
    {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        fendrix::SerializeCompilerInfo(first, ar, 5);
    }
    const std::vector<uint8_t> stored = Store(first);
    CompilerInfo second;
    CMemFile file(stored);
    CArchive ar(&file, CArchive::load);
    if (!fendrix::SerializeCompilerInfo(second, ar, 5))
        abort();
    if (Store(second) != stored)
        abort();
    return 0;
}
