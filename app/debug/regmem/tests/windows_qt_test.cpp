// The windows on real widgets, offscreen, over the real simulator. The
// window layout block: a source document, the register window and a memory
// window are stored with their rectangles, closed, and come back from the
// block at the same rectangles and states, the memory window at its
// address, unit and colours. The memory window's own toolbar: its address
// combo and Goto move the view; the frame's command hides the bar. A memory
// window closed and opened again comes back where it was.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "appdebug/debug_core.h"
#include "appdebug/layout_block.h"
#include "child_frame.h"
#include "core_fakes.h"
#include "emu_messages.h"
#include "lathris/frame.h"
#include "lathris/qt/widgets.h"
#include "platform/qt/hosts.h"
#include "qedit_doc.h"
#include "qedit_view.h"
#include "regmem/core_link.h"
#include "regmem/cpu_view.h"
#include "regmem/memory_window.h"
#include "regmem/qt/auto_size_edit.h"
#include "regmem/qt/cpu_view_widget.h"
#include "regmem/register_wnd.h"
#include "regmem/regmem_ids.h"
#include "regmem_session.h"
#include "shell/debugger_app.h"
#include "text_view_frame.h"
#include "vexlor/vexlor.h"

namespace regmem::test {
namespace {

class QuietTextFrame : public ::TextViewFrame {
public:
    bool IsConnected() const override { return true; }
    ::TextViewStop GetStopPosition() const override { return {}; }
    bool GetFindText(std::string&) const override { return false; }
    void AddFindText(const std::string&) override {}
};

// The main frame as the debugger core sees it: connected, making the
// register and memory windows as its MDI children.
class LayoutFrame : public appdebug::DebugFrame {
public:
    explicit LayoutFrame(CMDIFrameWnd* frame) : frame_(frame) {}
    HWND FrameWindow() const override { return frame_->m_hWnd; }
    bool IsConnected() const override { return connected; }
    appdebug::ChildFrameKind ActiveChildKind() const override { return appdebug::ChildFrameKind::Other; }
    bool ActiveChildCursorAddress(ADDR*) const override { return false; }
    appdebug::DebugWindow* CreateDebugWindow(int kind, const std::string& title, DWORD) override
    {
        return CreateRegMemWindow(kind, frame_, title);
    }
    void ActivateChild(appdebug::DebugWindow* window) override
    {
        if (auto* child = dynamic_cast<CMDIChildWnd*>(CWnd::FromHandle(window->Window())))
            frame_->MDIActivate(child);
    }
    bool connected = true;

private:
    CMDIFrameWnd* frame_;
};

class LayoutQtTest : public RegMemSession {
protected:
    void SetUp() override
    {
        RegMemSession::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder =
            std::filesystem::temp_directory_path() / ("layout_qt_" + std::to_string(::getpid()) + "_" + info->name());
        std::filesystem::create_directories(folder / "src");
        std::ofstream(folder / "src" / "main.c") << "int main(void)\n{\n    return 0;\n}\n";
        std::ofstream(folder / "util.c") << "int util;\n";
        previousTextFrame = ::SetTextViewFrame(&textFrame);
        for (auto& p : appdebug::g_windowPlacements)
            p = appdebug::DebugWindowPlacement{};

        app = std::make_unique<shell::CDebuggerApp>();
        mainFrame = new lathris::CCJMDIFrameWnd;
        ASSERT_TRUE(mainFrame->Create(nullptr, 1));
        app->m_pMainWnd = mainFrame;
        // A menu bar as the program's: a maximised child's buttons join it
        // without moving the MDI area.
        auto menu = std::make_shared<CMenu>();
        auto file = std::make_shared<CMenu>();
        file->AppendMenu(MF_STRING, 57601, "&Open...");
        menu->AppendPopup("&File", file);
        mainFrame->SetDefaultMenu(menu);
        source =
            new CMultiDocTemplate(1, RUNTIME_CLASS(CQEditDoc), RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CQEditView));
        app->AddDocTemplate(source);
        app->m_sourceTemplate = source;
        layer = std::make_unique<platform::qt::WindowLayer>(app.get());
        widget = new platform::qt::MainFrameWidget(mainFrame);
        widget->setGeometry(40, 30, 1100, 760);
        widget->show();
        QApplication::processEvents();

