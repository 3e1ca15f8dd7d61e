#include "dwarf2_units.h"

#include <string>

#include "dwarf2_abbrev.h"
#include "dwarf2_compile_unit.h"
#include "dwarf2_constants.h"
#include "dwarf2_context.h"
#include "dwarf2_entries.h"
#include "dwarf2_forms.h"
#include "dwarf_section_units.h"
#include "section_pass.h"

namespace tarnel {
namespace {

bool IsKnownLaterVersion(uint16_t version)
{
    return version >= 3 && version <= 5;
}

ByteCursor SectionCursor(const Dwarf2ReadContext& cx, const ImageFile& file, Noted which)
{
    const NotedSection& n = cx.notes[which];
    if (!n.present)
        return ByteCursor({}, cx.bigEndian, NotedName(which));
    return file.Cursor(n.offset, n.size, cx.bigEndian, NotedName(which));
}

// A section that the section pass does not note, found by its name.
ByteCursor NamedSectionCursor(const Dwarf2ReadContext& cx, const ImageFile& file, std::string_view name)
{
    uint32_t index = 0;
    if (FindSectionByName(cx.image, name, &index) != LDR_OK || index >= cx.image.sections.size())
        return ByteCursor({}, cx.bigEndian, name);
    const SectionRecord& r = cx.image.sections[index];
    return file.Cursor(r.offset, r.type == SHT_NOBITS ? 0 : r.size, cx.bigEndian, name);
}

class UnitPass {
public:
    UnitPass(ReaderCall& call, Dwarf2ReadContext& cx)
        : cx_(cx), t_(cx.tables), pass_{call, NamedSectionCursor(cx, call.file, ".debug_ranges")},
          info_(SectionCursor(cx, call.file, Noted::DebugInfo)),
          abbrevs_(SectionCursor(cx, call.file, Noted::DebugAbbrev)),
          strings_(SectionCursor(cx, call.file, Noted::DebugStr)),
          locations_(NamedSectionCursor(cx, call.file, ".debug_loc"))
    {}

    LdrResult Run()
    {
        t_.dwarf2LineUnits.clear();
        LdrResult ended = LDR_OK;
        while (ended == LDR_OK && info_.Ok() && !info_.AtEnd())
            ended = NextUnit();
        if (!info_.Ok())
            damage_.Failed(info_);
        if (laterUnits_ != 0)
            cx_.errors.Note(std::to_string(laterUnits_) + (laterUnits_ == 1 ? " compile unit" : " compile units") +
                            " of DWARF 3, 4 or 5 skipped: built with -gdwarf-2 they are readable");
        t_.dwarf2Abbrevs.clear();
        if (const auto& done = cx_.entryReaders.passDone)
            done();
        *pass_.call.moduleCount += pass_.rowsAdded;
        return ended != LDR_OK ? ended : result_ != LDR_OK ? result_ : damage_.result;
    }

private:
    // LDR_OK, or the result that ends the pass.
    LdrResult NextUnit()
    {
        std::optional<SectionUnit> next = NextSectionUnit(info_, damage_);
        if (!next)
            return LDR_OK;
        const uint32_t headerOffset = next->offset;
        Dwarf2Unit unit;
        unit.context = &cx_;
        unit.headerOffset = headerOffset;
        unit.entries = next->bytes;
        unit.version = unit.entries.U16();
        if (unit.version != 2) {
            if (unit.entries.Ok() && !IsKnownLaterVersion(unit.version))
                damage_.At(headerOffset, "unit of unknown version stepped over");
            else if (unit.entries.Ok())
                ++laterUnits_;
            return LDR_OK;
        }
        unit.abbrevOffset = unit.entries.U32();
        unit.addressSize = unit.entries.U8();
        unit.entriesOffset = static_cast<uint32_t>(unit.entries.Offset());
        unit.strings = strings_;
        unit.locations = locations_;
        if (!unit.entries.Ok()) {
            damage_.Failed(unit.entries);
            return LDR_OK;
        }
        if (unit.addressSize != 2 && unit.addressSize != 4 && unit.addressSize != 8) {
            damage_.At(headerOffset, "unsupported address size");
            return LDR_OK;
        }
        if (!ReadUnitAbbreviations(unit))
            return LDR_OK;
        const LdrResult ended = WalkEntries(unit);
        CloseUnitModule(pass_, unit);
        t_.dwarf2Abbrevs.clear();
        return ended;
    }

    bool ReadUnitAbbreviations(const Dwarf2Unit& unit)
    {
        // Offsets count from the section's address (0 in every image of
        // the GNU tools).
        const uint32_t address = cx_.notes[Noted::DebugAbbrev].address;
        ByteCursor c = abbrevs_;
        if (unit.abbrevOffset < address || unit.abbrevOffset - address >= c.Remaining()) {
            damage_.At(unit.headerOffset, "abbreviation offset outside .debug_abbrev");
            return false;
        }
        c.SeekTo(unit.abbrevOffset - address);
        if (ReadAbbreviations(c, t_.dwarf2Abbrevs))
            return true;
        damage_.Failed(c);
        return false;
    }

    // LDR_OK, or the result that ends the pass.
    LdrResult WalkEntries(Dwarf2Unit& unit)
    {
        ByteCursor& c = unit.entries;
        const Dwarf2EntryReaders& readers = cx_.entryReaders;
        uint32_t depth = 0;  // 0: the compile unit; 1: its children, the top level
        bool unitEntryRead = false;
        while (c.Ok() && !c.AtEnd()) {
            const uint32_t offset = static_cast<uint32_t>(c.Offset());
            const uint64_t code = c.ULeb128();
            if (!c.Ok())
                break;
            if (code == 0) {
                if (depth > 0)
                    --depth;
                continue;
            }
            const Dwarf2Abbrev* abbrev = code > 0xFFFFFFFF ? nullptr : t_.LookUpAbbrev(static_cast<uint32_t>(code));
            if (!abbrev) {
                c.Fail("unknown abbreviation code");
                break;
            }
            Dwarf2Entry entry{offset, *abbrev};
            if (depth == 0 && abbrev->tag == DW_TAG_compile_unit && !unitEntryRead) {
                unitEntryRead = true;
                if (LdrResult r = ReadCompileUnitEntry(pass_, unit, *abbrev); r != LDR_OK)
                    return r;
                // A compile unit without children: the rest of the unit is not read.
                if (!abbrev->children)
                    return Ended(unit);
            } else if (const Dwarf2EntryReader* reader = depth == 1 ? EntryReaderFor(readers, abbrev->tag) : nullptr) {
                if (LdrResult r = (*reader)(unit, entry); r != LDR_OK)
                    result_ = r;
            } else {
                SkipAttributes(unit, *abbrev);
            }
            if (abbrev->children && !entry.childrenRead)
                ++depth;
        }
        return Ended(unit);
    }

    LdrResult Ended(const Dwarf2Unit& unit)
    {
        if (!unit.entries.Ok())
            damage_.Failed(unit.entries);
        return LDR_OK;
    }

    Dwarf2ReadContext& cx_;
    LoaderTables& t_;
    CompileUnitPass pass_;
    ByteCursor info_, abbrevs_, strings_, locations_;
    ReaderDamage damage_{cx_.errors, ".debug_info"};
    LdrResult result_ = LDR_OK;  // of the entry readers
    uint32_t laterUnits_ = 0;    // units of DWARF 3, 4 or 5, stepped over
};

}  // namespace

LdrResult ReadDwarf2UnitPass(ReaderCall& call, Dwarf2ReadContext& cx)
{
    UnitPass pass(call, cx);
    return pass.Run();
}

}  // namespace tarnel
