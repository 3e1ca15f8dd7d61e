// The windows against tools nobody here wrote: memory rows against
// `objdump -s` and gdb's x/ over qemu, the disassembly column against
// `objdump -d`, search, compare and copy against grep, cmp and objcopy, the
// assemble dialog against gas, and the register tab against gdb's stepi
// over qemu. A missing tool fails the test.
#include <platform/messages.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "arm_listings.h"
#include "canonical_form.h"
#include "falcrest.h"
#include "host_tools.h"
#include "objdump_listing.h"
#include "pirell/pirell.h"
#include "qemu_reference.h"
#include "quentor.h"
#include "regmem/cpu_view.h"
#include "regmem/memory_tools.h"
#include "regmem/memory_view.h"
#include "regmem/modify_dialogs.h"
#include "regmem/regmem_ids.h"
#include "regmem_session.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace regmem::test {
namespace {

using zk::test::FixturePath;
using zk::test::RunProcess;
using zk::test::ToolOutput;

// Bytes by address from `objdump -s` of the sections.
std::map<uint32_t, uint8_t> ObjdumpS(const std::string& image, const std::vector<std::string>& sections)
{
    std::vector<std::string> argv = {"arm-none-eabi-objdump", "-s"};
    for (const std::string& s : sections)
        argv.insert(argv.end(), {"-j", s});
    argv.push_back(image);
    std::map<uint32_t, uint8_t> bytes;
    std::istringstream lines(ToolOutput(argv));
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < 2 || line[0] != ' ' || !std::isxdigit(static_cast<unsigned char>(line[1])))
            continue;
        std::istringstream in(line);
        std::string address;
        in >> address;
        uint32_t at = static_cast<uint32_t>(std::stoul(address, nullptr, 16));
        // Four groups of up to 8 digits, then two blanks and the text.
        const std::string groups = line.substr(line.find(address) + address.size() + 1, 36);
        for (size_t i = 0; i + 1 < groups.size(); i += 2) {
            if (groups[i] == ' ') {
                --i;
                continue;
            }
            bytes[at++] = static_cast<uint8_t>(std::stoul(groups.substr(i, 2), nullptr, 16));
        }
    }
    return bytes;
}

// Per process and test: CTest runs the tests of this file side by side.
std::string TempPath(const std::string& name)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return ::testing::TempDir() + "regmem_" + std::to_string(::getpid()) + "_" + (test ? test->name() : "none") + "_" +
        name;
}

std::vector<uint8_t> BinaryOf(const std::string& image, const std::string& section = {})
{
    const std::string out = TempPath("image.bin");
    std::vector<std::string> argv = {"arm-none-eabi-objcopy", "-O", "binary"};
    if (!section.empty())
        argv.insert(argv.end(), {"-j", section});
    argv.insert(argv.end(), {image, out});
    const auto r = RunProcess(argv);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    const std::string bytes = zk::test::ReadFileBytes(out);
    return {bytes.begin(), bytes.end()};
}

uint32_t SymbolOf(const std::string& image, const std::string& name)
{
    std::istringstream lines(ToolOutput({"arm-none-eabi-nm", image}));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string address, kind, symbol;
        if (in >> address >> kind >> symbol && symbol == name)
            return static_cast<uint32_t>(std::stoul(address, nullptr, 16));
    }
    ADD_FAILURE() << "no symbol " << name;
    return 0;
}

class ReferenceTest : public RegMemSession {
protected:
    void TearDown() override
    {
        if (view) {
            view->DestroyWindow();
            platform::PumpPending();
        }
        RegMemSession::TearDown();
    }
    void LoadFixture(const std::string& name)
    {
        image = FixturePath(name);
        Load(image);
    }
    // The page's data cells of row `row` as texts, blanks cut.
    std::vector<std::string> RowCells(int row)
    {
        CellPaint paint;
        view->GetCellPaint(0, 0, paint);
        std::vector<std::string> cells;
        const CellLayout layout = LayoutOf(view->format, view->unit, view->divisor);
        for (const auto& run : paint.rows[static_cast<size_t>(row)].runs) {
            if (run.column < kDataColumn || run.column >= kDataColumn + layout.cells * layout.width)
                continue;
            const size_t b = run.text.find_first_not_of(' '), e = run.text.find_last_not_of(' ');
            cells.push_back(run.text.substr(b, e - b + 1));
        }
        return cells;
    }
    CMemoryView* MakeMemoryView(int rows)
    {
        view = MakeView<CMemoryView>(host);
        host.client = {0, 0, 800, 16 * (rows + 1)};
        return view;
    }
    platform::FakeHost host;
    CMemoryView* view = nullptr;
    std::string image;
};

