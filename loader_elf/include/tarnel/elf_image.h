// ELF32 as tarnel reads it: the identification bytes, the file header, the
// program and section header records in file order, and the constants of
// the format that the loader acts on. LoadedElfImage gives the headers of
// the image that LdrLoadWinElf read last, for the developer tools, and
// LoadMessages what its readers found damaged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnel {

inline constexpr uint8_t ELF_MAGIC[4] = {0x7F, 'E', 'L', 'F'};
inline constexpr uint8_t ELFCLASS32 = 1;
inline constexpr uint8_t ELFDATA2LSB = 1;
inline constexpr uint8_t ELFDATA2MSB = 2;
inline constexpr size_t EI_CLASS = 4;
inline constexpr size_t EI_DATA = 5;
inline constexpr size_t EI_NIDENT = 16;

inline constexpr uint32_t ELF_HEADER_SIZE = 52;
inline constexpr uint32_t PROGRAM_HEADER_SIZE = 32;
inline constexpr uint32_t SECTION_HEADER_SIZE = 40;
inline constexpr uint32_t SYMBOL_SIZE = 16;

inline constexpr uint16_t EM_ARM = 40;

inline constexpr uint32_t SHT_NOBITS = 8;
inline constexpr uint32_t SHF_WRITE = 0x1;
inline constexpr uint32_t SHF_ALLOC = 0x2;
inline constexpr uint32_t SHF_EXECINSTR = 0x4;

// Extended section numbering: with 0xFF00 sections or more, the count and
// the name table index live in section 0 (sh_size and sh_link).
inline constexpr uint16_t SHN_XINDEX = 0xFFFF;
inline constexpr uint16_t SHN_LORESERVE = 0xFF00;

struct ElfHeader {
    uint8_t ident[EI_NIDENT] = {};
    uint16_t type = 0;
    uint16_t machine = 0;
    uint32_t version = 0;
    uint32_t entry = 0;
    uint32_t phoff = 0;
    uint32_t shoff = 0;
    uint32_t flags = 0;
    uint16_t ehsize = 0;
    uint16_t phentsize = 0;
    uint16_t phnum = 0;
    uint16_t shentsize = 0;
    uint16_t shnum = 0;
    uint16_t shstrndx = 0;

    bool BigEndian() const { return ident[EI_DATA] == ELFDATA2MSB; }
};

// The eight words of an ELF32 program header.
struct ProgramHeader {
    uint32_t type = 0;
    uint32_t offset = 0;
    uint32_t vaddr = 0;
    uint32_t paddr = 0;
    uint32_t filesz = 0;
    uint32_t memsz = 0;
    uint32_t flags = 0;
    uint32_t align = 0;
    bool pastEnd = false;  // damaged: its file bytes run past the end of the file, never read
};

// The ten words of an ELF32 section header and the section's name.
struct SectionRecord {
    uint32_t nameOffset = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    uint32_t addr = 0;
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t link = 0;
    uint32_t info = 0;
    uint32_t addralign = 0;
    uint32_t entsize = 0;
    std::string name;
    bool pastEnd = false;  // damaged: its file bytes run past the end of the file, never read
};

// What the header pass read of one image.
struct ElfImage {
    ElfHeader header;
    std::vector<ProgramHeader> segments;
    std::vector<SectionRecord> sections;
    // The name table index after extended numbering.
    uint32_t nameTableIndex = 0;
};

// The headers of the last image LdrLoadWinElf read (its sections are gone
// after a failed load with mode 0, which frees the section table).
const ElfImage& LoadedElfImage();

// The readers' messages about damaged debug information of the last load
// ("<file>: <section>+0x<offset>: <what>").
const std::vector<std::string>& LoadMessages();

}  // namespace tarnel
