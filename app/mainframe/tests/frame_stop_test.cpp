// The program load and the stop display in the frame offscreen, on the real
// simulator library with examples/hello built at -O0 by its makefile (ARM
// and Thumb): "Load File" answered by the scripted service, memory against
// `objcopy -O binary`, a breakpoint on a line of main.c and Go, Goto Cursor
// from the source window, each stop against readelf's decoded line table and
// addr2line; images that don't load change nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <thread>

#include "appdebug/debug_ids.h"
#include "appdebug/program_load.h"
#include "appdebug/source_lookups.h"
#include "appdebug/symbol_records.h"
#include "base_view.h"
#include "decoded_lines.h"
#include "emu_messages.h"
#include "frame_sim_fixture.h"
#include "ldr_result_text.h"
#include "lookups/sym_lookups.h"
#include "platform/scripted_ui_gtest.h"
#include "qedit_view.h"
#include "regmem/memory_window.h"
#include "regmem/regmem_ids.h"
#include "sarvik.h"
#include "shell/shell_ids.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace mainframe {
namespace {

using test::FrameSimTest;

const char* const kImages[] = {"arm", "thumb"};

std::string HelloElf(const char* kind)
{
    return std::string(ZK_FRAME_HELLO) + "/" + kind + "/hello.elf";
}

std::string Tool(const std::vector<std::string>& argv)
{
    auto r = zk::test::RunProcess(argv);
    EXPECT_EQ(r.exitStatus, 0) << argv[0] << " is needed: " << r.err;
    return r.out;
}

// The image as `objcopy -O binary` writes it, and the lowest load address
// of its loaded segments (where that file begins).
std::pair<uint32_t, std::string> ObjcopyImage(const std::string& elf, const std::string& scratch)
{
    uint32_t lowest = UINT32_MAX;
    std::istringstream in(Tool({"arm-none-eabi-readelf", "-l", "-W", elf}));
    for (std::string line; std::getline(in, line);) {
        std::istringstream f(line);
        std::string type, offset, virt, phys, fileSize;
        if (f >> type >> offset >> virt >> phys >> fileSize && type == "LOAD" && std::stoul(fileSize, nullptr, 16) > 0)
            lowest = std::min(lowest, static_cast<uint32_t>(std::stoul(phys, nullptr, 16)));
    }
    Tool({"arm-none-eabi-objcopy", "-O", "binary", elf, scratch});
    std::string bytes = zk::test::ReadFileBytes(scratch);
    std::filesystem::remove(scratch);
    return {lowest, bytes};
}

// addr2line's file and line of an address.
std::pair<std::string, int> Addr2Line(const std::string& elf, uint32_t address)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", address);
    std::string out = Tool({"arm-none-eabi-addr2line", "-e", elf, hex});
    out = out.substr(0, out.find_first_of("\n "));
    const size_t colon = out.rfind(':');
    if (colon == std::string::npos)
        return {};
    return {out.substr(0, colon), std::atoi(out.c_str() + colon + 1)};
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

class FrameStopTest : public FrameSimTest {
protected:
    CMainFrame* StartWithLoadFile(const std::string& elf) { return FrameSimTest::StartWithLoadFile(ui_, elf); }
    DWORD Pc()
    {
        DWORD pc = 0;
        EXPECT_EQ(CpuGetPC(&pc), 0);
        return pc;
    }
    // Waits for the stop: the target halted and the stop shown.
    bool WaitForStop(CMainFrame* frame, int line)
    {
        return QTest::qWaitFor([&] { return (CpuGetCpuStatus1() & 1) == 0 && frame->GetStopPosition().line == line; },
                               10000);
    }
    // The source window in front, its view showing `line` (one-based).
    void ExpectSourceInFront(CMainFrame* frame, const std::string& source, int line)
    {
        // Tiled, the child window has room for a page of lines.
        frame->MDITile(TRUE);
        QApplication::processEvents();
        CMDIChildWnd* child = frame->MDIGetActive();
        ASSERT_NE(child, nullptr);
        auto* view = dynamic_cast<CBaseView*>(child->GetActiveView());
        ASSERT_NE(view, nullptr) << "a source window is in front";
        ASSERT_NE(view->GetDocument(), nullptr);
        EXPECT_TRUE(SameFile(view->GetDocument()->GetPathName(), source)) << view->GetDocument()->GetPathName();
        EXPECT_LE(view->topLine, line - 1) << "lines per page " << view->linesPerPage;
        EXPECT_LT(line - 1, view->topLine + view->linesPerPage) << "top " << view->topLine;
    }

