// The program load on a recording TargetSide: the order of its steps, the
// refusal while the target runs, failing loads, the breakpoint clearing and
// the "Load File" dialog's path to the main frame.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "appdebug/program_load.h"
#include "appdebug/source_lookups.h"
#include "appdebug/symbol_records.h"
#include "core_fixture.h"
#include "platform/win32.h"

namespace appdebug::test {
namespace {

class ProgramLoadTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        theSettings.LdrClrBP = 0;
    }
    void TearDown() override
    {
        theSettings.LdrClrBP = 0;
        CoreTest::TearDown();
    }
    LdrResult Load(const std::string& path = "prog.elf", DWORD flags = 0x100F)
    {
        return ProgramLoader(side, frame.sink.hwnd).LoadTargetProgram(path, flags);
    }
    std::vector<UINT> ViewMessages() const
    {
        std::vector<UINT> out;
        for (const SentMessage& m : frame.sink.messages)
            if (m.msg == WM_EMU_UPDATE_VIEWS || m.msg == WM_EMU_REFRESH)
                out.push_back(m.msg == WM_EMU_REFRESH ? 0 : static_cast<UINT>(m.w));
        return out;
    }
};

TEST_F(ProgramLoadTest, ALoadSetsTheStartAndRefreshesTreesThenTheStop)
{
    side.start = {0x8124, 1};
    // While the loader reads, the load status and the loading flag say so.
    BOOL running = FALSE;
    int loadingFlag = 0;
    side.duringLoad = [&] {
        int percent = -1;
        running = SymGetLoadStatus(&percent);
        loadingFlag = shell::g_loadingImage;
    };
    EXPECT_EQ(Load("dir/prog.elf", 0x100F), LDR_OK);
    EXPECT_TRUE(running);
    EXPECT_EQ(loadingFlag, 1);
    const std::vector<std::string> expected = {"LdrLoadWin(dir/prog.elf,100F)", "SemihostProgramLoaded",
                                               "LdrGetStartPC", "CpuSetPC(8124)"};
    EXPECT_EQ(side.calls, expected);
    // Symbol tree, class tree, then the stop display (0 stands for WM_EMU_REFRESH).
    EXPECT_EQ(ViewMessages(), (std::vector<UINT>{DVK_SYMBOLS, DVK_CLASSES, 0}));
    EXPECT_EQ(shell::g_loadingImage, 0);
    int percent = -1;
    EXPECT_FALSE(SymGetLoadStatus(&percent)) << "no load runs any more";
}

TEST_F(ProgramLoadTest, AFailingLoadKeepsPcAndViews)
{
    for (LdrResult failure : {LDR_E_OPEN, LDR_E_NOT_IMAGE, LDR_E_READ, LDR_E_USER_ABORT}) {
        SCOPED_TRACE(failure);
        side.calls.clear();
        frame.sink.messages.clear();
        side.results["LdrLoadWin"] = static_cast<EmuResult>(failure);
        EXPECT_EQ(Load(), failure);
        EXPECT_EQ(side.calls, std::vector<std::string>{"LdrLoadWin(prog.elf,100F)"})
            << "the previous program keeps its host files and its PC";
        EXPECT_TRUE(ViewMessages().empty());
    }
}

TEST_F(ProgramLoadTest, WhileTheTargetRunsTheLoadIsRefusedOnce)
{
    side.runState = 1;
    ui.AnswerMessageBox(IDOK, "running");
    EXPECT_EQ(Load(), kLoadRefusedRunning);
    EXPECT_FALSE(LoadResultIsReported(kLoadRefusedRunning)) << "the caller shows nothing more";
    EXPECT_TRUE(side.calls.empty());
    EXPECT_TRUE(frame.sink.messages.empty());
}

TEST_F(ProgramLoadTest, MessagesQueuedBeforeTheLoadAreHandledBeforeTheTargetIsAsked)
{
    // A stop that arrived before the load is handled first: here a queued
    // message says the target runs, so the load is refused.
    HWND hwnd = platform::CreateSink([this](UINT, WPARAM, LPARAM) -> LRESULT {
        side.runState = 1;
        return 0;
    });
    PostMessage(hwnd, WM_USER, 0, 0);
    ui.AnswerMessageBox(IDOK, "running");
    EXPECT_EQ(Load(), kLoadRefusedRunning);
    platform::DestroySink(hwnd);
}

TEST_F(ProgramLoadTest, ClearingBreakpointsComesBeforeTheRefreshAndAFailureStopsIt)
{
    theSettings.LdrClrBP = 1;
    EXPECT_EQ(Load(), LDR_OK);
    EXPECT_EQ(side.calls.back(), "BptClearBp(0:0,0)");
    EXPECT_EQ(ViewMessages().size(), 3u);

    frame.sink.messages.clear();
    side.results["BptClearBp"] = -1;
    EXPECT_EQ(Load(), LDR_OK);
    EXPECT_TRUE(ViewMessages().empty()) << "a failed clear sends no refresh";
}

