// The application's command line and profile, fonts, and cell paint records.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi.h"
#include "platform/registry.h"
#include "platform/win_app.h"

namespace {

using namespace platform;

struct CommandLineCase {
    std::vector<const char*> args;
    CCommandLineInfo::ShellCommand command;
    std::string file;
    bool embedded, automated;
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, Parses)
{
    const auto& c = GetParam();
    CWinApp app("CmdLine");
    CCommandLineInfo info;
    std::vector<const char*> argv{"quelm"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    app.ParseCommandLine(info, static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(info.m_nShellCommand, c.command);
    EXPECT_EQ(info.m_strFileName, c.file);
    EXPECT_EQ(info.m_bRunEmbedded != FALSE, c.embedded);
    EXPECT_EQ(info.m_bRunAutomated != FALSE, c.automated);
}

INSTANTIATE_TEST_SUITE_P(
    App, CommandLineTest,
    ::testing::Values(CommandLineCase{{}, CCommandLineInfo::FileNew, "", false, false},
                      CommandLineCase{{"proj.zpj"}, CCommandLineInfo::FileOpen, "proj.zpj", false, false},
                      CommandLineCase{{"/Embedding"}, CCommandLineInfo::FileNothing, "", true, false},
                      CommandLineCase{{"-automation"}, CCommandLineInfo::FileNothing, "", false, true},
                      CommandLineCase{{"/Automation", "a b.c"}, CCommandLineInfo::FileOpen, "a b.c", false, true},
                      // An absolute path is a file, not a switch.
                      CommandLineCase{
                          {"/D", "/srv/p/main.c"}, CCommandLineInfo::FileOpen, "/srv/p/main.c", false, false}));

TEST(ProfileTest, RecentFilesLiveUnderTheRegistryKey)
{
    Registry::Global().DeleteKey("Software\\TestCo\\Prof");
    {
        CWinApp app("Prof");
        app.SetRegistryKey("TestCo");
        app.LoadStdProfileSettings(3);
        app.AddToRecentFileList("/p/a.c");
        app.AddToRecentFileList("/p/b.c");
        app.AddToRecentFileList("/P/A.C");  // the same file moves to the front
        app.AddToRecentFileList("/p/c.c");
        app.AddToRecentFileList("/p/d.c");  // the oldest drops out
        app.WriteProfileInt("Settings", "Count", 5);
        app.ExitInstance();
    }
    EXPECT_EQ(Registry::Global().GetString("Software\\TestCo\\Prof\\Recent File List", "File1"), "/p/d.c");
    CWinApp app("Prof");
    app.SetRegistryKey("TestCo");
    app.LoadStdProfileSettings(3);
    const CRecentFileList& list = *app.RecentFiles();
    EXPECT_EQ(list[0], "/p/d.c");
    EXPECT_EQ(list[1], "/p/c.c");
    EXPECT_EQ(list[2], "/P/A.C");
    EXPECT_EQ(app.GetProfileInt("Settings", "Count", 0), 5u);
    EXPECT_EQ(app.GetProfileString("Settings", "Missing", "dflt"), "dflt");
    CMenu menu;
    menu.AppendMenu(MF_STRING, ID_FILE_OPEN, "&Open");
    menu.AppendMenu(MF_STRING, ID_FILE_MRU_FILE1, "Recent File");
    menu.AppendMenu(MF_STRING, ID_APP_EXIT, "E&xit");
    app.RecentFiles()->UpdateMenu(menu);
    ASSERT_EQ(menu.GetMenuItemCount(), 5);
    EXPECT_EQ(menu.GetMenuString(1, MF_BYPOSITION), "&1 /p/d.c");
    EXPECT_EQ(menu.GetMenuItemID(3), ID_FILE_MRU_FILE1 + 2);
    EXPECT_EQ(menu.GetMenuItemID(4), ID_APP_EXIT);
}

TEST(FontTest, HandlesStockFontsAndTheMapping)
{
    size_t before = FontHandleCount();
    LOGFONT lf = MakeLogFont("Courier New", 16, FW_BOLD);
    HFONT font = CreateFontIndirect(&lf);
    ASSERT_NE(font, nullptr);
    LOGFONT back{};
    EXPECT_EQ(GetObject(font, sizeof back, &back), static_cast<int>(sizeof(LOGFONT)));
    EXPECT_STREQ(back.lfFaceName, "Courier New");
    FontSpec spec;
    ASSERT_TRUE(FontOfHandle(font, spec));
    EXPECT_EQ(spec, (FontSpec{"DejaVu Sans Mono", 16, true, false, false, true}));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(GetObject(font, sizeof back, &back), 0);
    EXPECT_EQ(FontHandleCount(), before);

    struct Stock {
        int index;
        FontSpec spec;
    };
    for (const Stock& s : {Stock{SYSTEM_FIXED_FONT, {"DejaVu Sans Mono", 14, false, false, false, true}},
                           Stock{ANSI_FIXED_FONT, {"DejaVu Sans Mono", 13, false, false, false, true}},
                           Stock{ANSI_VAR_FONT, {"DejaVu Sans", 12, false, false, false, false}},
                           Stock{DEFAULT_GUI_FONT, {"DejaVu Sans", 12, false, false, false, false}}}) {
        HGDIOBJ stock = GetStockObject(s.index);
        ASSERT_TRUE(FontOfHandle(stock, spec)) << s.index;
        EXPECT_EQ(spec, s.spec) << s.index;
        EXPECT_TRUE(DeleteObject(stock));
        EXPECT_TRUE(FontOfHandle(stock, spec));  // never deleted
    }
    LOGFONT unknown = MakeLogFont("No Such Face", 0);
    EXPECT_EQ(ResolveFont(unknown).family, "DejaVu Sans");
    unknown.lfPitchAndFamily = FIXED_PITCH;
    EXPECT_EQ(ResolveFont(unknown).family, "DejaVu Sans Mono");
    EXPECT_EQ(ResolveFont(unknown).pixelSize, 14);
}

TEST(CellPaintTest, CellColoursComeFromFillsRunsAndXorInversion)
{
    CellPaint paint;
    paint.formats = {
        {RGB(0, 0, 0), RGB(255, 255, 255)}, {RGB(0, 0, 255), RGB(255, 255, 255)}, {RGB(0, 0, 0), RGB(255, 255, 0)}};
    CellRow row;
    row.fills.push_back({0, -1, 2});
    row.runs.push_back({2, "int", 1});
    row.inverted.push_back({3, 4});
    EXPECT_EQ(paint.CellAt(row, 0), paint.formats[2]);
    EXPECT_EQ(paint.CellAt(row, 2), paint.formats[1]);
    EXPECT_EQ(paint.CellAt(row, 3), (CellColors{RGB(255, 255, 0), RGB(0, 0, 0)}));
    EXPECT_EQ(paint.CellAt(row, 6), (CellColors{RGB(255, 255, 255), RGB(0, 0, 255)}));
    EXPECT_EQ(paint.CellAt(row, 7), paint.formats[2]);
    EXPECT_EQ(paint.CharAt(row, 3), 'n');
    EXPECT_EQ(paint.CharAt(row, 5), ' ');
    EXPECT_EQ(ExpandTabs("a\tbc\td\t\te"), "a   bc  d       e");
    EXPECT_EQ(ExpandTabs("\t"), "    ");
}

}  // namespace

#include "platform/clipboard.h"

namespace {

TEST(ClipboardTest, Win32CallsGoThroughTheService)
{
    using namespace platform;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr));  // one opener at a time
    EXPECT_TRUE(EmptyClipboard());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 6);
    std::memcpy(GlobalLock(block), "r0=1\0x", 6);
    GlobalUnlock(block);
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), block);
    EXPECT_EQ(GetClipboard().GetText(), "r0=1");
    HGLOBAL out = GetClipboardData(CF_TEXT);
    ASSERT_NE(out, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(out)), "r0=1");
    GlobalUnlock(out);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);  // closed
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    // A block without a NUL ends at its size.
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL raw = GlobalAlloc(GMEM_MOVEABLE, 3);
    std::memcpy(GlobalLock(raw), "abc", 3);
    GlobalUnlock(raw);
    SetClipboardData(CF_TEXT, raw);
    EXPECT_EQ(GetClipboard().GetText(), "abc");
    CloseClipboard();
}

}  // namespace
