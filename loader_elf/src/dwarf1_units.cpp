#include "dwarf1_units.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "dwarf1_functions.h"
#include "dwarf1_types.h"
#include "source_paths.h"

namespace tarnel {
namespace {

// Compiler kinds of producers besides those of ldr_types.h.
constexpr uint32_t KIND_DIAB = 1;
constexpr uint32_t KIND_VENDOR = 3;
constexpr uint32_t KIND_MW_PPC = 5;
constexpr uint32_t KIND_MW_68K = 6;

// A unit's pcs when it has none: low above stored high.
constexpr uint32_t NO_LOW_PC = 0xFFFFFFFF;
constexpr uint32_t NO_HIGH_PC = 0xFFFFFFFE;

std::string Upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && Upper(a) == Upper(b);
}

class UnitPass {
public:
    UnitPass(ReaderCall& call, Dwarf1ReadContext& cx) : call_(call), cx_(cx), s_(cx.section) {}

    LdrResult Run()
    {
        uint32_t pos = 0;
        while (pos < s_.Size()) {
            Dwarf1Entry e;
            try {
                e = s_.Read(pos, s_.Size());
                if (e.null) {
                    pos = e.End();
                    continue;
                }
                switch (e.tag) {
                case DW1_TAG_PADDING: return result_;
                case DW1_TAG_COMPILE_UNIT: {
                    cx_.load.pendingVariables.clear();
                    if (cx_.unitReached && cx_.unitReached(uint64_t{cx_.notes[Noted::Debug].offset} + pos))
                        return LDR_E_USER_ABORT;
                    const uint32_t end = e.Find(DW1_AT_SIBLING) ? NextOffset(s_, e, s_.Size()) : s_.Size();
                    if (LdrResult r = ReadUnit(e, end); r != LDR_OK)
                        return r;
                    pos = end;
                    break;
                }
                case DW1_TAG_LABEL:
                    AddDwarf1Label(cx_, e);
                    pos = NextOffset(s_, e, s_.Size());
                    break;
                case DW1_TAG_VENDOR_SIBLING:
                    if (e.attributes.empty() || e.attributes.front().code != DW1_AT_SIBLING) {
                        if (cx_.unknownFormat)
                            cx_.unknownFormat();
                        return LDR_E_MODULE;
                    }
                    pos = NextOffset(s_, e, s_.Size());
                    cx_.compilerKind = static_cast<CompilerKind>(KIND_VENDOR);
                    break;
                default: pos = NextOffset(s_, e, s_.Size()); break;
                }
            } catch (const Dwarf1Damage& d) {
                // The place of the next top-level entry is not known.
                Damage(d);
                return result_;
            }
        }
        return result_;
    }

private:
    void Damage(const Dwarf1Damage& d)
    {
        cx_.errors.At(".debug", d.offset, d.what());
        result_ = LDR_E_READ;
    }

    void ReadProducer(std::string& producer, uint32_t& kind)
    {
        if (!cx_.load.producerSeen) {
            cx_.load.producerSeen = true;
            kind = Dwarf1ProducerKind(producer);
            cx_.compilerKind = static_cast<CompilerKind>(kind);
        }
    }

    LdrResult ReadUnit(const Dwarf1Entry& e, uint32_t end)
    {
        const std::string name(e.Text(DW1_AT_NAME));
        std::string producer(e.Text(DW1_AT_PRODUCER));
        uint32_t kind = cx_.compilerKind;
        if (e.Find(DW1_AT_PRODUCER))
            ReadProducer(producer, kind);
        const Dwarf1Attribute* low = e.Find(DW1_AT_LOW_PC);
        const Dwarf1Attribute* high = e.Find(DW1_AT_HIGH_PC);
        const uint32_t start = low ? low->value : NO_LOW_PC;
        const uint32_t last = high ? high->value - 1 : NO_HIGH_PC;
        // A unit of no code between its pcs.
        if (start == last)
            return LDR_OK;
        const bool hasRange = start <= last;
        if (hasRange && EqualNoCase(producer, "THUMB C"))
            cx_.tables.dwarf1ThumbRanges.push_back({start, last});

        SourceFileRecord record;
        record.name = name;
        record.baseName = SplitFileName(name);
        ResolveSourceRecord(record, std::string(e.Text(DW1_AT_COMP_DIR)), std::string(cx_.imageDirectory));

        const uint32_t position = cx_.notes[Noted::Debug].offset + e.offset;
        const ModuleRecord m{record.baseName, hasRange ? start : NO_LOW_PC, hasRange ? last : 0, position,
                             call_.kind == 1 ? 1u : 0u};
        uint32_t module = 0;
        if (cx_.records.OpenModule(m, module) == QuinarRecords::Opened::Refused)
            return LDR_E_MODULE;
        cx_.module = module;
        cx_.tables.units.push_back({start, last, module, name});
        ++*call_.moduleCount;
        if (module != 0) {
            record.module = module;
            cx_.tables.AddSourceFile(std::move(record));
        }

        try {
            ReadChildren(e.End(), end);
        } catch (const Dwarf1Damage& d) {
            Damage(d);
        }

        CompleteDwarf1Arrays(cx_);
        RetryDwarf1PendingVariables(cx_, e.offset);
        cx_.records.CloseModule();
        if (module != 0) {
            cx_.records.SetModuleSourceFile(module, name);
            if (hasRange)
                cx_.records.SetModuleRange(module, start, last);
        }
        cx_.module = 0;
        return LDR_OK;
    }