TEST_F(ProgramLoadTest, WithoutRebuildAndWithSymbolsTheListStays)
{
    // AfterProgramLoad without rebuild: symbols loaded keep the list; none
    // empties it. Either way the start PC is set first.
    ProgramLoader loader(side, frame.sink.hwnd);
    side.symbolsLoaded = 1;
    loader.AfterProgramLoad(false, "prog.elf");
    EXPECT_EQ(side.calls, (std::vector<std::string>{"LdrGetStartPC", "CpuSetPC(8000)"}));
    EXPECT_TRUE(ViewMessages().empty());
    side.symbolsLoaded = 0;
    loader.AfterProgramLoad(false, "prog.elf");
    EXPECT_EQ(LoadedModules().Count(), 0u);
    EXPECT_EQ(ViewMessages().size(), 3u);
}

// The frame's answer to WM_EMU_OPEN_IMAGE, with the path it was sent.
class OpenImageFrame {
public:
    OpenImageFrame()
    {
        hwnd = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg != WM_EMU_OPEN_IMAGE)
                return 0;
            loadOption = w;
            auto block = reinterpret_cast<HGLOBAL>(l);
            if (const char* text = static_cast<const char*>(GlobalLock(block))) {
                path = text;
                GlobalUnlock(block);
            }
            GlobalFree(block);
            ++count;
            return static_cast<LRESULT>(reply);
        });
    }
    ~OpenImageFrame() { platform::DestroySink(hwnd); }
    HWND hwnd = nullptr;
    LdrResult reply = LDR_OK;
    WPARAM loadOption = 0;
    std::string path;
    int count = 0;
};

TEST_F(ProgramLoadTest, LoadFileSendsThePathAndReportsAFailureOnce)
{
    OpenImageFrame target;
    frame.window = target.hwnd;
    theSettings.SrcLoadOption = 0x700100F;

    ui.AnswerFileDialog({"/images/prog.elf"});
    Command(ID_DEBUG_LOAD_PROGRAM);
    EXPECT_EQ(target.count, 1);
    EXPECT_EQ(target.path, "/images/prog.elf");
    EXPECT_EQ(target.loadOption, 0x700100Fu);
    const auto request = ui.Requests().back().fileDialog;
    EXPECT_EQ(request.filter, kLoadFileFilter);
    EXPECT_EQ(request.defaultExt, "elf");

    // A failing load is shown; a refusal was shown already.
    target.reply = LDR_E_OPEN;
    ui.AnswerFileDialog({"/images/gone.elf"});
    ui.AnswerMessageBox(IDOK, "not loaded: the file cannot be opened (0x8037)");
    core->LoadProgramFromDialog();
    EXPECT_EQ(ui.Unanswered(), 0u);
    target.reply = kLoadRefusedRunning;
    const size_t boxes = ui.MessageTexts().size();
    ui.AnswerFileDialog({"/images/prog.elf"});
    core->LoadProgramFromDialog();
    EXPECT_EQ(ui.MessageTexts().size(), boxes);

    // Cancel sends nothing.
    ui.CancelFileDialog();
    core->LoadProgramFromDialog();
    EXPECT_EQ(target.count, 3);

    // Enabled while the target is stopped only.
    EXPECT_TRUE(Enabled(ID_DEBUG_LOAD_PROGRAM));
    side.runState = 1;
    EXPECT_FALSE(Enabled(ID_DEBUG_LOAD_PROGRAM));
}

TEST_F(ProgramLoadTest, ASourceFileIsFoundBesideTheLoadedImage)
{
    // A file the loader resolved nowhere: the folder of the image loaded
    // last holds it ('\\' separates too).
    const std::string folder = ::testing::TempDir() + "zk-source-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/blink.c") << "int main(void) { return 0; }\n";
    const lookups::ProgramLinks previous = lookups::SetProgramLinks(LoadedModuleLinks());
    const std::string image = LoadedImagePath();
    for (const std::string& loaded : {folder + "/prog.elf", folder + "\\prog.elf"}) {
        SCOPED_TRACE(loaded);
        SetLoadedImagePath(loaded);
        std::string path;
        EXPECT_TRUE(lookups::FindSourceFilePath("src\\blink.c", path));
        EXPECT_EQ(path, folder + "/blink.c");
        EXPECT_FALSE(lookups::FindSourceFilePath("absent.c", path));
    }
    SetLoadedImagePath(image);
    lookups::SetProgramLinks(previous);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace appdebug::test
