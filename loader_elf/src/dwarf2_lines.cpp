#include "dwarf2_lines.h"

#include <platform/paths.h>

#include <algorithm>
#include <optional>
#include <string>

#include "dwarf2_line_program.h"
#include "dwarf2_paths.h"
#include "dwarf2_unit.h"
#include "dwarf_section_units.h"
#include "load_state.h"
#include "quinar/quinar.h"

namespace tarnel {
namespace {

std::string_view FilePart(std::string_view path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

// The rows of one program handed to quinar, table by table.
class QuinarLineTables final : public LineRowSink {
public:
    QuinarLineTables(const LineProgramHeader& header, uint64_t fileOffset)
        : s_(State()), t_(s_.tables), h_(header), fileOffset_(fileOffset)
    {
        if (auto it = t_.dwarf2LineUnits.find(header.offset); it != t_.dwarf2LineUnits.end())
            ownerRow_ = it->second;
    }

    bool Row(const LineRegisters& r) override
    {
        if (!h_.File(r.file)) {
            unlistedFile_ = true;
            return true;
        }
        // A row of line 0 says "no source line": none is added.
        if (r.line == 0)
            return true;
        if (!open_ || r.file != tableFile_) {
            if (!Switch(r.file, r.address))
                return false;
            if (!open_)
                return true;
        }
        if (SymResult x = SymAddLineRow(r.line, r.column, r.address, 0); x != SYM_OK)
            result_ = static_cast<LdrResult>(x);
        ++s_.record.lineRows;
        return true;
    }

    bool EndSequence(const LineRegisters& r) override
    {
        if (open_)
            Close(r.address, true);
        return true;
    }

    // The end of the program: a table that no end of sequence closed ends
    // at its last row.
    void Finish(const LineRegisters& r)
    {
        if (open_)
            Close(r.address, false);
    }

    LdrResult Result() const { return result_; }
    bool Stopped() const { return stopped_; }
    bool UnlistedFile() const { return unlistedFile_; }

private:
    // Ends the open table and begins one for `file`; false ends the pass.
    bool Switch(uint32_t file, uint32_t address)
    {
        if (open_)
            Close(address, true);
        if (!ModuleReady())
            return !stopped_;
        const std::string path = h_.FilePath(file);
        SymSetModuleAttr(module_, path.c_str());
        if (SymBeginLineTable(module_) != SYM_OK)
            return Stop(LDR_E_STABS);
        open_ = true;
        tableFile_ = file;
        low_ = address;
        return true;
    }

    // `terminate`: a row of line 0 at `address` ends the table's last row
    // there, so that no later code without rows of this table falls to it.
    void Close(uint32_t address, bool terminate)
    {
        if (terminate)
            SymAddLineRow(0, 0, address, 0);
        SymEndLineTable();
        if (terminate ? address > low_ : address >= low_) {
            const SymRange range{low_, terminate ? address - 1 : address, 1, 1};
            SymSetModuleRange(&range, module_);
        }
        open_ = false;
    }

    // The program's module, found or opened at its first row. False when
    // there is none (its rows are dropped).
    bool ModuleReady()
    {
        if (moduleKnown_)
            return module_ != 0;
        moduleKnown_ = true;
        std::string primary;
        if (ownerRow_) {
            const UnitRange& unit = t_.units[*ownerRow_];
            module_ = unit.module;
            primary = UnitFile(unit.name);
        } else if (h_.File(1)) {
            primary = h_.FilePath(1);
            module_ = ModuleNamed(primary);
        }
        // The module's first source file is the unit's own, whichever file
        // the program's first row names.
        if (module_ != 0 && !primary.empty())
            SymSetModuleAttr(module_, primary.c_str());
        return module_ != 0;
    }

    // The program's file that is the unit's source file (by path, else by
    // file name), or empty.
    std::string UnitFile(std::string_view unitName) const
    {
        for (uint64_t n = 1; n <= h_.files.size(); ++n)
            if (SamePath(h_.FilePath(n), unitName))
                return h_.FilePath(n);
        for (uint64_t n = 1; n <= h_.files.size(); ++n)
            if (platform::EqualNoCase(FilePart(h_.files[n - 1].name), FilePart(unitName)))
                return h_.FilePath(n);
        return {};
    }

    // The module of a unit or earlier program of that file, or a new one.
    uint32_t ModuleNamed(const std::string& path)
    {
        for (const UnitRange& u : t_.units)
            if (u.module != 0 && SamePath(u.name, path))
                return u.module;
        const SymModuleDesc desc{2, NO_RANGE_START, 0};
        uint32_t module = 0;
        const SymResult r = SymOpenModule(std::string(h_.File(1)->name).c_str(), &s_.stamp, &desc,
                                          static_cast<uint32_t>(fileOffset_), 0, 0, &module, 0);
        if (r == SYM_S_MODULE_NO_HANDLE)
            return 0;
        if (r != SYM_OK) {
            Stop(LDR_E_MODULE);
            return 0;
        }
        t_.units.push_back({NO_RANGE_START, 0, module, path});
        SymCloseModule(1);
        return module;
    }

    bool Stop(LdrResult r)
    {
        result_ = r;
        stopped_ = true;
        return false;
    }

    ElfLoadState& s_;
    LoaderTables& t_;
    const LineProgramHeader& h_;
    uint64_t fileOffset_;
    std::optional<uint32_t> ownerRow_;
    bool moduleKnown_ = false;
    uint32_t module_ = 0;
    bool open_ = false;
    uint32_t tableFile_ = 0;
    uint32_t low_ = 0;
    bool unlistedFile_ = false;
    bool stopped_ = false;
    LdrResult result_ = LDR_OK;
};

bool IsKnownLaterVersion(uint16_t version)
{
    return version == 4 || version == 5;
}

class LinePass {
public:
    explicit LinePass(ImageFile& file) : s_(State()), section_(s_.notes[Noted::DebugLine])
    {
        lines_ = file.Cursor(section_.offset, section_.size, s_.bigEndian, ".debug_line");
    }

    LdrResult Run()
    {
        while (lines_.Ok() && !lines_.AtEnd()) {
            if (LdrResult r = NextProgram(); r != LDR_OK)
                return r;
        }
        if (!lines_.Ok())
            damage_.Failed(lines_);
        return result_ != LDR_OK ? result_ : damage_.result;
    }

private:
    // LDR_OK, or the result that ends the pass.
    LdrResult NextProgram()
    {
        std::optional<SectionUnit> next = NextSectionUnit(lines_, damage_);
        if (!next)
            return LDR_OK;
        const uint32_t offset = next->offset;
        const uint32_t length = next->length;
        ByteCursor unit = next->bytes;
        // The ARM compiler's tables are padded to a multiple of 4 bytes.
        if (s_.compilerKind == COMPILER_ARM && length % 4 != 0)
            lines_.Skip(std::min<uint64_t>(4 - length % 4, lines_.Remaining()));

        LineProgramHeader header;
        header.offset = offset;
        header.version = unit.U16();
        if (unit.Ok() && header.version != 2 && header.version != 3) {
            if (!IsKnownLaterVersion(header.version))
                damage_.At(offset, "line table of unknown version stepped over");
            return LDR_OK;
        }
        if (!ReadLineProgramHeader(unit, header)) {
            damage_.Failed(unit);
            return LDR_OK;
        }
        QuinarLineTables tables(header, uint64_t{section_.offset} + offset);
        const LineRegisters end = RunLineProgram(unit, header, tables);
        tables.Finish(end);
        if (tables.Stopped())
            return tables.Result();
        if (tables.Result() != LDR_OK)
            result_ = tables.Result();
        if (!unit.Ok())
            damage_.Failed(unit);
        if (tables.UnlistedFile())
            damage_.At(offset, "rows of a file that the line table does not list dropped");
        return LDR_OK;
    }

    ElfLoadState& s_;
    const NotedSection& section_;
    ByteCursor lines_;
    ReaderDamage damage_{".debug_line"};
    LdrResult result_ = LDR_OK;  // of quinar's rows
};

}  // namespace

LdrResult ReadDwarf2LineProgram(ImageFile& file, bool, uint32_t)
{
    if (!State().notes[Noted::DebugLine].present)
        return LDR_OK;
    LinePass pass(file);
    return pass.Run();
}

}  // namespace tarnel
