// DWARF 2 attribute values, read by their form from the unit's cursor.
//
// Every reader takes any form: a value of another class than the reader's
// is stepped over (and the reader gives 0 or empty), so that the walk keeps
// its place whatever a producer chose. An unknown form fails the unit's
// cursor ("unknown attribute form"), which ends the unit.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "dwarf2_unit.h"
#include "loader_tables.h"

namespace tarnel {

enum class FormClass : uint8_t { Address, Constant, Reference, String, Block, Flag };

struct FormValue {
    FormClass kind = FormClass::Constant;
    // Address, constant (sdata as two's complement), reference or flag.
    uint64_t number = 0;
    bool unitRelative = false;  // ref1, ref2, ref4, ref8, ref_udata
    std::string_view text;      // string and strp
    std::span<const uint8_t> block;
};

// One value; DW_FORM_indirect reads its form first. False when the form is
// unknown or the unit's bytes ran out (the cursor has failed then).
bool ReadFormValue(Dwarf2Unit& unit, uint16_t form, FormValue& value);
void SkipValue(Dwarf2Unit& unit, uint16_t form);
// Every attribute of an entry, by form.
void SkipAttributes(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev);

// addr, data1/2/4/8, sdata, udata: the low 32 bits (of data8 and ref8 the
// low half of the 64-bit value, in either byte order).
uint32_t ReadConstant(Dwarf2Unit& unit, uint16_t form);
// An address or constant as ReadConstant gives it; nothing for a value of
// another class.
std::optional<uint32_t> ReadNumber(Dwarf2Unit& unit, uint16_t form);
// ref_addr, ref1/2/4/8, ref_udata as stored (unit-relative but ref_addr).
uint32_t ReadReference(Dwarf2Unit& unit, uint16_t form);
// A reference made an entry offset in .debug_info (the key of Dwarf2TypeMap).
uint32_t ReadTypeReference(Dwarf2Unit& unit, uint16_t form);
// DW_FORM_string, or DW_FORM_strp from .debug_str.
std::string_view ReadString(Dwarf2Unit& unit, uint16_t form);
std::span<const uint8_t> ReadBlock(Dwarf2Unit& unit, uint16_t form);
bool ReadFlag(Dwarf2Unit& unit, uint16_t form);

}  // namespace tarnel