TEST_F(ReferenceTest, LittleEndianRowsEqualObjdumpS)
{
    LoadFixture("regmem_data");
    MakeMemoryView(4);
    const auto bytes = ObjdumpS(image, {".text", ".data"});
    ASSERT_FALSE(bytes.empty());
    for (uint32_t rowAddress : {0x0u, 0x10u, 0x120u, 0x130u, 0x140u, 0x150u}) {
        SCOPED_TRACE(rowAddress);
        view->SendMessage(WM_COMMAND, ID_MEM_BYTE, 0);
        view->SetTop(rowAddress);
        const std::vector<std::string> cells = RowCells(1);
        ASSERT_EQ(cells.size(), 16u);
        for (uint32_t i = 0; i < 16; ++i) {
            auto it = bytes.find(rowAddress + i);
            if (it == bytes.end())
                continue;  // a gap between sections: what the simulator holds
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", it->second);
            EXPECT_EQ(cells[i], hex) << i;
        }
        view->SendMessage(WM_COMMAND, ID_MEM_LONG, 0);
        const std::vector<std::string> words = RowCells(1);
        for (uint32_t w = 0; w < 4; ++w) {
            const uint32_t a = rowAddress + 4 * w;
            if (!bytes.count(a) || !bytes.count(a + 3))
                continue;
            char hex[12];
            std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X", bytes.at(a + 3), bytes.at(a + 2), bytes.at(a + 1),
                          bytes.at(a));
            EXPECT_EQ(words[w], hex) << "word " << w;
        }
    }
}

class BigEndianReferenceTest : public ReferenceTest {
protected:
    BigEndianReferenceTest() { bigEndian = true; }
};

TEST_F(BigEndianReferenceTest, BigEndianRowsEqualObjdumpS)
{
    LoadFixture("regmem_data_be");
    MakeMemoryView(4);
    ASSERT_NE(ToolOutput({"arm-none-eabi-objdump", "-f", image}).find("elf32-bigarm"), std::string::npos);
    const auto bytes = ObjdumpS(image, {".text", ".rodata", ".data"});
    const uint32_t words = SymbolOf(image, "words");
    view->SendMessage(WM_COMMAND, ID_MEM_LONG, 0);
    view->SetTop(words);
    // objdump -s groups four bytes in memory order: a big-endian word's digits.
    const std::vector<std::string> cells = RowCells(1);
    ASSERT_EQ(cells.size(), 4u);
    for (uint32_t w = 0; w < 4; ++w) {
        const uint32_t a = view->Top() + 4 * w;
        if (!bytes.count(a) || !bytes.count(a + 3))
            continue;  // a gap between sections
        char hex[12];
        std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X", bytes.at(a), bytes.at(a + 1), bytes.at(a + 2),
                      bytes.at(a + 3));
        EXPECT_EQ(cells[w], hex) << "word " << w;
    }
    view->SendMessage(WM_COMMAND, ID_MEM_WORD, 0);
    const std::vector<std::string> halves = RowCells(1);
    const uint32_t at = words - view->Top();  // the first half word of the array
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X%02X", bytes.at(words), bytes.at(words + 1));
    EXPECT_EQ(halves[at / 2], hex);
    EXPECT_EQ(halves[at / 2], "1234") << "0x12345678 stored big-endian";
}

