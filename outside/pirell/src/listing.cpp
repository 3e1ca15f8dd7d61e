// DadDisassembleLine: listing lines of target memory, the text from the
// simulator's disassembler.
#include <platform/global_memory.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "classifier.h"
#include "simdisasm/disassembler.h"
#include "target_code.h"

namespace pirell {

namespace {

std::string Hex(uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// One line at address; *size: the bytes it took.
int Line(uint32_t address, std::string& out, uint32_t* size)
{
    uint32_t value = 0;
    if (IsThumbInMode(address)) {
        if (const int r = ReadInstruction(address, 2, &value); r != 0)
            return r;
        const auto h = static_cast<uint16_t>(value);
        const auto next = InstructionAt(int64_t{address} + 2, 2);
        const Classified c = ClassifyThumb(h, Half(next), address, std::nullopt);
        if (c.kind == DAD_KIND_CALL && c.length == 4) {
            // The two halves of a BL are one instruction of the listing.
            out += Hex(address, 8) + " " + Hex(uint32_t{h} << 16 | *next, 8) + "  bl         " +
                zk::sim::NumberText(c.target) + "\r\n";
            *size = 4;
            return 0;
        }
        out += Hex(address, 8) + " " + Hex(h, 4) + "  " + zk::sim::DisassembleThumb(h, address) + "\r\n";
        *size = 2;
        return 0;
    }
    if (const int r = ReadInstruction(address, 4, &value); r != 0)
        return r;
    out += Hex(address, 8) + " " + Hex(value, 8) + "  " + zk::sim::DisassembleArm(value, address) + "\r\n";
    *size = 4;
    return 0;
}

}  // namespace

}  // namespace pirell

using namespace pirell;

extern "C" int DadDisassembleLine(ADDR start, WORD count, char** text, WORD* length)
{
    if (!text)
        return -1;
    *text = nullptr;
    std::string listing;
    uint32_t address = start.off;
    for (WORD i = 0; i < count; ++i) {
        std::string line;
        uint32_t size = 0;
        if (const int r = Line(address, line, &size); r != 0)
            return r;
        // The length is a 16-bit count: a longer listing ends at a whole line.
        if (listing.size() + line.size() > 0xFFFF)
            break;
        listing += line;
        address += size;
    }
    auto* block = static_cast<char*>(platform::AllocHandleBlock(listing.size() + 1));
    if (!block)
        return -1;
    std::memcpy(block, listing.c_str(), listing.size() + 1);
    *text = block;
    if (length)
        *length = static_cast<WORD>(listing.size());
    return 0;
}