    platform::GTestScriptedUi ui_;
};

TEST_F(FrameStopTest, LoadFileThenABreakpointAndGotoCursorStopAtTheirLines)
{
    for (const char* kind : kImages) {
        SCOPED_TRACE(kind);
        const std::string elf = HelloElf(kind);
        const std::string mainSource = std::string(ZK_HELLO_SOURCE) + "/main.c";
        CMainFrame* frame = StartWithLoadFile(elf);
        ASSERT_NE(frame, nullptr);

        // The load: PC at the entry, the modules with their sources resolved
        // through the compilation directory, memory as objcopy writes it.
        EXPECT_EQ(Pc(), test::ReadelfEntry(elf) & ~1u);
        EXPECT_EQ(appdebug::LoadedImagePath(), elf);
        bool mainResolved = false;
        appdebug::LoadedModuleList& modules = appdebug::LoadedModules();
        for (size_t i = 0; i < modules.Count(); ++i)
            mainResolved |= SameFile(modules.ResolvedPath(i), mainSource);
        EXPECT_TRUE(mainResolved) << "main.c resolves to the example's folder";
        const auto [base, bytes] =
            ObjcopyImage(elf, temp_.path() + "/image-" + std::to_string(getpid()) + "-" + kind + ".bin");
        ASSERT_FALSE(bytes.empty());
        std::string memory(bytes.size(), '\0');
        ASSERT_EQ(MemReadBlock(memory.data(), {base, ADDR_SPACE_TARGET}, static_cast<uint32_t>(memory.size())), 0);
        EXPECT_TRUE(memory == bytes) << "target memory differs from objcopy's image";

        // A breakpoint on line 16 of main.c, then Go.
        const std::map<int, uint32_t> lines = lookups::test::LowestLineAddresses(elf, "main.c");
        ASSERT_TRUE(lines.count(16) && lines.count(23)) << "readelf's decoded lines of main.c";
        ADDR at{}, end{};
        ASSERT_TRUE(lookups::SymFileLineToAddrRange(16, &at, &end, "main.c"));
        EXPECT_EQ(at.off, lines.at(16));
        lookups::ToggleBreakpointAtAddr(at, 0);
        ASSERT_EQ(BptFindBp(&at, ADDR{0, 0}, nullptr), BPT_MARK_SW_ENABLED) << "the toggle set a breakpoint";
        CSuperStatusBar& bar = frame->StatusBar();
        frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
        ASSERT_TRUE(WaitForStop(frame, 16)) << frame->GetStopPosition().line;
        EXPECT_EQ(bar.GetPaneText(0), "Halt by breakpoint!");
        EXPECT_EQ(Pc(), lines.at(16));
        const auto [file16, line16] = Addr2Line(elf, Pc());
        EXPECT_TRUE(SameFile(frame->GetStopPosition().sourcePath, file16)) << frame->GetStopPosition().sourcePath;
        EXPECT_EQ(frame->GetStopPosition().line, line16);
        EXPECT_EQ(frame->GetStopPosition().pc, Pc());
        ExpectSourceInFront(frame, mainSource, 16);

        // WM_SETPCLINE with an address goes to its source document's view;
        // with space 0 every text view clears its mark.
        auto* editorView = dynamic_cast<editor::CQEditView*>(frame->MDIGetActive()->GetActiveView());
        ASSERT_NE(editorView, nullptr);
        EXPECT_EQ(frame->SendMessage(WM_SETPCLINE, ADDR_SPACE_TARGET, lines.at(23)), 1);
        EXPECT_EQ(editorView->pcMarkLine, 22);
        EXPECT_EQ(frame->SendMessage(WM_SETPCLINE, 0, 0), 1);
        EXPECT_EQ(editorView->pcMarkLine, -1);

        // Goto Cursor from the source window: the caret on line 23.
        CBaseView* view = dynamic_cast<CBaseView*>(frame->MDIGetActive()->GetActiveView());
        ASSERT_NE(view, nullptr);
        view->SetCaret(22, 0);
        frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GOTO_CURSOR);
        ASSERT_TRUE(WaitForStop(frame, 23)) << frame->GetStopPosition().line;
        EXPECT_EQ(Pc(), lines.at(23));
        EXPECT_EQ(Addr2Line(elf, Pc()).second, 23);
        ExpectSourceInFront(frame, mainSource, 23);
        EXPECT_EQ(frame->GetStopPosition().pc, Pc());
        // The views learn the file of the stop before (its mark goes).
        EXPECT_TRUE(SameFile(frame->GetStopPosition().previousPath, mainSource))
            << frame->GetStopPosition().previousPath;

        frame->SendMessage(WM_CLOSE);
        EXPECT_TRUE(QTest::qWaitFor([&] { return app_->m_pMainWnd == nullptr; }, 30000));
        QApplication::processEvents();
        app_->ExitInstance();
        app_.reset();
        BptDeleteAllObjects();
    }
}

