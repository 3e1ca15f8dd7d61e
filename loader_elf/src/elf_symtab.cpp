#include "elf_symtab.h"

#include <platform/paths.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "code_ranges.h"
#include "load_state.h"
#include "quinar/symbol_store.h"
#include "source_paths.h"

namespace tarnel {
namespace {

// ELF symbol types (the low four bits of st_info).
constexpr uint8_t STT_NOTYPE = 0;
constexpr uint8_t STT_OBJECT = 1;
constexpr uint8_t STT_FUNC = 2;
constexpr uint8_t STT_FILE = 4;
constexpr uint8_t STT_ARM_TFUNC = 13;  // Thumb function of the pre-EABI ARM tools

// Entries between two progress reports and Esc polls.
constexpr uint32_t PROGRESS_BATCH = 1024;

// The module descriptor of a module reopened at its FILE symbol: section
// word 2 and no code range (a FILE symbol's value is no address, and a
// range at 0 would stretch the module over the vectors).
constexpr SymModuleDesc FILE_MODULE_DESC{2, 0xFFFFFFFF, 0};

quinar::SymbolStore& Store()
{
    return quinar::Symbols();
}

struct ElfSymbol {
    uint32_t nameOffset = 0;
    uint32_t value = 0;
    uint32_t size = 0;
    uint8_t info = 0;
    uint8_t other = 0;
    uint16_t section = 0;
    std::string name;

    uint8_t Type() const { return info & 0x0F; }
    // A code symbol's address; bit 0 of an EABI function marks Thumb code.
    uint32_t CodeAddress() const { return value & ~1u; }
    bool ThumbBit() const { return (value & 1) != 0; }
};

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// "$" names are mapping and tool symbols, "x$" names the ARM tools' own.
bool IsPlainName(std::string_view name)
{
    return !StartsWith(name, "$") && !StartsWith(name, "x$");
}

// The class of a member function's qualified name ("Point::move" gives
// "Point"); a name without "::" stands for its class itself.
std::string ClassOf(const std::string& qualified)
{
    const size_t cut = qualified.rfind("::");
    return cut == std::string::npos ? qualified : qualified.substr(0, cut);
}

class SymtabPass {
public:
    SymtabPass(ReaderCall& call, SymtabContext& cx)
        : cx_(cx), t_(cx.tables), call_(call), ranges_(cx.ranges), open_(cx.open),
          armTools_(cx.compilerKind == COMPILER_ARM)
    {}

    LdrResult Run()
    {
        const NotedSection& symtab = cx_.notes[Noted::Symtab];
        const NotedSection& strtab = cx_.notes[Noted::Strtab];
        ByteCursor entries = call_.file.Cursor(symtab.offset, symtab.size, cx_.bigEndian, ".symtab");
        strings_ = call_.file.Range(strtab.offset, strtab.size);

        uint32_t count = 0;
        while (entries.Remaining() >= SYMBOL_SIZE) {
            ElfSymbol symbol;
            symbol.nameOffset = entries.U32();
            symbol.value = entries.U32();
            symbol.size = entries.U32();
            symbol.info = entries.U8();
            symbol.other = entries.U8();
            symbol.section = entries.U16();
            if (LdrResult r = OnSymbol(symbol); r != LDR_OK)
                return r;
            if (++count % PROGRESS_BATCH == 0 && cx_.batchRead(uint64_t{symtab.offset} + entries.Offset()))
                return LDR_E_USER_ABORT;
        }
        if (LdrResult r = CloseModule(); r != LDR_OK)
            return r;
        cx_.tableRead(uint64_t{symtab.offset} + symtab.size);
        return LDR_OK;
    }

private:
    LdrResult OnSymbol(ElfSymbol& symbol)
    {
        if (symbol.nameOffset == 0 || !ReadName(symbol))
            return LDR_OK;
        const std::string& name = symbol.name;
        if (StartsWith(name, "BuildAttributes") || name == "!!!")
            return LDR_OK;
        const std::optional<CodeState> mapping = MappingSymbolState(name);
        if (armTools_ && StartsWith(name, "$")) {
            if (mapping == CodeState::Arm)
                ranges_.AddArmStart(symbol.value);
            else if (mapping == CodeState::Thumb)
                ranges_.AddThumbStart(symbol.value);
            else
                return LDR_OK;
        } else if (mapping) {
            ranges_.AddMappingSymbol(symbol.value, *mapping, SectionLast(symbol.section));
        }

        switch (symbol.Type()) {
        case STT_NOTYPE:
            if (name != ".gcc2_compiled.")
                Store().AddLabel(name, symbol.value);
            return LDR_OK;
        case STT_OBJECT: OnObject(symbol); return LDR_OK;
        case STT_FUNC: OnFunction(symbol); return LDR_OK;
        case STT_FILE: return OnFile(symbol);
        case STT_ARM_TFUNC: OnThumbFunction(symbol); return LDR_OK;
        default: return LDR_OK;
        }
    }

