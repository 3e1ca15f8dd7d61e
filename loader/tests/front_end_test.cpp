// LdrLoadWin and its queries over the recording simulator: S-record
// images with their symbol header, damaged records, the format dispatch,
// ELF files handed to tarnel, the busy rule, Esc and the progress bar.
#include <gtest/gtest.h>

#include <platform/messages.h>
#include <platform/scripted_ui_gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "front_end_fixture.h"
#include "front_state.h"
#include "host_tools.h"
#include "quentor.h"
#include "quinar/listing.h"
#include "quinar/symbol_store.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace quentor {
namespace {

// One S-record line with its count and checksum.
std::string Srec(char type, uint32_t address, const std::vector<uint8_t>& data)
{
    const unsigned addressBytes = type == '2' || type == '8' ? 3 : type == '3' || type == '7' ? 4 : 2;
    std::vector<uint8_t> body;
    for (unsigned i = addressBytes; i-- > 0;)
        body.push_back(static_cast<uint8_t>(address >> (8 * i)));
    body.insert(body.end(), data.begin(), data.end());
    unsigned sum = static_cast<unsigned>(body.size() + 1);
    std::string line = "S" + std::string(1, type);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(body.size() + 1));
    line += hex;
    for (uint8_t b : body) {
        sum += b;
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    std::snprintf(hex, sizeof hex, "%02X", static_cast<uint8_t>(~sum));
    return line + hex + "\r\n";
}

using FrontEndTest = FrontEndFixture;

const std::string SYMBOL_HEADER = "$$ demo.sym\r\n _main $00001000 start $00001040\r\n  $t $1040\r\n$$ \r\n";

TEST_F(FrontEndTest, AnSRecordImageLoadsItsDataAndSymbols)
{
    EXPECT_EQ(LdrFileFormat(), LDR_FORMAT_OTHER);
    const std::string path = File("demo.srec",
                                  SYMBOL_HEADER + Srec('0', 0, {'d', 'e', 'm', 'o'}) + Srec('1', 0x1000, Ramp(0, 16)) +
                                      Srec('1', 0x1010, Ramp(16, 16)) + Srec('2', 0x10000, Ramp(0x80, 4)) +
                                      Srec('5', 3, {}) + Srec('9', 0, {}) + Srec('1', 0x3000, Ramp(0x40, 8)));
    ASSERT_EQ(Load(path, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE), LDR_OK);

    EXPECT_EQ(sim().PeekBytes(0x1000, 32), Ramp(0, 32));
    EXPECT_EQ(sim().PeekBytes(0x10000, 4), Ramp(0x80, 4));
    EXPECT_EQ(sim().PeekBytes(0x3000, 8), std::vector<uint8_t>(8, 0));  // after the end record
    EXPECT_EQ(
        SymbolRows(),
        (std::set<std::string>{"section 1 BASE_CODE attribute 1", "section 2 symbol attribute 2", "module - demo.sym",
                               "label 00001000 main", "label 00001040 start", "label 00001040 t"}));
    EXPECT_EQ(LdrIsSymbolLoaded(), 1);
    EXPECT_EQ(LdrFileFormat(), LDR_FORMAT_SRECORDS);
    EXPECT_EQ(FrontState().record.codeBytes, 36u);

    ADDR start{0x1234, 7};
    EXPECT_EQ(LdrGetStartPC(&start), LDR_OK);
    EXPECT_EQ(start, (ADDR{0, 7}));
    int top = -1, size = -1, zero = -1, step = -1;
    EXPECT_EQ(LdrGetStack(&top, &size, &zero, &step), LDR_OK);
    EXPECT_EQ(std::vector<int>({top, size, zero, step}), std::vector<int>({0, 0, 0, 4}));
    EXPECT_EQ(LdrIsBigEndian(), 0);
    InitDLL_CpuServer(0, nullptr, "ARM7TDMI", 1);
    EXPECT_EQ(LdrIsBigEndian(), 1);

    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

// A load that only downloads leaves the program's symbols alone, for
// S-records and for ELF files alike.
TEST_F(FrontEndTest, ADownloadOnlyLoadKeepsTheProgramsSymbols)
{
    const std::string image = File("keep.srec", SYMBOL_HEADER + Srec('1', 0x1000, Ramp(0, 16)));
    ASSERT_EQ(Load(image, LDR_LOAD_SYMBOLS), LDR_OK);
    const std::set<std::string> symbols = SymbolRows();
    ASSERT_TRUE(symbols.count("label 00001000 main"));
    EXPECT_EQ(sim().PeekBytes(0x1000, 16), std::vector<uint8_t>(16, 0));

    ASSERT_EQ(Load(image, LDR_LOAD_CODE), LDR_OK);
    EXPECT_EQ(sim().PeekBytes(0x1000, 16), Ramp(0, 16));
    EXPECT_EQ(SymbolRows(), symbols);

    const std::string elf = zk::test::FixturePath("ldr_le");
    ASSERT_EQ(Load(elf, LDR_LOAD_CODE | LDR_FLAG_SEGMENTS), LDR_OK);
    EXPECT_EQ(SymbolRows(), symbols);
    EXPECT_EQ(LdrIsSymbolLoaded(), 1);
}

// With LDR_LOAD_ASK_AGAIN a load of the image whose symbols quinar holds
// asks first: "no" ends it with LDR_S_UNCHANGED and touches nothing, "yes"
// loads again. Without the flag, and for another image, nobody is asked.
TEST_F(FrontEndTest, TheSameImagesSymbolsAreLoadedAgainOnlyWhenTheUserSaysSo)
{
    const std::string image = File("again.srec", SYMBOL_HEADER + Srec('1', 0x1000, Ramp(0, 16)));
    const unsigned again = LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_LOAD_ASK_AGAIN;
    platform::GTestScriptedUi ui;
    ASSERT_EQ(Load(image, again), LDR_OK);
    const std::set<std::string> symbols = SymbolRows();
    ASSERT_TRUE(symbols.count("label 00001000 main"));

    sim().PokeBytes(0x1000, std::vector<uint8_t>(16, 0xEE));
    ui.AnswerMessageBox(IDNO, "Load them again?");
    EXPECT_EQ(Load(image, again), LDR_S_UNCHANGED);
    EXPECT_EQ(SymbolRows(), symbols);
    EXPECT_EQ(sim().PeekBytes(0x1000, 16), std::vector<uint8_t>(16, 0xEE));
    EXPECT_EQ(progress.back(), 100u);

    ui.AnswerMessageBox(IDYES, "Load them again?");
    EXPECT_EQ(Load(image, again), LDR_OK);
    EXPECT_EQ(SymbolRows(), symbols);
    EXPECT_EQ(sim().PeekBytes(0x1000, 16), Ramp(0, 16));

    EXPECT_EQ(Load(image, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE), LDR_OK);
    EXPECT_EQ(SymbolRows(), symbols);
    const std::string other = File("other.srec", "$$ other.sym\r\n other $2000\r\n" + Srec('1', 0x2000, Ramp(0, 4)));
    EXPECT_EQ(Load(other, again), LDR_OK);
    EXPECT_EQ(SymbolRows(),
              (std::set<std::string>{"section 1 BASE_CODE attribute 1", "section 2 symbol attribute 2",
                                     "module - other.sym", "label 00002000 other"}));
    EXPECT_EQ(ui.Requests().size(), 2u);
}

// S-record symbols replace an ELF image's: tarnel no longer answers for
// that image's Thumb code. A download alone leaves both alone.
TEST_F(FrontEndTest, SRecordSymbolsReplaceTheElfImagesAnswers)
{
    const std::string elf = zk::test::FixturePath("ldr_thumb");
    ASSERT_EQ(Load(elf, LDR_LOAD_SYMBOLS), LDR_OK);
    uint32_t thumbAddress = 0;
    for (uint32_t a = 0x80; a < 0x400 && !thumbAddress; a += 2)
        thumbAddress = LdrIsInThumbRange(a) ? a : 0;
    ASSERT_NE(thumbAddress, 0u);

    const std::string srec = File("replace.srec", SYMBOL_HEADER + Srec('1', 0x1000, Ramp(0, 16)));
    ASSERT_EQ(Load(srec, LDR_LOAD_CODE), LDR_OK);
    EXPECT_EQ(LdrIsInThumbRange(thumbAddress), 1);
    ASSERT_EQ(Load(srec, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE), LDR_OK);
    EXPECT_EQ(LdrIsInThumbRange(thumbAddress), 0);
    EXPECT_EQ(LdrIsHasFrame(), 0);
}

TEST_F(FrontEndTest, DamagedRecordsFailAndWriteNothingOfThemselves)
{
    const std::string good = Srec('1', 0x1000, Ramp(0, 16));
    std::string lower = Srec('3', 0x2000, Ramp(0xA0, 8));
    for (char& c : lower)
        c = c == 'S' ? c : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string badDigit = Srec('1', 0x2000, Ramp(0x20, 16));
    badDigit[12] = 'G';
    std::string badChecksum = Srec('1', 0x2000, Ramp(0x20, 16));
    badChecksum[badChecksum.size() - 3] ^= 1;
    std::string cut = Srec('1', 0x2000, Ramp(0x20, 16));
    cut.erase(cut.size() - 6);
    std::string badSymbol = "$$ m\r\n broken $12X4\r\n";

    struct Case {
        const char* what;
        std::string text;
        unsigned flags;
        LdrResult result;
        bool goodWritten;  // the good record in front of the damage
    };
    const Case cases[] = {
        {"lower-case digits", good + lower, LDR_LOAD_CODE, LDR_OK, true},
        {"a character that is no digit", good + badDigit + Srec('1', 0x3000, Ramp(1, 4)), LDR_LOAD_CODE,
         LDR_E_BAD_RECORD, true},
        {"a wrong checksum", good + badChecksum, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE, LDR_E_BAD_RECORD, true},
        {"a record cut short", good + cut, LDR_LOAD_CODE, LDR_E_BAD_RECORD, true},
        {"a symbol line with a bad address", badSymbol + good, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE, LDR_E_BAD_RECORD,
         false},
        {"only symbols", SYMBOL_HEADER, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE, LDR_E_NO_DATA, false},
        {"text before the data", "$$ m\r\nrandom text\r\n" + good, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE, LDR_E_NO_DATA,
         false},
        {"an oversized line", good + "S1" + std::string(3000, 'F') + "\r\n", LDR_LOAD_CODE, LDR_E_BAD_RECORD, true},
        {"random bytes", good + std::string("S\x01\xFF\x80\0zz\n", 8), LDR_LOAD_CODE, LDR_E_BAD_RECORD, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim().PokeBytes(0x1000, std::vector<uint8_t>(16, 0xEE));
        sim().PokeBytes(0x2000, std::vector<uint8_t>(16, 0xEE));
        sim().PokeBytes(0x3000, std::vector<uint8_t>(4, 0xEE));
        quinar::Symbols().Clear();
        EXPECT_EQ(Load(File("damaged.srec", c.text), c.flags), c.result);
        EXPECT_EQ(sim().PeekBytes(0x1000, 16), c.goodWritten ? Ramp(0, 16) : std::vector<uint8_t>(16, 0xEE));
        EXPECT_EQ(sim().PeekBytes(0x2000, 8), c.result == LDR_OK ? Ramp(0xA0, 8) : std::vector<uint8_t>(8, 0xEE));
        EXPECT_EQ(sim().PeekBytes(0x3000, 4), std::vector<uint8_t>(4, 0xEE));
        if (c.result != LDR_OK && (c.flags & LDR_LOAD_SYMBOLS)) {
            EXPECT_TRUE(quinar::ListSymbols().empty());
        }
        EXPECT_EQ(progress.back(), 100u);
    }
}

TEST_F(FrontEndTest, TheFirstByteChoosesTheLoader)
{
    EXPECT_EQ(Load("/nonexistent/quentor.srec", LDR_LOAD_CODE), LDR_E_OPEN);
    EXPECT_EQ(Load(::testing::TempDir(), LDR_LOAD_CODE), LDR_E_OPEN);
    EXPECT_EQ(LdrLoadWin(nullptr, 0, LDR_LOAD_CODE, window_), LDR_E_OPEN);

    // A blank goes to tarnel, which finds no ELF image in it.
    for (const char* text : {" S1130000", "",
                             "\x7F"
                             "ELF"}) {
        const std::string path = File("other.bin", text);
        const LdrResult elf = LdrLoadWinElf(path.c_str(), 0, LDR_LOAD_SYMBOLS, nullptr);
        EXPECT_NE(elf, LDR_OK);
        EXPECT_EQ(Load(path, LDR_LOAD_SYMBOLS), elf);
        EXPECT_EQ(LdrFileFormat(), LDR_FORMAT_ELF);
    }

    // An IEEE-695 module with a damaged header: refused before anything is touched.
    quinar::Symbols().OpenModule("kept", {});
    quinar::Symbols().CloseModule();
    EXPECT_EQ(Load(File("module.695",
                        std::string("\xE0\x03"
                                    "abc",
                                    5)),
                   LDR_LOAD_SYMBOLS | LDR_LOAD_CODE),
              LDR_E_UNKNOWN_FORMAT);
    EXPECT_EQ(LdrFileFormat(), LDR_FORMAT_OTHER);
    EXPECT_EQ(LdrIsSymbolLoaded(), 1);
    const std::vector<int> codes = sim().Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), SIM_CMD_WRITE_MEM), 0);

