// The command route, the update pass, MDI order, accelerators, timers and
// the life of windows.
#include "platform/resources.h"
#include "platform/scripted_ui_gtest.h"
#include "window_fixture.h"

namespace wintest {

IMPLEMENT_DYNCREATE(TestDoc, CDocument)
IMPLEMENT_DYNCREATE(TestView, CView)
IMPLEMENT_DYNCREATE(TestChild, CMDIChildWnd)
IMPLEMENT_DYNCREATE(TestMainFrame, CMDIFrameWnd)

namespace {

using CommandTest = WindowTest;

TEST_F(CommandTest, RouteGoesViewDocumentChildThenMainFrameAndApplication)
{
    ASSERT_NE(tmpl->OpenDocumentFile(nullptr), nullptr);
    // Each command is taken by the first target of the route that has it.
    for (UINT id : {100u, 101u, 102u, 103u, 104u})
        frame->SendMessage(WM_COMMAND, id, 0);
    EXPECT_EQ(Log(), (std::vector<std::string>{"view 100", "doc 101", "child 102", "main 103", "app 104"}));
}

TEST_F(CommandTest, WithoutChildrenTheMainFrameHandlesWhatItHas)
{
    frame->SendMessage(WM_COMMAND, 102, 0);
    frame->SendMessage(WM_COMMAND, 100, 0);  // nobody: nothing runs
    EXPECT_EQ(Log(), (std::vector<std::string>{"main 102"}));
    EXPECT_FALSE(frame->QueryCommandState(100).enabled);
    EXPECT_TRUE(frame->QueryCommandState(104).enabled);
}

class UpdatingFrame : public CFrameWnd {
public:
    UpdatingFrame()
    {
        OnCommand(300, [this] { ++runs; });
        OnUpdate(300, [this](CCmdUI* ui) {
            ui->Enable(allow);
            ui->SetText(allow ? "&Stop" : "&Go");
        });
        OnCommand(301, [] {});
    }
    bool allow = false;
    int runs = 0;
};

TEST_F(CommandTest, UpdatePassSetsMenuItemsAndDisabledCommandsDoNotRun)
{
    auto* fp = new UpdatingFrame;  // frames delete themselves
    ASSERT_TRUE(fp->Create(nullptr));
    UpdatingFrame& f = *fp;
    auto menu = BuildMenu({{"&Run", 0, {{"&Go", 300}, {nullptr}, {"Other", 301}, {"Nothing", 302}}}});
    CMenu* popup = menu->GetSubMenu(0);
    popup->UpdateItems(&f);
    EXPECT_EQ(popup->GetMenuState(300, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(popup->GetMenuState(301, MF_BYCOMMAND) & MF_GRAYED, 0u);         // a handler: enabled
    EXPECT_EQ(popup->GetMenuState(302, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);  // none: grey
    f.SendMessage(WM_COMMAND, 300, 0);
    EXPECT_EQ(f.runs, 0);
    f.allow = true;
    popup->UpdateItems(&f);
    EXPECT_EQ(popup->GetMenuString(300, MF_BYCOMMAND), "&Stop");
    f.SendMessage(WM_COMMAND, MAKEWPARAM(300, 1), 0);  // as an accelerator
    EXPECT_EQ(f.runs, 1);
    f.DestroyWindow();
}

TEST_F(CommandTest, BarsAndPanesFollowTheUpdatePassOnIdleButNotInNestedPumps)
{
    UpdatingFrame* f = new UpdatingFrame;
    ASSERT_TRUE(f->Create(nullptr));
    app->m_pMainWnd->DestroyWindow();
    app->m_pMainWnd = f;
    CToolBar bar;
    ASSERT_TRUE(bar.Create(f));
    bar.SetButtons({300, ID_SEPARATOR, 301, 302});
    resources::AddString(0x7100, "CAP");
    CStatusBar status;
    ASSERT_TRUE(status.Create(f));
    status.SetIndicators({ID_SEPARATOR, 300});
    ModalWait([&] {
        app->OnIdle(0);  // nested: waits
        return true;
    });
    EXPECT_EQ(bar.GetButtonStyle(0) & TBBS_DISABLED, 0u);
    app->OnIdle(0);
    EXPECT_EQ(bar.GetButtonStyle(0) & TBBS_DISABLED, TBBS_DISABLED);
    EXPECT_EQ(bar.GetButtonStyle(2) & TBBS_DISABLED, 0u);
    EXPECT_EQ(bar.GetButtonStyle(3) & TBBS_DISABLED, TBBS_DISABLED);
    EXPECT_EQ(status.GetPaneText(1), "&Go");
    f->SetMessageText("Ready");
    EXPECT_EQ(status.GetPaneText(0), "Ready");
    f->DestroyWindow();
    app->m_pMainWnd = nullptr;
}

// A frame's string resource holds its title and then the document strings
// of its template, one a line; the title is the first line alone.
TEST_F(CommandTest, LoadedFrameTitleIsTheFirstLineOfItsString)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Target IDE\nIDE\nIDE Source File\nSource Files(*.c)\n.c\nIde.Document\nSource", "Target IDE"},
        {"Plain title", "Plain title"},
        {"\nNo title", ""},
    };
    UINT id = 0x7200;
    for (const auto& [text, title] : cases) {
        SCOPED_TRACE(text);
        resources::AddString(++id, text);
        auto* f = new CFrameWnd;  // frames delete themselves
        ASSERT_TRUE(f->LoadFrame(id));
        EXPECT_EQ(f->GetTitle(), title);
        f->OnUpdateFrameTitle(TRUE);
        EXPECT_EQ(f->GetWindowText(), title);
        f->DestroyWindow();
    }
}

TEST_F(CommandTest, MdiOrderActivationNextAndSharedMenu)
{
    resources::AddMenu(200, {{"&File", 0, {{"&Open", ID_FILE_OPEN}}}, {"&Edit", 0, {{"&Copy", ID_EDIT_COPY}}}});
    auto* t2 = new CMultiDocTemplate(200, RUNTIME_CLASS(TestDoc), RUNTIME_CLASS(TestChild), RUNTIME_CLASS(TestView));
    app->AddDocTemplate(t2);
    frame->SetDefaultMenu(BuildMenu({{"&File", 0, {{"&Open", ID_FILE_OPEN}}}}));
    EXPECT_EQ(frame->GetShownMenu()->GetMenuItemCount(), 1);
    CDocument* a = t2->OpenDocumentFile(nullptr);
    CDocument* b = t2->OpenDocumentFile(nullptr);
    CDocument* c = t2->OpenDocumentFile(nullptr);
    auto childOf = [](CDocument* d) { return d->Views().front()->GetParentFrame(); };
    EXPECT_EQ(frame->MDIGetActive(), childOf(c));
    EXPECT_EQ(frame->GetShownMenu()->GetMenuItemCount(), 2);  // the child's shared menu
    EXPECT_EQ(reinterpret_cast<HWND>(frame->SendMessage(WM_MDIGETACTIVE)), childOf(c)->m_hWnd);
    frame->SendMessage(WM_MDINEXT, 0, 0);  // c goes to the back
    EXPECT_EQ(frame->MDIGetActive(), childOf(b));
    frame->SendMessage(WM_MDINEXT, 0, 0);
    EXPECT_EQ(frame->MDIGetActive(), childOf(a));
    frame->SendMessage(WM_MDINEXT, 0, 1);  // previous: the backmost comes forward
    EXPECT_EQ(frame->MDIGetActive(), childOf(b));
    EXPECT_EQ(frame->GetActiveDocument(), b);
    // Activation by handle finds the child window behind it.
    EXPECT_EQ(CWnd::FromHandle(childOf(a)->m_hWnd), childOf(a));
    frame->SendMessage(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(childOf(a)->m_hWnd), 0);
    EXPECT_EQ(frame->MDIGetActive(), childOf(a));
    HWND plain = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    EXPECT_EQ(CWnd::FromHandle(plain), nullptr);  // a sink that is no window
    platform::DestroySink(plain);
    frame->SendMessage(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(childOf(b)->m_hWnd), 0);
    childOf(b)->DestroyWindow();
    EXPECT_EQ(frame->MDIChildren().size(), 2u);
    EXPECT_NE(frame->MDIGetActive(), nullptr);
    app->CloseAllDocuments(TRUE);
    EXPECT_EQ(frame->MDIGetActive(), nullptr);
    EXPECT_EQ(frame->GetShownMenu()->GetMenuItemCount(), 1);
}

TEST_F(CommandTest, WindowMenuListsTheOpenChildrenAndActivatesTheChosenOne)
{
    auto* t2 = new CMultiDocTemplate(0, RUNTIME_CLASS(TestDoc), RUNTIME_CLASS(TestChild), RUNTIME_CLASS(TestView));
    app->AddDocTemplate(t2);
    frame->SetDefaultMenu(
        BuildMenu({{"&File", 0, {{"&Open", ID_FILE_OPEN}}},
                   {"&Window", 0, {{"&Cascade", ID_WINDOW_CASCADE}, {"&Tile", ID_WINDOW_TILE_HORZ}}}}));
    CMenu* window = frame->GetDefaultMenu()->GetSubMenu(1);
    CMenu* file = frame->GetDefaultMenu()->GetSubMenu(0);
    EXPECT_TRUE(frame->UpdateWindowMenu(*window));
    EXPECT_EQ(window->GetMenuItemCount(), 2) << "no children: no list, no separator";
    EXPECT_FALSE(frame->UpdateWindowMenu(*file));

    std::vector<CFrameWnd*> children;
    for (const char* name : {"main.c", "startup.s", "link.ld"}) {
        CDocument* d = t2->OpenDocumentFile(nullptr);
        children.push_back(d->Views().front()->GetParentFrame());
        children.back()->SetWindowText(name);
    }
    auto texts = [&] {
        std::vector<std::string> out;
        for (const auto& item : window->Items())
            out.push_back((item.flags & MF_SEPARATOR) ? "-" : item.text + ((item.flags & MF_CHECKED) ? " *" : ""));
        return out;
    };
    ASSERT_TRUE(frame->UpdateWindowMenu(*window));
    window->UpdateItems(frame);
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"&Cascade", "&Tile", "-", "&1 main.c", "&2 startup.s", "&3 link.ld *"}));
    EXPECT_EQ(window->GetMenuItemID(3), AFX_IDM_FIRST_MDICHILD);

