// The command language through its library interface: what reaches the
// caller's output area, dispatch results, the history, init and close.
#include <gtest/gtest.h>
#include <unistd.h>

#include "simcmd/command_language.h"
#include "test_programs.h"

namespace zk::sim {
namespace {

struct CommandLanguageTest : testing::Test {
    Simulator sim;
    CommandLanguage language{sim};
    std::string console;

    void SetUp() override
    {
        language.Init();
        language.Output().SetConsole([this](std::string_view text) { console += text; });
        language.Output().SetPrinting(true);
    }
};

TEST_F(CommandLanguageTest, OutputAreaReceivesReadItemsBreakMessagesAndUnknownWords)
{
    language.Dispatch("w 0x100 -e 0x10f 0x11223344");
    std::string area;
    language.Dispatch("read 0x100 0x14", &area);
    EXPECT_EQ(area, "0x11223344 0x11223344 0x11223344 0x11223344 0x00000000 ");
    // The address lines go to the console only.
    EXPECT_EQ(console, "0x11223344 0x11223344 0x11223344 0x11223344 \n|    0x00000110:  0x00000000 \n");

    area.clear();
    language.Dispatch("break 0x40; break 0x40 -d; break -da; nonsense; break 0x44", &area);
    EXPECT_EQ(area,
              "Insert 0x00000040 software instruction break OK!!!\n"
              "Disable 0x00000040 software instruction break OK!!!\n"
              "| Unrecognised command: <nonsense>\n");
}

// Run, InsertBreak and DisableAllBreaks do what their lines do: the same
// text (printing on or off), the same breakpoint list, count and PC.
TEST(CommandLanguageCalls, ActAsTheirLines)
{
    struct Side {
        Simulator sim;
        CommandLanguage language{sim};
        std::string console;
    };
    for (const bool printing : {true, false}) {
        SCOPED_TRACE(printing ? "printing" : "silent");
        Side lines, calls;
        for (Side* side : {&lines, &calls}) {
            side->language.Init();
            side->language.Output().SetConsole([side](std::string_view text) { side->console += text; });
            side->language.Output().SetPrinting(printing);
            test::LoadWords(side->sim, 0, {0xE3A00005, 0xE2800001, test::kNormalEnd});
        }
        lines.language.Dispatch("break 0x40; break 0x44; break -da; break 0x48; run");
        calls.language.InsertBreak(0x40);
        calls.language.InsertBreak(0x44);
        calls.language.DisableAllBreaks();
        calls.language.InsertBreak(0x48);
        calls.language.Run();
        // The run's time differs.
        const auto timeless = [](std::string text) {
            const size_t at = text.find("takes ");
            return at == std::string::npos ? text : text.substr(0, at);
        };
        EXPECT_EQ(timeless(calls.console), timeless(lines.console));
        EXPECT_EQ(calls.console.empty(), !printing);
        const auto list = [](Side& side) {
            std::string text;
            for (const SoftwareBreakpoint& b : side.sim.Breakpoints().Records())
                text += std::to_string(b.address) + (b.enabled ? "+ " : "- ");
            return text;
        };
        EXPECT_EQ(list(calls), "64- 68- 72+ ");
        EXPECT_EQ(list(calls), list(lines));
        EXPECT_EQ(calls.language.LastRunResult(), lines.language.LastRunResult());
        EXPECT_EQ(calls.sim.Cpu().pc, lines.sim.Cpu().pc);
        EXPECT_EQ(calls.language.Symbols().Find("ICount")->value, 2u);
        EXPECT_EQ(lines.language.Symbols().Find("ICount")->value, 2u);
    }
}

TEST_F(CommandLanguageTest, QuitEndsTheLineAndReportsIt)
{
    EXPECT_EQ(language.Dispatch("r0 = 1; quit; r0 = 2"), CommandLanguage::kQuit);
    EXPECT_EQ(language.Dispatch("exit"), CommandLanguage::kQuit);
    EXPECT_EQ(language.Dispatch("Q"), CommandLanguage::kQuit);
    EXPECT_EQ(language.Dispatch(""), CommandLanguage::kDone);
    EXPECT_EQ(language.Dispatch("r0; nonsense"), CommandLanguage::kDone);
    uint32_t r0 = 0;
    sim.ReadRegister(1, r0);
    EXPECT_EQ(r0, 1u);
}

TEST_F(CommandLanguageTest, ALineHoldsAtMostThirtyCommands)
{
    std::string line;
    for (int i = 0; i < 40; ++i)
        line += "r0 += 1;";
    language.Dispatch(line);
    uint32_t r0 = 0;
    sim.ReadRegister(1, r0);
    EXPECT_EQ(r0, 30u);
}

TEST_F(CommandLanguageTest, HistoryListsAndRunsRecordedLines)
{
    CommandHistory& history = language.History();
    for (int i = 0; i < 25; ++i)
        history.Record("r0 += 1");
    history.Record("r1 = 0x" + std::string(80, '7'));  // cut to 59 characters
    history.Record("history 2");                       // the history command itself
    EXPECT_EQ(history.Size(), CommandHistory::kLines);

    console.clear();
    language.Dispatch("history 21");
    // "history" drops its own line first; line 21 is the cut one.
    const std::string cut = "r1 = 0x" + std::string(52, '7');
    EXPECT_EQ(console, ">> " + cut + "\n0xffffffff");
    EXPECT_EQ(history.Size(), CommandHistory::kLines - 1);

    console.clear();
    language.Dispatch("history");
    EXPECT_EQ(console.substr(0, 28), "Command history:\n01    r0 +=");
    EXPECT_NE(console.find("\n20    r0 += 1\n"), std::string::npos);

    language.Dispatch("history 99; r2 = 5");  // unknown line: the rest of the line is dropped
    uint32_t r2 = 0;
    sim.ReadRegister(3, r2);
    EXPECT_EQ(r2, 0u);
    language.Dispatch("history -c");
    EXPECT_EQ(history.Size(), 0u);
}

TEST_F(CommandLanguageTest, StepAndRunKeepICountAndTheLastRunResult)
{
    test::LoadWords(sim, 0, {0xE3A00005, 0xE2800001, test::kBreakWord});
    language.Dispatch("step");
    EXPECT_EQ(language.Symbols().Find("icount")->value, 1u);
    language.Dispatch("run");
    EXPECT_EQ(language.Symbols().Find("ICount")->value, 2u);
    EXPECT_EQ(language.LastRunResult(), kNormalEnd);

    // Init sets ICount back to 0 and keeps the other symbols.
    language.Dispatch("symbol mine; mine = 3");
    language.Init();
    EXPECT_EQ(language.Symbols().Find("ICount")->value, 0u);
    EXPECT_EQ(language.Symbols().Find("mine")->value, 3u);
}

TEST_F(CommandLanguageTest, RunEndsTheCommandLine)
{
    test::LoadWords(sim, 0, {test::kNormalEnd});
    language.Dispatch("run; r0 = 7");
    uint32_t r0 = 0;
    sim.ReadRegister(1, r0);
    EXPECT_EQ(r0, 0u);
}

TEST_F(CommandLanguageTest, CloseFreesSymbolsAndClosesScriptAndLog)
{
    const std::string log = std::string(ZK_BIN_DIR) + "/../tests/close_test_" + std::to_string(getpid()) + ".log";
    language.Dispatch("config -logfile " + log + "; script " + log);
    ASSERT_TRUE(language.Output().LogFileOpen());
    ASSERT_TRUE(language.ScriptOpen());
    language.Close();
    EXPECT_TRUE(language.Symbols().All().empty());
    EXPECT_FALSE(language.ScriptOpen());
    EXPECT_FALSE(language.Output().LogFileOpen());
    // Without the symbol, step still works and ICount is simply missing.
    language.Dispatch("step");
    EXPECT_EQ(sim.InstructionCount(), 1u);
    EXPECT_EQ(language.Symbols().Find("ICount"), nullptr);
}

TEST_F(CommandLanguageTest, WithPrintingAndLoggingOffNothingIsPrinted)
{
    language.Output().SetPrinting(false);
    language.Dispatch("reg; help; cregister; config; nonsense; step; break -p");
    EXPECT_EQ(console, "");
}

}  // namespace
}  // namespace zk::sim
