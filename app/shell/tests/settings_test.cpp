// The settings record against the registry store.
#include "shell/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sarvik.h"
#include "shell/reg_key.h"
#include "shell_test_support.h"

using namespace shell;
using shell::test::kConfigKey;

namespace {

struct RestartCall {
    int stopAtEntry = -1;
    std::string symbol;
    int calls = 0;
};
RestartCall g_restart;

void RecordRestart(int stopAtEntry, const char* symbol)
{
    g_restart = {stopAtEntry, symbol ? symbol : "", g_restart.calls + 1};
}

class SettingsTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        g_restart = {};
        SetRestartOptionTarget(&RecordRestart);
    }
    void TearDown() override
    {
        SetRestartOptionTarget(nullptr);
        RegistryTest::TearDown();
    }
    void WriteWords(const char* name, const CDWordArray& words)
    {
        RegKey key;
        ASSERT_TRUE(key.CreateKey(kConfigKey));
        key.Write(name, words);
    }
};

TEST_F(SettingsTest, EmptyKeyGivesTheDefaultsAndCreatesTheKey)
{
    CDebuggerSettings s;
    s.Simulate = 7;  // kept: never defaulted
    s.Load(kConfigKey);
    EXPECT_TRUE(Reg().KeyExists(kConfigKey));
    EXPECT_EQ(s.Simulate, 7);
    EXPECT_EQ(s.DataTip, 1);
    EXPECT_EQ(s.LineNumbe, 1);
    EXPECT_EQ(s.Symbolic, 1);
    EXPECT_EQ(s.IgnoreBP, 1);
    EXPECT_EQ(s.LdrClrBP, 0);
    EXPECT_EQ(s.CursorLink, 1);
    EXPECT_EQ(s.SavedCommands, 100);
    // The default 0x100F asks for a download without segment kinds: the
    // load rule adds them as for a stored value.
    EXPECT_EQ(s.SrcLoadOption, 0x700100F);
    EXPECT_EQ(g_loadOption, 0x700100F);
    EXPECT_EQ(s.MaxUndoLen, 4096);
    EXPECT_EQ(s.SmartEdit, 1u);
    EXPECT_EQ(s.OnlyStartAddr, 1);
    EXPECT_EQ(s.CMainEntry, "main");
    EXPECT_EQ(s.Exceptions, 0x1B9u);
    EXPECT_EQ(s.Protocol, "Pelliton");
    EXPECT_EQ(s.InitFileName, "");
    EXPECT_EQ(s.SemiHosting, 1);
    EXPECT_EQ(s.TopMemory, 0x74000u);
    EXPECT_EQ(s.SemiHostVector, 8u);
    EXPECT_EQ(s.ToolChain, "fendrix");
    EXPECT_EQ(s.EditorFont, nullptr);
    EXPECT_EQ(s.FormatColors[0].fore, color::Black);
    EXPECT_EQ(s.FormatColors[1].fore, color::Blue);
    EXPECT_EQ(s.FormatColors[9].fore, color::Purple);
    EXPECT_EQ(s.FormatColors[10].fore, color::Fushcia);
    EXPECT_EQ(s.FormatColors[12].fore, color::Grey);
    for (const auto& p : s.FormatColors)
        EXPECT_EQ(p.back, color::White);
    // The restart option went to the debugger core after CMainEntry.
    EXPECT_EQ(g_restart.calls, 1);
    EXPECT_EQ(g_restart.stopAtEntry, 1);
    EXPECT_EQ(g_restart.symbol, "main");
}

TEST_F(SettingsTest, RestartOptionGoesToTheDebuggerCoreLibraryByDefault)
{
    EXPECT_EQ(SetRestartOptionTarget(nullptr), &RecordRestart);
    EXPECT_EQ(SetRestartOptionTarget(&RecordRestart), &::SetRestartOption);
}

TEST_F(SettingsTest, DownloadWithoutSegmentBitsLoadsEverySegment)
{
    struct Row {
        DWORD stored, loaded;
    } rows[] = {{0x2, 0x7000002}, {0x1000002, 0x1000002}, {0x1, 0x1}, {0x4000003, 0x4000003}};
    for (const Row& r : rows) {
        Reg().SetDword(kConfigKey, "SrcLoadOption", r.stored);
        CDebuggerSettings s;
        s.Load(kConfigKey);
        EXPECT_EQ(static_cast<DWORD>(s.SrcLoadOption), r.loaded) << std::hex << r.stored;
        EXPECT_EQ(static_cast<DWORD>(g_loadOption), r.loaded);
    }
}

TEST_F(SettingsTest, WrongTypedValuesTakeTheDefaults)
{
    Reg().SetString(kConfigKey, "SavedCommands", "250");
    Reg().SetDword(kConfigKey, "Protocol", 3);
    Reg().SetBinary(kConfigKey, "MaxUndoLen", {1, 2, 3, 4});
    Reg().SetString(kConfigKey, "Format Colors", "red");
    Reg().SetDword(kConfigKey, "FontName", 12);
    CDebuggerSettings s;
    s.Load(kConfigKey);
    EXPECT_EQ(s.SavedCommands, 100);
    EXPECT_EQ(s.Protocol, "Pelliton");
    EXPECT_EQ(s.MaxUndoLen, 4096);
    EXPECT_EQ(s.FormatColors[1].fore, color::Blue);
    EXPECT_EQ(s.EditorFont, nullptr);
}