    // ELF images go to tarnel unchanged; the queries then answer with its.
    for (const char* fixture : {"ldr_le", "ldr_be"}) {
        SCOPED_TRACE(fixture);
        const std::string elf = zk::test::FixturePath(fixture);
        ASSERT_EQ(LdrLoadWin(elf.c_str(), 1, LDR_LOAD_SYMBOLS, window_), LDR_OK);
        EXPECT_EQ(LdrFileFormat(), LDR_FORMAT_ELF);
        ADDR start{}, startElf{};
        LdrGetStartPC(&start);
        LdrGetStartPC_ELF(&startElf);
        EXPECT_EQ(start, startElf);
        int a[4] = {}, b[4] = {};
        LdrGetStack(&a[0], &a[1], &a[2], &a[3]);
        LdrGetStack_ELF(&b[0], &b[1], &b[2], &b[3]);
        EXPECT_EQ(std::vector<int>(a, a + 4), std::vector<int>(b, b + 4));
        EXPECT_EQ(LdrIsBigEndian(), std::string(fixture) == "ldr_be" ? 1 : 0);
        EXPECT_EQ(LdrIsSymbolLoaded(), 1);
    }
}

TEST_F(FrontEndTest, EscEndsTheCodePassAndEmptiesQuinar)
{
    std::string text = SYMBOL_HEADER;
    for (uint32_t i = 0; i < 50; ++i)
        text += Srec('1', 0x1000 + 16 * i, Ramp(static_cast<uint8_t>(i), 16));
    const std::string path = File("esc.srec", text);
    // An Esc pressed before the load is no abort of it.
    platform::SetKeyDown(VK_ESCAPE, true);
    platform::SetKeyDown(VK_ESCAPE, false);
    ASSERT_EQ(Load(path, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE), LDR_OK);

    int records = 0;
    platform::SetPumpHook([&] {
        if (++records == 10)
            platform::SetKeyDown(VK_ESCAPE, true);
    });
    quinar::Symbols().Clear();
    sim().PokeBytes(0x1000, std::vector<uint8_t>(16, 0xEE));
    EXPECT_EQ(Load(path, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE), LDR_E_USER_ABORT);
    platform::SetPumpHook(nullptr);
    platform::SetKeyDown(VK_ESCAPE, false);
    EXPECT_EQ(records, 10);
    EXPECT_TRUE(quinar::ListSymbols().empty());
    EXPECT_EQ(progress.back(), 100u);
}