// Jump to Cursor from the source window moves the PC to the caret's line
// without running; a reload (32803 with the image's project active) puts
// back the image's bytes and entry and keeps the breakpoint, which the next
// Go stops at again: the entry's ARM code runs as ARM although the CPU last
// stopped in Thumb code.
TEST_F(FrameStopTest, JumpToCursorAndAReloadFromTheSourceWindow)
{
    const std::string elf = HelloElf("thumb");
    CMainFrame* frame = StartWithLoadFile(elf);
    ASSERT_NE(frame, nullptr);
    const std::map<int, uint32_t> lines = lookups::test::LowestLineAddresses(elf, "main.c");
    ASSERT_TRUE(lines.count(16) && lines.count(23));
    ADDR at{lines.at(16), ADDR_SPACE_TARGET};
    lookups::ToggleBreakpointAtAddr(at, 0);
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    ASSERT_TRUE(WaitForStop(frame, 16)) << frame->GetStopPosition().line;
    frame->MDITile(TRUE);
    QApplication::processEvents();
    auto* view = dynamic_cast<editor::CQEditView*>(frame->MDIGetActive()->GetActiveView());
    ASSERT_NE(view, nullptr) << "main.c is in front";

    view->SetCaret(22, 0);
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_JUMP_TO_CURSOR);
    EXPECT_EQ(Pc(), lines.at(23));
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->GetStopPosition().line == 23; }, 30000))
        << frame->GetStopPosition().line;
    EXPECT_EQ(CpuGetCpuStatus1() & 1, 0u) << "the jump does not run";

    // A byte of the program changed in memory comes back with the reload.
    const auto [base, bytes] = ObjcopyImage(elf, temp_.path() + "/reload-" + std::to_string(getpid()) + ".bin");
    ASSERT_FALSE(bytes.empty());
    const char changed = static_cast<char>(~bytes[0]);
    ASSERT_EQ(MemWriteBlock({base, ADDR_SPACE_TARGET}, &changed, 1, 1), 0);
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    EXPECT_EQ(ui_.Unanswered(), 0u);
    EXPECT_TRUE(ui_.MessageTexts().empty()) << ui_.MessageTexts().front();
    EXPECT_EQ(Pc(), test::ReadelfEntry(elf) & ~1u);
    std::string memory(bytes.size(), '\0');
    ASSERT_EQ(MemReadBlock(memory.data(), {base, ADDR_SPACE_TARGET}, static_cast<uint32_t>(memory.size())), 0);
    EXPECT_TRUE(memory == bytes) << "target memory differs from objcopy's image after the reload";
    EXPECT_EQ(appdebug::LoadedImagePath(), elf);
    EXPECT_GT(appdebug::LoadedModules().Count(), 0u);

    ASSERT_EQ(BptFindBp(&at, ADDR{0, 0}, nullptr), BPT_MARK_SW_ENABLED) << "the breakpoint stays";
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    ASSERT_TRUE(WaitForStop(frame, 16)) << frame->GetStopPosition().line << " pc " << std::hex << Pc();
    EXPECT_EQ(Pc(), lines.at(16));
    BptDeleteAllObjects();
}

