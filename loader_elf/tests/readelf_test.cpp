// The headers, sections and segments that the loader reads from images
// compiled by arm-none-eabi-gcc, against readelf's reading of them.
#include <gtest/gtest.h>

#include "host_tools.h"
#include "readelf_parse.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

using zk::test::FixturePath;
using zk::test::RunProcess;

ReadelfSection AsReadelf(const SectionRecord& s)
{
    return {s.name, s.type, s.addr, s.offset, s.size, s.entsize, s.flags, s.link, s.info, s.addralign};
}

ReadelfSegment AsReadelf(const ProgramHeader& p)
{
    return {p.type, p.offset, p.vaddr, p.paddr, p.filesz, p.memsz, p.flags, p.align};
}

class ReadelfTest : public TarnelTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ReadelfTest, HeadersSectionsAndSegmentsEqualReadelf)
{
    const std::string path = FixturePath(GetParam());
    auto r = RunProcess({"arm-none-eabi-readelf", "-W", "-h", "-S", "-l", path});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const ReadelfDump expected = ParseReadelf(r.out);
    ASSERT_FALSE(expected.sections.empty());
    ASSERT_FALSE(expected.segments.empty());

    ASSERT_EQ(LdrLoadWinElf(path.c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    const ElfImage& image = LoadedElfImage();
    const ElfHeader& h = image.header;
    const bool big = expected.header.at("Data").find("big endian") != std::string::npos;
    EXPECT_EQ(LdrIsBigEndian_ELF(), big ? 1 : 0);
    EXPECT_EQ(h.type, expected.header.at("Type").rfind("EXEC", 0) == 0 ? 2 : 0xFFFF);
    EXPECT_EQ(h.machine, expected.header.at("Machine") == "ARM" ? EM_ARM : 0xFFFF);
    EXPECT_EQ(h.version, expected.HeaderNumber("Version"));
    EXPECT_EQ(h.entry, expected.HeaderNumber("Entry point address"));
    EXPECT_EQ(h.phoff, expected.HeaderNumber("Start of program headers"));
    EXPECT_EQ(h.shoff, expected.HeaderNumber("Start of section headers"));
    EXPECT_EQ(h.flags, expected.HeaderNumber("Flags"));
    EXPECT_EQ(h.ehsize, expected.HeaderNumber("Size of this header"));
    EXPECT_EQ(h.phentsize, expected.HeaderNumber("Size of program headers"));
    EXPECT_EQ(h.phnum, expected.HeaderNumber("Number of program headers"));
    EXPECT_EQ(h.shentsize, expected.HeaderNumber("Size of section headers"));
    EXPECT_EQ(h.shnum, expected.HeaderNumber("Number of section headers"));
    EXPECT_EQ(image.nameTableIndex, expected.HeaderNumber("Section header string table index"));

    std::vector<ReadelfSection> sections;
    for (const SectionRecord& s : image.sections)
        sections.push_back(AsReadelf(s));
    std::vector<ReadelfSegment> segments;
    for (const ProgramHeader& p : image.segments)
        segments.push_back(AsReadelf(p));
    ASSERT_EQ(sections.size(), expected.sections.size());
    for (size_t i = 0; i < sections.size(); ++i)
        EXPECT_EQ(sections[i], expected.sections[i]) << "section " << i << " " << expected.sections[i].name;
    EXPECT_EQ(segments, expected.segments);

    ADDR start;
    ASSERT_EQ(LdrGetStartPC_ELF(&start), LDR_OK);
    EXPECT_EQ(start, (ADDR{h.entry, 1}));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ReadelfTest, ::testing::Values("ldr_le", "ldr_be", "ldr_thumb", "ldr_sections"));

// The symbol table of real images comes after the 32nd section header; the
// loader notes it wherever it stands.
TEST_F(TarnelTest, NotesTheSymbolTableBehindTheThirtySecondSection)
{
    const std::string path = FixturePath("ldr_sections");
    auto r = RunProcess({"arm-none-eabi-readelf", "-W", "-S", path});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const ReadelfDump expected = ParseReadelf(r.out);
    ASSERT_GE(expected.sections.size(), 40u);
    ASSERT_EQ(LdrLoadWinElf(path.c_str(), 0, LDR_FLAG_SYMBOLS, nullptr), LDR_OK);
    for (const ReadelfSection& s : expected.sections) {
        if (s.name == ".symtab" || s.name == ".strtab") {
            const NotedSection& noted = State().notes[s.name == ".symtab" ? Noted::Symtab : Noted::Strtab];
            EXPECT_TRUE(noted.present) << s.name;
            EXPECT_EQ(noted.offset, s.offset) << s.name;
            EXPECT_EQ(noted.size, s.size) << s.name;
        }
    }
    EXPECT_EQ(State().notes.debugKind, DEBUG_KIND_DWARF2);
}

// The stack section of the fixtures: top and size from readelf's .stack.
TEST_P(ReadelfTest, TheStackSectionGivesTheStack)
{
    const std::string path = FixturePath(GetParam());
    auto r = RunProcess({"arm-none-eabi-readelf", "-W", "-S", path});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const ReadelfDump expected = ParseReadelf(r.out);
    ASSERT_EQ(LdrLoadWinElf(path.c_str(), 0, 0, nullptr), LDR_OK);
    int top = 0, size = 0, zero = 7, step = 0;
    ASSERT_EQ(LdrGetStack_ELF(&top, &size, &zero, &step), LDR_OK);
    // ".stack", else ".bss", else no stack: the default size on the target's stack pointer.
    auto named = [&](const char* name) -> const ReadelfSection* {
        for (const ReadelfSection& s : expected.sections)
            if (s.name == name)
                return &s;
        return nullptr;
    };
    const ReadelfSection* stack = named(".stack") ? named(".stack") : named(".bss");
    EXPECT_EQ(static_cast<uint32_t>(size), stack ? stack->size : DEFAULT_STACK_SIZE);
    if (stack) {
        EXPECT_EQ(static_cast<uint32_t>(top), stack->addr + stack->size);
    }
    EXPECT_EQ(step, -4);
    EXPECT_EQ(zero, 0);
}

}  // namespace
}  // namespace tarnel::test