    // The name from the string table; an offset outside the table names
    // nothing (the symbol is passed over), a name that runs to the table's
    // end is cut there.
    bool ReadName(ElfSymbol& symbol)
    {
        if (symbol.nameOffset >= strings_.size())
            return false;
        const std::string_view rest(reinterpret_cast<const char*>(strings_.data()) + symbol.nameOffset,
                                    strings_.size() - symbol.nameOffset);
        symbol.name = rest.substr(0, rest.find('\0'));
        return !symbol.name.empty();
    }

    // The last byte of an allocated section, for the reach of a mapping symbol.
    uint32_t SectionLast(uint16_t index) const
    {
        const std::vector<SectionRecord>& sections = cx_.image.sections;
        if (index == 0 || index >= SHN_LORESERVE || index >= sections.size() || sections[index].size == 0)
            return 0xFFFFFFFFu;
        const SectionRecord& section = sections[index];
        const uint64_t last = uint64_t{section.addr} + section.size - 1;
        return last > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(last);
    }

    void OnObject(const ElfSymbol& symbol)
    {
        const std::string& name = symbol.name;
        auto external = t_.externalVariables.find(name);
        if (symbol.value != 0 && external != t_.externalVariables.end()) {
            const uint32_t handle = external->second.symbolHandle;
            uint32_t size = symbol.size;
            if (size == 0) {
                const quinar::Result<quinar::SymbolDetails> details = Store().Details(handle);
                const uint32_t start = details ? details->start : 0;
                const uint32_t end = details ? details->end : 0;
                size = end - start;
                if (start == symbol.value)
                    return;
            }
            if (handle != 0)
                Store().SetRange(handle, SymRange{symbol.value, symbol.value + size, 1, 1});
            return;
        }
        if (!IsPlainName(name))
            return;
        if (symbol.size == 0) {
            Store().AddLabel(name, symbol.value);
            return;
        }
        // Data that no debug record describes (errno, a library's statics,
        // objects built without -g) is still found by name, at its address.
        if (symbol.value != 0 && !DescribedAt(name, symbol.value))
            Store().AddDataLabel(symbol.value, name, 0, symbol.section, symbol.value);
    }

    // True when the debug information holds a variable of this name at the
    // address (a file's static: no external record, but the same data).
    static bool DescribedAt(const std::string& name, uint32_t address)
    {
        const quinar::Result<uint32_t> known = Store().LookupNamedSymbol(0, name);
        if (!known)
            return false;
        const quinar::Result<quinar::SymbolDetails> details = Store().Details(*known);
        return details && details->kind == SYM_KIND_VARIABLE && details->start == address;
    }

    void OnFunction(const ElfSymbol& symbol)
    {
        const std::string& name = symbol.name;
        const uint32_t code = symbol.CodeAddress();
        const uint32_t last = symbol.size == 0 ? code : code + symbol.size - 1;
        if (armTools_) {
            if (!StartsWith(name, "$")) {
                if (symbol.ThumbBit())
                    ranges_.AddThumbStart(code);
                else
                    ranges_.AddArmStart(code);
            }
        } else if (symbol.size != 0) {
            ranges_.AddFunction(code, last, symbol.ThumbBit());
        }

        if (symbol.size == 0 && IsPlainName(name)) {
            Store().AddLabel(name, code);
            return;
        }
        if (auto member = t_.memberNames.find(name); member != t_.memberNames.end()) {
            // Every member function widens its class's range.
            const std::string className = ClassOf(member->second);
            auto [it, added] = t_.classRanges.try_emplace(className, ClassRange{code, last});
            if (!added) {
                it->second.low = std::min(it->second.low, code);
                it->second.high = std::max(it->second.high, last);
            }
            SetFunctionRange(symbol, code, last);
            return;
        }
        if (SetFunctionRange(symbol, code, last))
            return;
        if (IsPlainName(name))
            Store().AddLabel(name, code);
    }

