#include "dwarf1_entries.h"

namespace tarnel {

const Dwarf1Attribute* Dwarf1Entry::Find(uint16_t code) const
{
    for (const Dwarf1Attribute& a : attributes)
        if (a.code == code)
            return &a;
    return nullptr;
}

std::string_view Dwarf1Entry::Text(uint16_t code) const
{
    const Dwarf1Attribute* a = Find(code);
    return a ? a->text : std::string_view();
}

ByteCursor Dwarf1Section::Cursor(uint32_t offset, uint32_t size) const
{
    return ByteCursor(bytes.subspan(offset, size), bigEndian, ".debug", offset);
}

bool Dwarf1Section::Holds(uint32_t reference) const
{
    return reference >= address && reference - address < Size();
}

uint32_t Dwarf1Section::OffsetOf(uint32_t reference, uint32_t at) const
{
    if (!Holds(reference))
        throw Dwarf1Damage(at, "reference outside .debug");
    return reference - address;
}

Dwarf1Entry Dwarf1Section::Read(uint32_t offset, uint32_t limit) const
{
    Dwarf1Entry e;
    e.offset = offset;
    if (limit > Size())
        limit = Size();
    if (offset > limit || limit - offset < 4)
        throw Dwarf1Damage(offset, "entry length cut short");
    ByteCursor c = Cursor(offset, limit - offset);
    const uint32_t length = c.U32();
    if (length <= 5) {
        // A null entry of four bytes; length 5 carries one byte more.
        e.null = true;
        e.length = length == 5 ? 5 : 4;
        if (e.length > limit - offset)
            throw Dwarf1Damage(offset, "entry runs past its unit");
        return e;
    }
    if (length > limit - offset)
        throw Dwarf1Damage(offset, limit == Size() ? "entry runs past .debug" : "entry runs past its parent");
    e.length = length;
    ByteCursor body = Cursor(offset + 4, length - 4);
    e.tag = body.U16();
    while (body.Ok() && !body.AtEnd()) {
        Dwarf1Attribute a;
        a.code = body.U16();
        switch (a.code & 0xF) {
        case DW1_FORM_ADDR:
        case DW1_FORM_REF:
        case DW1_FORM_DATA4: a.value = body.U32(); break;
        case DW1_FORM_DATA2: a.value = body.U16(); break;
        case DW1_FORM_DATA8: a.value = static_cast<uint32_t>(body.U64()); break;
        case DW1_FORM_BLOCK2: a.block = body.Block(body.U16()); break;
        case DW1_FORM_BLOCK4: a.block = body.Block(body.U32()); break;
        case DW1_FORM_STRING: a.text = body.CString(); break;
        default:
            // A form this reader does not know: the rest of the entry
            // cannot be read; what came before stands.
            return e;
        }
        if (!body.Ok())
            throw Dwarf1Damage(static_cast<uint32_t>(body.Error().offset), "attribute runs past its entry");
        e.attributes.push_back(a);
    }
    return e;
}

uint32_t NextOffset(const Dwarf1Section& section, const Dwarf1Entry& e, uint32_t limit)
{
    const Dwarf1Attribute* sibling = e.null ? nullptr : e.Find(DW1_AT_SIBLING);
    if (!sibling)
        return e.End();
    if (sibling->value < section.address || sibling->value - section.address > section.Size())
        throw Dwarf1Damage(e.offset, "sibling outside .debug");
    const uint32_t next = sibling->value - section.address;
    if (next < e.End())
        throw Dwarf1Damage(e.offset, "sibling does not move forward");
    if (next > limit)
        throw Dwarf1Damage(e.offset, "sibling past its parent");
    return next;
}

std::string_view PlainName(std::string_view name)
{
    return name.substr(0, name.find('$'));
}

}  // namespace tarnel
