#include "section_pass.h"

#include <platform/paths.h>

#include "quinar/symbol_store.h"

namespace tarnel {
namespace {

constexpr std::string_view NOTED_NAMES[NOTED_COUNT] = {
    ".debug", ".debug_info", ".debug_abbrev",  ".line",          ".debug_line",  ".symtab",    ".strtab",
    ".stab",  ".stabstr",    ".debug_sfnames", ".debug_srcinfo", ".debug_frame", ".debug_str",
};

// The DWARF 1 reader's code and data sections are found by these names;
// this system's images give none, so the first section (the null section,
// named "") stands for both.
constexpr std::string_view CODE_SECTION_NAME = "";
constexpr std::string_view DATA_SECTION_NAME = "";

constexpr std::string_view STACK_INIT_SYMBOL = "__SP_INIT";
constexpr std::string_view STACK_END_SYMBOL = "__SP_END";

uint32_t SectionAttribute(uint32_t flags)
{
    uint32_t attribute = 0;
    if (flags & SHF_EXECINSTR)
        attribute |= 1;
    if (flags & SHF_WRITE)
        attribute |= 2;
    return attribute;
}

}  // namespace

std::string_view NotedName(Noted which)
{
    return NOTED_NAMES[static_cast<size_t>(which)];
}

void SectionNotes::Clear()
{
    sections = {};
    debugKind = DEBUG_KIND_NONE;
}

LdrResult NoteSections(const ImageFile& file, const ElfImage& image, bool symbolsWanted, SectionNotes& notes,
                       StackNote& stack)
{
    notes.Clear();
    stack.base = 0;
    stack.size = 0;
    for (uint32_t i = 0; i < image.sections.size(); ++i) {
        const SectionRecord& s = image.sections[i];
        if (symbolsWanted && (s.addr != 0 || s.name == ".text"))
            quinar::Symbols().AddSection(s.name, i, SectionAttribute(s.flags));
        for (size_t n = 0; n < NOTED_COUNT; ++n) {
            if (s.name == NOTED_NAMES[n])
                notes.sections[n] = NotedSection{true, s.offset, s.size, s.addr};
        }
        if (s.name == ".debug")
            notes.debugKind = DEBUG_KIND_DWARF1;
        else if (s.name == ".debug_info")
            notes.debugKind = DEBUG_KIND_DWARF2;
        else if (s.name == "stack" || s.name == ".stack" || (s.name == ".bss" && !stack.found))
            stack = StackNote{s.addr, s.size, true};
    }
    // The DWARF 1 reader's sections must be there. An image without
    // section headers has no debug information to read, and its segments
    // still load.
    uint32_t index = 0;
    if (!image.sections.empty()) {
        if (LdrResult r = FindSectionByName(image, CODE_SECTION_NAME, &index); r != LDR_OK)
            return r;
        if (LdrResult r = FindSectionByName(image, DATA_SECTION_NAME, &index); r != LDR_OK)
            return r;
    }
    if (!stack.found && notes.debugKind == DEBUG_KIND_DWARF1)
        FindStackSymbols(file, image.header.BigEndian(), notes[Noted::Symtab], notes[Noted::Strtab], stack);
    return LDR_OK;
}

void FindStackSymbols(const ImageFile& file, bool bigEndian, const NotedSection& symtab, const NotedSection& strtab,
                      StackNote& stack)
{
    if (symtab.size == 0 || strtab.size == 0)
        return;
    const auto names = file.Range(strtab.offset, strtab.size);
    auto nameAt = [&](uint32_t offset) -> std::string_view {
        if (offset >= names.size())
            return {};
        ByteCursor c(names.subspan(offset), false);
        return c.CString();
    };
    ByteCursor symbols = file.Cursor(symtab.offset, symtab.size, bigEndian, ".symtab");
    std::optional<uint32_t> init, end;
    for (uint32_t n = symtab.size / SYMBOL_SIZE; n > 0 && symbols.Ok() && !(init && end); --n) {
        ByteCursor symbol = symbols.Split(SYMBOL_SIZE);
        const std::string_view name = nameAt(symbol.U32());
        const uint32_t value = symbol.U32();
        if (!symbol.Ok())
            break;
        if (!init && name == STACK_INIT_SYMBOL)
            init = value;
        else if (!end && name == STACK_END_SYMBOL)
            end = value;
    }
    // Both ends are needed for a range; with one of them the stack stays unknown.
    if (!init || !end)
        return;
    stack.base = std::min(*init, *end);
    stack.size = std::max(*init, *end) - stack.base;
    stack.found = true;
}

LdrResult FindSectionByName(const ElfImage& image, std::string_view name, uint32_t* index)
{
    *index = 0;
    for (uint32_t i = 0; i < image.sections.size(); ++i) {
        if (platform::EqualNoCase(image.sections[i].name, std::string(name))) {
            *index = i;
            return LDR_OK;
        }
    }
    return LDR_E_NO_SECTION;
}

}  // namespace tarnel