        // The windows tell the core of their closing, as through the main frame.
        coreSink = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM) -> LRESULT {
            return msg == WM_EMU_VIEW_CLOSED && core ? core->OnDebugWndClosed(static_cast<int>(w)) : 1;
        });
        frameSide = std::make_unique<LayoutFrame>(mainFrame);
        core = std::make_unique<appdebug::CDebugCore>(frameSide.get(), &side);
        context.mainFrame = mainFrame;
        context.core = core.get();
        context.sourceTemplate = source;
        context.projectPath = (folder / "app.mpj").string();
        blockPath = (folder / "dev.tmp").string();
    }
    void TearDown() override
    {
        core.reset();
        app->m_sourceTemplate = nullptr;
        app->CloseAllDocuments(TRUE);
        mainFrame->DestroyWindow();
        // The frame's widget goes with the frame's window.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete widget.data();
        layer.reset();
        app.reset();
        ::SetTextViewFrame(previousTextFrame);
        std::filesystem::remove_all(folder);
        platform::DestroySink(coreSink);
        RegMemSession::TearDown();
    }

    CMDIChildWnd* OpenSource(const std::filesystem::path& path)
    {
        EXPECT_NE(source->OpenDocumentFile(path.c_str()), nullptr);
        return mainFrame->MDIGetActive();
    }
    // Puts a frame at a rectangle of the main window's client area.
    void Place(CWnd* frame, RECT client, UINT showCmd)
    {
        WINDOWPLACEMENT p;
        p.showCmd = showCmd;
        POINT corner{client.left, client.top};
        mainFrame->ClientToScreen(&corner);
        p.rcNormalPosition = {corner.x, corner.y, corner.x + client.Width(), corner.y + client.Height()};
        ASSERT_TRUE(frame->SetWindowPlacement(&p));
        QApplication::processEvents();
    }
    // A frame's placement with its rectangle in the main window's client area.
    WINDOWPLACEMENT ClientPlacement(CWnd* frame)
    {
        WINDOWPLACEMENT p;
        EXPECT_TRUE(frame->GetWindowPlacement(&p));
        RECT& r = p.rcNormalPosition;
        POINT corner{r.left, r.top};
        mainFrame->ScreenToClient(&corner);
        r = {corner.x, corner.y, corner.x + r.Width(), corner.y + r.Height()};
        return p;
    }
    std::vector<appdebug::LayoutRecord> Records()
    {
        std::ifstream in(blockPath, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        platform::CMemFile file(bytes);
        CArchive ar(&file, CArchive::load);
        std::vector<appdebug::LayoutRecord> out;
        appdebug::LayoutRecord r;
        while (appdebug::ReadLayoutRecord(r, ar))
            out.push_back(r);
        return out;
    }
    void CloseEverything()
    {
        for (appdebug::DebugWindow* w :
             std::vector<appdebug::DebugWindow*>(core->MemoryWnds().begin(), core->MemoryWnds().end()))
            w->Destroy();
        if (core->RegisterWnd())
            core->RegisterWnd()->Destroy();
        app->CloseAllDocuments(FALSE);
        platform::PumpPending();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        ASSERT_TRUE(mainFrame->MDIChildren().empty());
    }
    HWND MainWindow() override { return coreSink; }
    CMemoryWindow* MemoryWindow() const
    {
        return core->MemoryWnds().empty() ? nullptr : dynamic_cast<CMemoryWindow*>(core->MemoryWnds().front());
    }
    // The register window opened by the core (null when it is not there)
    // and the view of its first tab (null without one).
    CRegisterWnd* OpenRegisters(CCpuView** first)
    {
        core->OpenRegisterWindow();
        QApplication::processEvents();
        auto* registers = dynamic_cast<CRegisterWnd*>(CWnd::FromHandle(core->RegisterWnd()->Window()));
        *first = registers ? dynamic_cast<CCpuView*>(registers->Tabs().GetView(0)) : nullptr;
        return registers;
    }

    std::filesystem::path folder;
    std::string blockPath;
    HWND coreSink = nullptr;
    QuietTextFrame textFrame;
    ::TextViewFrame* previousTextFrame = nullptr;
    std::unique_ptr<shell::CDebuggerApp> app;
    lathris::CCJMDIFrameWnd* mainFrame = nullptr;
    CMultiDocTemplate* source = nullptr;
    std::unique_ptr<platform::qt::WindowLayer> layer;
    QPointer<platform::qt::MainFrameWidget> widget;
    std::unique_ptr<LayoutFrame> frameSide;
    appdebug::test::RecordingSide side;
    std::unique_ptr<appdebug::CDebugCore> core;
    appdebug::LayoutContext context;
};