// A window procedure that runs while the load pumps may ask for a load:
// refused, the running one goes on. That holds while tarnel loads too.
TEST_F(FrontEndTest, ALoadDuringALoadIsRefused)
{
    std::string text;
    for (uint32_t i = 0; i < 20; ++i)
        text += Srec('1', 0x1000 + 16 * i, Ramp(0, 16));
    const std::string srec = File("busy.srec", text);
    const std::string elf = zk::test::FixturePath("ldr_le");
    for (const std::string& outer : {srec, elf}) {
        SCOPED_TRACE(outer);
        std::vector<LdrResult> inner;
        platform::SetPumpHook([&] {
            if (inner.empty())
                inner.push_back(LdrLoadWin(srec.c_str(), 0, LDR_LOAD_CODE, nullptr));
        });
        EXPECT_EQ(Load(outer, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS), LDR_OK);
        platform::SetPumpHook(nullptr);
        EXPECT_EQ(inner, std::vector<LdrResult>{LDR_E_BUSY});
        EXPECT_EQ(LdrFileFormat(), outer == elf ? LDR_FORMAT_ELF : LDR_FORMAT_SRECORDS);
        EXPECT_FALSE(FrontState().loading);
    }
}

TEST_F(FrontEndTest, ALongPathLoadsAndKeepsItsTail)
{
    std::string dir = ::testing::TempDir() + "quentor_" + std::to_string(::getpid());
    while (dir.size() < 300)
        dir += "/deeper_folder_name";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/image.srec";
    std::ofstream(path, std::ios::binary) << Srec('1', 0x1000, Ramp(0, 16));
    EXPECT_EQ(Load(path, LDR_LOAD_CODE), LDR_OK);
    EXPECT_EQ(FrontState().record.pathTail, path.substr(path.size() - 255));
    std::filesystem::remove_all(::testing::TempDir() + "quentor_" + std::to_string(::getpid()));
}

TEST_F(FrontEndTest, TheBarMovesInTwentiethsOfALargeFile)
{
    std::string text;
    for (uint32_t i = 0; i < 4000; ++i)
        text += Srec('3', 0x100000 + 32 * i, Ramp(static_cast<uint8_t>(i), 32));
    ASSERT_EQ(Load(File("large.srec", text), LDR_LOAD_CODE), LDR_OK);
    ASSERT_GT(progress.size(), 20u);
    EXPECT_EQ(progress.back(), 100u);
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_LE(progress[i] - progress[i - 1], 5u) << i;
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(sim().PeekBytes(0x100000 + 32 * 3999, 32), Ramp(static_cast<uint8_t>(3999), 32));
}

}  // namespace
}  // namespace quentor
