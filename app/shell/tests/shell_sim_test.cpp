// The shell's pieces against the real simulator with the example program
// loaded (the headless runner's set-up): the PC pane, "Change Program
// Counter" and the about box's processor name.
#include <gtest/gtest.h>

#include <sstream>

#include "emu_types.h"
#include "falcrest.h"
#include "host_tools.h"
#include "platform/frame_wnd.h"
#include "platform/messages.h"
#include "platform/scripted_ui_gtest.h"
#include "platform/win_app.h"
#include "quentor.h"
#include "sarvik.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell/small_dialogs.h"
#include "shell/status_bar.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

using namespace shell;

namespace {

constexpr const char* kProcessor = "ARM7TDMI";

// The entry point as readelf prints it.
uint32_t ReadelfEntry(const std::string& elf)
{
    auto r = zk::test::RunProcess({"arm-none-eabi-readelf", "-h", elf});
    EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-readelf is needed: " << r.err;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line))
        if (line.find("Entry point address:") != std::string::npos)
            return static_cast<uint32_t>(std::stoul(line.substr(line.find("0x")), nullptr, 16));
    ADD_FAILURE() << "no entry point in readelf's answer";
    return 0;
}

class ShellSimTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        window_ = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        InitDLL_CpuServer(0, window_, kProcessor, 0);
        int port = 0;
        ASSERT_EQ(NewABIDLL(1, kProcessor, &port, "Simulator", 1), 1) << "libDorvel.so is needed";
        MemInitServer(window_);
        EmuInit(window_);
        const EMU_TARGET_CONFIG config{EMU_CFG_BREAK_IN_STEPS, 8, 0x08000000, EMU_PROTOCOL_SIMULATOR,
                                       EMU_CATCH_DEFAULT};
        EmuSetTargetConfig(&config);
        SetBpSaveFile("");
        ASSERT_EQ(LdrLoadWin(ZK_EXAMPLE_ELF, 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
        ADDR start{0, ADDR_SPACE_TARGET};
        LdrGetStartPC(&start);
        ASSERT_EQ(EmuResetTarget(start), EMU_OK);
    }
    void SetUp() override { RegisterShellResources(); }
    static HWND window_;
};
HWND ShellSimTest::window_ = nullptr;

TEST_F(ShellSimTest, PcPaneShowsTheImagesEntry)
{
    DWORD pc = 0;
    ASSERT_EQ(CpuGetPC(&pc), 0);
    EXPECT_EQ(PcPaneText(pc), PcPaneText(ReadelfEntry(ZK_EXAMPLE_ELF)));
    EXPECT_EQ(PcPaneText(0x8000), "PC:00008000");
}

TEST_F(ShellSimTest, ChangeProgramCounterFromThePcPane)
{
    CWinApp app("sim test");
    platform::CFrameWnd frame;
    frame.Create(nullptr);
    app.m_pMainWnd = &frame;
    CSuperStatusBar bar;
    ASSERT_TRUE(bar.Create(&frame));
    bar.SetUpPanes(TRUE);

    DWORD before = 0;
    CpuGetPC(&before);
    char shown[16];
    std::snprintf(shown, sizeof shown, "0x%08X", before);
    platform::GTestScriptedUi ui;
    ui.RunDialog(
        [&](platform::ScriptedDialog& d) {
            EXPECT_EQ(d.text(IDC_PC_EDIT), shown);
            d.set(IDC_PC_EDIT, "nowhere at all");
            d.click(IDOK);
            d.set(IDC_PC_EDIT, "0x8100");
            d.click(IDOK);
        },
        "Change Program Counter");
    ui.AnswerMessageBox(IDOK);  // 32807 for the bad text; the dialog stayed
    bar.OnPaneDoubleClick(4, {400, 700});
    DWORD after = 0;
    ASSERT_EQ(CpuGetPC(&after), 0);
    EXPECT_EQ(after, 0x8100u);
    CpuSetPC(before);
    app.m_pMainWnd = nullptr;
}

TEST_F(ShellSimTest, AboutBoxNamesTheConnectedProcessor)
{
    char name[65] = {};
    ASSERT_EQ(ProcReturnProcessorName(name), 0);
    platform::GTestScriptedUi ui;
    ui.RunDialog([&](platform::ScriptedDialog& d) {
        EXPECT_EQ(d.text(IDC_ABOUT_PROCESSOR), name);
        EXPECT_EQ(d.text(IDC_ABOUT_FOURTH), "no");
        d.click(IDOK);
    });
    CAboutDlg dlg(TRUE);
    dlg.DoModal();
    EXPECT_EQ(dlg.m_processor, kProcessor);
}

}  // namespace