// gdb's x/16xb, x/8xh, x/4xw, x/4uw and x/4dw of the words array at main,
// over qemu, against the rows of each layout.
TEST_F(ReferenceTest, RowsEqualGdbsExamineOverQemuAtMain)
{
    LoadFixture("regmem_data");
    MakeMemoryView(2);
    const uint32_t words = SymbolOf(image, "words");
    const std::vector<std::string> formats = {"x/16xb", "x/8xh", "x/4xw", "x/4uw", "x/4dw"};
    std::vector<std::string> commands = {"break main", "continue"};
    for (const std::string& f : formats) {
        commands.push_back("echo FORMAT " + f + "\\n");
        commands.push_back(f + " &words");
    }
    const auto gdb = zk::test::RunGdbOnQemu(image, commands);
    ASSERT_EQ(gdb.exitStatus, 0) << gdb.err;
    // Values after each "FORMAT" line, from every "address <sym>:" line.
    std::map<std::string, std::vector<std::string>> values;
    std::istringstream lines(gdb.out);
    std::string current;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("FORMAT ", 0) == 0) {
            current = line.substr(7);
            continue;
        }
        const size_t colon = line.find(':');
        if (current.empty() || colon == std::string::npos || line.rfind("0x", 0) != 0)
            continue;
        std::istringstream in(line.substr(colon + 1));
        for (std::string v; in >> v;)
            values[current].push_back(v);
    }
    struct Layout {
        std::string format;
        UINT unit, kind;
    };
    const Layout layouts[] = {{"x/16xb", ID_MEM_BYTE, ID_MEM_HEX},
                              {"x/8xh", ID_MEM_WORD, ID_MEM_HEX},
                              {"x/4xw", ID_MEM_LONG, ID_MEM_HEX},
                              {"x/4uw", ID_MEM_LONG, ID_MEM_UNSIGNED},
                              {"x/4dw", ID_MEM_LONG, ID_MEM_SIGNED}};
    ASSERT_NE(words % 16, 0u) << "the array starts in the middle of a row";
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.format);
        const std::vector<std::string>& expected = values[l.format];
        ASSERT_FALSE(expected.empty()) << gdb.out;
        view->SendMessage(WM_COMMAND, l.kind, 0);
        view->SendMessage(WM_COMMAND, l.unit, 0);
        view->SetTop(words);
        std::vector<std::string> shown = RowCells(1);
        const std::vector<std::string> next = RowCells(2);
        shown.insert(shown.end(), next.begin(), next.end());
        const int size = l.unit == ID_MEM_BYTE ? 1 : l.unit == ID_MEM_WORD ? 2 : 4;
        shown.erase(shown.begin(), shown.begin() + static_cast<long>((words - view->Top()) / size));  // from &words on
        ASSERT_GE(shown.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            // gdb: 0x78, 0x5678, 305419896, -1; the view: 78, 5678, 0305419896, -0000000001.
            if (l.kind == ID_MEM_HEX)
                EXPECT_EQ(std::stoul(expected[i], nullptr, 16), std::stoul(shown[i], nullptr, 16)) << i;
            else
                EXPECT_EQ(std::stoll(expected[i]), std::stoll(shown[i])) << i;
        }
    }
}

