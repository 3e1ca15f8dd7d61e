// Any bytes as a breakpoint file: the reader passes them over, reports them
// damaged, or reads them whole; what it reads writes back to bytes that read
// back the same. Never a crash, a leak or a read outside the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "bp_file.h"

using namespace sarvik;

namespace {

std::string Fields(const std::vector<CBpDataEx>& records)
{
    std::string s;
    for (const CBpDataEx& r : records)
        s += std::to_string(r.GetAddr().off) + "/" + std::to_string(r.GetAddr().seg) + "/" + r.GetSymbol() + "/" +
            std::to_string(r.IsEnable()) + "/" + std::to_string(r.GetCount()) + "/" + std::to_string(r.GetBpType()) +
            "/" + r.GetBpCondition() + ";";
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemFile file(data, size);
    BpFileContents contents;
    std::string damage;
    if (ReadBpFile(file, &contents, &damage) != BpFileRead::Read)
        return 0;

    CBpList list;
    for (CBpDataEx& r : contents.records)
        list.push_back(&r);
    const std::vector<uint8_t> bytes = WriteBpFile(list, contents.units);
    CMemFile again(bytes.data(), bytes.size());
    BpFileContents back;
    if (ReadBpFile(again, &back, &damage) != BpFileRead::Read || Fields(back.records) != Fields(contents.records) ||
        !back.hasUnits || !(back.units[0] == contents.units[0]) || !(back.units[1] == contents.units[1]))
        std::abort();
    return 0;
}