// A stop the target made but the frame has not handled yet (its
// WM_EMU_ERROR waits in the queue) may be a semihosting call that the
// handling runs on: the idle update keeps showing a run (Go disabled, the
// run-state pane "Running") until the stop is handled and shown.
TEST_F(FrameStopTest, TheBarsShowARunUntilItsStopIsHandled)
{
    const std::string elf = HelloElf("thumb");
    CMainFrame* frame = StartWithLoadFile(elf);
    ASSERT_NE(frame, nullptr);
    const std::map<int, uint32_t> lines = lookups::test::LowestLineAddresses(elf, "main.c");
    ASSERT_TRUE(lines.count(16));
    lookups::ToggleBreakpointAtAddr(ADDR{lines.at(16), ADDR_SPACE_TARGET}, 0);
    CBCGToolBar& debugBar = frame->DebugToolBar();
    const int go = debugBar.CommandToIndex(shell::ID_DEBUG_GO);
    ASSERT_GE(go, 0);
    const auto goEnabled = [&] { return (debugBar.GetButton(go)->m_nStyle & platform::TBBS_DISABLED) == 0; };
    CSuperStatusBar& bar = frame->StatusBar();
    frame->OnIdleUpdateCmdUI();
    ASSERT_TRUE(goEnabled());

    // The stop at the breakpoint, its announcement queued: nothing is
    // dispatched meanwhile.
    const DWORD runs = CpuGetRunCount();
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    const auto announced = [&] {
        return (CpuGetCpuStatus1() & 1) == 0 && CpuGetRunCount() != runs &&
            static_cast<int32_t>(CpuGetStopCount() - CpuGetRunCount()) >= 0;
    };
    for (int i = 0; i < 10000 && !announced(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(announced());
    frame->OnIdleUpdateCmdUI();
    EXPECT_FALSE(goEnabled()) << "the stop is not handled yet";
    frame->SendMessage(WM_TIMER, kFrameTimerId);
    EXPECT_EQ(bar.GetPaneText(2), "Running");

    ASSERT_TRUE(WaitForStop(frame, 16)) << frame->GetStopPosition().line;
    EXPECT_EQ(bar.GetPaneText(0), "Halt by breakpoint!");
    frame->OnIdleUpdateCmdUI();
    EXPECT_TRUE(goEnabled());
    frame->SendMessage(WM_TIMER, kFrameTimerId);
    EXPECT_EQ(bar.GetPaneText(2), "Halt");
    BptDeleteAllObjects();
}

// At the program's end (SYS_EXIT) the message pane shows the end's line,
// not the stop at the semihosting vector's breakpoint, however the end came:
// at the end of a run, or at once from a breakpoint on the exit call's SWI
// (a go's first step or a step command ends the program, with no stop
// announced).
TEST_F(FrameStopTest, TheMessagePaneShowsTheProgramsEnd)
{
    const std::string elf = HelloElf("thumb");
    CMainFrame* frame = StartWithLoadFile(elf);
    ASSERT_NE(frame, nullptr);
    CSuperStatusBar& bar = frame->StatusBar();
    const std::string kEnd = "Stop Emulation for Application Exit!";
    const auto ended = [&] { return SemihostGetExit(nullptr, nullptr) == 1 && (CpuGetCpuStatus1() & 1) == 0; };

    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended() && bar.GetPaneText(0) == kEnd; }, 10000)) << bar.GetPaneText(0);
    // The PC stays on the exit call's SWI.
    const ADDR swi{Pc(), ADDR_SPACE_TARGET};

    for (const UINT command : {shell::ID_DEBUG_GO, shell::ID_DEBUG_STEP_INTO}) {
        SCOPED_TRACE(command);
        frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);  // the reload
        ASSERT_EQ(Pc(), test::ReadelfEntry(elf) & ~1u);
        lookups::ToggleBreakpointAtAddr(swi, 0);
        ASSERT_EQ(BptFindBp(&swi, ADDR{0, 0}, nullptr), BPT_MARK_SW_ENABLED);
        frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return (CpuGetCpuStatus1() & 1) == 0 && bar.GetPaneText(0) == "Halt by breakpoint!"; }, 10000))
            << bar.GetPaneText(0);
        ASSERT_EQ(Pc(), swi.off);
        ASSERT_EQ(SemihostGetExit(nullptr, nullptr), 0);

        frame->SendMessage(WM_COMMAND, command);
        EXPECT_TRUE(QTest::qWaitFor([&] { return ended() && bar.GetPaneText(0) == kEnd; }, 10000))
            << bar.GetPaneText(0);
        BptDeleteAllObjects();
    }
}

