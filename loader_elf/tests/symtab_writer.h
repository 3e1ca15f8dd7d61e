// Hand-built symbol tables and frame sections for the rules that no
// compiler of today shows: the ARM tools' tables, STT_ARM_TFUNC symbols,
// damaged names, thousands of functions, several FDEs for one function.
#pragma once

#include <string>
#include <vector>

#include "elf_writer.h"

namespace tarnel::test {

// st_info values: binding in the high nibble, type in the low one.
inline constexpr uint8_t LOCAL_NOTYPE = 0x00;
inline constexpr uint8_t GLOBAL_OBJECT = 0x11;
inline constexpr uint8_t GLOBAL_FUNC = 0x12;
inline constexpr uint8_t LOCAL_FILE = 0x04;
inline constexpr uint8_t GLOBAL_TFUNC = 0x1D;  // STT_ARM_TFUNC

struct TestSymbol {
    std::string name;
    uint32_t value = 0;
    uint32_t size = 0;
    uint8_t info = LOCAL_NOTYPE;
    uint16_t section = 1;  // .text of the images below
};

// An image with .text at 0x8000 (64 KiB) and the symbols; the null symbol
// comes first as in every linker's table.
inline TestElf ImageWithSymbols(const std::vector<TestSymbol>& symbols, bool bigEndian = false)
{
    TestElf elf;
    elf.bigEndian = bigEndian;
    elf.sections.push_back({".text", 8, 6, 0x8000, {}, 0x10000});
    std::vector<uint8_t> names = {0};
    std::vector<uint8_t> table(16, 0);
    for (const TestSymbol& s : symbols) {
        uint32_t offset = 0;
        if (!s.name.empty()) {
            offset = static_cast<uint32_t>(names.size());
            names.insert(names.end(), s.name.begin(), s.name.end());
            names.push_back(0);
        }
        const uint32_t infoWord =
            bigEndian ? uint32_t{s.info} << 24 | uint32_t{s.section} : uint32_t{s.info} | uint32_t{s.section} << 16;
        const auto entry = Words({offset, s.value, s.size, infoWord}, bigEndian);
        table.insert(table.end(), entry.begin(), entry.end());
    }
    const uint32_t strtabIndex = static_cast<uint32_t>(elf.sections.size() + 2);
    elf.sections.push_back({".symtab", 2, 0, 0, table, 0, strtabIndex, 1, 4, 16});
    elf.sections.push_back({".strtab", 3, 0, 0, names});
    return elf;
}

// .debug_frame entries in the image's byte order.
class FrameSectionWriter {
public:
    explicit FrameSectionWriter(bool bigEndian = false) : big_(bigEndian) {}

    // A version 1 CIE (code alignment 2, data alignment -4, return address
    // r14) with the initial instructions; its offset.
    uint32_t Cie(std::vector<uint8_t> instructions)
    {
        std::vector<uint8_t> body = Word(0xFFFFFFFF);
        body.insert(body.end(), {1, 0, 2, 0x7C, 14});
        body.insert(body.end(), instructions.begin(), instructions.end());
        return Entry(body);
    }
    uint32_t Fde(uint32_t cie, uint32_t start, uint32_t range, std::vector<uint8_t> instructions)
    {
        std::vector<uint8_t> body = Word(cie);
        for (uint32_t w : {start, range}) {
            const auto b = Word(w);
            body.insert(body.end(), b.begin(), b.end());
        }
        body.insert(body.end(), instructions.begin(), instructions.end());
        return Entry(body);
    }
    // Raw bytes, for damage.
    void Append(std::vector<uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> Word(uint32_t w) const { return Words({w}, big_); }
    uint32_t Entry(std::vector<uint8_t> body)
    {
        const auto offset = static_cast<uint32_t>(bytes_.size());
        const auto length = Word(static_cast<uint32_t>(body.size()));
        bytes_.insert(bytes_.end(), length.begin(), length.end());
        bytes_.insert(bytes_.end(), body.begin(), body.end());
        return offset;
    }

    bool big_;
    std::vector<uint8_t> bytes_;
};

}  // namespace tarnel::test
