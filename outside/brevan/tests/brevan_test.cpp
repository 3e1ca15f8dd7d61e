// The shell server: the console blocks a frame receives, the command table
// and the execution of command lines.
#include <gmock/gmock.h>
#include <platform/messages.h>
#include <platform/win32.h>

#include <string>
#include <vector>

#include "brevan/brevan.h"
#include "emu_messages.h"

namespace {

using ::testing::ElementsAre;

constexpr const char* NEW_LINE = "<new line>";

// A main frame that keeps what its console would show: each block's text,
// and NEW_LINE for a new-line update. It frees the blocks, as the frame does.
class BrevanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg != WM_EMU_UPDATE_VIEWS || w != DVK_CONSOLE_TEXT)
                return 0;
            if (l == 0) {
                console_.push_back(NEW_LINE);
                return 1;
            }
            HGLOBAL block = reinterpret_cast<HGLOBAL>(l);
            console_.push_back(static_cast<const char*>(GlobalLock(block)));
            GlobalUnlock(block);
            GlobalFree(block);
            return 1;
        });
        ShlInitServer(frame_, 0, 1);
    }
    void TearDown() override
    {
        ShlExitServer();
        platform::DestroySink(frame_);
    }

    static std::string Out(const std::string& text) { return std::string(BREVAN_OUTPUT_MARGIN, ' ') + text; }

    HWND frame_ = nullptr;
    std::vector<std::string> console_;
};

TEST_F(BrevanTest, MessagesReachTheConsoleLineByLineBehindTheMargin)
{
    ShlPrintMessage("Total Breakpoint number: 2", SHL_PRINT_MESSAGE);
    ShlPrintMessage("HW0 watchpoint:\n    address: 0x00001000\n", SHL_PRINT_MESSAGE);
    ShlPrintMessage("\n", SHL_PRINT_RAW);
    ShlPrintMessage("", SHL_PRINT_MESSAGE);
    EXPECT_THAT(console_,
                ElementsAre(Out("Total Breakpoint number: 2"), NEW_LINE, Out("HW0 watchpoint:"), NEW_LINE,
                            Out("    address: 0x00001000"), NEW_LINE, "\n", Out(""), NEW_LINE));
}

TEST_F(BrevanTest, ASinkTakesTheTextsInsteadOfTheConsole)
{
    {
        brevan::MessageCapture capture;
        ShlPrintMessage("set watchpoint is OK!", SHL_PRINT_MESSAGE);
        ShlPrintMessage("\n", SHL_PRINT_RAW);
        EXPECT_THAT(capture.texts, ElementsAre("set watchpoint is OK!"));
        EXPECT_THAT(capture.raw, ElementsAre("\n"));
    }
    EXPECT_TRUE(console_.empty());
    ShlPrintMessage("back", SHL_PRINT_MESSAGE);
    EXPECT_EQ(console_.size(), 2u) << "the console again once the capture ends";

    ShlExitServer();
    console_.clear();
    ShlPrintMessage("nowhere", SHL_PRINT_MESSAGE);
    EXPECT_TRUE(console_.empty()) << "without a frame the text is dropped";
}

TEST_F(BrevanTest, ALineRunsTheCommandOfItsFirstWordWithItsWords)
{
    std::vector<std::vector<std::string>> calls;
    int busyInside = 0;
    ASSERT_EQ(brevan::AddCommand("BP", "BP [address]",
                                 [&](int argc, char** argv) {
                                     calls.emplace_back(argv, argv + argc);
                                     busyInside = ShlIsBusy();
                                     return argc == 1 ? 0 : 7;
                                 }),
              0);
    int mode = 4, wait = 1;
    const char line[] = ">  bp \t 0x8000   #main  ";
    EXPECT_EQ(ShlExecuteCommand(line, sizeof line - 1, &mode, &wait), 7);
    EXPECT_EQ(wait, 0);
    EXPECT_EQ(mode, 4);
    EXPECT_EQ(busyInside, 1);
    EXPECT_EQ(ShlIsBusy(), 0);
    EXPECT_EQ(ShlExecuteCommand("BP 100 and more", 2, nullptr, nullptr), 0) << "only `length` characters count";
    EXPECT_EQ(ShlExecuteCommand("BP 7", 255, nullptr, nullptr), 7) << "nor past the text's end";
    EXPECT_THAT(calls, ElementsAre(ElementsAre("bp", "0x8000", "#main"), ElementsAre("BP"), ElementsAre("BP", "7")));

    std::string name, syntax;
    ASSERT_TRUE(brevan::LookupCommand("Bp", &name, &syntax));
    EXPECT_EQ(name, "BP");
    EXPECT_EQ(syntax, "BP [address]");
}

