#include "dwarf2_abbrev.h"

namespace tarnel {
namespace {

// Tags, attribute names and forms are 16-bit here; a larger number (damage)
// becomes 0xFFFF, which names nothing the readers act on.
uint16_t Narrow(uint64_t value)
{
    return value > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(value);
}

}  // namespace

bool ReadAbbreviations(ByteCursor& c, std::unordered_map<uint32_t, Dwarf2Abbrev>& table)
{
    table.clear();
    while (c.Ok()) {
        const uint64_t code = c.ULeb128();
        if (code == 0 || !c.Ok())
            break;
        if (code > 0xFFFFFFFF) {
            c.Fail("abbreviation code beyond 32 bits");
            break;
        }
        Dwarf2Abbrev a;
        a.code = static_cast<uint32_t>(code);
        a.tag = Narrow(c.ULeb128());
        a.children = c.U8();
        for (;;) {
            const uint64_t name = c.ULeb128();
            const uint64_t form = c.ULeb128();
            if (name == 0 || !c.Ok())
                break;
            a.attributes.emplace_back(Narrow(name), Narrow(form));
        }
        table.insert_or_assign(a.code, std::move(a));
    }
    return c.Ok();
}

}  // namespace tarnel