// The disassembly column, paged through .text in the mixed mode (the
// loader's Thumb answer), against objdump -d's words and texts.
void ExpectDisassemblyAsObjdump(CMemoryView* view, const std::string& image, bool thumb)
{
    std::istringstream listing(ToolOutput({"arm-none-eabi-objdump", "-d", "-M", "reg-names-raw", image}));
    std::map<uint32_t, zk::tools::ObjdumpLine> lines;
    for (const auto& l : zk::tools::ReadObjdumpListing(listing))
        lines[l.address] = l;
    ASSERT_FALSE(lines.empty());
    const uint32_t main = SymbolOf(image, "main") & ~1u;
    view->SetTop(main);
    view->SendMessage(WM_COMMAND, ID_MEM_DISASSEMBLY, 0);
    view->SendMessage(WM_COMMAND, ID_MEM_MIX_ARM_THUMB, 0);
    size_t compared = 0;
    for (int page = 0; page < 4; ++page) {
        for (const auto& row : view->DisTable()) {
            auto it = lines.find(row.address);
            if (it == lines.end())
                continue;
            const zk::tools::ObjdumpLine& o = it->second;
            if (o.mnemonic[0] == '.')
                continue;  // data in the code: a literal pool
            char opcode[12];
            if (o.encoding == zk::tools::Encoding::Thumb32)
                std::snprintf(opcode, sizeof opcode, "%04X%04X", o.word, o.second);
            else
                std::snprintf(opcode, sizeof opcode, o.encoding == zk::tools::Encoding::Arm ? "%08X" : "%04X", o.word);
            EXPECT_EQ(row.opcode, opcode) << std::hex << row.address;
            EXPECT_EQ(o.encoding == zk::tools::Encoding::Thumb16 || o.encoding == zk::tools::Encoding::Thumb32, thumb);
            if (o.encoding == zk::tools::Encoding::Thumb32)
                continue;  // the BL pair: one line of the listing, two words of objdump's canonical text
            const auto forms = zk::tools::CanonicalObjdump(o);
            const std::string ours = zk::tools::CanonicalOurs(row.text, thumb, o.word);
            EXPECT_NE(std::find(forms.begin(), forms.end(), ours), forms.end())
                << std::hex << row.address << ": " << row.text << " / " << o.mnemonic << " " << o.operands;
            ++compared;
        }
        view->SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    }
    EXPECT_GT(compared, 20u);
}

