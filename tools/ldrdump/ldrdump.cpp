// ldrdump: loads an image through the loader front end (LdrLoadWin: ELF
// images through tarnel, S-record and IEEE-695 files by the front end itself) into
// quinar and prints what was loaded. The headers print in the columns of
// `readelf -W -h -S -l`, so that the two can be compared line by line; the
// symbol-library parts print the rows quinar holds; --code prints the ARM
// and Thumb runs of the executable sections as LdrIsInThumbRange answers
// them, --frames the FDEs of .debug_frame with the registers they save.
// --types prints each type with its members, enumerators, class slots and
// parameters; --functions each function with its frame base, parameters
// and locals (location words and the image's location description).
// --type-text prints every type number of those parts as the type's
// detailed text, so that listings of images whose types are numbered
// differently (DWARF 1 and DWARF 2 of one program) compare.
// What the readers found damaged goes to stderr.
//
//   ldrdump [--sections] [--symbols] [--lines] [--types] [--functions]
//           [--type-text] [--code] [--frames] [--download [--big-endian-target]]
//           [--mode=N] [--flags=N] image
//
// --mode and --flags give LdrLoadWin's mode (1 unless given; an IEEE-695
// module's source lines need 0) and load flags (LDR_LOAD_SYMBOLS unless
// given; 0x800 reads an IEEE-695 module's public names), decimal or 0x hex.
//
// Without a part named, every part prints (the ELF parts only for ELF
// images). --download connects the simulator library (Dorvel.dll, found in
// the program's folder or in $ZK_MODULE_DIR) and downloads the program
// segments (or the S-records) as well.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "falcrest.h"
#include "ldr_result_text.h"
#include "quentor.h"
#include "quentor/load_messages.h"
#include "quinar/listing.h"
#include "quinar/symbol_store.h"
#include "tarnel.h"
#include "tarnel/elf_image.h"
#include "tarnel/loaded_tables.h"
#include "vexlor/vexlor.h"

namespace {

using tarnel::ElfImage;

const char* SectionTypeName(uint32_t type)
{
    switch (type) {
    case 0: return "NULL";
    case 1: return "PROGBITS";
    case 2: return "SYMTAB";
    case 3: return "STRTAB";
    case 4: return "RELA";
    case 5: return "HASH";
    case 6: return "DYNAMIC";
    case 7: return "NOTE";
    case 8: return "NOBITS";
    case 9: return "REL";
    case 14: return "INIT_ARRAY";
    case 15: return "FINI_ARRAY";
    case 0x70000001: return "ARM_EXIDX";
    case 0x70000003: return "ARM_ATTRIBUTES";
    default: return nullptr;
    }
}

const char* SegmentTypeName(uint32_t type)
{
    switch (type) {
    case 0: return "NULL";
    case 1: return "LOAD";
    case 2: return "DYNAMIC";
    case 3: return "INTERP";
    case 4: return "NOTE";
    case 6: return "PHDR";
    case 7: return "TLS";
    case 0x70000001: return "EXIDX";
    case 0x6474E551: return "GNU_STACK";
    case 0x6474E552: return "GNU_RELRO";
    default: return nullptr;
    }
}

std::string TypeText(const char* name, uint32_t type)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", type);
    return name ? name : text;
}

// readelf's letters for sh_flags, lowest bit first.
std::string FlagLetters(uint32_t flags)
{
    static const std::pair<uint32_t, char> letters[] = {
        {0x1, 'W'},   {0x2, 'A'},   {0x4, 'X'},   {0x10, 'M'},  {0x20, 'S'},       {0x40, 'I'},       {0x80, 'L'},
        {0x100, 'O'}, {0x200, 'G'}, {0x400, 'T'}, {0x800, 'C'}, {0x80000000, 'E'}, {0x20000000, 'y'},
    };
    std::string text;
    for (const auto& [bit, letter] : letters)
        if (flags & bit)
            text += letter;
    return text;
}

const char* FileType(uint16_t type)
{
    switch (type) {
    case 1: return "REL (Relocatable file)";
    case 2: return "EXEC (Executable file)";
    case 3: return "DYN (Shared object file)";
    case 4: return "CORE (Core file)";
    default: return "NONE (None)";
    }
}