TEST_F(LayoutQtTest, WindowsComeBackAtTheirRectanglesInTheBlocksOrder)
{
    core->OpenRegisterWindow();
    core->OpenMemoryWindow(0x8000, 3);
    CMemoryWindow* memory = MemoryWindow();
    ASSERT_NE(memory, nullptr);
    memory->SetColors(0xE0FFE0, 0x800000, 5);
    CMDIChildWnd* src = OpenSource(folder / "src" / "main.c");
    ASSERT_NE(src, nullptr);
    CWnd* regs = CWnd::FromHandle(core->RegisterWnd()->Window());

    Place(regs, {10, 10, 310, 260}, SW_SHOWNORMAL);
    Place(memory, {320, 40, 820, 400}, SW_SHOWNORMAL);
    Place(src, {50, 300, 650, 620}, SW_SHOWNORMAL);
    mainFrame->MDIActivate(src);
    QApplication::processEvents();

    appdebug::SaveDebugLayout(blockPath, context);
    const auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    // From the active child backwards in the stacking order.
    EXPECT_EQ(records[0].frameClass, appdebug::kLayoutSourceFrame);
    EXPECT_EQ(records[0].path, "src\\main.c");
    EXPECT_EQ(records[1].frameClass, appdebug::kLayoutDebugFrame);
    EXPECT_EQ(records[1].subKind, DVK_MEMORY1);
    EXPECT_EQ(records[1].words[0], 0x8000u);
    EXPECT_EQ(records[1].words[1], 3u);
    EXPECT_EQ(records[1].words[2], 0xE0FFE0u);
    EXPECT_EQ(records[1].words[3], 0x800000u);
    EXPECT_EQ(records[1].words[4], 5u);
    EXPECT_EQ(records[2].subKind, DVK_REGISTERS);
    const RECT stored = records[1].placement.rcNormalPosition;
    EXPECT_EQ(stored.left, 320);
    EXPECT_EQ(stored.top, 40);
    EXPECT_EQ(stored.Width(), 500);
    EXPECT_EQ(stored.Height(), 360);
    EXPECT_EQ(records[0].placement.flags, 0u);

    CloseEverything();
    ASSERT_EQ(appdebug::LoadDebugLayout(blockPath, context), appdebug::LayoutLoad::Restored);
    QApplication::processEvents();
    EXPECT_FALSE(std::filesystem::exists(blockPath));

    ASSERT_EQ(mainFrame->MDIChildren().size(), 3u);
    ASSERT_NE(core->RegisterWnd(), nullptr);
    memory = MemoryWindow();
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(memory->View()->Top(), 0x8000u);
    EXPECT_EQ(memory->View()->unit, Unit::Word);
    EXPECT_EQ(memory->View()->background, 0xE0FFE0u);
    EXPECT_EQ(memory->View()->textColor, 0x800000u);
    ASSERT_EQ(source->Documents().size(), 1u);
    CFrameWnd* srcFrame = source->Documents().front()->Views().front()->GetParentFrame();

    struct Expect {
        CWnd* frame;
        RECT rect;
    };
    const Expect expects[] = {
        {CWnd::FromHandle(core->RegisterWnd()->Window()), {10, 10, 310, 260}},
        {memory, {320, 40, 820, 400}},
        {srcFrame, {50, 300, 650, 620}},
    };
    for (const Expect& e : expects) {
        const WINDOWPLACEMENT p = ClientPlacement(e.frame);
        EXPECT_EQ(p.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
        EXPECT_EQ(p.rcNormalPosition.left, e.rect.left) << e.frame->GetWindowText();
        EXPECT_EQ(p.rcNormalPosition.top, e.rect.top) << e.frame->GetWindowText();
        EXPECT_EQ(p.rcNormalPosition.Width(), e.rect.Width()) << e.frame->GetWindowText();
        EXPECT_EQ(p.rcNormalPosition.Height(), e.rect.Height()) << e.frame->GetWindowText();
    }
    // The register tabs are drawn by the grid's widget again.
    auto* registers = dynamic_cast<CRegisterWnd*>(CWnd::FromHandle(core->RegisterWnd()->Window()));
    ASSERT_NE(registers, nullptr);
    ASSERT_GT(registers->Tabs().GetTabCount(), 0);
    EXPECT_NE(dynamic_cast<qt::CpuViewWidget*>(registers->Tabs().GetView(0)->GetHost()), nullptr);
}

TEST_F(LayoutQtTest, AMaximisedSourceWindowComesBackMaximisedWithItsNormalRectangle)
{
    CMDIChildWnd* src = OpenSource(folder / "util.c");
    ASSERT_NE(src, nullptr);
    Place(src, {30, 20, 530, 420}, SW_SHOWNORMAL);
    Place(src, {30, 20, 530, 420}, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(src->IsZoomed());

    appdebug::SaveDebugLayout(blockPath, context);
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].path, "util.c");
    EXPECT_EQ(records[0].placement.flags, WPF_RESTORETOMAXIMIZED);
    EXPECT_EQ(records[0].placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_EQ(records[0].placement.rcNormalPosition.left, 30);
    EXPECT_EQ(records[0].placement.rcNormalPosition.bottom, 420);

    CloseEverything();
    ASSERT_EQ(appdebug::LoadDebugLayout(blockPath, context), appdebug::LayoutLoad::Restored);
    QApplication::processEvents();
    CMDIChildWnd* back = mainFrame->MDIGetActive();
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->IsZoomed());
    const WINDOWPLACEMENT p = ClientPlacement(back);
    EXPECT_EQ(p.rcNormalPosition.left, 30);
    EXPECT_EQ(p.rcNormalPosition.top, 20);
    EXPECT_EQ(p.rcNormalPosition.right, 530);
    EXPECT_EQ(p.rcNormalPosition.bottom, 420);
}

