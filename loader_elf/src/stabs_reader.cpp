#include "stabs_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "dwarf2_paths.h"
#include "quinar/symbol_store.h"
#include "source_paths.h"
#include "stabs_functions.h"
#include "stabs_types.h"

namespace tarnel {
namespace {

constexpr uint32_t NO_LOW = 0xFFFFFFFF;

bool EndsInSeparator(std::string_view s)
{
    return !s.empty() && (s.back() == '/' || s.back() == '\\');
}

bool HasSeparator(std::string_view s)
{
    return s.find_first_of("/\\") != std::string_view::npos;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

struct StabEntry {
    uint32_t strx = 0;
    uint8_t type = 0;
    uint16_t desc = 0;
    uint32_t value = 0;
    size_t offset = 0;  // in .stab
};

struct IncludeFile {
    std::string name;
    uint32_t start = 0;
};

struct DeferredLine {
    uint32_t line = 0;
    uint32_t address = 0;
    std::string file;
};

// A module known to this load: a source path met again reopens it.
struct KnownModule {
    std::string path;
    uint32_t handle = 0;
};

class StabsPass {
public:
    StabsPass(ReaderCall& call, StabsContext& cx)
        : call_(call), cx_(cx), types_(cx.tables, cx.records, cx.errors, cx.bigEndian),
          functions_(cx.records, cx.tables, types_, cx.bigEndian, cx.functionSizes)
    {}

    LdrResult Run()
    {
        const size_t size = cx_.stab.size();
        if (size == 0)
            return LDR_OK;
        if (size % STAB_ENTRY_SIZE != 0)
            Damage(".stab", size - size % STAB_ENTRY_SIZE, "section size is no multiple of 12: the rest is dropped");
        for (size_t at = 0; at + STAB_ENTRY_SIZE <= size; at += STAB_ENTRY_SIZE) {
            const StabEntry e = ReadEntry(at);
            if (e.type == N_UNDF)
                continue;
            std::string_view text;
            if (!StringOf(e, text))
                continue;
            if (LdrResult r = Handle(e, text); r != LDR_OK) {
                if (r == LDR_E_USER_ABORT)
                    return r;
                if (result_ == LDR_OK || result_ == LDR_E_READ)
                    result_ = r;
                if (r != LDR_E_READ)
                    break;
            }
        }
        if (LdrResult r = FinishModule(); r != LDR_OK && result_ == LDR_OK)
            result_ = r;
        *call_.moduleCount += added_;
        cx_.functions += functions_.Count();
        return result_;
    }

private:
    void Damage(std::string_view section, uint64_t offset, std::string_view what)
    {
        cx_.errors.At(section, offset, what);
        if (result_ == LDR_OK)
            result_ = LDR_E_READ;
    }

    uint32_t U32(size_t at) const
    {
        const uint8_t* b = cx_.stab.data() + at;
        if (cx_.bigEndian)
            return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
        return uint32_t(b[3]) << 24 | uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0];
    }

    StabEntry ReadEntry(size_t at) const
    {
        StabEntry e;
        e.offset = at;
        e.strx = U32(at);
        e.type = cx_.stab[at + 4];
        const uint8_t* d = cx_.stab.data() + at + 6;
        e.desc = cx_.bigEndian ? uint16_t(d[0] << 8 | d[1]) : uint16_t(d[1] << 8 | d[0]);
        e.value = U32(at + 8);
        return e;
    }

    // The entry's string, read whole; false for an offset past .stabstr.
    bool StringOf(const StabEntry& e, std::string_view& text)
    {
        const std::span<const uint8_t> strings = cx_.stabstr;
        if (e.strx == 0 && strings.empty())
            return true;
        if (e.strx >= strings.size()) {
            Damage(".stab", e.offset, "string offset past .stabstr");
            return false;
        }
        const char* begin = reinterpret_cast<const char*>(strings.data()) + e.strx;
        const size_t room = strings.size() - e.strx;
        const void* nul = std::memchr(begin, 0, room);
        if (!nul) {
            Damage(".stabstr", e.strx, "string without its NUL");
            text = std::string_view(begin, room);
            return true;
        }
        text = std::string_view(begin, static_cast<const char*>(nul) - begin);
        return true;
    }

    LdrResult Handle(const StabEntry& e, std::string_view text)
    {
        switch (e.type) {
        case N_SO: return SourceFile(e, text);
        case N_FUN:
            if (text.empty())
                return functions_.EndBySize(e.value);
            if (LdrResult r = functions_.Close(); r != LDR_OK)
                return r;
            return Function(e, text);
        case N_GSYM:
            if (LdrResult r = functions_.Close(); r != LDR_OK)
                return r;
            return functions_.Variable(text, e.type, e.value, EntryPlace(e));
        case N_STSYM:
        case N_LCSYM:
        case N_RSYM:
        case N_PSYM: return functions_.Variable(text, e.type, e.value, EntryPlace(e));
        case N_LSYM: {
            const size_t colon = StabsNameEnd(text);
            const char letter = colon == std::string_view::npos || colon + 1 >= text.size() ? '\0' : text[colon + 1];
            if (letter == 't' || letter == 'T' || !functions_.Open()) {
                types_.ReadTypeDef(text, e.strx);
                return LDR_OK;
            }
            return functions_.Variable(text, e.type, e.value, EntryPlace(e));
        }
        case N_SLINE: return Line(e.desc, e.value + functionStart_);
        case N_LBRAC: functions_.LeftBracket(e.value + functionStart_); return LDR_OK;
        case N_RBRAC: functions_.RightBracket(e.value + functionStart_); return LDR_OK;
        case N_BINCL:
            if (e.value != 0)
                Include(std::string(text), e.value);
            return LDR_OK;
        case N_SOL: {
            std::string name(text);
            if (!HasSeparator(name))
                name = compilationDirectory_ + name;
            Include(std::move(name), e.value);
            return LDR_OK;
        }
        case N_EINCL: current_ = main_; return LDR_OK;
        default: return LDR_OK;
        }
    }

    uint32_t EntryPlace(const StabEntry& e) const { return e.strx; }

    LdrResult Function(const StabEntry& e, std::string_view text)
    {
        const bool thumb = (e.value & 1) != 0;
        functionStart_ = e.value & ~1u;
        return functions_.Begin(text, functionStart_, thumb, e.strx, module_);
    }

    void Include(std::string name, uint32_t start)
    {
        current_ = name;
        if (name == main_)
            return;
        for (const IncludeFile& f : includes_)
            if (f.name == name)
                return;
        includes_.push_back({std::move(name), start});
    }

    LdrResult Line(uint32_t line, uint32_t address)
    {
        functions_.SeeLine(address);
        // Code of another file begins: the rows of the file left end here.
        if (!lastFile_.empty() && lastFile_ != current_) {
            if (lastFile_ == main_)
                AddRow(0, address);
            else
                deferred_.push_back({0, address, lastFile_});
        }
        lastFile_ = current_;
        if (current_ != main_) {
            deferred_.push_back({line, address, current_});
            return LDR_OK;
        }
        return AddRow(line, address);
    }

    LdrResult AddRow(uint32_t line, uint32_t address)
    {
        if (module_ == 0)
            return LDR_OK;
        if (!lineOpen_) {
            lineOpen_ = cx_.records.BeginLineTable(module_);
            if (!lineOpen_)
                return LDR_OK;
        }
        // A row of line 0 only ends the row before it.
        if (line == 0) {
            cx_.records.AddLineRow(0, 0, address);
            return LDR_OK;
        }
        if (cx_.records.AddLineRow(line, 0, address) != LDR_OK)
            return LDR_E_STABS;
        ++cx_.lineRows;
        lowest_ = std::min(lowest_, address);
        highest_ = std::max(highest_, address);
        return LDR_OK;
    }

    LdrResult SourceFile(const StabEntry& e, std::string_view text)
    {
        if (cx_.moduleReached && cx_.moduleReached(cx_.stabFileOffset + e.offset))
            return LDR_E_USER_ABORT;
        if (text.empty()) {
            // The end of a unit: its value is the address after its code.
            if (moduleOpen_ && e.value > 0 && lowest_ != NO_LOW && e.value - 1 > highest_)
                highest_ = e.value - 1;
            LdrResult r = FinishModule();
            functionStart_ = 0;
            // The next unit names its own folder (an assembler's names none).
            compilationDirectory_.clear();
            return r;
        }
        if (EndsInSeparator(text)) {
            compilationDirectory_ = std::string(text);
            return LDR_OK;
        }
        std::string path(text);
        if (!HasSeparator(path))
            path = compilationDirectory_ + path;
        if (LdrResult r = FinishModule(); r != LDR_OK)
            return r;
        // Type numbers count within a compile unit.
        cx_.tables.stabsTypes.clear();
        functionStart_ = 0;
        main_ = current_ = path;
        return OpenModule(path, e.value, e.offset);
    }

    LdrResult OpenModule(const std::string& path, uint32_t start, size_t place)
    {
        lowest_ = start != 0 ? start : NO_LOW;
        highest_ = 0;
        lineOpen_ = false;
        lastFile_.clear();
        module_ = 0;
        SourceFileRecord record;
        record.name = path;
        record.baseName = SplitFileName(path);
        ResolveSourceRecord(record, compilationDirectory_, cx_.imageDirectory);
        const ModuleRecord m{record.baseName, NO_RANGE_START, 0, static_cast<uint32_t>(cx_.stabFileOffset + place),
                             call_.kind == 1 ? 1u : 0u};
        const KnownModule* same = nullptr;
        for (const KnownModule& k : modules_) {
            if (SameText(k.path, path)) {
                if (!same && k.handle != 0)
                    same = &k;
            } else if (SameBaseName(k.path, path) && k.handle != 0) {
                quinar::Symbols().MarkNameShared(k.handle);
            }
        }
        if (same) {
            if (LdrResult r = cx_.records.AddToModule(same->handle, m); r != LDR_OK)
                return r;
            module_ = same->handle;
            moduleOpen_ = true;
            return LDR_OK;
        }
        uint32_t handle = 0;
        const QuinarRecords::Opened opened = cx_.records.OpenModule(m, handle);
        if (opened == QuinarRecords::Opened::Refused)
            return LDR_E_MODULE;
        if (opened == QuinarRecords::Opened::NoHandle)
            return LDR_OK;
        modules_.push_back({path, handle});
        ++added_;
        module_ = handle;
        moduleOpen_ = true;
        record.module = handle;
        cx_.records.SetModuleSourceFile(handle, record.resolvedPath);
        cx_.tables.AddSourceFile(std::move(record));
        return LDR_OK;
    }

    // Closes the open function, line table and module; then the included
    // files' rows go to modules of their own.
    LdrResult FinishModule()
    {
        LdrResult r = functions_.Close();
        if (const CodeRange c = functions_.ModuleCode(); c.low <= c.high) {
            lowest_ = std::min(lowest_, c.low);
            highest_ = std::max(highest_, c.high);
        }
        functions_.ForgetModule();
        types_.SettleAliases();
        functions_.FlushModule();
        CloseModule();
        std::vector<IncludeFile> includes = std::move(includes_);
        std::vector<DeferredLine> deferred = std::move(deferred_);
        includes_.clear();
        deferred_.clear();
        for (const IncludeFile& f : includes) {
            bool any = std::any_of(deferred.begin(), deferred.end(),
                                   [&](const DeferredLine& d) { return d.file == f.name && d.line != 0; });
            if (!any)
                continue;
            if (LdrResult o = OpenModule(f.name, f.start, 0); o != LDR_OK) {
                if (r == LDR_OK)
                    r = o;
                continue;
            }
            lowest_ = NO_LOW;
            for (const DeferredLine& d : deferred)
                if (d.file == f.name)
                    if (LdrResult a = AddRow(d.line, d.address); a != LDR_OK && r == LDR_OK)
                        r = a;
            CloseModule();
        }
        main_.clear();
        current_.clear();
        return r;
    }

    void CloseModule()
    {
        if (lineOpen_) {
            cx_.records.EndLineTable();
            lineOpen_ = false;
        }
        if (!moduleOpen_)
            return;
        cx_.records.CloseModule();
        if (module_ != 0 && lowest_ != NO_LOW)
            cx_.records.SetModuleRange(module_, lowest_, std::max(lowest_, highest_));
        moduleOpen_ = false;
        module_ = 0;
    }

    ReaderCall& call_;
    StabsContext& cx_;
    StabsTypes types_;
    StabsFunctions functions_;
    LdrResult result_ = LDR_OK;
    uint32_t added_ = 0;

    std::vector<KnownModule> modules_;
    std::string compilationDirectory_;
    std::string main_;
    std::string current_;
    uint32_t module_ = 0;
    bool moduleOpen_ = false;
    bool lineOpen_ = false;
    std::string lastFile_;  // the file of the last line row
    uint32_t lowest_ = NO_LOW;
    uint32_t highest_ = 0;
    uint32_t functionStart_ = 0;
    std::vector<IncludeFile> includes_;
    std::vector<DeferredLine> deferred_;
};

}  // namespace

bool SameBaseName(std::string_view a, std::string_view b)
{
    auto base = [](std::string_view p) {
        const size_t cut = p.find_last_of("/\\");
        return cut == std::string_view::npos ? p : p.substr(cut + 1);
    };
    return SameText(base(a), base(b));
}

LdrResult ReadStabsPass(ReaderCall& call, StabsContext& cx)
{
    StabsPass pass(call, cx);
    return pass.Run();
}

}  // namespace tarnel