void PrintHeaders(const ElfImage& image)
{
    const tarnel::ElfHeader& h = image.header;
    std::printf("ELF Header:\n");
    std::printf("  Data:                              2's complement, %s endian\n", h.BigEndian() ? "big" : "little");
    std::printf("  Type:                              %s\n", FileType(h.type));
    if (h.machine == tarnel::EM_ARM)
        std::printf("  Machine:                           ARM\n");
    else
        std::printf("  Machine:                           %u\n", h.machine);
    std::printf("  Version:                           0x%x\n", h.version);
    std::printf("  Entry point address:               0x%x\n", h.entry);
    std::printf("  Start of program headers:          %u (bytes into file)\n", h.phoff);
    std::printf("  Start of section headers:          %u (bytes into file)\n", h.shoff);
    std::printf("  Flags:                             0x%x\n", h.flags);
    std::printf("  Size of this header:               %u (bytes)\n", h.ehsize);
    std::printf("  Size of program headers:           %u (bytes)\n", h.phentsize);
    std::printf("  Number of program headers:         %u\n", h.phnum);
    std::printf("  Size of section headers:           %u (bytes)\n", h.shentsize);
    std::printf("  Number of section headers:         %u\n", h.shnum);
    std::printf("  Section header string table index: %u\n\n", image.nameTableIndex);

    std::printf("Section Headers:\n");
    std::printf("  [Nr] Name              Type            Addr     Off    Size   ES Flg Lk Inf Al\n");
    for (size_t i = 0; i < image.sections.size(); ++i) {
        const tarnel::SectionRecord& s = image.sections[i];
        std::printf("  [%2zu] %-17s %-15s %08x %06x %06x %02x %3s %2u %3u %2u\n", i, s.name.c_str(),
                    TypeText(SectionTypeName(s.type), s.type).c_str(), s.addr, s.offset, s.size, s.entsize,
                    FlagLetters(s.flags).c_str(), s.link, s.info, s.addralign);
    }
    std::printf("Key to Flags: W write, A alloc, X execute, M merge, S strings, I info, L link order,\n"
                "  O OS-specific, G group, T TLS, C compressed, E exclude, y pure code\n\n");

    std::printf("Program Headers:\n");
    std::printf("  Type           Offset   VirtAddr   PhysAddr   FileSiz MemSiz  Flg Align\n");
    for (const tarnel::ProgramHeader& p : image.segments) {
        std::printf("  %-14s 0x%06x 0x%08x 0x%08x 0x%05x 0x%05x %c%c%c 0x%x\n",
                    TypeText(SegmentTypeName(p.type), p.type).c_str(), p.offset, p.vaddr, p.paddr, p.filesz, p.memsz,
                    (p.flags & 4) ? 'R' : ' ', (p.flags & 2) ? 'W' : ' ', (p.flags & 1) ? 'E' : ' ', p.align);
    }
    std::printf("\n");
}

// The instruction-set runs of every executable section.
void PrintCode(const ElfImage& image)
{
    std::printf("Code:\n");
    for (const tarnel::SectionRecord& s : image.sections) {
        if (!(s.flags & tarnel::SHF_EXECINSTR) || s.size == 0)
            continue;
        if (s.pastEnd) {
            std::printf("  %s damaged: runs past the end of the file, not read\n", s.name.c_str());
            continue;
        }
        std::printf("  %s %08x-%08x\n", s.name.c_str(), s.addr, s.addr + s.size - 1);
        for (const tarnel::CodeSpan& span : tarnel::CodeSpansOver(s.addr, s.addr + s.size - 1))
            std::printf("    %-5s %08x-%08x\n", span.thumb ? "thumb" : "arm", span.first, span.last);
    }
    std::printf("\n");
}

void PrintFrames()
{
    const std::vector<tarnel::FdeSummary> fdes = tarnel::LoadedFdes();
    std::printf("Frames (%zu):\n", fdes.size());
    for (const tarnel::FdeSummary& f : fdes) {
        std::printf("  fde %08x-%08x cie %08x saves", f.first, f.last, f.cieOffset);
        for (uint32_t r : f.savedRegisters)
            std::printf(" r%u", r);
        std::printf("\n");
    }
    std::printf("\n");
}

// The title counts the records; their items are the indented rows.
void PrintRows(const char* title, const std::vector<std::string>& rows)
{
    const auto records =
        std::count_if(rows.begin(), rows.end(), [](const std::string& r) { return r.rfind("  ", 0) != 0; });
    std::printf("%s (%zu):\n", title, static_cast<size_t>(records));
    for (const std::string& row : rows)
        std::printf("  %s\n", row.c_str());
    std::printf("\n");
}

// The type's detailed text in braces, or the number when the store has no
// text for it.
std::string TypeWord(const std::string& number)
{
    char* end = nullptr;
    const unsigned long index = std::strtoul(number.c_str(), &end, 16);
    if (number.empty() || *end != '\0')
        return number;
    const quinar::Result<std::string> text = quinar::Symbols().TypeText(static_cast<uint32_t>(index));
    return text ? "{" + text.value + "}" : number;
}