TEST_F(FrameStopTest, AnImageThatDoesNotLoadIsReportedAndChangesNothing)
{
    const std::string elf = HelloElf("thumb");
    CMainFrame* frame = StartWithLoadFile(elf);
    ASSERT_NE(frame, nullptr);
    const DWORD pc = Pc();
    const size_t modules = appdebug::LoadedModules().Count();
    ASSERT_GT(modules, 0u);
    const size_t children = frame->MDIChildren().size();

    std::string whole = zk::test::ReadFileBytes(elf);
    const std::string truncated = temp_.path() + "/truncated.elf";
    std::ofstream(truncated, std::ios::binary) << whole.substr(0, whole.size() / 3);
    const std::string foreign = temp_.path() + "/foreign.elf";
    std::ofstream(foreign, std::ios::binary)
        << std::string(40, '#') + "\nA text file, not a program image.\n" + std::string(200, '-') + "\n";
    struct Case {
        std::string path;
        LdrResult expected;
    } cases[] = {
        {temp_.path() + "/missing.elf", LDR_E_OPEN},
        {foreign, LDR_E_NOT_IMAGE},
        {truncated, LDR_E_READ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ui_.AnswerFileDialog({c.path});
        ui_.AnswerMessageBox(IDOK);
        frame->SendMessage(WM_COMMAND, appdebug::ID_DEBUG_LOAD_PROGRAM);
        EXPECT_EQ(ui_.Unanswered(), 0u) << "the failure is shown once";
        const std::vector<std::string> texts = ui_.MessageTexts();
        ASSERT_FALSE(texts.empty());
        EXPECT_NE(texts.back().find(LdrResultText(c.expected)), std::string::npos) << texts.back();
        EXPECT_EQ(Pc(), pc);
        EXPECT_EQ(appdebug::LoadedModules().Count(), modules);
        EXPECT_EQ(frame->MDIChildren().size(), children);
    }
}

// The memory window searches for the Edit toolbar's find text; with an
// empty box Find asks for the pattern and puts it into the box. The matches
// are where the texts stand in the image as objcopy writes it.
TEST_F(FrameStopTest, TheMemoryWindowFindsTheEditToolbarsText)
{
    const std::string elf = HelloElf("arm");
    CMainFrame* frame = StartWithLoadFile(elf);
    ASSERT_NE(frame, nullptr);
    const auto [lowest, image] = ObjcopyImage(elf, temp_.path() + "/hello.bin");
    const size_t hello = image.find("Hello from the ARM target");
    const size_t sum = image.find("sum of squares");
    ASSERT_NE(hello, std::string::npos);
    ASSERT_NE(sum, std::string::npos);

    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_MEMORY_WINDOW);
    auto* window = dynamic_cast<regmem::CMemoryWindow*>(frame->MDIGetActive());
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->View(), nullptr);
    regmem::CMemoryView& view = *window->View();
    CBCGToolbarComboBoxButton* box = frame->EditToolBar().GetComboButton(ID_FIND_BOX);
    ASSERT_NE(box, nullptr);

    box->SetText("\"Hello from\"");
    view.SetCaretAddress(lowest);
    view.SendMessage(WM_COMMAND, regmem::ID_MEM_FIND);
    EXPECT_EQ(view.CaretAddress(), lowest + hello);

    box->SetText("");
    view.SetCaretAddress(lowest);
    ui_.AnswerText("\"sum of\"", "Find what");
    view.SendMessage(WM_COMMAND, regmem::ID_MEM_FIND);
    EXPECT_EQ(ui_.Unanswered(), 0u);
    EXPECT_EQ(view.CaretAddress(), lowest + sum);
    ASSERT_GT(box->GetCount(), 0);
    EXPECT_EQ(box->GetItem(box->GetCount() - 1), "\"sum of\"");
}

}  // namespace
}  // namespace mainframe
