// The header pass over damaged and unusual images: every damage gives its
// result code and nothing is read outside the file.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "elf_reader.h"
#include "elf_writer.h"

namespace tarnel {
namespace {

using test::TestElf;
using test::TestSection;
using test::Words;

TestElf SmallImage(bool big = false)
{
    TestElf elf;
    elf.bigEndian = big;
    elf.segments.push_back({1, 0x8000, 0, Words({0xE3A00001, 0xEF000011}, big)});
    elf.sections.push_back({".text", 1, 6, 0x8000, Words({0xE3A00001, 0xEF000011}, big)});
    elf.sections.push_back({".data", 1, 3, 0x9000, Words({0x11223344}, big)});
    return elf;
}

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = v & 0xFF, b[at + 1] = v >> 8;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Header field offsets of ELF32.
constexpr size_t PHOFF = 28, SHOFF = 32, PHENTSIZE = 42, SHENTSIZE = 46, SHNUM = 48, SHSTRNDX = 50;

TEST(ElfReader, DamagedHeadersAndTablesGiveTheirCodes)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        LdrResult result;
    };
    const Case cases[] = {
        {"intact", [](auto&) {}, LDR_OK},
        {"ELF64 class", [](auto& b) { b[4] = 2; }, LDR_E_NOT_IMAGE},
        {"no class", [](auto& b) { b[4] = 0; }, LDR_E_NOT_IMAGE},
        {"no data encoding", [](auto& b) { b[5] = 0; }, LDR_E_NOT_IMAGE},
        {"data encoding 3", [](auto& b) { b[5] = 3; }, LDR_E_NOT_IMAGE},
        {"cut inside the header", [](auto& b) { b.resize(40); }, LDR_E_READ},
        {"program headers beyond the end", [](auto& b) { Put32(b, PHOFF, 0xFFFFFFF0); }, LDR_E_READ},
        {"program header entries too small", [](auto& b) { Put16(b, PHENTSIZE, 16); }, LDR_E_READ},
        {"section headers beyond the end", [](auto& b) { Put32(b, SHOFF, static_cast<uint32_t>(b.size())); },
         LDR_E_READ},
        {"section header entries too small", [](auto& b) { Put16(b, SHENTSIZE, 20); }, LDR_E_READ},
        {"more sections than the file holds", [](auto& b) { Put16(b, SHNUM, 4000); }, LDR_E_READ},
        {"cut inside the section headers", [](auto& b) { b.resize(b.size() - 10); }, LDR_E_READ},
    };
    const std::vector<uint8_t> intact = SmallImage().Build();
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = intact;
        c.damage(bytes);
        ElfImage image;
        EXPECT_EQ(ReadElfImage(bytes, image), c.result) << c.what;
    }
}

TEST(ElfReader, NamesThatLieOutsideTheirTableStayEmpty)
{
    TestElf::Layout layout;
    std::vector<uint8_t> bytes = SmallImage().Build(&layout);
    ElfImage image;

    // A name table index that names no section: no names, headers still read.
    std::vector<uint8_t> noTable = bytes;
    Put16(noTable, SHSTRNDX, 77);
    ASSERT_EQ(ReadElfImage(noTable, image), LDR_OK);
    ASSERT_EQ(image.sections.size(), 4u);
    for (const SectionRecord& s : image.sections)
        EXPECT_EQ(s.name, "");
    EXPECT_EQ(image.sections[2].addr, 0x9000u);

    // A name offset past the table's end: that name only is empty.
    std::vector<uint8_t> farName = bytes;
    Put32(farName, layout.shoff + 40 * 2, 0x10000);
    ASSERT_EQ(ReadElfImage(farName, image), LDR_OK);
    EXPECT_EQ(image.sections[1].name, ".text");
    EXPECT_EQ(image.sections[2].name, "");

    // The name table itself outside the file is damage.
    std::vector<uint8_t> farTable = bytes;
    Put32(farTable, layout.shoff + 40 * 3 + 16, 0xFFFFFF00);
    EXPECT_EQ(ReadElfImage(farTable, image), LDR_E_READ);
}

