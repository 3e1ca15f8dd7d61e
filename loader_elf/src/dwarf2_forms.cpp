#include "dwarf2_forms.h"

#include "dwarf2_constants.h"

namespace tarnel {
namespace {

void Number(FormValue& v, FormClass kind, uint64_t number, bool unitRelative = false)
{
    v.kind = kind;
    v.number = number;
    v.unitRelative = unitRelative;
}

void Block(FormValue& v, ByteCursor& c, uint64_t length)
{
    v.kind = FormClass::Block;
    v.block = c.Block(length);
}

std::string_view StringAt(const ByteCursor& strings, uint32_t offset, bool& ok)
{
    ByteCursor s = strings;
    s.SeekTo(offset);
    std::string_view text = s.CString();
    ok = s.Ok();
    return text;
}

}  // namespace

bool ReadFormValue(Dwarf2Unit& unit, uint16_t form, FormValue& v)
{
    ByteCursor& c = unit.entries;
    v = FormValue{};
    for (;;) {
        switch (form) {
        case DW_FORM_addr: Number(v, FormClass::Address, c.Fixed(unit.addressSize)); break;
        case DW_FORM_data1: Number(v, FormClass::Constant, c.U8()); break;
        case DW_FORM_data2: Number(v, FormClass::Constant, c.U16()); break;
        case DW_FORM_data4: Number(v, FormClass::Constant, c.U32()); break;
        case DW_FORM_data8: Number(v, FormClass::Constant, c.U64()); break;
        case DW_FORM_sdata: Number(v, FormClass::Constant, static_cast<uint64_t>(c.SLeb128())); break;
        case DW_FORM_udata: Number(v, FormClass::Constant, c.ULeb128()); break;
        case DW_FORM_flag: Number(v, FormClass::Flag, c.U8()); break;
        // DWARF 2 gives ref_addr the size of an address.
        case DW_FORM_ref_addr: Number(v, FormClass::Reference, c.Fixed(unit.addressSize)); break;
        case DW_FORM_ref1: Number(v, FormClass::Reference, c.U8(), true); break;
        case DW_FORM_ref2: Number(v, FormClass::Reference, c.U16(), true); break;
        case DW_FORM_ref4: Number(v, FormClass::Reference, c.U32(), true); break;
        case DW_FORM_ref8: Number(v, FormClass::Reference, c.U64(), true); break;
        case DW_FORM_ref_udata: Number(v, FormClass::Reference, c.ULeb128(), true); break;
        case DW_FORM_block1: Block(v, c, c.U8()); break;
        case DW_FORM_block2: Block(v, c, c.U16()); break;
        case DW_FORM_block4: Block(v, c, c.U32()); break;
        case DW_FORM_block: Block(v, c, c.ULeb128()); break;
        case DW_FORM_string:
            v.kind = FormClass::String;
            v.text = c.CString();
            break;
        case DW_FORM_strp: {
            v.kind = FormClass::String;
            const uint32_t offset = c.U32();
            if (!c.Ok())
                break;
            bool ok = false;
            v.text = StringAt(unit.strings, offset, ok);
            if (!ok)
                c.Fail("string offset outside .debug_str");
            break;
        }
        case DW_FORM_indirect: {
            const uint64_t actual = c.ULeb128();
            // Forms above 16 bits are unknown; a chain of indirect forms
            // only ever consumes bytes.
            form = actual > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(actual);
            if (c.Ok())
                continue;
            break;
        }
        default: c.Fail("unknown attribute form"); break;
        }
        return c.Ok();
    }
}

void SkipValue(Dwarf2Unit& unit, uint16_t form)
{
    FormValue v;
    ReadFormValue(unit, form, v);
}

void SkipAttributes(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev)
{
    FormValue v;
    for (const auto& [name, form] : abbrev.attributes)
        if (!ReadFormValue(unit, form, v))
            return;
}

uint32_t ReadConstant(Dwarf2Unit& unit, uint16_t form)
{
    FormValue v;
    if (!ReadFormValue(unit, form, v) || (v.kind != FormClass::Constant && v.kind != FormClass::Address))
        return 0;
    return static_cast<uint32_t>(v.number);
}

std::optional<uint32_t> ReadNumber(Dwarf2Unit& unit, uint16_t form)
{
    FormValue v;
    if (!ReadFormValue(unit, form, v) || (v.kind != FormClass::Constant && v.kind != FormClass::Address))
        return std::nullopt;
    return static_cast<uint32_t>(v.number);
}

uint32_t ReadReference(Dwarf2Unit& unit, uint16_t form)
{
    FormValue v;
    if (!ReadFormValue(unit, form, v) || v.kind != FormClass::Reference)
        return 0;
    return static_cast<uint32_t>(v.number);
}

uint32_t ReadTypeReference(Dwarf2Unit& unit, uint16_t form)
{
    FormValue v;
    if (!ReadFormValue(unit, form, v) || v.kind != FormClass::Reference)
        return 0;
    const uint32_t value = static_cast<uint32_t>(v.number);
    return v.unitRelative ? unit.headerOffset + value : value;
}

std::string_view ReadString(Dwarf2Unit& unit, uint16_t form)
{
    FormValue v;
    if (!ReadFormValue(unit, form, v) || v.kind != FormClass::String)
        return {};
    return v.text;
}

std::span<const uint8_t> ReadBlock(Dwarf2Unit& unit, uint16_t form)
{
    FormValue v;
    if (!ReadFormValue(unit, form, v) || v.kind != FormClass::Block)
        return {};
    return v.block;
}

bool ReadFlag(Dwarf2Unit& unit, uint16_t form)
{
    FormValue v;
    if (!ReadFormValue(unit, form, v) || v.kind != FormClass::Flag)
        return false;
    return v.number != 0;
}

}  // namespace tarnel