    // True when a reader registered the function by this name.
    bool SetFunctionRange(const ElfSymbol& symbol, uint32_t code, uint32_t last)
    {
        auto global = t_.globalNames.find(symbol.name);
        if (global == t_.globalNames.end())
            return false;
        const uint32_t handle = Store().LookupNamedSymbol(global->second.symbolHandle, symbol.name).value;
        if (handle != 0)
            Store().SetRange(handle, SymRange{code, last, 1, 1});
        return true;
    }

    void OnThumbFunction(const ElfSymbol& symbol)
    {
        const std::string& name = symbol.name;
        const uint32_t code = symbol.CodeAddress();
        if ((symbol.size == 0 || !open_.moduleOpen) && IsPlainName(name))
            Store().AddLabel(name, code);
        if (armTools_) {
            if (!StartsWith(name, "$"))
                ranges_.AddThumbStart(code);
        } else if (symbol.size != 0) {
            t_.dwarf1ThumbRanges.push_back({code, code + symbol.size - 1});
        }
    }

    LdrResult OnFile(const ElfSymbol& symbol)
    {
        if (LdrResult r = CloseModule(); r != LDR_OK)
            return r;
        const UnitRange* unit = FindUnit(symbol.name);
        if (!unit)
            return LDR_OK;
        open_.module = unit->module;
        const std::string baseName = SplitFileName(symbol.name);
        quinar::ModuleOpening how;
        how.stamp = cx_.stamp;
        how.range = FILE_MODULE_DESC;
        how.position = 0;
        how.kind = call_.loadFlag;
        const SymResult r = Store().ReopenModule(open_.module, baseName, how);
        if (r != SYM_OK)
            return static_cast<LdrResult>(r);
        open_.moduleOpen = true;
        return LDR_OK;
    }

    // The unit of a FILE symbol: the one of that path, or, for a bare file
    // name (today's GNU tools write no directory there), the first unit of
    // that file name. Names compare without regard to case.
    const UnitRange* FindUnit(const std::string& name) const
    {
        const bool bare = name.find_first_of("/\\") == std::string::npos;
        const UnitRange* sameFile = nullptr;
        for (const UnitRange& u : t_.units) {
            if (u.module == 0)
                continue;
            if (platform::EqualNoCase(u.name, name))
                return &u;
            const size_t cut = u.name.find_last_of("/\\");
            if (bare && !sameFile && cut != std::string::npos && platform::EqualNoCase(u.name.substr(cut + 1), name))
                sameFile = &u;
        }
        return sameFile;
    }

    LdrResult CloseModule()
    {
        if (!open_.moduleOpen)
            return LDR_OK;
        if (open_.symbolBlockOpen) {
            open_.symbolBlockOpen = false;
            if (Store().EndSymbolBlock() != SYM_OK)
                return LDR_E_SYMBOL_CALL;
        }
        Store().CloseModule();
        open_.moduleOpen = false;
        return LDR_OK;
    }

    SymtabContext& cx_;
    LoaderTables& t_;
    ReaderCall& call_;
    CodeRanges& ranges_;
    OpenModuleState& open_;
    const bool armTools_;
    std::span<const uint8_t> strings_;
};

}  // namespace

OpenModuleState& SharedModuleState()
{
    static OpenModuleState state;
    return state;
}

LdrResult ReadSymtabPass(ReaderCall& call, SymtabContext& cx)
{
    // Cleared whether or not the image has symbols: an image without them
    // must not answer with the tables of the image before it.
    cx.ranges.Clear();
    cx.open.moduleOpen = false;
    if (!cx.notes[Noted::Symtab].present)
        return LDR_OK;
    const LdrResult result = SymtabPass(call, cx).Run();
    cx.tables.stabsTypes.clear();
    *call.moduleCount = static_cast<uint32_t>(cx.tables.units.size());
    return result;
}

void SortThumbTables()
{
    LoadedCodeRanges().Sort(State().tables.dwarf1ThumbRanges);
}

}  // namespace tarnel