    // Choosing "&1" activates the first opened child; the list keeps the
    // opening order while the stacking order changes.
    frame->SendMessage(WM_COMMAND, AFX_IDM_FIRST_MDICHILD, 0);
    EXPECT_EQ(frame->MDIGetActive(), children[0]);
    frame->UpdateWindowMenu(*window);
    window->UpdateItems(frame);
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"&Cascade", "&Tile", "-", "&1 main.c *", "&2 startup.s", "&3 link.ld"}));

    // A closed child leaves the list, which renumbers; the last closes it.
    children[1]->DestroyWindow();
    frame->UpdateWindowMenu(*window);
    window->UpdateItems(frame);
    EXPECT_EQ(texts(), (std::vector<std::string>{"&Cascade", "&Tile", "-", "&1 main.c *", "&2 link.ld"}));
    frame->SendMessage(WM_COMMAND, AFX_IDM_FIRST_MDICHILD + 5, 0);  // a stale number: nothing
    EXPECT_EQ(frame->MDIGetActive(), children[0]);
    app->CloseAllDocuments(TRUE);
    frame->UpdateWindowMenu(*window);
    EXPECT_EQ(texts(), (std::vector<std::string>{"&Cascade", "&Tile"}));

    // More than nine children: the first nine are listed.
    for (int i = 0; i < 11; ++i)
        t2->OpenDocumentFile(nullptr);
    frame->UpdateWindowMenu(*window);
    EXPECT_EQ(window->GetMenuItemCount(), 2 + 1 + CMDIFrameWnd::kMaxListedChildren);
    EXPECT_EQ(window->GetMenuString(AFX_IDM_FIRST_MDICHILD + 8, MF_BYCOMMAND).substr(0, 3), "&9 ");
    app->CloseAllDocuments(TRUE);
}

