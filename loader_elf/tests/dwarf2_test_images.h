// The images of the DWARF 2 load tests: one abbreviation table for every
// unit, and units whose compile-unit entry names a file, a producer, a
// range and a line program.
#pragma once

#include <string>
#include <vector>

#include "dwarf2_constants.h"
#include "dwarf_writer.h"

namespace tarnel::test {

// Abbreviation codes of TestAbbrevs().
inline constexpr uint8_t AB_UNIT = 1;           // name, producer (strp), comp_dir, low_pc, high_pc, stmt_list, language
inline constexpr uint8_t AB_UNIT_LEAF = 2;      // name (strp); no children
inline constexpr uint8_t AB_UNIT_RANGES = 3;    // name, low_pc, ranges
inline constexpr uint8_t AB_SUBPROGRAM = 4;     // name, low_pc, high_pc; children
inline constexpr uint8_t AB_VARIABLE = 5;       // name, location (block1)
inline constexpr uint8_t AB_BASE_TYPE = 6;      // name, byte_size
inline constexpr uint8_t AB_UNIT_NO_LINES = 7;  // name, producer (string), low_pc, high_pc

inline std::vector<uint8_t> TestAbbrevs()
{
    return AbbrevTable({
        {AB_UNIT,
         DW_TAG_compile_unit,
         true,
         {{DW_AT_name, DW_FORM_string},
          {DW_AT_producer, DW_FORM_strp},
          {DW_AT_comp_dir, DW_FORM_string},
          {DW_AT_low_pc, DW_FORM_addr},
          {DW_AT_high_pc, DW_FORM_addr},
          {DW_AT_stmt_list, DW_FORM_data4},
          {DW_AT_language, DW_FORM_data1}}},
        {AB_UNIT_LEAF, DW_TAG_compile_unit, false, {{DW_AT_name, DW_FORM_strp}}},
        {AB_UNIT_RANGES,
         DW_TAG_compile_unit,
         true,
         {{DW_AT_name, DW_FORM_string}, {DW_AT_low_pc, DW_FORM_addr}, {DW_AT_ranges, DW_FORM_data4}}},
        {AB_SUBPROGRAM,
         DW_TAG_subprogram,
         true,
         {{DW_AT_name, DW_FORM_string}, {DW_AT_low_pc, DW_FORM_addr}, {DW_AT_high_pc, DW_FORM_addr}}},
        {AB_VARIABLE, DW_TAG_variable, false, {{DW_AT_name, DW_FORM_string}, {0x02, DW_FORM_block1}}},
        {AB_BASE_TYPE, DW_TAG_base_type, false, {{DW_AT_name, DW_FORM_string}, {0x0B, DW_FORM_data1}}},
        {AB_UNIT_NO_LINES,
         DW_TAG_compile_unit,
         true,
         {{DW_AT_name, DW_FORM_string},
          {DW_AT_producer, DW_FORM_string},
          {DW_AT_low_pc, DW_FORM_addr},
          {DW_AT_high_pc, DW_FORM_addr}}},
    });
}

struct UnitSpec {
    std::string name;
    uint32_t low = 0, high = 0;  // high: the first address after the unit
    uint32_t stmtList = 0;
    std::string producer = "GNU C17 12.2.1 -mcpu=arm7tdmi -marm -gdwarf-2";
};

// A version 2 unit with an AB_UNIT entry, the children written by `children`
// and the null entry that ends them.
inline UnitBytes UnitOf(StringTable& strings, const UnitSpec& spec, bool bigEndian = false)
{
    UnitBytes u(bigEndian);
    u.entries.ULeb(AB_UNIT).Str(spec.name).U32(strings.Add(spec.producer)).Str("/nonexistent/src");
    u.entries.U32(spec.low).U32(spec.high).U32(spec.stmtList).U8(1);
    return u;
}

inline std::vector<uint8_t> Ended(UnitBytes u)
{
    u.entries.U8(0);
    return u.Bytes();
}

inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const std::vector<uint8_t>& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace tarnel::test
