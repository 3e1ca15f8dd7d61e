#include "elf_reader.h"

#include <algorithm>
#include <cstring>

#include "byte_cursor.h"

namespace tarnel {
namespace {

// A table of count entries of entrySize bytes at offset lies in the file.
bool TableFits(std::span<const uint8_t> file, uint64_t offset, uint64_t count, uint64_t entrySize)
{
    return offset <= file.size() && count * entrySize <= file.size() - offset;
}

SectionRecord ReadSectionHeader(ByteCursor& c)
{
    SectionRecord s;
    s.nameOffset = c.U32();
    s.type = c.U32();
    s.flags = c.U32();
    s.addr = c.U32();
    s.offset = c.U32();
    s.size = c.U32();
    s.link = c.U32();
    s.info = c.U32();
    s.addralign = c.U32();
    s.entsize = c.U32();
    return s;
}

}  // namespace

bool HasElfMagic(std::span<const uint8_t> file)
{
    return file.size() >= sizeof ELF_MAGIC && std::memcmp(file.data(), ELF_MAGIC, sizeof ELF_MAGIC) == 0;
}

LdrResult ReadElfHeader(std::span<const uint8_t> file, ElfHeader& h)
{
    if (!HasElfMagic(file))
        return LDR_E_NOT_IMAGE;
    if (file.size() < ELF_HEADER_SIZE)
        return LDR_E_READ;
    if (file[EI_CLASS] != ELFCLASS32)
        return LDR_E_NOT_IMAGE;
    if (file[EI_DATA] != ELFDATA2LSB && file[EI_DATA] != ELFDATA2MSB)
        return LDR_E_NOT_IMAGE;
    h = ElfHeader{};
    std::memcpy(h.ident, file.data(), EI_NIDENT);
    ByteCursor c(file.subspan(EI_NIDENT, ELF_HEADER_SIZE - EI_NIDENT), h.BigEndian(), "ELF header", EI_NIDENT);
    h.type = c.U16();
    h.machine = c.U16();
    h.version = c.U32();
    h.entry = c.U32();
    h.phoff = c.U32();
    h.shoff = c.U32();
    h.flags = c.U32();
    h.ehsize = c.U16();
    h.phentsize = c.U16();
    h.phnum = c.U16();
    h.shentsize = c.U16();
    h.shnum = c.U16();
    h.shstrndx = c.U16();
    return LDR_OK;
}

LdrResult DetectImageFormat(std::span<const uint8_t> file, ElfHeader& header, ImageFormat& format)
{
    format = ImageFormat::Unknown;
    if (HasElfMagic(file)) {
        LdrResult r = ReadElfHeader(file, header);
        if (r == LDR_OK)
            format = ImageFormat::Elf;
        return r;
    }
    if (!file.empty() && (file[0] == 'S' || file[0] == '$')) {
        format = ImageFormat::TextRecords;
        return LDR_OK;
    }
    // Too short to hold an ELF header: the header read fails first.
    return file.size() < ELF_HEADER_SIZE ? LDR_E_READ : LDR_E_NOT_IMAGE;
}

LdrResult ReadProgramHeaders(std::span<const uint8_t> file, const ElfHeader& h, std::vector<ProgramHeader>& segments)
{
    segments.clear();
    if (h.phnum == 0)
        return LDR_OK;
    if (h.phentsize < PROGRAM_HEADER_SIZE || !TableFits(file, h.phoff, h.phnum, h.phentsize))
        return LDR_E_READ;
    segments.reserve(h.phnum);
    for (uint32_t i = 0; i < h.phnum; ++i) {
        ByteCursor c(file.subspan(h.phoff + uint64_t{i} * h.phentsize, PROGRAM_HEADER_SIZE), h.BigEndian(),
                     "program headers");
        ProgramHeader p;
        p.type = c.U32();
        p.offset = c.U32();
        p.vaddr = c.U32();
        p.paddr = c.U32();
        p.filesz = c.U32();
        p.memsz = c.U32();
        p.flags = c.U32();
        p.align = c.U32();
        p.pastEnd = p.filesz != 0 && !TableFits(file, p.offset, p.filesz, 1);
        segments.push_back(p);
    }
    return LDR_OK;
}

LdrResult ReadSectionHeaders(std::span<const uint8_t> file, const ElfHeader& h, std::vector<SectionRecord>& sections,
                             uint32_t* nameTableIndex)
{
    sections.clear();
    if (nameTableIndex)
        *nameTableIndex = 0;
    if (h.shoff == 0 || (h.shnum == 0 && h.shentsize == 0))
        return LDR_OK;
    if (h.shentsize < SECTION_HEADER_SIZE || !TableFits(file, h.shoff, 1, h.shentsize))
        return LDR_E_READ;

    const bool big = h.BigEndian();
    auto headerAt = [&](uint64_t i) {
        ByteCursor c(file.subspan(h.shoff + i * h.shentsize, SECTION_HEADER_SIZE), big, "section headers");
        return ReadSectionHeader(c);
    };
    // Extended numbering keeps the real count and name table index in section 0.
    const SectionRecord first = headerAt(0);
    uint64_t count = h.shnum != 0 ? h.shnum : first.size;
    uint64_t names = h.shstrndx == SHN_XINDEX ? first.link : h.shstrndx;
    if (!TableFits(file, h.shoff, count, h.shentsize))
        return LDR_E_READ;

    sections.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        sections.push_back(headerAt(i));
        SectionRecord& s = sections.back();
        s.pastEnd = s.type != SHT_NOBITS && s.size != 0 && !TableFits(file, s.offset, s.size, 1);
    }

    if (names == 0 || names >= count)
        return LDR_OK;
    const SectionRecord& table = sections[names];
    if (table.type == SHT_NOBITS || !TableFits(file, table.offset, table.size, 1)) {
        sections.clear();
        return LDR_E_READ;
    }
    if (nameTableIndex)
        *nameTableIndex = static_cast<uint32_t>(names);
    const auto text = file.subspan(table.offset, table.size);
    for (SectionRecord& s : sections) {
        if (s.nameOffset >= text.size())
            continue;
        const auto rest = text.subspan(s.nameOffset);
        const auto end = std::find(rest.begin(), rest.end(), uint8_t{0});
        s.name.assign(reinterpret_cast<const char*>(rest.data()), static_cast<size_t>(end - rest.begin()));
    }
    return LDR_OK;
}

LdrResult ReadElfImage(std::span<const uint8_t> file, ElfImage& image)
{
    image = ElfImage{};
    if (LdrResult r = ReadElfHeader(file, image.header); r != LDR_OK)
        return r;
    if (LdrResult r = ReadProgramHeaders(file, image.header, image.segments); r != LDR_OK)
        return r;
    return ReadSectionHeaders(file, image.header, image.sections, &image.nameTableIndex);
}

}  // namespace tarnel