TEST_F(SettingsTest, ShortColourListKeepsThePairsItHolds)
{
    // Two whole pairs and half of a third.
    WriteWords("Format Colors", {0x111111, 0x222222, 0x333333, 0x444444, 0x555555});
    CDebuggerSettings s;
    s.Load(kConfigKey);
    EXPECT_EQ(s.FormatColors[0].fore, 0x111111u);
    EXPECT_EQ(s.FormatColors[0].back, 0x222222u);
    EXPECT_EQ(s.FormatColors[1].fore, 0x333333u);
    EXPECT_EQ(s.FormatColors[1].back, 0x444444u);
    EXPECT_EQ(s.FormatColors[2].fore, color::Green);
    EXPECT_EQ(s.FormatColors[2].back, color::White);
    EXPECT_EQ(s.FormatColors[12].fore, color::Grey);
}

TEST_F(SettingsTest, SaveWritesTheSavedFieldsOnlyAndReloadsThem)
{
    CDebuggerSettings s;
    s.Load(kConfigKey);
    s.Case = 1;
    s.MaxUndoLen = 99;
    s.CMainEntry = "start";
    s.Protocol = "Simulator";
    s.ToolChain = "mybuild";
    s.Exceptions = 0xFFFFFFFF;
    s.FormatColors[4] = {0x123456, 0x654321};
    s.Save(kConfigKey);
    for (const char* never : {"Simulate", "SimulateAfterFail", "SemiHosting", "TopMemory", "SemiHostVector"})
        EXPECT_FALSE(Reg().GetValue(kConfigKey, never)) << never;
    // The tool chain goes out under the name "toolchain" and reads back as "ToolChain".
    EXPECT_EQ(Reg().ValueNames(kConfigKey).size(), 26u);
    bool lowerName = false;
    for (const auto& n : Reg().ValueNames(kConfigKey))
        lowerName = lowerName || n == "toolchain";
    EXPECT_TRUE(lowerName);
    EXPECT_FALSE(Reg().GetValue(kConfigKey, "FontName"));

    CDebuggerSettings t;
    t.Load(kConfigKey);
    EXPECT_EQ(t.Case, 1);
    EXPECT_EQ(t.MaxUndoLen, 99);
    EXPECT_EQ(t.CMainEntry, "start");
    EXPECT_EQ(t.Protocol, "Simulator");
    EXPECT_EQ(t.ToolChain, "mybuild");
    EXPECT_EQ(t.Exceptions, 0xFFFFFFFFu);
    EXPECT_EQ(t.FormatColors[4].fore, 0x123456u);
    EXPECT_EQ(t.FormatColors[4].back, 0x654321u);
    EXPECT_EQ(g_restart.symbol, "start");
}

TEST_F(SettingsTest, FontIsMadeAgainFromTheStoredValues)
{
    Reg().SetString(kConfigKey, "FontName", "Courier New");
    Reg().SetDword(kConfigKey, "FontHeight", static_cast<DWORD>(-13));
    CDebuggerSettings s;
    s.Load(kConfigKey);
    ASSERT_NE(s.EditorFont, nullptr);
    LOGFONT lf{};
    ASSERT_GT(GetObject(s.EditorFont, sizeof lf, &lf), 0);
    EXPECT_STREQ(lf.lfFaceName, "Courier New");
    EXPECT_EQ(lf.lfHeight, -13);
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(lf.lfCharSet, 1);
    s.Save(kConfigKey);
    EXPECT_EQ(Reg().GetDword(kConfigKey, "FontWidth"), 0u);
    EXPECT_EQ(Reg().GetDword(kConfigKey, "FontHeight"), static_cast<DWORD>(-13));
}

TEST_F(SettingsTest, LongFontNameIsKeptWhole)
{
    const std::string name = "A Font Family Name Longer Than Thirty-One Characters";
    Reg().SetString(kConfigKey, "FontName", name);
    CDebuggerSettings s;
    s.Load(kConfigKey);
    ASSERT_NE(s.EditorFont, nullptr);
    LOGFONT lf{};
    GetObject(s.EditorFont, sizeof lf, &lf);
    EXPECT_EQ(std::string(lf.lfFaceName), name.substr(0, 31));
    s.Save(kConfigKey);
    EXPECT_EQ(Reg().GetString(kConfigKey, "FontName"), name);

    // A font chosen since (another face) is written as chosen.
    s.DeleteEditorFont();
    LOGFONT other = platform::MakeLogFont("Courier", 12);
    s.EditorFont = CreateFontIndirect(&other);
    s.Save(kConfigKey);
    EXPECT_EQ(Reg().GetString(kConfigKey, "FontName"), "Courier");
}

}  // namespace