TEST_F(CommandTest, AcceleratorsByVirtualKeyAndByControlCharacter)
{
    frame->SetAccelTable(std::make_shared<AccelTable>(std::vector<ACCEL>{
        {FVIRTKEY, VK_F5, 103}, {FVIRTKEY | FCONTROL, 'B', 104}, {0, 2 /* Ctrl+B as WM_CHAR */, 102}}));
    ResetKeyState();
    MSG f5{frame->m_hWnd, WM_KEYDOWN, VK_F5, 0, 0};
    EXPECT_TRUE(app->PreTranslateMessage(&f5));
    MSG b{frame->m_hWnd, WM_KEYDOWN, 'B', 0, 0};
    EXPECT_FALSE(app->PreTranslateMessage(&b));  // without Ctrl
    SetKeyDown(VK_CONTROL, true);
    EXPECT_TRUE(app->PreTranslateMessage(&b));
    SetKeyDown(VK_CONTROL, false);
    MSG ch{frame->m_hWnd, WM_CHAR, 2, 0, 0};
    EXPECT_TRUE(app->PreTranslateMessage(&ch));
    MSG shiftF5{frame->m_hWnd, WM_KEYDOWN, VK_F5, 0, 0};
    SetKeyDown(VK_SHIFT, true);
    EXPECT_FALSE(app->PreTranslateMessage(&shiftF5));
    ResetKeyState();
    EXPECT_EQ(Log(), (std::vector<std::string>{"main 103", "app 104", "main 102"}));
}

