#include "dwarf2_compile_unit.h"

#include <platform/paths.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

#include "dwarf2_constants.h"
#include "dwarf2_context.h"
#include "dwarf2_forms.h"
#include "dwarf2_paths.h"
#include "source_paths.h"

namespace tarnel {
namespace {

struct UnitAttributes {
    std::string_view name, compDir, producer;
    std::optional<uint32_t> lowPc, highPc, stmtList, ranges;
};

void ReadAttributes(Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev, UnitAttributes& u)
{
    for (const auto& [name, form] : abbrev.attributes) {
        switch (name) {
        case DW_AT_name: u.name = ReadString(unit, form); break;
        case DW_AT_comp_dir: u.compDir = ReadString(unit, form); break;
        case DW_AT_producer: u.producer = ReadString(unit, form); break;
        case DW_AT_low_pc: u.lowPc = ReadNumber(unit, form); break;
        case DW_AT_high_pc: u.highPc = ReadNumber(unit, form); break;
        case DW_AT_stmt_list: u.stmtList = ReadNumber(unit, form); break;
        case DW_AT_ranges: u.ranges = ReadNumber(unit, form); break;
        default: SkipValue(unit, form); break;
        }
        if (!unit.entries.Ok())
            return;
    }
}

// The hull of a range list of .debug_ranges: pairs of addresses (the end
// is the first address after the range) relative to the base address, a
// pair with the largest address first setting a new base, (0, 0) ending
// the list. False when the list runs out of the section.
bool RangeListHull(const ReadErrors& errors, ByteCursor c, uint32_t offset, uint8_t addressSize, uint64_t base,
                   uint32_t& start, uint32_t& end)
{
    if (offset >= c.Remaining()) {
        errors.At(".debug_ranges", offset, "range list offset outside the section");
        return false;
    }
    c.SeekTo(offset);
    const uint64_t largest = addressSize >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * addressSize)) - 1;
    uint64_t low = ~uint64_t{0}, high = 0;
    for (;;) {
        const uint64_t first = c.Fixed(addressSize);
        const uint64_t after = c.Fixed(addressSize);
        if (!c.Ok()) {
            errors.Failed(c);
            return false;
        }
        if (first == 0 && after == 0)
            break;
        if (first == largest) {
            base = after;
        } else if (after > first) {
            low = std::min(low, base + first);
            high = std::max(high, base + after - 1);
        }
    }
    if (low <= high) {
        start = static_cast<uint32_t>(low);
        end = static_cast<uint32_t>(high);
    }
    return true;
}

void SetUnitRange(const CompileUnitPass& pass, Dwarf2Unit& unit, const UnitAttributes& u)
{
    unit.start = NO_RANGE_START;
    unit.end = 0;
    unit.baseAddress = u.lowPc.value_or(0);
    if (u.ranges) {
        RangeListHull(Context(unit).errors, pass.ranges, *u.ranges, unit.addressSize, u.lowPc.value_or(0), unit.start,
                      unit.end);
    } else if (u.lowPc && u.highPc && *u.highPc > *u.lowPc) {
        unit.start = *u.lowPc;
        unit.end = *u.highPc - 1;  // high_pc is the first address after the unit
    }
}

// The unit's row of UnitRangeTable: an earlier unit of the same name gives
// its module to this one.
const UnitRange* RowNamed(const LoaderTables& t, std::string_view name, uint32_t* index)
{
    for (uint32_t i = 0; i < t.units.size(); ++i) {
        if (t.units[i].module != 0 && platform::EqualNoCase(t.units[i].name, name)) {
            *index = i;
            return &t.units[i];
        }
    }
    return nullptr;
}

LdrResult OpenUnitModule(CompileUnitPass& pass, Dwarf2Unit& unit, const UnitAttributes& u, SourceFileRecord record)
{
    Dwarf2ReadContext& cx = Context(unit);
    LoaderTables& t = cx.tables;
    const uint32_t position = cx.notes[Noted::DebugInfo].offset + unit.entriesOffset;
    const ModuleRecord m{record.baseName, unit.start, unit.end, position, pass.call.kind == 1 ? 1u : 0u};

    uint32_t row = 0;
    if (const UnitRange* earlier = u.name.empty() ? nullptr : RowNamed(t, u.name, &row)) {
        const uint32_t module = earlier->module;
        if (LdrResult r = cx.records.AddToModule(module, m); r != LDR_OK)
            return r;
        unit.module = module;
    } else {
        uint32_t module = 0;
        if (cx.records.OpenModule(m, module) == QuinarRecords::Opened::Refused)
            return LDR_E_MODULE;
        unit.module = module;
        if (module != 0) {
            row = static_cast<uint32_t>(t.units.size());
            t.units.push_back({unit.start, unit.end, module, std::string(u.name)});
            ++pass.rowsAdded;
            record.module = module;
            t.AddSourceFile(std::move(record));
        }
    }
    unit.moduleOpen = true;
    if (unit.module != 0 && u.stmtList)
        t.dwarf2LineUnits.insert_or_assign(*u.stmtList, row);
    return LDR_OK;
}

}  // namespace

ProducerKind KindOfProducer(std::string_view producer)
{
    std::string upper(producer);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper.find("GHS C") != std::string::npos)
        return {COMPILER_GREEN_HILLS, false};
    if (upper.find("GNU C") != std::string::npos)
        return {COMPILER_GNU_C, false};
    if (upper.find("ARM") != std::string::npos)
        return {COMPILER_ARM, false};
    if (upper.find("THUMB C") != std::string::npos)
        return {COMPILER_ARM, true};
    return {};
}

LdrResult ReadCompileUnitEntry(CompileUnitPass& pass, Dwarf2Unit& unit, const Dwarf2Abbrev& abbrev)
{
    Dwarf2ReadContext& cx = Context(unit);
    const uint64_t position = uint64_t{cx.notes[Noted::DebugInfo].offset} + unit.entries.Offset();
    if (cx.unitReached && cx.unitReached(position))
        return LDR_E_USER_ABORT;

    UnitAttributes u;
    ReadAttributes(unit, abbrev, u);
    if (!unit.entries.Ok())
        return LDR_OK;  // the walk reports the place
    SetUnitRange(pass, unit, u);

    if (!u.producer.empty()) {
        const ProducerKind p = KindOfProducer(u.producer);
        unit.kind = p.kind;
        // An assembler's or unknown producer does not undo the kind that
        // the compiler's units of the image gave.
        if (p.kind != COMPILER_NONE)
            cx.compilerKind = p.kind;
        if (p.thumb && unit.start <= unit.end)
            cx.tables.dwarf1ThumbRanges.push_back({unit.start, unit.end});
    }

    SourceFileRecord record;
    record.name = std::string(u.name);
    record.baseName = SplitFileName(record.name);
    ResolveSourceRecord(record, std::string(u.compDir), std::string(cx.imageDirectory));
    return OpenUnitModule(pass, unit, u, std::move(record));
}

void CloseUnitModule(const CompileUnitPass& pass, Dwarf2Unit& unit)
{
    if (!unit.moduleOpen)
        return;
    QuinarRecords& records = Context(unit).records;
    records.CloseModule();
    if (unit.module != 0 && unit.start <= unit.end)
        records.SetModuleRange(unit.module, unit.start, unit.end);
    unit.moduleOpen = false;
}

}  // namespace tarnel