TEST_F(LayoutQtTest, DebugWindowRecordsWaitForAConnectionAndSourcesOpenOnce)
{
    auto record = [](uint8_t frameClass, uint8_t subKind, const char* path, RECT rect) {
        appdebug::LayoutRecord r;
        r.frameClass = frameClass;
        r.subKind = subKind;
        r.path = path;
        r.placement.showCmd = SW_SHOWNORMAL;
        r.placement.rcNormalPosition = rect;
        return r;
    };
    {
        CFile file(blockPath.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        appdebug::WriteLayoutRecord(record(1, DVK_REGISTERS, "", {0, 0, 200, 200}), ar);
        appdebug::WriteLayoutRecord(record(0, 0, "gone.c", {0, 0, 200, 200}), ar);
        appdebug::WriteLayoutRecord(record(0, 0, "util.c", {60, 70, 460, 370}), ar);
        ar.Close();
    }
    // util.c is open already: its own frame takes the placement.
    CMDIChildWnd* util = OpenSource(folder / "util.c");
    ASSERT_NE(util, nullptr);
    OpenSource(folder / "src" / "main.c");
    frameSide->connected = false;

    ASSERT_EQ(appdebug::LoadDebugLayout(blockPath, context), appdebug::LayoutLoad::Restored);
    QApplication::processEvents();
    EXPECT_EQ(core->RegisterWnd(), nullptr);
    EXPECT_EQ(source->Documents().size(), 2u);
    const WINDOWPLACEMENT p = ClientPlacement(util);
    EXPECT_EQ(p.rcNormalPosition.left, 60);
    EXPECT_EQ(p.rcNormalPosition.top, 70);
    EXPECT_EQ(p.rcNormalPosition.Width(), 400);
}

TEST_F(LayoutQtTest, OnlyTheFirstMemoryWindowKeepsItsWords)
{
    core->OpenMemoryWindow(0x8000, 3);
    core->OpenMemoryWindow(0x9000, 2);
    ASSERT_EQ(core->MemoryWnds().size(), 2u);
    appdebug::SaveDebugLayout(blockPath, context);
    const auto records = Records();
    ASSERT_EQ(records.size(), 2u);
    for (const appdebug::LayoutRecord& r : records) {
        ASSERT_EQ(r.frameClass, appdebug::kLayoutDebugFrame);
        const std::vector<uint32_t> words(r.words, r.words + 6);
        if (r.subKind == DVK_MEMORY1) {
            EXPECT_EQ(words, (std::vector<uint32_t>{0x8000, 3, 0xFFFFFF, 0, 0, 0}));
        } else {
            EXPECT_EQ(r.subKind, DVK_MEMORY2);
            EXPECT_EQ(words, std::vector<uint32_t>(6, 0));
        }
    }
}

TEST_F(LayoutQtTest, APeripheralWindowRecordMovesNoOtherWindow)
{
    CMDIChildWnd* util = OpenSource(folder / "util.c");
    ASSERT_NE(util, nullptr);
    Place(util, {40, 30, 440, 330}, SW_SHOWNORMAL);
    {
        appdebug::LayoutRecord r;
        r.frameClass = appdebug::kLayoutDebugFrame;
        r.subKind = DVK_AUX_WINDOW;
        r.placement.showCmd = SW_SHOWNORMAL;
        r.placement.rcNormalPosition = {300, 200, 500, 400};
        CFile file(blockPath.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        appdebug::WriteLayoutRecord(r, ar);
        ar.Close();
    }
    ASSERT_EQ(appdebug::LoadDebugLayout(blockPath, context), appdebug::LayoutLoad::Restored);
    QApplication::processEvents();
    const WINDOWPLACEMENT p = ClientPlacement(util);
    EXPECT_EQ(p.rcNormalPosition.left, 40);
    EXPECT_EQ(p.rcNormalPosition.top, 30);
}

using MemoryWindowQtTest = LayoutQtTest;

TEST_F(MemoryWindowQtTest, ToolbarGoesToTheTypedAddressAndHidesByTheFramesCommand)
{
    core->OpenMemoryWindow(0x8000, 1);
    CMemoryWindow* memory = MemoryWindow();
    ASSERT_NE(memory, nullptr);
    QApplication::processEvents();
    auto* bar = widget->findChild<QToolBar*>(QString("bar_%1").arg(IDR_MEMORY_TOOLBAR));
    auto* combo = widget->findChild<QComboBox*>(QString("ctl_%1").arg(ID_MEM_ADDRESS_COMBO));
    auto* go = widget->findChild<QAction*>(QString("cmd_%1").arg(ID_MEM_GOTO));
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(go, nullptr);
    EXPECT_TRUE(bar->isVisible());

    combo->setEditText("0x8120");
    go->trigger();
    EXPECT_EQ(memory->View()->Top(), 0x8120u);
    EXPECT_EQ(combo->itemText(0), "0x8120");
    // Enter in the combo does the same; a text dolmer refuses moves nothing.
    combo->setEditText("8200");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(memory->View()->Top(), 0x8200u);
    combo->setEditText("#no_such_symbol");
    go->trigger();
    EXPECT_EQ(memory->View()->Top(), 0x8200u);

    memory->SendMessage(WM_COMMAND, ID_MEM_TOOLBAR, 0);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(memory->QueryCommandState(ID_MEM_TOOLBAR).text, "&View Memory Toolbar");
    memory->SendMessage(WM_COMMAND, ID_MEM_TOOLBAR, 0);
    EXPECT_TRUE(bar->isVisible());
}

// A double click on a disassembly row's instruction reaches the view on its
// widget (the widget passed presses only, so the Assemble and Modify Memory
// dialogs never opened).
TEST_F(MemoryWindowQtTest, ADoubleClickOnADisassemblyRowOpensItsDialog)
{
    core->OpenMemoryWindow(0x8000, 1);
    CMemoryWindow* memory = MemoryWindow();
    ASSERT_NE(memory, nullptr);
    QApplication::processEvents();
    CMemoryView* view = memory->View();
    view->SendMessage(WM_COMMAND, ID_MEM_DISASSEMBLY, 0);
    std::vector<std::pair<int, uint32_t>> opened;
    view->openDisassemblyDialog = [&](int column, ADDR address) { opened.emplace_back(column, address.off); };
    auto* area = dynamic_cast<QAbstractScrollArea*>(view->GetHost());
    ASSERT_NE(area, nullptr);
    QWidget* grid = area->viewport();
    const SIZE cell = view->GetHost()->CellSize();
    const int y = static_cast<int>(cell.cy + cell.cy / 2);  // the first row under the heading
    QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier,
                       QPoint(static_cast<int>(4 + kInstrColumn * cell.cx + 2), y));
    QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier,
                       QPoint(static_cast<int>(4 + kDataColumn * cell.cx + 2), y));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], std::make_pair(1, 0x8000u)) << "Assemble";
    EXPECT_EQ(opened[1], std::make_pair(0, 0x8000u)) << "Modify Memory";
}