// A section or segment whose bytes run past the end of the file is marked
// damaged when the headers are read; the others and NOBITS stay usable.
TEST(ElfReader, SizesRunningPastTheFileMarkTheirSectionDamaged)
{
    TestElf::Layout layout;
    const std::vector<uint8_t> bytes = SmallImage().Build(&layout);
    ElfImage image;
    ASSERT_EQ(ReadElfImage(bytes, image), LDR_OK);
    for (const SectionRecord& s : image.sections)
        EXPECT_FALSE(s.pastEnd) << s.name;
    EXPECT_FALSE(image.segments[0].pastEnd);

    std::vector<uint8_t> damaged = bytes;
    Put32(damaged, layout.shoff + 40 * 1 + 20, 0x7FFFFFFF);  // .text's size
    const uint32_t phoff = damaged[PHOFF] | damaged[PHOFF + 1] << 8;
    Put32(damaged, phoff + 16, 0xFFFFFFF0);  // the segment's file size
    ASSERT_EQ(ReadElfImage(damaged, image), LDR_OK);
    EXPECT_TRUE(image.sections[1].pastEnd);
    EXPECT_EQ(image.sections[1].name, ".text");
    EXPECT_FALSE(image.sections[2].pastEnd);
    EXPECT_TRUE(image.segments[0].pastEnd);

    // A NOBITS section has no file bytes, whatever its size.
    std::vector<uint8_t> bss = damaged;
    Put32(bss, layout.shoff + 40 * 1 + 4, 8);
    ASSERT_EQ(ReadElfImage(bss, image), LDR_OK);
    EXPECT_FALSE(image.sections[1].pastEnd);
}

TEST(ElfReader, ABigEndianImageWith300SectionsIsReadWhole)
{
    TestElf elf = SmallImage(true);
    for (int i = 0; i < 297; ++i)
        elf.sections.push_back({".s" + std::to_string(i), 1, 2, 0x10000u + 4u * i, Words({0xA0000000u + i}, true)});
    elf.sections.push_back({".symtab", 2, 0, 0, Words({0, 0, 0, 0}, true)});
    const std::vector<uint8_t> bytes = elf.Build();
    ElfImage image;
    ASSERT_EQ(ReadElfImage(bytes, image), LDR_OK);
    ASSERT_EQ(image.sections.size(), 302u);
    EXPECT_TRUE(image.header.BigEndian());
    EXPECT_EQ(image.sections[299].name, ".s296");
    EXPECT_EQ(image.sections[299].addr, 0x10000u + 4 * 296);
    EXPECT_EQ(image.sections[300].name, ".symtab");
    EXPECT_EQ(image.sections[300].type, 2u);
    EXPECT_EQ(image.sections[301].name, ".shstrtab");
    EXPECT_EQ(image.nameTableIndex, 301u);
    ASSERT_EQ(image.segments.size(), 1u);
    EXPECT_EQ(image.segments[0].vaddr, 0x8000u);
    EXPECT_EQ(image.header.entry, 0x8000u);
}

// With 0xFF00 sections or more the count and the name table index move to
// section 0; an image that uses that form is read the same way.
TEST(ElfReader, ExtendedSectionNumberingIsFollowed)
{
    TestElf::Layout layout;
    std::vector<uint8_t> bytes = SmallImage().Build(&layout);
    Put16(bytes, SHNUM, 0);
    Put16(bytes, SHSTRNDX, SHN_XINDEX);
    Put32(bytes, layout.shoff + 20, 4);  // section 0: sh_size = the count
    Put32(bytes, layout.shoff + 24, 3);  // sh_link = the name table
    ElfImage image;
    ASSERT_EQ(ReadElfImage(bytes, image), LDR_OK);
    ASSERT_EQ(image.sections.size(), 4u);
    EXPECT_EQ(image.sections[2].name, ".data");
    EXPECT_EQ(image.nameTableIndex, 3u);
}

TEST(ElfReader, DetectsTextRecordsAndFilesOfNoKnownFormat)
{
    struct Case {
        std::string bytes;
        LdrResult result;
        ImageFormat format;
    };
    const Case cases[] = {
        {"S00600004844521B\n", LDR_OK, ImageFormat::TextRecords},
        {"$module\n", LDR_OK, ImageFormat::TextRecords},
        {std::string(60, 'x'), LDR_E_NOT_IMAGE, ImageFormat::Unknown},
        {"short", LDR_E_READ, ImageFormat::Unknown},
        {"", LDR_E_READ, ImageFormat::Unknown},
        {"\x7F"
         "ELF",
         LDR_E_READ, ImageFormat::Unknown},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes(c.bytes.begin(), c.bytes.end());
        ElfHeader header;
        ImageFormat format;
        EXPECT_EQ(DetectImageFormat(bytes, header, format), c.result) << c.bytes;
        EXPECT_EQ(format, c.format) << c.bytes;
    }
}

}  // namespace
}  // namespace tarnel
