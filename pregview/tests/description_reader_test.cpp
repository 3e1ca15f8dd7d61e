// Loading a description from the hand-written CFG and PCF fixtures, and one
// broken variant per rule with its exact status and message.
#include <gtest/gtest.h>

#include "description_files.h"
#include "halvek.h"

namespace halvek {
namespace {

using test::DescriptionFiles;

std::vector<std::string> RegisterNames(const Group& g)
{
    std::vector<std::string> names;
    for (const Register& r : g.registers)
        names.push_back(r.name);
    return names;
}

TEST(DescriptionReader, LoadsTheFamilyOneFixture)
{
    DescriptionFiles files = DescriptionFiles::Fixtures();
    Description d;
    ASSERT_EQ(LoadDescription(d, files.Context("ARM7TDMI")), 0u) << d.errorText;
    EXPECT_TRUE(d.loaded);
    EXPECT_TRUE(d.rangesComputed);
    EXPECT_EQ(d.currentBase, 0x3FF0000u);
    EXPECT_EQ(d.fileBase, 0x3FF0000u);
    ASSERT_EQ(files.baseCalls.size(), 1u);
    EXPECT_EQ(files.baseCalls[0].current, 0x3FF0000u);
    EXPECT_EQ(files.baseCalls[0].reset, 0x3FF0000u);
    EXPECT_EQ(files.baseCalls[0].flag, 1);
    EXPECT_EQ(files.baseCalls[0].mask, 0x3FF0000u);

    ASSERT_EQ(d.groups.size(), 3u);
    const Group& sys = d.groups[0];
    EXPECT_EQ(sys.name, "SYSCFG");
    EXPECT_EQ(sys.file, "PCF\\SYSCFG.PCF");
    EXPECT_EQ(sys.first, 0x3FF0000u);
    EXPECT_EQ(sys.last, 0x3FF0FFFu);
    EXPECT_EQ(d.groups[1].first, 0x3FFD000u);
    EXPECT_EQ(d.groups[1].last, 0x3FFD0FFu);

    ASSERT_EQ(RegisterNames(sys), (std::vector<std::string>{"SYSCFG", "CLKCON"}));
    const Register& syscfg = sys.registers[0];
    EXPECT_EQ(syscfg.width, 4);
    EXPECT_EQ(syscfg.implemented, 0xF7FFFFFFu);
    EXPECT_EQ(syscfg.title, "System configuration");
    EXPECT_EQ(syscfg.description, "Cache and write buffer control");
    ASSERT_EQ(syscfg.fields.size(), 3u);
    const Field& cm = syscfg.fields[1];
    EXPECT_EQ(cm.name, "CM");
    EXPECT_EQ(cm.sz, 2);
    EXPECT_EQ(cm.loc, 5);
    EXPECT_EQ(cm.mx, 2u);
    EXPECT_FALSE(cm.av);
    EXPECT_EQ(cm.title, "Cache mode");
    // Value texts: the quote after the value is optional, a missing closing
    // quote runs to the line's end.
    EXPECT_EQ(cm.texts, (std::map<uint16_t, std::string>{{0, "4K cache, 4K SRAM"}, {1, "8K cache"}, {2, "SRAM only"}}));
    EXPECT_EQ(syscfg.fields[2].title, "");
    const Register& clkcon = sys.registers[1];
    EXPECT_TRUE(clkcon.readOnly);
    EXPECT_FALSE(clkcon.writeOnly);
    EXPECT_EQ(clkcon.address, 0x3FF3000u);

    // Sorted by offset, equal offsets in file order; the stray lines were skipped.
    const Group& uart = d.groups[1];
    EXPECT_EQ(RegisterNames(uart), (std::vector<std::string>{"ULCON", "UCON", "UBRDIV", "UTXBUF", "URXFIFO"}));
    EXPECT_FALSE(uart.registers[0].writeOnly) << "an eight-column row has nr = nw = 0";
    EXPECT_FALSE(uart.registers[0].readOnly);
    EXPECT_TRUE(uart.registers[3].writeOnly);
    EXPECT_TRUE(uart.registers[1].mw);
    EXPECT_EQ(uart.registers[1].mwbm, 0x55u);
    const Register& fifo = uart.registers[4];
    EXPECT_TRUE(fifo.buffer);
    EXPECT_EQ(fifo.shadow, std::vector<uint8_t>(20, 0));
    EXPECT_TRUE(fifo.fields.empty());
    EXPECT_EQ(fifo.address, 0x3FFD020u);
    EXPECT_EQ(d.errorText, "Expected \"begin_reg\" or \"end_peripheral\" on line 8 of pcf\\uart0.pcf")
        << "the stray line is noted, the load goes on";
}

TEST(DescriptionReader, TheBaseRuleOfAT91ProcessorsAndOthers)
{
    const struct {
        const char* processor;
        int flag;
        uint32_t mask;
    } cases[] = {{"AT91M40800", 0, 0}, {"AT91", 0, 0}, {"ARM7TDMI", 1, 0x3FF0000}, {"S3C4510", 1, 0x3FF0000}};
    for (const auto& c : cases) {
        DescriptionFiles files;
        files.File(std::string("PCF/PERI") + c.processor + ".CFG") =
            std::string(c.processor) + "\nbegin_cfg\nversion 1\nBase 0xFFE00000\n0\n";
        Description d;
        ASSERT_EQ(LoadDescription(d, files.Context(c.processor)), 0u) << c.processor << d.errorText;
        ASSERT_EQ(files.baseCalls.size(), 1u);
        EXPECT_EQ(files.baseCalls[0].current, 0xFFE00000u);
        EXPECT_EQ(files.baseCalls[0].reset, 0xFFE00000u);
        EXPECT_EQ(files.baseCalls[0].flag, c.flag) << c.processor;
        EXPECT_EQ(files.baseCalls[0].mask, c.mask) << c.processor;
        EXPECT_TRUE(d.loaded);
        EXPECT_TRUE(d.groups.empty());
    }
}

struct Variant {
    const char* what;
    const char* file;  // "" : the whole CFG replaced by `to`
    const char* from;
    const char* to;
    uint32_t status;
    const char* message;
    size_t groups = 0;  // left in the tree after the failure
};

constexpr const char* kCfg = "PCF\\PERIARM7TDMI.CFG";

TEST(DescriptionReader, EachBrokenRuleGivesItsStatusAndMessage)
{
    const Variant variants[] = {
        {"another processor", kCfg, "ARM7TDMI\r\n", "ARM9TDMI\r\n", PERI_BAD_PROCESSOR,
         "Could not read processor ARM7TDMI name from PCF\\PERIARM7TDMI.CFG."},
        {"the name in other case", kCfg, "ARM7TDMI\r\n", "arm7tdmi\r\n", 0, ""},
        {"an empty CFG", "", "", " \r\n\t", PERI_BAD_PROCESSOR, "Could not read file PCF\\PERIARM7TDMI.CFG."},
        {"no begin_cfg", kCfg, "begin_cfg", "start_cfg", PERI_STRUCTURE,
         "Could not find 'begin_cfg' in file PCF\\PERIARM7TDMI.CFG."},
        {"version 0", kCfg, "VERSION 1", "VERSION 0", 0, ""},
        {"version 2", kCfg, "VERSION 1", "version 2", PERI_BAD_VERSION,
         "Could not find 'version' in file PCF\\PERIARM7TDMI.CFG."},
        {"version without number", kCfg, "VERSION 1", "version", PERI_BAD_VERSION,
         "Could not find 'version' in file PCF\\PERIARM7TDMI.CFG."},
        {"no version keyword", kCfg, "VERSION 1", "release 1", PERI_STRUCTURE,
         "Could not find 'version' in file PCF\\PERIARM7TDMI.CFG."},
        {"no Base line", kCfg, "Base 0x3FF0000", "Address 0x3FF0000", PERI_STRUCTURE,
         "Could not find 'Base' in file PCF\\PERIARM7TDMI.CFG."},
        {"Base without value", kCfg, "Base 0x3FF0000", "Base", PERI_BAD_VERSION,
         "Could not find 'Base' in file PCF\\PERIARM7TDMI.CFG."},
        {"BASE in capitals", kCfg, "Base 0x3FF0000", "BASE 0x3FF0000", 0, ""},
        {"no group count", "", "", "ARM7TDMI\nbegin_cfg\nversion 1\nBase 0\n\n  \n", PERI_STRUCTURE,
         "Could not find number of groups in file PCF\\PERIARM7TDMI.CFG."},
        {"65537 groups", kCfg, "\r\n3\r\n", "\r\n65537\r\n", 0, "", 1},
        {"a comment as the count", kCfg, "\r\n3\r\n", "\r\n// 3\r\n", 0, ""},
        {"a row without its file", kCfg, "0x00FF PCF/Timers.Pcf", "0x00FF", PERI_STRUCTURE,
         "line 1 (field 5) of PCF\\PERIARM7TDMI.CFG"},
        {"a short row after a blank line", kCfg, "0xD000 0x0 0x00FF pcf\\uart0.pcf", "0xD000", PERI_STRUCTURE,
         "line 2 (field 3) of PCF\\PERIARM7TDMI.CFG"},
        {"more groups than rows", kCfg, "\r\n3\r\n", "\r\n4\r\n", PERI_STRUCTURE,
         "line 1 (field 1) of PCF\\PERIARM7TDMI.CFG"},
        {"a PCF that is missing", kCfg, "PCF/Timers.Pcf", "PCF/NONE.PCF", PERI_FILE_NOT_FOUND, "PCF/NONE.PCF", 3},
        {"no begin_peripheral", "PCF/SYSCFG.PCF", "begin_peripheral", "start_peripheral", PERI_STRUCTURE,
         "Expected \"begin_peripheral\" on line 1 of PCF\\SYSCFG.PCF", 3},
        {"an empty PCF", "PCF/TIMERS.PCF", "", "// nothing\n\n//", PERI_STRUCTURE,
         "Could not find 'begin_peripheral' in file PCF/Timers.Pcf.", 3},
        {"a PCF without version", "PCF/UART0.PCF", "begin_peripheral\nversion 0\nbegin_reg", "begin_peripheral",
         PERI_NO_PCF_VERSION, "Expected \"version 1\" on line 2 of pcf\\uart0.pcf", 3},
        {"a PCF ending after its first line", "PCF/TIMERS.PCF", "", "begin_peripheral\n\n", PERI_STRUCTURE,
         "Unexpected EOF after line 1 of PCF/Timers.Pcf", 3},
        {"PCF version 2", "PCF/SYSCFG.PCF", "version 1", "version 2", PERI_NO_PCF_VERSION,
         "Expected \"version 1\" on line 2 of PCF\\SYSCFG.PCF", 3},
        {"no end_peripheral", "PCF/TIMERS.PCF", "end_reg\nend_peripheral\n", "end_reg\n", PERI_STRUCTURE,
         "Could not find 'begin_reg' or 'end_peripheral' in file PCF/Timers.Pcf.", 3},
        {"by = 300", "PCF/SYSCFG.PCF", "SYSCFG 0x0 4 3", "SYSCFG 0x0 300 3", PERI_STRUCTURE,
         "line 5 (field 3) of PCF\\SYSCFG.PCF", 3},
        {"by = -1", "PCF/SYSCFG.PCF", "SYSCFG 0x0 4 3", "SYSCFG 0x0 -1 3", PERI_STRUCTURE,
         "line 5 (field 3) of PCF\\SYSCFG.PCF", 3},
        {"f = -1", "PCF/SYSCFG.PCF", "SYSCFG 0x0 4 3", "SYSCFG 0x0 4 -1", PERI_STRUCTURE,
         "line 5 (field 4) of PCF\\SYSCFG.PCF", 3},
        {"a row of seven columns", "PCF/SYSCFG.PCF", "0xF7FFFFFF 0 0 0 0 0", "0xF7FFFFFF 0 0", PERI_STRUCTURE,
         "line 5 (field 7) of PCF\\SYSCFG.PCF", 3},
        {"sz = 0", "PCF/SYSCFG.PCF", "WE 1 0 0 1 1 0", "WE 0 0 0 1 1 0", PERI_STRUCTURE,
         "line 10 (field 2) of PCF\\SYSCFG.PCF", 3},
        {"loc = 256", "PCF/SYSCFG.PCF", "WE 1 0 0 1 1 0", "WE 1 256 0 1 1 0", 0, ""},
        {"sz = 256", "PCF/TIMERS.PCF", "TD0 16 15", "TD0 256 15", 0, ""},
        {"loc = -1", "PCF/SYSCFG.PCF", "WE 1 0 0 1 1 0", "WE 1 -1 0 1 1 0", PERI_STRUCTURE,
         "line 10 (field 3) of PCF\\SYSCFG.PCF", 3},
        {"no start_fields", "PCF/SYSCFG.PCF", "start_fields", "START_FIELDS", PERI_STRUCTURE,
         "line 8 (field 10) of PCF\\SYSCFG.PCF", 3},
        {"no end_reg", "PCF/SYSCFG.PCF", "end_reg\n\nbegin_reg", "END_REG\n\nbegin_reg", PERI_STRUCTURE,
         "line 30 (field 7) of PCF\\SYSCFG.PCF", 3},
        {"a file ending inside a field", "PCF/TIMERS.PCF", "\"Timer 0 data\"\n0\nend_f\nend_reg\nend_peripheral\n",
         "\"Timer 0 data\"\n", PERI_STRUCTURE, "line 15 (field 7) of PCF/Timers.Pcf", 3},
        {"a group index nobody lists", kCfg, "1 UART0", "7 UART0", PERI_STRUCTURE,
         "Could not find reg address on line 7 in file pcf\\uart0.pcf.", 3},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        DescriptionFiles files = DescriptionFiles::Fixtures();
        if (!*v.from)
            files.File(*v.file ? v.file : kCfg) = v.to;  // the whole file
        else
            ASSERT_TRUE(files.Replace(v.file, v.from, v.to));
        Description d;
        EXPECT_EQ(LoadDescription(d, files.Context("ARM7TDMI")), v.status);
        if (v.status != 0) {
            EXPECT_EQ(d.errorText, v.message);
            EXPECT_FALSE(d.loaded);
            EXPECT_EQ(d.groups.size(), v.groups);
        } else {
            EXPECT_TRUE(d.loaded);
        }
        if (v.groups && v.status == 0) {
            EXPECT_EQ(d.groups.size(), v.groups);
        }
    }
}

TEST(DescriptionReader, AFailedLoadKeepsWhatWasReadBeforeIt)
{
    DescriptionFiles files = DescriptionFiles::Fixtures();
    // The third group's file breaks at its only register.
    ASSERT_TRUE(files.Replace("PCF/TIMERS.PCF", "TMOD 0x0 4 2", "TMOD 0x0 4"));
    Description d;
    EXPECT_EQ(LoadDescription(d, files.Context("ARM7TDMI")), PERI_STRUCTURE);
    ASSERT_EQ(d.groups.size(), 3u);
    EXPECT_EQ(d.groups[0].registers.size(), 2u);
    EXPECT_EQ(d.groups[1].registers.size(), 5u);
    EXPECT_TRUE(d.groups[2].registers.empty());
    // A second load starts from an empty tree.
    DescriptionFiles good = DescriptionFiles::Fixtures();
    EXPECT_EQ(LoadDescription(d, good.Context("ARM7TDMI")), 0u);
    EXPECT_EQ(d.groups[2].registers.size(), 1u);
    EXPECT_EQ(d.errorText, "Expected \"begin_reg\" or \"end_peripheral\" on line 8 of pcf\\uart0.pcf");
}

TEST(DescriptionReader, LongNamesKeepTheirFirst24Characters)
{
    DescriptionFiles files = DescriptionFiles::Fixtures();
    const std::string name30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
    ASSERT_TRUE(files.Replace(kCfg, "0 SYSCFG", "0 " + name30));
    ASSERT_TRUE(files.Replace(kCfg, "PCF/Timers.Pcf", "PCF/" + name30 + ".PCF"));
    Description d;
    EXPECT_EQ(LoadDescription(d, files.Context("ARM7TDMI")), PERI_FILE_NOT_FOUND);
    EXPECT_EQ(d.groups[0].name, name30.substr(0, 24));
    EXPECT_EQ(d.groups[2].file, ("PCF/" + name30).substr(0, 24));
    EXPECT_EQ(d.errorText, ("PCF/" + name30).substr(0, 24));
}

TEST(DescriptionReader, HostileBytesEndWithAStatusNeverAHang)
{
    const std::string inputs[] = {
        std::string(10000, 'x'),
        std::string("begin_peripheral\nversion 1\nbegin_reg\nR 0 4 1 0 0 0 0\n\"t\"\n\"d\"\nstart_fields\nbegin_f\n"
                    "F 1 0 0 1 1 0\n\"t\"\n4294967295\n"),
        std::string("begin_peripheral\0\nversion 1\n", 28),
        "begin_peripheral\nversion 1\n" + std::string(10000, 'q') + "\nend_peripheral\n",
    };
    for (const std::string& pcf : inputs) {
        DescriptionFiles files = DescriptionFiles::Fixtures();
        files.File("PCF/SYSCFG.PCF") = pcf;
        Description d;
        const uint32_t status = LoadDescription(d, files.Context("ARM7TDMI"));
        EXPECT_TRUE(status == 0 || status == PERI_STRUCTURE || status == PERI_NO_PCF_VERSION) << std::hex << status;
        EXPECT_LE(d.errorText.size(), 255u);
    }
}

TEST(DescriptionReader, NoCfgNameAndNoCfgFile)
{
    DescriptionFiles files = DescriptionFiles::Fixtures();
    LoadContext c = files.Context("ARM7TDMI");
    Description d;
    c.cfgName.clear();
    EXPECT_EQ(LoadDescription(d, c), PERI_NO_CFG_NAME);
    c = files.Context("ARM9");
    EXPECT_EQ(LoadDescription(d, c), PERI_FILE_NOT_FOUND);
    EXPECT_EQ(d.errorText, "PCF\\PERIARM9.CFG");
}

}  // namespace
}  // namespace halvek
