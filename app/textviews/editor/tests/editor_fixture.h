// An application with an MDI main frame and the source template (CQEditDoc
// in CChildFrame with CQEditView panes), a frame interface the test plays,
// and a clipboard in memory. Views get fake window hosts of 640 x 480.
#pragma once

#include <gtest/gtest.h>

#include <list>
#include <memory>

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
    bool connected = false;
    TextViewStop stop;
    std::string findText;
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

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sinksBefore = platform::SinkCount();
        previousFrame = SetTextViewFrame(&textFrame);
        previousClipboard = platform::SetClipboard(&clipboard);
        app = std::make_unique<EditorApp>();
        mainFrame = new CMDIFrameWnd;
        ASSERT_TRUE(mainFrame->Create(nullptr, 1));
        app->m_pMainWnd = mainFrame;
        source =
            new CMultiDocTemplate(1, RUNTIME_CLASS(CQEditDoc), RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CQEditView));
        source->SetFilter(".c", "C Files (*.c)");
        app->AddDocTemplate(source);
    }
    void TearDown() override
    {
        app->CloseAllDocuments(TRUE);
        mainFrame->DestroyWindow();
        app.reset();
        platform::SetClipboard(previousClipboard);
        SetTextViewFrame(previousFrame);
        EXPECT_EQ(platform::SinkCount(), sinksBefore) << "window handles left behind";
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
    CMDIFrameWnd* mainFrame = nullptr;
    CMultiDocTemplate* source = nullptr;
    TextViewFrame* previousFrame = nullptr;
    platform::Clipboard* previousClipboard = nullptr;
    std::size_t sinksBefore = 0;
};

}  // namespace editor::test
