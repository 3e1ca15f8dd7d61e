// The editor debugging the example program end to end: examples/hello
// built by its makefile at -O0, loaded through the loader front end into the
// real simulator with sarvik set up as the program does it, main.c open in
// the source editor. Margin clicks against readelf's decoded line table, Go
// and Go to Cursor against addr2line, data tips against gdb-multiarch over
// qemu, View Address Range against nm -S, Inspect Source against addr2line.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <set>

#include "appdebug/debug_core.h"
#include "decoded_lines.h"
#include "editor_fixture.h"
#include "emu_messages.h"
#include "host_tools.h"
#include "lookups/sym_lookups.h"
#include "qemu_reference.h"
#include "quentor.h"
#include "sarvik.h"
#include "shell/settings.h"
#include "sim_session.h"
#include "tarnel.h"
#include "text_paint_record.h"

namespace editor::test {
namespace {

constexpr int kIconPc = 161;
constexpr int kIconBookmark = 139;
constexpr int kIconCursorLink = 202;

// "<hex address> <hex size> T <name>" of arm-none-eabi-nm -S.
bool NmSymbol(const std::string& elf, const std::string& name, std::uint32_t& address, std::uint32_t& size)
{
    const auto nm = zk::test::RunProcess({"arm-none-eabi-nm", "-S", elf});
    std::istringstream lines(nm.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string a, s, kind, symbol;
        if (in >> a >> s >> kind >> symbol && symbol == name) {
            address = static_cast<std::uint32_t>(std::stoul(a, nullptr, 16));
            size = static_cast<std::uint32_t>(std::stoul(s, nullptr, 16));
            return true;
        }
    }
    return false;
}

// The file name and line addr2line gives for an address.
std::pair<std::string, int> Addr2line(const std::string& elf, std::uint32_t address)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", address);
    const auto r = zk::test::RunProcess({"arm-none-eabi-addr2line", "-e", elf, hex});
    const std::string out = r.out.substr(0, r.out.find('\n'));
    const std::size_t colon = out.rfind(':');
    if (r.exitStatus != 0 || colon == std::string::npos)
        return {"", -1};
    const std::size_t slash = out.find_last_of('/', colon);
    return {
        out.substr(slash == std::string::npos ? 0 : slash + 1, colon - (slash == std::string::npos ? 0 : slash + 1)),
        std::atoi(out.c_str() + colon + 1)};
}

// The main frame as the debugger core sees it: the source frame of main.c
// active, its caret the view's.
class CoreFrame : public appdebug::DebugFrame {
public:
    HWND FrameWindow() const override { return window; }
    bool IsConnected() const override { return true; }
    appdebug::ChildFrameKind ActiveChildKind() const override { return appdebug::ChildFrameKind::Source; }
    bool ActiveChildCursorAddress(ADDR*) const override { return false; }
    bool ActiveSourceCaret(int& line, std::string& path) const override
    {
        if (!view || !view->GetDocument())
            return false;
        line = view->GetCaretLine();
        path = view->GetDocument()->GetPathName();
        return true;
    }
    appdebug::DebugWindow* CreateDebugWindow(int, const std::string&, DWORD) override { return nullptr; }
    void ActivateChild(appdebug::DebugWindow*) override {}
    HWND window = nullptr;
    CQEditView* view = nullptr;
};

class EditorSimTest : public EditorFixture<sarvik::test::SimSession> {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        if (HasFatalFailure())
            return;
        elf = zk::test::FixturePath("example_hello_O0");
        ASSERT_EQ(LdrLoadWin(elf.c_str(), 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
        SemihostSetCommandLine(elf.c_str());
        ADDR start{0, ADDR_SPACE_TARGET};
        ASSERT_EQ(LdrGetStartPC(&start), 0);
        ASSERT_EQ(EmuResetTarget(start), EMU_OK);
        rows = lookups::test::LowestLineAddresses(elf, "main.c");
        ASSERT_FALSE(rows.empty()) << "arm-none-eabi-readelf is required";
        textFrame.connected = true;
        theSettings.DataTip = 1;
        theSettings.Simulate = 0;
        doc = Open("main.c", ReadBytes(std::string(ZK_EXAMPLE_DIR) + "/main.c"));
        ASSERT_NE(doc, nullptr);
        view = ViewOf(doc);
        ASSERT_GE(view->linesPerPage, view->LineCount());
        // The main frame's route: the debugger core first.
        coreFrame.window = window_;
        coreFrame.view = view;
        core = std::make_unique<appdebug::CDebugCore>(&coreFrame);
        mainFrame->route = [this](UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) -> BOOL {
            return core->OnCmdMsg(id, code, extra, info);
        };
    }
    void TearDown() override
    {
        theSettings.DataTip = 0;
        theSettings.Simulate = 0;
        if (mainFrame)
            mainFrame->route = nullptr;
        core.reset();
        EditorFixture::TearDown();
    }

    POINT At(int line, int column) const
    {
        return {view->TextPosToX(column, line - 1) + 2, (line - 1 - view->topLine) * view->lineHeight + 4};
    }
    POINT Strip(int line) const { return {6, (line - 1 - view->topLine) * view->lineHeight + 4}; }
    static LPARAM Param(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }
    void Send(UINT msg, POINT p) { view->SendMessage(msg, msg == WM_RBUTTONDOWN ? MK_RBUTTON : 0, Param(p)); }
    int Column(int line, const std::string& word) const
    {
        return static_cast<int>(std::string(view->LineText(line - 1)).find(word));
    }
    bool HasBreakpoint(std::uint32_t address)
    {
        const ADDR at{address, ADDR_SPACE_TARGET};
        return BptFindBp(&at, ADDR{}, nullptr) != 0;
    }
    // The rows of the page with a breakpoint icon, and with the PC's.
    std::set<int> IconRows(bool pc)
    {
        textcore::TextPaint paint;
        view->PaintRows(paint, 0, view->linesPerPage);
        std::set<int> found;
        for (const auto& icon : paint.icons)
            if (pc ? icon.icon == kIconPc
                   : icon.icon != kIconPc && icon.icon != kIconBookmark && icon.icon != kIconCursorLink)
                found.insert(icon.row);
        return found;
    }
    // What the main frame does at a stop: the stop position kept, the PC
    // line relayed to the views.
    void FrameStop()
    {
        std::uint32_t module = 0;
        std::uint32_t line = 0;
        const std::uint32_t pc = Pc();
        lookups::LineOfAddr(pc, module, line);
        textFrame.stop = {doc->GetPathName(), static_cast<int>(line), pc};
        textFrame.RelaySetPcLine(1, static_cast<LPARAM>(pc));
    }
    void Move(POINT p)
    {
        textFrame.RelayDataTipEvent(MSG{view->m_hWnd, WM_MOUSEMOVE, 0, Param(p), 0});
        view->SendMessage(WM_MOUSEMOVE, 0, Param(p));
    }
    // The tip's text after the pointer rested on a word ("" for none).
    std::string TipAt(int line, const std::string& word)
    {
        Move(At(line, Column(line, word) + 1));
        for (int i = 0; i < 15; ++i)
            view->SendMessage(WM_TIMER, kDataTipTimer, 0);
        CPopupTipWnd* tip = view->TipWindow();
        std::string text = tip && tip->IsTipShown() ? tip->GetWindowText() : std::string();
        textFrame.RelayDataTipEvent(MSG{view->m_hWnd, WM_KEYDOWN, 0x1B, 1, 0});
        return text;
    }

    CoreFrame coreFrame;
    std::unique_ptr<appdebug::CDebugCore> core;
    std::string elf;
    std::map<int, std::uint32_t> rows;
    CQEditDoc* doc = nullptr;
    CQEditView* view = nullptr;
};

TEST_F(EditorSimTest, MarginClicksSetBreakpointsOnExactlyTheLinesReadelfHasRowsFor)
{
    platform::GTestScriptedUi ui;
    int beeps = 0;
    std::set<int> rowsWithCode;
    for (int line = 1; line <= view->LineCount(); ++line) {
        Send(WM_LBUTTONDOWN, Strip(line));
        Send(WM_LBUTTONUP, Strip(line));
        if (rows.count(line))
            rowsWithCode.insert(line - 1);
        else
            ++beeps;
    }
    EXPECT_EQ(ui.Beeps(), beeps);
    for (const auto& [line, address] : rows)
        EXPECT_TRUE(HasBreakpoint(address)) << "line " << line;
    EXPECT_EQ(IconRows(false), rowsWithCode);

    // Clicked again: all gone.
    for (const auto& [line, address] : rows)
        Send(WM_LBUTTONDOWN, Strip(line));
    for (const auto& [line, address] : rows)
        EXPECT_FALSE(HasBreakpoint(address)) << "line " << line;
    EXPECT_TRUE(IconRows(false).empty());

    // A double click in the strip is one toggle; a right click in simulator
    // mode sets nothing.
    const int line = 20;
    ASSERT_TRUE(rows.count(line));
    Send(WM_LBUTTONDOWN, Strip(line));
    Send(WM_LBUTTONUP, Strip(line));
    Send(WM_LBUTTONDBLCLK, Strip(line));
    Send(WM_LBUTTONUP, Strip(line));
    EXPECT_TRUE(HasBreakpoint(rows[line]));
    EXPECT_EQ(IconRows(false), std::set<int>{line - 1});
    theSettings.Simulate = 1;
    ASSERT_TRUE(rows.count(23));
    Send(WM_RBUTTONDOWN, Strip(23));
    EXPECT_FALSE(HasBreakpoint(rows[23]));
    EXPECT_EQ(ui.Beeps(), beeps);
}

TEST_F(EditorSimTest, GoStopsOnTheClickedLineAndGoToCursorOnTheCaretsLine)
{
    const int line = 20;  // total += value;
    ASSERT_TRUE(rows.count(line));
    Send(WM_LBUTTONDOWN, Strip(line));
    core->Go(0, -1);
    EXPECT_EQ(appdebug::g_lastAutomationResult, 0);
    ASSERT_TRUE(WaitForStop());
    EXPECT_EQ(Addr2line(elf, Pc()), (std::pair<std::string, int>{"main.c", line}));
    FrameStop();
    EXPECT_EQ(view->pcMarkLine, line - 1);
    EXPECT_EQ(IconRows(true), std::set<int>{line - 1});

    // The breakpoint off again; Goto Cursor from the context menu with the
    // caret on the sum's printf.
    Send(WM_LBUTTONDOWN, Strip(line));
    const int sum = 23;
    view->SetCaret(sum - 1, 4);
    platform::GTestScriptedUi ui;
    ui.AnswerPopup(ID_GOTO_CURSOR_CMD, "Goto Cu&rsor\tF7");
    Send(WM_RBUTTONDOWN, At(sum, 1));
    ASSERT_TRUE(WaitForStop());
    EXPECT_EQ(Addr2line(elf, Pc()), (std::pair<std::string, int>{"main.c", sum}));
    FrameStop();
    EXPECT_EQ(IconRows(true), std::set<int>{sum - 1});
}

TEST_F(EditorSimTest, DataTipsShowTheValuesGdbPrintsOverQemu)
{
    const auto gdb = zk::test::RunGdbOnQemu(elf, {"break main.c:23", "continue", "print total", "print value"});
    std::smatch m;
    const std::regex values(R"(\$1 = (-?\d+)[\s\S]*\$2 = (-?\d+))");
    ASSERT_TRUE(std::regex_search(gdb.out, m, values)) << "gdb-multiarch and qemu-system-arm are required\n"
                                                       << gdb.out << gdb.err;
    ASSERT_TRUE(rows.count(23));
    GoTillStop(rows[23]);
    FrameStop();

    EXPECT_EQ(TipAt(23, "total"), "total=" + m[1].str());
    EXPECT_EQ(TipAt(20, "value"), "value=" + m[2].str());
    EXPECT_EQ(TipAt(16, "squares"), "squares={...}");
    // Words that name no variable: no tip.
    EXPECT_EQ(TipAt(15, "Hello"), "");
    EXPECT_EQ(TipAt(16, "queue_init"), "");
    EXPECT_FALSE(view->tipTimerArmed);
    EXPECT_EQ(textFrame.lostReports, 0);

    // A 10,000-character identifier in another file: asked as it is, no
    // tip, no menu item for it.
    CQEditDoc* other = Open("long.c", "int " + std::string(10000, 'x') + ";\n");
    ASSERT_NE(other, nullptr);
    view = ViewOf(other);
    EXPECT_EQ(TipAt(1, "xxx"), "");
    EXPECT_FALSE(view->tipTimerArmed);
    std::shared_ptr<CMenu> menu = view->BuildContextMenu(At(1, 10));
    EXPECT_EQ(menu->FindCommand(ID_WATCH_VARIABLE), nullptr);
    EXPECT_EQ(menu->FindCommand(ID_INSPECT_SOURCE), nullptr);
}

TEST_F(EditorSimTest, ViewAddressRangeOfMainIsNmsStartToStartPlusSizeMinusOne)
{
    std::uint32_t address = 0;
    std::uint32_t size = 0;
    ASSERT_TRUE(NmSymbol(elf, "main", address, size)) << "arm-none-eabi-nm is required";
    char expected[128];
    std::snprintf(expected, sizeof expected, "Function Name:\n       #main\nAddress Range:\n       0x%08X--0x%08X",
                  address, address + size - 1);
    platform::GTestScriptedUi ui;
    ui.AnswerPopup(ID_VIEW_ADDRESS_RANGE, "&View Address Range");
    Send(WM_RBUTTONDOWN, At(10, Column(10, "main") + 1));
    ASSERT_NE(CQEditView::AddressRangeTip(), nullptr);
    EXPECT_EQ(CQEditView::AddressRangeTip()->GetWindowText(), expected);
    EXPECT_TRUE(CQEditView::AddressRangeTip()->IsTipShown());
    EXPECT_EQ(ui.Beeps(), 0);
}

TEST_F(EditorSimTest, InspectSourceOnQueuePutOpensQueueCAtAddr2linesLine)
{
    std::uint32_t address = 0;
    std::uint32_t size = 0;
    ASSERT_TRUE(NmSymbol(elf, "queue_put", address, size)) << "arm-none-eabi-nm is required";
    const auto [file, line] = Addr2line(elf, address);
    ASSERT_EQ(file, "queue.c");
    Send(WM_LBUTTONDBLCLK, At(17, Column(17, "queue_put") + 2));
    ASSERT_EQ(source->Documents().size(), 2u);
    auto* opened = static_cast<CQEditDoc*>(source->Documents().back());
    EXPECT_EQ(opened->GetPathName(), std::string(ZK_EXAMPLE_DIR) + "/queue.c");
    EXPECT_EQ(ViewOf(opened)->topLine, line - 1);
}

}  // namespace
}  // namespace editor::test