// Rows with each type number (a type row's leading index; the word after
// "type", "to", "of", "returns") as its text.
std::vector<std::string> WithTypeTexts(std::vector<std::string> rows, bool leadingIndex)
{
    static const char* const KEYS[] = {"type", "to", "of", "returns"};
    for (std::string& row : rows) {
        std::vector<std::string> words;
        size_t at = 0;
        while (at <= row.size()) {
            const size_t space = std::min(row.find(' ', at), row.size());
            words.push_back(row.substr(at, space - at));
            at = space + 1;
        }
        for (size_t i = 0; i < words.size(); ++i) {
            const bool afterKey = i > 0 &&
                std::any_of(std::begin(KEYS), std::end(KEYS), [&](const char* k) { return words[i - 1] == k; });
            if (afterKey || (leadingIndex && i == 0 && !words[0].empty()))
                words[i] = TypeWord(words[i]);
        }
        std::string joined;
        for (size_t i = 0; i < words.size(); ++i)
            joined += (i ? " " : "") + words[i];
        row = joined;
    }
    return rows;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: ldrdump [--sections] [--symbols] [--lines] [--types] [--functions]\n"
                 "               [--type-text] [--code] [--frames] [--download [--big-endian-target]]\n"
                 "               [--mode=N] [--flags=N] image\n");
    return 2;
}

// A decimal or 0x-hexadecimal number, the whole text.
bool ParseNumber(const std::string& text, unsigned& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || v > 0xFFFFFFFFul)
        return false;
    value = static_cast<unsigned>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    bool sections = false, symbols = false, lines = false, types = false, functions = false;
    bool code = false, frames = false, download = false, bigTarget = false, typeText = false;
    const char* path = nullptr;
    unsigned mode = 1;
    unsigned flags = LDR_LOAD_SYMBOLS;
    const std::pair<const char*, bool*> options[] = {
        {"--sections", &sections},  {"--symbols", &symbols},     {"--lines", &lines},
        {"--types", &types},        {"--functions", &functions}, {"--code", &code},
        {"--frames", &frames},      {"--download", &download},   {"--big-endian-target", &bigTarget},
        {"--type-text", &typeText},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto option = std::find_if(std::begin(options), std::end(options), [&](const auto& o) { return a == o.first; });
        if (option != std::end(options))
            *option->second = true;
        else if (a.rfind("--mode=", 0) == 0 && ParseNumber(a.substr(7), mode))
            continue;
        else if (a.rfind("--flags=", 0) == 0 && ParseNumber(a.substr(8), flags))
            continue;
        else if (a.rfind("--", 0) == 0 || path)
            return Usage();
        else
            path = argv[i];
    }
    if (!path)
        return Usage();
    if (!sections && !symbols && !lines && !types && !functions && !code && !frames)
        sections = symbols = lines = types = functions = code = frames = true;

    if (download) {
        if (NewABIDLL(1, "ARM7TDMI", nullptr, "Simulator", 1) != 1) {
            std::fprintf(stderr, "ldrdump: the simulator library cannot be loaded\n");
            return 1;
        }
        InitDLL_CpuServer(0, nullptr, "ARM7TDMI", bigTarget ? 1 : 0);
        flags |= LDR_LOAD_CODE | LDR_FLAG_SEGMENTS;
    }
    const LdrResult result = LdrLoadWin(path, mode, flags, nullptr);
    if (download)
        ExitABIDLL();
    for (const std::string& message : tarnel::LoadMessages())
        std::fprintf(stderr, "ldrdump: %s\n", message.c_str());
    for (const std::string& message : quentor::LoadMessages())
        std::fprintf(stderr, "ldrdump: %s\n", message.c_str());
    if (result != LDR_OK) {
        std::fprintf(stderr, "ldrdump: %s: %s\n", path, LdrResultText(result).c_str());
        return 1;
    }
    const bool elf = LdrFileFormat() == LDR_FORMAT_ELF;
    if (sections && elf)
        PrintHeaders(tarnel::LoadedElfImage());
    if (symbols)
        PrintRows("Symbols", quinar::ListSymbols());
    if (lines)
        PrintRows("Lines", quinar::ListLines());
    if (types) {
        std::vector<std::string> rows = quinar::ListTypesWithItems();
        PrintRows("Types", typeText ? WithTypeTexts(std::move(rows), true) : rows);
    }
    if (functions) {
        std::vector<std::string> rows = quinar::ListFunctionsWithVariables();
        PrintRows("Functions", typeText ? WithTypeTexts(std::move(rows), false) : rows);
    }
    if (code && elf)
        PrintCode(tarnel::LoadedElfImage());
    if (frames && elf)
        PrintFrames();
    return 0;
}