TEST_F(MemoryWindowQtTest, AClosedMemoryWindowOpensAgainWhereItWasWithItsColours)
{
    core->OpenMemoryWindow(0x8040, 3);
    CMemoryWindow* memory = MemoryWindow();
    ASSERT_NE(memory, nullptr);
    memory->SetColors(0xD0F0FF, 0x004000, 9);
    Place(memory, {200, 120, 700, 420}, SW_SHOWNORMAL);
    memory->Destroy();
    platform::PumpPending();
    QApplication::processEvents();
    ASSERT_TRUE(core->MemoryWnds().empty());

    core->OpenMemoryWindow();
    QApplication::processEvents();
    memory = MemoryWindow();
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(memory->View()->Top(), 0x8040u);
    EXPECT_EQ(memory->View()->unit, Unit::Word);
    EXPECT_EQ(memory->View()->background, 0xD0F0FFu);
    EXPECT_EQ(memory->View()->textColor, 0x004000u);
    const WINDOWPLACEMENT p = ClientPlacement(memory);
    EXPECT_EQ(p.rcNormalPosition.left, 200);
    EXPECT_EQ(p.rcNormalPosition.top, 120);
    EXPECT_EQ(p.rcNormalPosition.Width(), 500);
    EXPECT_EQ(p.rcNormalPosition.Height(), 300);
}