class TimerWnd : public CWnd {
public:
    void OnTimer(UINT_PTR id) override { ticks.push_back(id); }
    std::vector<UINT_PTR> ticks;
};

TEST_F(CommandTest, TimersReplaceByIdDieWithTheWindowAndWaitInNestedPumps)
{
    TimerWnd w;
    ASSERT_TRUE(w.Create(nullptr));
    EXPECT_EQ(w.SetTimer(1, 1000), 1u);
    EXPECT_EQ(w.SetTimer(1, 500), 1u);
    auto timers = ActiveTimers();
    ASSERT_EQ(std::count_if(timers.begin(), timers.end(), [&](auto& t) { return t.hwnd == w.m_hWnd; }), 1);
    EXPECT_EQ(timers.back().ms, 500u);
    ASSERT_TRUE(FireTimer(w.m_hWnd, 1));
    PumpPending();  // a nested pump takes WM_TIMER out
    EXPECT_TRUE(w.ticks.empty());
    ASSERT_TRUE(FireTimer(w.m_hWnd, 1));
    DispatchPending();
    EXPECT_EQ(w.ticks, (std::vector<UINT_PTR>{1}));
    HWND h = w.m_hWnd;
    w.DestroyWindow();
    EXPECT_FALSE(FireTimer(h, 1));
    EXPECT_EQ(SetTimer(h, 2, 10, nullptr), 0u);
}

// A window that destroys itself inside its own handler and is deleted only
// after the dispatch returned (ASan would see a use after free otherwise).
class SelfDestroying : public CWnd {
public:
    explicit SelfDestroying(bool* deleted) : deleted_(deleted)
    {
        m_bAutoDelete = true;
        OnMessage(WM_USER + 1, [this](WPARAM, LPARAM) {
            DestroyWindow();
            EXPECT_FALSE(*deleted_);
            touched = 1;  // the object is still ours until the dispatch returns
            return LRESULT{7};
        });
    }
    ~SelfDestroying() override { *deleted_ = true; }
    int touched = 0;

private:
    bool* deleted_;
};

TEST_F(CommandTest, WindowDestroyedInItsOwnHandlerAndPostsToDeadWindows)
{
    bool deleted = false;
    auto* w = new SelfDestroying(&deleted);
    ASSERT_TRUE(w->Create(nullptr));
    HWND h = w->m_hWnd;
    ASSERT_TRUE(PostMessage(h, WM_USER + 2, 0, 0));  // queued before the death
    EXPECT_EQ(SendMessage(h, WM_USER + 1, 0, 0), 7);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(PostMessage(h, WM_USER + 3, 0, 0));
    EXPECT_TRUE(DispatchPending());  // the queued message is dropped
}

TEST_F(CommandTest, PopupMenusThroughTheModalServiceWithTheFramesUpdatePass)
{
    GTestScriptedUi ui;
    ui.AnswerPopup(103, "Three").AnswerPopup(0);
    auto menu = BuildMenu({{"One", 100}, {"Three", 103}});
    EXPECT_EQ(menu->TrackPopupMenu(TPM_RETURNCMD, 0, 0, frame), 103u);
    EXPECT_EQ(menu->GetMenuState(100, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);  // updated first
    EXPECT_EQ(menu->TrackPopupMenu(0, 0, 0, frame), 0u);
    EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace wintest
