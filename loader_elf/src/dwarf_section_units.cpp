#include "dwarf_section_units.h"

namespace tarnel {
namespace {

// 0xFFFFFFFF announces a 64-bit unit; 0xFFFFFFF0 and up are reserved.
constexpr uint32_t DWARF64_ESCAPE = 0xFFFFFFFF;
constexpr uint32_t RESERVED_LENGTHS = 0xFFFFFFF0;

}  // namespace

std::optional<SectionUnit> NextSectionUnit(ByteCursor& section, ReaderDamage& damage)
{
    SectionUnit unit;
    unit.offset = static_cast<uint32_t>(section.Offset());
    unit.length = section.U32();
    if (unit.length == DWARF64_ESCAPE) {
        section.Skip(section.U64());
        return std::nullopt;
    }
    if (unit.length >= RESERVED_LENGTHS)
        section.Fail("reserved unit length");
    if (!section.Ok())
        return std::nullopt;
    if (unit.length > section.Remaining()) {
        damage.At(unit.offset, "unit longer than the rest of the section");
        section.Skip(section.Remaining());
        return std::nullopt;
    }
    unit.bytes = section.Split(unit.length);
    return unit;
}

}  // namespace tarnel