TEST_F(MemoryWindowQtTest, AClosedRegisterWindowOpensAgainWhereItWas)
{
    core->OpenRegisterWindow();
    ASSERT_NE(core->RegisterWnd(), nullptr);
    Place(CWnd::FromHandle(core->RegisterWnd()->Window()), {15, 25, 415, 325}, SW_SHOWNORMAL);
    core->RegisterWnd()->Destroy();
    platform::PumpPending();
    QApplication::processEvents();
    ASSERT_EQ(core->RegisterWnd(), nullptr);
    EXPECT_TRUE(appdebug::g_windowPlacements[DVK_REGISTERS].IsValid());

    core->OpenRegisterWindow();
    QApplication::processEvents();
    ASSERT_NE(core->RegisterWnd(), nullptr);
    const WINDOWPLACEMENT p = ClientPlacement(CWnd::FromHandle(core->RegisterWnd()->Window()));
    EXPECT_EQ(p.rcNormalPosition.left, 15);
    EXPECT_EQ(p.rcNormalPosition.top, 25);
    EXPECT_EQ(p.rcNormalPosition.Width(), 400);
    EXPECT_EQ(p.rcNormalPosition.Height(), 300);
}

// The register grid's in-place edit on its widget: the field grows as the
// text runs past its right edge and never narrows; Enter writes the
// register, Escape drops the edit and the focus leaving then writes nothing.
using RegisterWindowQtTest = LayoutQtTest;

