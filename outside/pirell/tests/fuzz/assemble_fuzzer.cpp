// The line assembler on arbitrary text: no crash, and every text it
// accepts gives code whose disassembly assembles again to code with the
// same disassembly (the same bytes, or the other encoding of a text two
// encodings share: Thumb SUB rd, rs, #0 and ADD rd, rs, #0 both read
// "mov"). The first byte chooses the code set and the address.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "pirell/assembler.h"
#include "simdisasm/disassembler.h"

namespace {

std::optional<uint32_t> Symbols(const std::string& name)
{
    if (name == "main")
        return 0x8100u;
    return std::nullopt;
}

std::string Disassembled(const pirell::AssembledCode& code, uint32_t address)
{
    if (!code.thumb)
        return zk::sim::DisassembleArm(code.word, address);
    if (code.length == 4) {
        // The listing's text of a BL pair.
        const auto high = static_cast<int32_t>(static_cast<uint32_t>(code.half[0] & 0x7FF) << 21) >> 9;
        const uint32_t target = address + 4 + static_cast<uint32_t>(high) + ((code.half[1] & 0x7FFu) << 1);
        return "bl         " + zk::sim::NumberText(target);
    }
    return zk::sim::DisassembleThumb(code.half[0], address);
}

[[noreturn]] void Fail(const std::string& typed, const std::string& shown, const std::string& again)
{
    std::fprintf(stderr, "typed \"%s\" shows \"%s\", which assembles to \"%s\"\n", typed.c_str(), shown.c_str(),
                 again.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool thumb = data[0] & 1;
    const uint32_t address = 0x8000 + ((data[0] >> 1) & 0x7Fu) * 4;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const pirell::AssembledCode code = pirell::AssembleLine(text, address, thumb, Symbols);
    if (code.error != pirell::AsmError::None) {
        if (code.length != 0)
            Fail(text, "a refusal with code", "");
        return 0;
    }
    const std::string shown = Disassembled(code, address);
    const pirell::AssembledCode again = pirell::AssembleLine(shown, address, thumb, Symbols);
    if (again.error != pirell::AsmError::None)
        Fail(text, shown, std::string(pirell::AsmErrorName(again.error)));
    const std::string shownAgain = Disassembled(again, address);
    if (shownAgain != shown)
        Fail(text, shown, shownAgain);
    return 0;
}
