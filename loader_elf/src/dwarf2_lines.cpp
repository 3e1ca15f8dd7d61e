#include "dwarf2_lines.h"

#include <platform/paths.h>

#include <algorithm>
#include <optional>
#include <string>

#include "dwarf2_context.h"
#include "dwarf2_line_program.h"
#include "dwarf2_paths.h"
#include "dwarf2_unit.h"

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
    QuinarLineTables(Dwarf2ReadContext& cx, const LineProgramHeader& header, uint64_t fileOffset)
        : cx_(cx), records_(cx.records), t_(cx.tables), h_(header), fileOffset_(fileOffset)
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
        if (LdrResult x = records_.AddLineRow(r.line, r.column, r.address, r.isStmt); x != LDR_OK)
            result_ = x;
        ++cx_.lineRows;
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
        records_.SetModuleSourceFile(module_, h_.FilePath(file));
        if (!records_.BeginLineTable(module_))
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
            records_.AddLineRow(0, 0, address);
        records_.EndLineTable();
        if (terminate ? address > low_ : address >= low_)
            records_.SetModuleRange(module_, low_, terminate ? address - 1 : address);
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
            records_.SetModuleSourceFile(module_, primary);
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
        uint32_t module = 0;
        const ModuleRecord m{h_.File(1)->name, NO_RANGE_START, 0, static_cast<uint32_t>(fileOffset_), 0};
        switch (records_.OpenModule(m, module)) {
        case QuinarRecords::Opened::NoHandle: return 0;
        case QuinarRecords::Opened::Refused: Stop(LDR_E_MODULE); return 0;
        case QuinarRecords::Opened::Module: break;
        }
        t_.units.push_back({NO_RANGE_START, 0, module, path});
        records_.CloseModule();
        return module;
    }

    bool Stop(LdrResult r)
    {
        result_ = r;
        stopped_ = true;
        return false;
    }

    Dwarf2ReadContext& cx_;
    QuinarRecords& records_;
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

class LinePass {
public:
    LinePass(ImageFile& file, Dwarf2ReadContext& cx) : cx_(cx), section_(cx.notes[Noted::DebugLine])
    {
        lines_ = file.Cursor(section_.offset, section_.size, cx.bigEndian, ".debug_line");
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
        LineProgramHeader header;
        ByteCursor unit;
        const LineHeaderRead read = ReadLineProgramHeader(lines_, damage_, header, unit);
        if (read == LineHeaderRead::None)
            return LDR_OK;
        // The ARM compiler's tables are padded to a multiple of 4 bytes.
        if (cx_.compilerKind == COMPILER_ARM && header.unitLength % 4 != 0)
            lines_.Skip(std::min<uint64_t>(4 - header.unitLength % 4, lines_.Remaining()));
        if (read != LineHeaderRead::Read)
            return LDR_OK;
        QuinarLineTables tables(cx_, header, uint64_t{section_.offset} + header.offset);
        const LineRegisters end = RunLineProgram(unit, header, tables);
        tables.Finish(end);
        if (tables.Stopped())
            return tables.Result();
        if (tables.Result() != LDR_OK)
            result_ = tables.Result();
        if (!unit.Ok())
            damage_.Failed(unit);
        if (tables.UnlistedFile())
            damage_.At(header.offset, "rows of a file that the line table does not list dropped");
        return LDR_OK;
    }

    Dwarf2ReadContext& cx_;
    const NotedSection& section_;
    ByteCursor lines_;
    ReaderDamage damage_{cx_.errors, ".debug_line"};
    LdrResult result_ = LDR_OK;  // of quinar's rows
};

}  // namespace

LdrResult ReadDwarf2LinePass(ImageFile& file, Dwarf2ReadContext& cx)
{
    if (!cx.notes[Noted::DebugLine].present)
        return LDR_OK;
    LinePass pass(file, cx);
    return pass.Run();
}

}  // namespace tarnel