TEST_F(RegisterWindowQtTest, TheRegisterEditWidensWritesOnEnterAndDropsOnEscape)
{
    qt::AutoSizeEdit alone;
    alone.resize(40, 20);
    QTest::keyClicks(&alone, "0x0123456789ABCDEF");
    const int grown = alone.width();
    EXPECT_GT(grown, 40);
    EXPECT_GE(grown, alone.TextEnd() - 10);
    alone.clear();
    EXPECT_EQ(alone.width(), grown);

    CCpuView* view = nullptr;
    CRegisterWnd* registers = OpenRegisters(&view);
    ASSERT_NE(registers, nullptr);
    ASSERT_NE(view, nullptr);
    auto* grid = dynamic_cast<qt::CpuViewWidget*>(view->GetHost());
    ASSERT_NE(grid, nullptr);
    qt::AutoSizeEdit* edit = grid->InPlaceEdit();
    ASSERT_EQ(CpuSetRegister(1, 0x11), 0);

    view->StartEdit(1);
    ASSERT_TRUE(edit->isVisible());
    edit->selectAll();
    QTest::keyClicks(edit, "0x1234");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(edit->isVisible());
    DWORD value = 0;
    ASSERT_EQ(CpuGetRegister(1, &value), 0);
    EXPECT_EQ(value, 0x1234u);

    view->StartEdit(1);
    ASSERT_TRUE(edit->isVisible());
    edit->selectAll();
    QTest::keyClicks(edit, "0x5678");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_FALSE(view->Edit().visible);
    emit edit->editingFinished();
    ASSERT_EQ(CpuGetRegister(1, &value), 0);
    EXPECT_EQ(value, 0x1234u);
}

// A right click on the register grid opens its menu at the pointer on the
// screen (it opened at the click's place in the grid taken as a screen
// position, near the display's top left corner).
TEST_F(RegisterWindowQtTest, TheContextMenuOpensAtThePointer)
{
    struct PopupAt : platform::ModalUi {
        int MessageBox(const platform::MessageBoxRequest&) override { return IDCANCEL; }
        bool FileDialog(const platform::FileDialogRequest&, platform::FileDialogResult&) override { return false; }
        bool FolderDialog(const platform::FolderDialogRequest&, std::string&) override { return false; }
        UINT TrackPopupMenu(const platform::PopupRequest& request) override
        {
            at = QPoint(request.x, request.y);
            return 0;
        }
        QPoint at{-1, -1};
    } popup;
    platform::ModalUiScope scope(popup);

    CCpuView* view = nullptr;
    CRegisterWnd* registers = OpenRegisters(&view);
    ASSERT_NE(registers, nullptr);
    ASSERT_NE(view, nullptr);
    auto* grid = dynamic_cast<qt::CpuViewWidget*>(view->GetHost());
    ASSERT_NE(grid, nullptr);
    const QPoint inGrid(30, 12);
    const QPoint onScreen = grid->mapToGlobal(inGrid);
    ASSERT_NE(onScreen, inGrid);

    QContextMenuEvent click(QContextMenuEvent::Mouse, inGrid, onScreen);
    QApplication::sendEvent(grid, &click);
    EXPECT_EQ(popup.at, onScreen);

    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), grid->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(grid, &key);
    EXPECT_EQ(popup.at, grid->mapToGlobal(QPoint(0, 0)));
}

// A register tab floated by its menu's command is shown in its floating
// window by the register grid's widget (the plain view widget showed an
// empty white area).
TEST_F(RegisterWindowQtTest, AFloatedRegisterTabShowsItsGrid)
{
    CCpuView* view = nullptr;
    CRegisterWnd* registers = OpenRegisters(&view);
    ASSERT_NE(registers, nullptr);
    ASSERT_NE(view, nullptr);
    view->SendMessage(WM_COMMAND, ID_REG_DOCK_TOGGLE, 0);
    QApplication::processEvents();

    ASSERT_EQ(registers->Dock().FloatingFrames().size(), 1u);
    dockview::CDockWnd* frame = registers->Dock().FloatingFrames()[0];
    auto* floated = dynamic_cast<CCpuView*>(frame->GetActiveView());
    ASSERT_NE(floated, nullptr);
    // The program's frame widget makes this window for a floating frame.
    lathris::qt::FloatingFrameWidget window(frame, widget);
    window.show();
    QApplication::processEvents();
    auto* grid = dynamic_cast<qt::CpuViewWidget*>(floated->GetHost());
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(grid->isVisible());
    EXPECT_GT(grid->height(), 0);
}

}  // namespace
}  // namespace regmem::test
