// An application with an MDI main frame and the source template (CQEditDoc
// in CChildFrame with CQEditView panes), a frame interface the test plays,
// and a clipboard in memory. Views get fake window hosts of 640 x 480.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "child_frame.h"
#include "editor_test_files.h"
#include "platform/clipboard.h"
#include "platform/messages.h"
#include "platform/scripted_ui_gtest.h"
#include "platform/win_app.h"
#include "platform/window_host.h"
#include "qedit_doc.h"
#include "qedit_view.h"
#include "text_view_frame.h"

namespace editor::test {

// The main frame as the text views see it; the debugger's services record
// what they were asked.
class FakeTextFrame : public TextViewFrame {
public:
    bool IsConnected() const override { return connected; }
    TextViewStop GetStopPosition() const override { return stop; }
    bool GetFindText(std::string& text) const override
    {
        text = findText;
        return !text.empty();
    }
    void AddFindText(const std::string& text) override { findText = text; }
    void GoToAssembly(const ADDR* from) override { assemblyFrom.push_back(from ? from->off : 0xFFFFFFFFu); }
    int AddWatch(const std::string& expression) override
    {
        watches.push_back(expression);
        return 1;
    }
    int OpenInspectWindow(const std::string& name) override
    {
        inspected.push_back(name);
        return 1;
    }
    void ReportTargetConnectionLost() override
    {
        ++lostReports;
        if (whileLostPrompt)
            whileLostPrompt();
    }

    bool connected = false;
    TextViewStop stop;
    std::string findText;
    std::vector<std::uint32_t> assemblyFrom;
    std::vector<std::string> watches;
    std::vector<std::string> inspected;
    int lostReports = 0;
    // Runs while the lost-target prompt is up (its modal loop).
    std::function<void()> whileLostPrompt;
};

// The main frame window: the debugger's commands that reach its route are
// recorded (the debugger core's place), or handed to `route` when set.
class RecordingMainFrame : public CMDIFrameWnd {
public:
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override
    {
        if (route && route(id, code, extra, info))
            return TRUE;
        if (id == 32816 || id == 32930 || id == 32823 || id == 32861) {
            if (code == CN_COMMAND && !info && !extra)
                commands.push_back(id);
            return TRUE;
        }
        return CMDIFrameWnd::OnCmdMsg(id, code, extra, info);
    }
    std::function<BOOL(UINT, int, void*, AFX_CMDHANDLERINFO*)> route;
    std::vector<UINT> commands;
};

class MemoryClipboard : public platform::Clipboard {
public:
    void SetText(const std::string& bytes) override { text = bytes; }
    std::string GetText() const override { return text; }
    std::string text;
};

class EditorApp : public CWinApp {
public:
    EditorApp() : CWinApp("EditorTest") {}
};

// The application and its source template on top of a test base (plain,
// or a simulator session).
template <class Base>
class EditorFixture : public Base {
protected:
    void SetUp() override
    {
        Base::SetUp();
        if (::testing::Test::HasFatalFailure())
            return;
        sinksBefore = platform::SinkCount();
        previousFrame = SetTextViewFrame(&textFrame);
        previousClipboard = platform::SetClipboard(&clipboard);
        app = std::make_unique<EditorApp>();
        mainFrame = new RecordingMainFrame;
        ASSERT_TRUE(mainFrame->Create(nullptr, 1));
        app->m_pMainWnd = mainFrame;
        source =
            new CMultiDocTemplate(1, RUNTIME_CLASS(CQEditDoc), RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CQEditView));
        source->SetFilter(".c", "C Files (*.c)");
        app->AddDocTemplate(source);
    }
    void TearDown() override
    {
        if (app) {
            app->CloseAllDocuments(TRUE);
            mainFrame->DestroyWindow();
            app.reset();
            platform::SetClipboard(previousClipboard);
            SetTextViewFrame(previousFrame);
            EXPECT_EQ(platform::SinkCount(), sinksBefore) << "window handles left behind";
        }
        Base::TearDown();
    }

    // Opens a file of the given bytes; its first view gets a host.
    CQEditDoc* Open(const std::string& name, const std::string& bytes)
    {
        const std::string path = folder / name;
        WriteBytes(path, bytes);
        auto* doc = static_cast<CQEditDoc*>(source->OpenDocumentFile(path.c_str()));
        if (doc)
            for (CView* view : doc->Views())
                Host(static_cast<CQEditView*>(view));
        return doc;
    }
    CQEditView* Host(CQEditView* view)
    {
        if (!view->GetHost()) {
            hosts.emplace_back();
            view->SetHost(&hosts.back());
            view->SendMessage(WM_SIZE, 0, MAKELPARAM(640, 480));
            view->OnInitialUpdate();
        }
        return view;
    }
    static CQEditView* ViewOf(CQEditDoc* doc, std::size_t index = 0)
    {
        return static_cast<CQEditView*>(doc->Views().at(index));
    }
    static void Type(CQEditView* view, const std::string& text)
    {
        for (char ch : text)
            view->SendMessage(WM_CHAR, static_cast<unsigned char>(ch), 1);
    }
    static void Key(CQEditView* view, UINT vk, UINT repeat = 1) { view->SendMessage(WM_KEYDOWN, vk, repeat); }
    static void Command(CQEditView* view, UINT id) { view->SendMessage(WM_COMMAND, id, 0); }

    TempFolder folder;
    FakeTextFrame textFrame;
    MemoryClipboard clipboard;
    std::list<platform::FakeHost> hosts;
    std::unique_ptr<EditorApp> app;
    RecordingMainFrame* mainFrame = nullptr;
    CMultiDocTemplate* source = nullptr;
    TextViewFrame* previousFrame = nullptr;
    platform::Clipboard* previousClipboard = nullptr;
    std::size_t sinksBefore = 0;
};

using EditorTest = EditorFixture<::testing::Test>;

}  // namespace editor::test