TEST_F(ReferenceTest, DisassemblyColumnEqualsObjdumpForArmAndThumbImages)
{
    for (const char* fixture : {"regmem_thumb", "regmem_data"}) {
        SCOPED_TRACE(fixture);
        image = FixturePath(fixture);
        ASSERT_EQ(LdrLoadWin(image.c_str(), 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
        if (!view)
            MakeMemoryView(24);
        ExpectDisassemblyAsObjdump(view, image, std::string(fixture) == "regmem_thumb");
        view->SendMessage(WM_COMMAND, ID_MEM_HEX, 0);
    }
}

TEST_F(ReferenceTest, SearchCompareAndCopyAgreeWithGrepCmpAndObjcopy)
{
    LoadFixture("regmem_data");
    const std::vector<uint8_t> data = BinaryOf(image);
    const std::string bin = TempPath("data.bin");
    {
        std::ofstream(bin, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
    // Search: the image starts at 0, so offsets are addresses.
    for (const auto& [pattern, sensitive] : {std::pair<std::string, bool>{"ABC", true}, {"abc", false}}) {
        const auto grep = RunProcess({"grep", "-obUaP", std::string(sensitive ? "" : "(?i)") + pattern, bin});
        ASSERT_EQ(grep.exitStatus, 0) << grep.err;
        std::vector<std::string> expected;
        std::istringstream in(grep.out);
        for (std::string line; std::getline(in, line);) {
            char text[32];
            std::snprintf(text, sizeof text, "Found at 0x%08lX", std::stoul(line.substr(0, line.find(':'))));
            expected.push_back(text);
        }
        expected.push_back("*** the End ***");
        EXPECT_EQ(RunSearch({0, ADDR_SPACE_TARGET}, {static_cast<uint32_t>(data.size() - 1), ADDR_SPACE_TARGET},
                            {pattern.begin(), pattern.end()}, sensitive),
                  expected)
            << pattern;
    }

    // Compare: the ARM and Thumb images side by side; the first difference is cmp -l's first line.
    const std::vector<uint8_t> thumb = BinaryOf(FixturePath("regmem_thumb"));
    const std::string thumbBin = TempPath("thumb.bin");
    {
        std::ofstream(thumbBin, std::ios::binary)
            .write(reinterpret_cast<const char*>(thumb.data()), static_cast<std::streamsize>(thumb.size()));
    }
    Write(0x100000, data);
    Write(0x200000, thumb);
    const auto cmp = RunProcess({"cmp", "-l", bin, thumbBin});
    ASSERT_FALSE(cmp.out.empty()) << cmp.err;
    const unsigned long firstDifference = std::stoul(cmp.out) - 1;  // cmp counts from 1
    ASSERT_EQ(emuSetAccessSize(1), 0);
    const uint32_t length = static_cast<uint32_t>(std::min(data.size(), thumb.size()));
    char text[40];
    std::snprintf(text, sizeof text, "Found difference at 0x%08lX", 0x100000 + firstDifference);
    EXPECT_THAT(RunCompare({0x100000, ADDR_SPACE_TARGET}, {0x100000 + length - 1, ADDR_SPACE_TARGET},
                           {0x200000, ADDR_SPACE_TARGET}, true, 1),
                ::testing::ElementsAre(text, "*** the End ***"));

    // Copy .text into free RAM: objcopy -j .text's bytes read back.
    ASSERT_EQ(emuSetAccessSize(4), 0);
    const std::vector<uint8_t> text32 = BinaryOf(image, ".text");
    const uint32_t textEnd = static_cast<uint32_t>(text32.size() - 1);
    RunCopy({0, ADDR_SPACE_TARGET}, {textEnd, ADDR_SPACE_TARGET}, {0x300000, ADDR_SPACE_TARGET}, 4);
    EXPECT_EQ(Read(0x300000, static_cast<uint32_t>(text32.size())), text32);
}

// Gas's bytes for a line, assembled at `address` (ARM or Thumb).
std::vector<uint8_t> GasBytes(const std::string& line, bool thumb)
{
    const std::string source = TempPath("line.s"), object = TempPath("line.o"), bin = TempPath("line.bin");
    std::ofstream(source) << (thumb ? ".thumb\n" : ".arm\n") << line << "\n";
    auto r = RunProcess({"arm-none-eabi-as", "-mcpu=arm7tdmi", "-o", object, source});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    r = RunProcess({"arm-none-eabi-objcopy", "-O", "binary", "-j", ".text", object, bin});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    const std::string bytes = zk::test::ReadFileBytes(bin);
    return {bytes.begin(), bytes.end()};
}

TEST_F(ReferenceTest, AssembleWritesGasBytesAndTheRowShowsTheLine)
{
    MakeMemoryView(6);
    struct Case {
        const char* line;
        bool thumb;
        const char* mnemonic;
    };
    const Case cases[] = {{"add r2, r3, r4, lsl #2", false, "add"},
                          {"ldmia r0!, {r1-r3}", false, "ldmia"},
                          {"strh r1, [r2, #6]", false, "strh"},
                          {"lsl r1, r2, #3", true, "lsl"},
                          {"push {r4, lr}", true, "push"}};
    uint32_t address = 0x8000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_EQ(DadSetDisMod(c.thumb ? DAD_MODE_THUMB : DAD_MODE_ARM), 0);
        view->SendMessage(WM_COMMAND, ID_MEM_DISASSEMBLY, 0);
        view->SetTop(address);
        ui.RunDialog(
            [&](platform::ScriptedDialog& d) {
                d.set(IDC_ASSEMBLE_TEXT, c.line);
                d.click(IDC_ASSEMBLE_OK);
            },
            "Assemble");
        view->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(4 + 8 * (kInstrColumn + 1), 16 + 3));
        const std::vector<uint8_t> gas = GasBytes(c.line, c.thumb);
        ASSERT_FALSE(gas.empty());
        EXPECT_EQ(Read(address, static_cast<uint32_t>(gas.size())), gas);
        ASSERT_FALSE(view->DisTable().empty());
        EXPECT_EQ(view->DisTable()[0].text.substr(0, std::string(c.mnemonic).size()), c.mnemonic);
        address += 0x10;
    }
    DadSetDisMod(DAD_MODE_MIXED);
}

// The first register tab against gdb's registers over qemu, stepping from
// main instruction by instruction: values, the yellow cells of exactly the
// registers that changed, and the CPSR's decoded text.
std::string PsrLetters(uint32_t psr)
{
    std::string t;
    const char letters[] = "NZCVIFT";
    const int bits[] = {31, 30, 29, 28, 7, 6, 5};
    for (int i = 0; i < 7; ++i)
        t += (psr >> bits[i]) & 1 ? letters[i] : static_cast<char>(letters[i] + 32);
    return t;
}

TEST_F(ReferenceTest, RegisterTabFollowsGdbsStepiOverQemu)
{
    LoadFixture("regmem_data");
    const uint32_t main = SymbolOf(image, "main");
    constexpr int kSteps = 24;
    auto print = [](const std::string& tag) {
        std::string format = tag, args;
        for (int i = 0; i < 16; ++i) {
            format += " %x";
            args += ", $r" + std::to_string(i);
        }
        return "printf \"" + format + " %x\\n\"" + args + ", $cpsr";
    };
    std::vector<std::string> commands = {print("ENTRY"), "break *" + std::to_string(main), "continue"};
    for (int k = 0; k <= kSteps; ++k) {
        commands.push_back(print("S" + std::to_string(k)));
        commands.push_back("stepi");
    }
    const auto gdb = zk::test::RunGdbOnQemu(image, commands);
    ASSERT_EQ(gdb.exitStatus, 0) << gdb.err;
    std::map<std::string, std::vector<uint32_t>> states;
    std::istringstream lines(gdb.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string tag;
        in >> tag;
        std::vector<uint32_t> v(17);
        for (uint32_t& w : v)
            in >> std::hex >> w;
        if (!in.fail())
            states[tag] = v;
    }
    ASSERT_EQ(states.size(), static_cast<size_t>(kSteps + 2)) << gdb.out;

    // The simulator from qemu's entry state to main.
    for (DWORD r = 0; r < 16; ++r)
        ASSERT_EQ(CpuSetRegister(r, states["ENTRY"][r]), 0);
    ASSERT_EQ(CpuSetRegister(VEXLOR_REG_CPSR, states["ENTRY"][16]), 0);
    DWORD pc = 0;
    for (int guard = 0; guard < 10000 && (CpuGetPC(&pc), pc != main); ++guard)
        ASSERT_EQ(emuStepOne(0), 0);
    ASSERT_EQ(pc, main);

    platform::FakeHost regHost{{0, 0, 400, 600}};
    auto* regs = MakeView<CCpuView>(regHost);
    for (int k = 0; k <= kSteps; ++k) {
        SCOPED_TRACE("after stepi " + std::to_string(k));
        if (k > 0) {
            ASSERT_EQ(emuStepOne(0), 0);
            regs->SendMessage(WM_COMMAND, ID_REG_REFRESH, 0);
        }
        const std::vector<uint32_t>& now = states["S" + std::to_string(k)];
        platform::CDC dc;
        regs->Paint(dc);
        std::vector<COLORREF> fills;
        for (const auto& op : dc.Ops())
            if (op.kind == platform::CDC::Op::Fill && (op.bg == kRegChanged || op.bg == kRegUnchanged))
                fills.push_back(op.bg);
        ASSERT_EQ(fills.size(), regs->Rows().size());
        for (int r = 0; r < 16; ++r) {
            EXPECT_EQ(regs->Values()[static_cast<size_t>(r)], now[static_cast<size_t>(r)]) << "r" << r;
            if (k > 0) {
                const bool changed =
                    now[static_cast<size_t>(r)] != states["S" + std::to_string(k - 1)][static_cast<size_t>(r)];
                EXPECT_EQ(fills[static_cast<size_t>(r)] == kRegChanged, changed) << "r" << r;
            }
        }
        EXPECT_EQ(regs->Values()[16] & zk::test::CPSR_COMPARED_BITS, now[16] & zk::test::CPSR_COMPARED_BITS);
        std::string decoded;
        ASSERT_TRUE(regs->ValueText(17, decoded));
        EXPECT_EQ(decoded.substr(0, 8), PsrLetters(now[16]) + "_");
    }
    regs->DestroyWindow();
    platform::PumpPending();
}

}  // namespace
}  // namespace regmem::test