TEST_F(BrevanTest, UnknownWordsAndEmptyLines)
{
    brevan::MessageCapture capture;
    EXPECT_EQ(ShlExecuteCommand("> nothing here", 14, nullptr, nullptr), SHL_NO_SUCH_COMMAND);
    EXPECT_THAT(capture.texts, ElementsAre("No such command"));
    EXPECT_EQ(ShlExecuteCommand(">  ", 3, nullptr, nullptr), 0);
    EXPECT_EQ(ShlExecuteCommand(nullptr, 5, nullptr, nullptr), 0);
    EXPECT_EQ(ShlAddCommand("", "", [](int, char**) { return 0; }), -1);
    EXPECT_EQ(ShlAddCommand("X", "", nullptr), -1);

    // A later command of the same word replaces the first.
    ASSERT_EQ(ShlAddCommand("go", "GO", [](int, char**) { return 1; }), 0);
    ASSERT_EQ(ShlAddCommand("GO", "GO", [](int, char**) { return 2; }), 0);
    EXPECT_EQ(ShlExecuteCommand("go", 2, nullptr, nullptr), 2);
    ShlExitServer();
    EXPECT_EQ(ShlExecuteCommand("go", 2, nullptr, nullptr), SHL_NO_SUCH_COMMAND);
}

}  // namespace

// The include command.
#include <filesystem>
#include <fstream>

#include "brevan/brevan.h"

namespace {

class IncludeTest : public BrevanTest {
protected:
    void SetUp() override
    {
        BrevanTest::SetUp();
        folder_ = std::filesystem::temp_directory_path() / ("zk-brevan-include-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        brevan::AddCommand("SAY", "SAY words", [this](int argc, char** argv) {
            std::string line;
            for (int i = 1; i < argc; ++i)
                line += std::string(i > 1 ? " " : "") + argv[i];
            said_.push_back(line);
            return 0;
        });
    }
    void TearDown() override
    {
        std::filesystem::remove_all(folder_);
        BrevanTest::TearDown();
    }
    std::string File(const std::string& name, const std::string& bytes)
    {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    int Run(const std::string& line)
    {
        return ShlExecuteCommand(line.c_str(), static_cast<int>(line.size()), nullptr, nullptr);
    }

    std::filesystem::path folder_;
    std::vector<std::string> said_;
};

TEST_F(IncludeTest, QuotedPathsMayHoldBlanksAndLackTheClosingQuote)
{
    const std::string path = File("board init.inc", "SAY one\r\n\r\n  SAY two  \n>say three");
    for (const std::string& line : {"include \"" + path + "\"", ">INCLUDE \"" + path, "Include   \"" + path + "\"  "}) {
        said_.clear();
        brevan::MessageCapture capture;
        EXPECT_EQ(Run(line), 0) << line;
        EXPECT_THAT(said_, ElementsAre("one", "two", "three")) << line;
        EXPECT_TRUE(capture.texts.empty());
    }
    const std::string plain = File("plain.inc", "SAY four\n");
    EXPECT_EQ(Run("include " + plain), 0);
    EXPECT_THAT(said_, ElementsAre("one", "two", "three", "four"));
}

TEST_F(IncludeTest, MissingBinaryAndSelfIncludingFilesGiveOneMessage)
{
    const std::string binary = File("binary.inc",
                                    std::string("SAY x\n\x7F"
                                                "ELF\x01\x00\x00",
                                                13));
    const std::string self =
        File("self.inc", "SAY before\ninclude \"" + (folder_ / "self.inc").string() + "\"\nSAY after\n");
    const std::string a = File("a.inc", "include \"" + (folder_ / "b.inc").string() + "\"\nSAY after a\n");
    File("b.inc", "SAY in b\ninclude \"" + a + "\"\n");
    struct Row {
        std::string line;
        const char* message;
        std::vector<std::string> said;
    } const rows[] = {
        {"include \"" + (folder_ / "none.inc").string() + "\"", "Cannot open include file", {}},
        {"include \"" + binary + "\"", "Not a text file", {}},
        {"include \"" + self + "\"", "includes itself", {"before"}},
        {"include \"" + a + "\"", "includes itself", {"in b"}},
        {"include", "no file given", {}},
    };
    for (const Row& row : rows) {
        said_.clear();
        brevan::MessageCapture capture;
        EXPECT_EQ(Run(row.line), -1) << row.line;
        ASSERT_EQ(capture.texts.size(), 1u) << row.line;
        EXPECT_THAT(capture.texts[0], ::testing::HasSubstr(row.message));
        EXPECT_EQ(said_, row.said) << row.line;
    }
}

TEST_F(IncludeTest, NestingIsBounded)
{
    // 40 distinct files each including the next.
    for (int i = 0; i < 40; ++i)
        File("n" + std::to_string(i) + ".inc",
             "include \"" + (folder_ / ("n" + std::to_string(i + 1) + ".inc")).string() + "\"\n");
    File("n40.inc", "SAY bottom\n");
    brevan::MessageCapture capture;
    EXPECT_EQ(Run("include \"" + (folder_ / "n0.inc").string() + "\""), -1);
    ASSERT_EQ(capture.texts.size(), 1u);
    EXPECT_THAT(capture.texts[0], ::testing::HasSubstr("nested too deep"));
    EXPECT_TRUE(said_.empty());
}

}  // namespace
