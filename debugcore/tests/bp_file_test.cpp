// The breakpoint file: its bytes against hand-computed ones, a round trip
// of every record kind and of the watchpoint units, and files that are
// missing, foreign or damaged.
#include <platform/file.h>
#include <platform/scripted_ui_gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "bp_file.h"
#include "quinar/quinar.h"
#include "sarvik_fixture.h"
#include "watch_units.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<uint8_t>;

void Append(Bytes& b, std::initializer_list<uint8_t> bytes)
{
    b.insert(b.end(), bytes);
}
void AppendWord(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void AppendText(Bytes& b, const std::string& s)
{
    b.push_back(static_cast<uint8_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
}
void AppendUnit(Bytes& b, const WHPT_UNIT& u)
{
    for (uint32_t w : {u.used, u.enabled, u.address, u.addressMask, u.data, u.dataMask, u.control})
        AppendWord(b, w);
}

// Unit 1 as the connect reserves it outside hardware-breakpoint mode.
const WHPT_UNIT kReserved{1, 1, 0, 0xFFFFFFFFu, 0xFEDEFEDEu, 0, 0x00F70100u};

Bytes Header(uint16_t count)
{
    Bytes b{0, static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count & 0xFF)};
    AppendText(b, "QUARNEL BP");
    b.push_back(0xCC);
    return b;
}

Bytes UnitsSection(const WHPT_UNIT& unit0, const WHPT_UNIT& unit1)
{
    Bytes b;
    AppendText(b, "Watchpoint");
    AppendUnit(b, unit0);
    AppendUnit(b, unit1);
    return b;
}

// A record of CBpDataEx with an empty symbol and condition: 18 bytes.
Bytes PlainRecord(uint32_t offset)
{
    Bytes b;
    AppendWord(b, offset);
    Append(b, {0x01, 0x00, 0x00, 0x01, 0x00});  // space 1, empty symbol, enabled
    AppendWord(b, 1);                           // pass count
    AppendWord(b, 0);                           // plain
    b.push_back(0);                             // empty condition
    return b;
}

class BpFileTest : public SarvikTest {
protected:
    void SetUp() override
    {
        SarvikTest::SetUp();
        path_ = testing::TempDir() + "/sarvik_bpfile_" + std::to_string(getpid()) + ".bpt";
        std::remove(path_.c_str());
    }
    void TearDown() override
    {
        std::remove(path_.c_str());
        SymClearSymbolTables(0);
        SarvikTest::TearDown();
    }

    Bytes Saved()
    {
        SaveBpFile(path_.c_str());
        const std::string bytes = ReadFile();
        return Bytes(bytes.begin(), bytes.end());
    }
    std::string ReadFile() const
    {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteFile(const Bytes& bytes) const
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // What a restore must keep: the records' fields and both units.
    static std::string State()
    {
        std::string s;
        for (const CBpDataEx* r : *BptGetList())
            s += std::to_string(r->GetAddr().off) + "/" + std::to_string(r->GetAddr().seg) + "/" + r->GetSymbol() +
                "/" + std::to_string(r->IsEnable()) + "/" + std::to_string(r->GetCount()) + "/" +
                std::to_string(r->GetBpType()) + "/" + r->GetBpCondition() + ";";
        for (int u = 0; u < 2; ++u) {
            const WHPT_UNIT& w = Core().units.Unit(u);
            for (uint32_t v : {w.used, w.enabled, w.address, w.addressMask, w.data, w.dataMask, w.control})
                s += std::to_string(v) + ",";
        }
        return s;
    }

    std::string path_;
};

TEST_F(BpFileTest, AnEmptyListIs82BytesWithTheUnits)
{
    Bytes expected = Header(0);
    const Bytes units = UnitsSection(WHPT_UNIT{}, kReserved);
    expected.insert(expected.end(), units.begin(), units.end());
    ASSERT_EQ(expected.size(), 82u);
    EXPECT_EQ(Saved(), expected);
}

TEST_F(BpFileTest, ThreeHundredRecordsCountHighByteFirst)
{
    for (uint32_t i = 0; i < 300; ++i)
        Set(0x8000 + 4 * i);
    Bytes expected = Header(300);
    for (uint32_t i = 0; i < 300; ++i) {
        const Bytes record = PlainRecord(0x8000 + 4 * i);
        expected.insert(expected.end(), record.begin(), record.end());
    }
    const Bytes units = UnitsSection(WHPT_UNIT{}, kReserved);
    expected.insert(expected.end(), units.begin(), units.end());
    const Bytes saved = Saved();
    ASSERT_EQ(saved.size(), 15u + 300 * 18 + 67);
    EXPECT_EQ(saved[1], 0x01);
    EXPECT_EQ(saved[2], 0x2C);
    EXPECT_EQ(saved, expected);
}

// Every kind of record and both units come back as they were saved, in
// list order; instructions inside a source line come back too.
TEST_F(BpFileTest, EveryRecordKindAndTheUnitsComeBack)
{
    // A line table, so that 0x8104 lies inside line 12 (0x8100-0x810F).
    const ImageStamp stamp{};
    SymModuleDesc desc{2, 0x8000, 0x8FFF};
    uint32_t module = 0;
    ASSERT_EQ(SymOpenModule("app.c", &stamp, &desc, 0, 1, 0, &module, 0), SYM_OK);
    ASSERT_EQ(SymBeginLineTable(module), SYM_OK);
    ASSERT_EQ(SymAddLineRow(12, 0, 0x8100, 0), SYM_OK);
    ASSERT_EQ(SymAddLineRow(13, 0, 0x8110, 0), SYM_OK);
    SymEndLineTable();
    SymCloseModule(0);
    SymEndLoad();

    Set(0x8000);
    const ADDR disabled{0x8010, 1};
    ASSERT_EQ(BptSetBp(&disabled, "", 5, 0, 0, 0xFFFFFFFFu), EMU_OK);
    const ADDR conditional{0x8104, 1};
    ASSERT_EQ(BptSetBp(&conditional, "i == 3 || @r0 <> 0x10", 2, 0, 1, 0x20001000), EMU_OK);
    Set(0x8200);
    (*BptGetList())[3]->SetSymbol("#" + std::string(300, 'w'));  // a long text: 0xFF and a 16-bit length
    (*BptGetList())[0]->SetSymbol("#main");
    Core().units.Store(0, {1, 1, 0x20000, 0, 0x55, 0xFF00, 0x00F0010D});
    const std::string before = State();
    SaveBpFile(path_.c_str());

    BptDeleteAllObjects();
    Core().units.Store(0, WHPT_UNIT{});  // unit 1 keeps the reservation of the connect
    Fake().calls.clear();
    ASSERT_EQ(RestoreBpFile(path_.c_str()), 1);
    EXPECT_EQ(State(), before);
    EXPECT_THAT(Fake().calls,
                ElementsAre("emuClrBp(0x0)", "emuSetBp(0x8000)", "emuSetBp(0x8104)", "emuSetBp(0x8200)",
                            "emuSetHwBp(u0,0x20000,mask 0x0,ctl 0xf0010d)"))
        << "the disabled breakpoint is not sent; unit 1 is kept outside hardware-breakpoint mode";
    EXPECT_EQ(Fake().lastHwBp.data, 0x55u);
    EXPECT_EQ(Fake().lastHwBp.dataMask, 0xFF00u);
    EXPECT_EQ(Fake().lastHwBp.kind, 0);

    // In hardware-breakpoint mode unit 1 is programmed as stored.
    const EMU_TARGET_CONFIG hardware = Config(0x105);
    EmuSetTargetConfig(&hardware);
    Fake().calls.clear();
    ASSERT_EQ(RestoreBpFile(path_.c_str()), 1);
    EXPECT_EQ(State(), before);
    EXPECT_THAT(
        Fake().Calls("emuSetHwBp"),
        ElementsAre("emuSetHwBp(u0,0x20000,mask 0x0,ctl 0xf0010d)", "emuSetHwBp(u1,0x0,mask 0xffffffff,ctl 0xf70100)"));
}

// Records a file may hold that the reader passes over: no address space,
// or a type other than plain and conditional.
TEST_F(BpFileTest, RecordsWithoutAnAddressOrOfOtherTypesAreSkipped)
{
    Bytes file = Header(3);
    Bytes noSpace = PlainRecord(0x100);
    noSpace[4] = 0;
    Bytes access = PlainRecord(0x200);
    access[13] = 3;
    for (const Bytes& r : {noSpace, access, PlainRecord(0x300)})
        file.insert(file.end(), r.begin(), r.end());
    const Bytes units = UnitsSection(WHPT_UNIT{}, kReserved);
    file.insert(file.end(), units.begin(), units.end());
    WriteFile(file);
    ASSERT_EQ(RestoreBpFile(path_.c_str()), 1);
    EXPECT_EQ(ListOffsets(), std::vector<uint32_t>{0x300});
    EXPECT_THAT(Fake().Calls("emuSetHwBp"), ElementsAre()) << "units in the reset state are not programmed";
}

// No records and a "Watchpoint" section: the breakpoints are cleared and
// only the units come back.
TEST_F(BpFileTest, AFileWithoutRecordsRestoresOnlyTheUnits)
{
    const WHPT_UNIT watch{1, 1, 0x4000, 0, 0, 0xFFFFFFFFu, 0x00F1010D};
    Bytes file = Header(0);
    const Bytes units = UnitsSection(watch, kReserved);
    file.insert(file.end(), units.begin(), units.end());
    WriteFile(file);
    Set(0x100);
    Fake().calls.clear();
    ASSERT_EQ(RestoreBpFile(path_.c_str()), 1);
    EXPECT_TRUE(BptGetList()->empty());
    EXPECT_EQ(Core().units.Unit(0), watch);
    EXPECT_EQ(Core().units.Unit(1), kReserved);
    EXPECT_THAT(Fake().calls, ElementsAre("emuClrBp(0x0)", "emuSetHwBp(u0,0x4000,mask 0x0,ctl 0xf1010d)"));
}

// A file saved in hardware-breakpoint mode (unit 1 free) read outside it:
// unit 1 still catches the break word, and its record says so, so that no
// unit breakpoint takes it without a word.
TEST_F(BpFileTest, OutsideHardwareModeUnitOneKeepsTheReservation)
{
    Bytes file = Header(0);
    const Bytes units = UnitsSection(WHPT_UNIT{}, WHPT_UNIT{});
    file.insert(file.end(), units.begin(), units.end());
    WriteFile(file);
    ASSERT_EQ(RestoreBpFile(path_.c_str()), 1);
    EXPECT_EQ(Core().units.Unit(1), kReserved);
    const ADDR a{0x1000, 1};
    const ADDR b{0x2000, 1};
    Fake().calls.clear();
    ASSERT_EQ(BptSetBp(&a, "", 1, 1, 1, 0xFFFFFFFFu), EMU_OK);
    EXPECT_EQ(BptSetBp(&b, "", 1, 1, 1, 0xFFFFFFFFu), 1) << "no free unit";
    EXPECT_THAT(Fake().Calls("emuSetHwBp"), ElementsAre("emuSetHwBp(u0,0x1000,mask 0x0,ctl 0xfff70100)"));
}

TEST_F(BpFileTest, ASectionOfAnotherNameRestoresOnlyTheBreakpoints)
{
    Bytes file = Header(1);
    const Bytes record = PlainRecord(0x400);
    file.insert(file.end(), record.begin(), record.end());
    AppendText(file, "Tracepoint");
    AppendUnit(file, {1, 1, 0x9999, 0, 0, 0, 0});
    WriteFile(file);
    ASSERT_EQ(RestoreBpFile(path_.c_str()), 1);
    EXPECT_EQ(ListOffsets(), std::vector<uint32_t>{0x400});
    EXPECT_EQ(Core().units.Unit(0), WHPT_UNIT{});
}

// Files that are not breakpoint files are passed over without a word; the
// breakpoints stay and the target hears nothing.
TEST_F(BpFileTest, MissingAndForeignFilesArePassedOverSilently)
{
    Set(0x100);
    Fake().calls.clear();
    const std::string before = State();
    Bytes valid = Header(0);
    const Bytes units = UnitsSection(WHPT_UNIT{}, kReserved);
    valid.insert(valid.end(), units.begin(), units.end());

    auto with = [&](size_t at, uint8_t value) {
        Bytes b = valid;
        b[at] = value;
        return b;
    };
    const std::pair<const char*, Bytes> files[] = {
        {"26 bytes with a valid header", Bytes(valid.begin(), valid.begin() + 26)},
        {"marker not 0", with(0, 1)},
        {"signature in other case", with(3 + 1, 'q')},
        {"signature of other length", with(3, 9)},
        {"separator not 0xCC", with(14, 0xCD)},
        {"a text", Bytes(40, 'x')},
    };
    {
        platform::GTestScriptedUi ui;  // no message may appear
        ASSERT_EQ(RestoreBpFile((path_ + ".missing").c_str()), 1);
        ASSERT_EQ(RestoreBpFile(testing::TempDir().c_str()), 1) << "a folder";
        ASSERT_EQ(RestoreBpFile(nullptr), 1);
        for (const auto& [what, bytes] : files) {
            SCOPED_TRACE(what);
            WriteFile(bytes);
            ASSERT_EQ(RestoreBpFile(path_.c_str()), 1);
            EXPECT_EQ(State(), before);
        }
    }
    EXPECT_TRUE(Fake().calls.empty());
}

// A file whose header matched but whose body is cut short or malformed is
// reported and changes nothing: the old breakpoints and units stay.
TEST_F(BpFileTest, ADamagedBodyIsReportedAndChangesNothing)
{
    Set(0x100);
    Set(0x104);
    Core().units.Store(0, {1, 1, 0x3000, 0, 0, 0xFFFFFFFFu, 0x00FF0100});
    SaveBpFile(path_.c_str());
    const std::string saved = ReadFile();
    BptDeleteAllObjects();
    Set(0x700);
    Core().units.Reset();
    Fake().calls.clear();
    const std::string before = State();

    Bytes moreRecords(saved.begin(), saved.end());
    moreRecords[2] = 3;  // three records announced, two present
    const std::pair<std::string, Bytes> files[] = {
        {"breakpoint 2 of 2", Bytes(saved.begin(), saved.begin() + 15 + 18 + 7)},
        {"breakpoint 1 of 2", Bytes(saved.begin(), saved.begin() + 27)},
        {"watchpoints", Bytes(saved.begin(), saved.begin() + 15 + 2 * 18)},
        {"watchpoints", Bytes(saved.begin(), saved.end() - 1)},
        {"breakpoint 3 of 3", moreRecords},
    };
    for (const auto& [where, bytes] : files) {
        SCOPED_TRACE(where + " of " + std::to_string(bytes.size()) + " bytes");
        WriteFile(bytes);
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDOK, "is damaged (" + where);
        ASSERT_EQ(RestoreBpFile(path_.c_str()), 1);
        ASSERT_EQ(ui.Requests().size(), 1u);
        EXPECT_NE(ui.Requests()[0].messageBox.text.find(path_), std::string::npos);
        EXPECT_EQ(ui.Requests()[0].messageBox.type, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(State(), before);
    }
    EXPECT_TRUE(Fake().calls.empty());
}

TEST_F(BpFileTest, APathThatCannotBeWrittenIsPassedOver)
{
    Set(0x100);
    SaveBpFile((testing::TempDir() + "/no such folder/x.bpt").c_str());
    SaveBpFile(nullptr);
    EXPECT_EQ(BptGetList()->size(), 1u);
}

}  // namespace
}  // namespace sarvik::test