    void ReadChildren(uint32_t from, uint32_t end)
    {
        for (uint32_t p = from; p < end;) {
            const Dwarf1Entry e = s_.Read(p, end);
            const uint32_t next = NextOffset(s_, e, end);
            if (!e.null) {
                switch (e.tag) {
                case DW1_TAG_GLOBAL_SUBROUTINE: ReadDwarf1Subroutine(cx_, e, end, false); break;
                case DW1_TAG_SUBROUTINE: ReadDwarf1Subroutine(cx_, e, end, true); break;
                case DW1_TAG_GLOBAL_VARIABLE: ReadDwarf1GlobalVariable(cx_, e); break;
                case DW1_TAG_LOCAL_VARIABLE: ReadDwarf1FileVariable(cx_, e); break;
                case DW1_TAG_LABEL: AddDwarf1Label(cx_, e); break;
                case DW1_TAG_PADDING: return;
                default:
                    if (IsDwarf1TypeTag(e.tag))
                        ReadDwarf1TypeEntry(cx_, e, end);
                    break;
                }
            }
            p = next;
        }
    }

    ReaderCall& call_;
    Dwarf1ReadContext& cx_;
    const Dwarf1Section& s_;
    LdrResult result_ = LDR_OK;
};

}  // namespace

CompilerKind Dwarf1ProducerKind(std::string& producer)
{
    const std::string upper = Upper(producer);
    producer = upper;
    auto starts = [&](std::string_view p) { return upper.starts_with(p); };
    if (starts("GHS C")) {
        producer = "Green Hills";
        return COMPILER_GREEN_HILLS;
    }
    if (starts("DIAB DATA")) {
        producer = "Diab Data";
        return static_cast<CompilerKind>(KIND_DIAB);
    }
    if (starts("GNU C")) {
        producer = "GNU C";
        return COMPILER_GNU_C;
    }
    if (starts("MW EABI PPC"))
        return static_cast<CompilerKind>(KIND_MW_PPC);
    if (upper.find("METROWERKS 68K") != std::string::npos)
        return static_cast<CompilerKind>(KIND_MW_68K);
    if (upper.find("THUMB") != std::string::npos) {
        producer = "THUMB C";
        return COMPILER_ARM;
    }
    if (upper.find("ARM") != std::string::npos) {
        producer = "ARM";
        return COMPILER_ARM;
    }
    return COMPILER_NONE;
}

LdrResult ReadDwarf1UnitPass(ReaderCall& call, Dwarf1ReadContext& cx)
{
    UnitPass pass(call, cx);
    return pass.Run();
}

LdrResult ReadDwarf1LinePass(std::span<const uint8_t> line, Dwarf1ReadContext& cx, bool rowsWanted)
{
    constexpr uint32_t HEADER = 8;
    constexpr uint32_t ROW = 10;
    constexpr uint32_t ONE_ROW = HEADER + ROW;
    ByteCursor c(line, cx.section.bigEndian, ".line");
    LdrResult result = LDR_OK;
    while (!c.AtEnd()) {
        const uint32_t at = static_cast<uint32_t>(c.Offset());
        const uint32_t length = c.U32();
        const uint32_t base = c.U32();
        if (!c.Ok()) {
            cx.errors.At(".line", at, "line table header cut short");
            return LDR_E_READ;
        }
        if (length < HEADER || length - HEADER > c.Remaining()) {
            cx.errors.At(".line", at, length < HEADER ? "line table length below 8" : "line table runs past .line");
            return LDR_E_READ;
        }
        // The Green Hills tables are padded to four bytes.
        const uint32_t padding = cx.compilerKind == COMPILER_GREEN_HILLS && length % 4 != 0 ? 2 : 0;
        ByteCursor rows = c.Split(length - HEADER);
        c.Skip(std::min<uint64_t>(padding, c.Remaining()));
        if (length == ONE_ROW)
            continue;
        const auto unit = std::find_if(cx.tables.units.begin(), cx.tables.units.end(),
                                       [&](const UnitRange& u) { return u.start == base && u.start < u.end; });
        if (unit == cx.tables.units.end()) {
            char what[80];
            std::snprintf(what, sizeof what, "line table of address 0x%x matches no unit: skipped", base);
            cx.errors.At(".line", at, what);
            continue;
        }
        const uint32_t module = unit->module;
        if (module == 0)
            continue;
        cx.records.SetModuleSourceFile(module, unit->name);
        if (!rowsWanted)
            continue;
        if (!cx.records.BeginLineTable(module))
            return LDR_E_STABS;
        while (rows.Remaining() >= ROW) {
            const uint32_t number = rows.U32();
            const uint16_t position = rows.U16();
            const uint32_t offset = rows.U32();
            if (number == 0) {
                // The end of the table's code.
                if (cx.lineRows > 0)
                    break;
                continue;
            }
            cx.records.AddLineRow(number, position == 0xFFFF ? 0 : position, base + offset);
            ++cx.lineRows;
        }
        cx.records.EndLineTable();
    }
    return result;
}

}  // namespace tarnel
