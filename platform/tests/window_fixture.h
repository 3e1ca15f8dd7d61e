// Shared pieces of the window layer's Qt-free tests: an application with an
// MDI frame, a document class that records its loads, a view that records
// its updates, and a check that every window handle is gone at the end.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/win_app.h"

namespace wintest {

using namespace platform;

inline std::vector<std::string>& Log()
{
    static std::vector<std::string> log;
    return log;
}

class TestDoc : public CDocument {
public:
    TestDoc()
    {
        OnCommand(100, [] { Log().push_back("doc 100"); });
        OnCommand(101, [] { Log().push_back("doc 101"); });
    }
    void Serialize(CArchive& ar) override
    {
        if (throwOnSerialize)
            throw CException("damaged contents");
        if (ar.IsStoring())
            ar << static_cast<DWORD>(value);
        else {
            DWORD v;
            ar >> v;
            value = static_cast<int>(v);
        }
    }
    static inline bool throwOnSerialize = false;
    int value = 0;
    DECLARE_DYNCREATE(TestDoc)
};

class TestView : public CView {
public:
    TestView()
    {
        OnCommand(100, [] { Log().push_back("view 100"); });
    }
    void OnUpdate(CView*, LPARAM hint, CObject*) override { updates.push_back(hint); }
    std::vector<LPARAM> updates;
    DECLARE_DYNCREATE(TestView)
};

class TestChild : public CMDIChildWnd {
public:
    TestChild()
    {
        OnCommand(102, [] { Log().push_back("child 102"); });
    }
    DECLARE_DYNCREATE(TestChild)
};

class TestMainFrame : public CMDIFrameWnd {
public:
    TestMainFrame()
    {
        OnCommand(103, [] { Log().push_back("main 103"); });
        OnCommand(102, [] { Log().push_back("main 102"); });
    }
    DECLARE_DYNCREATE(TestMainFrame)
};

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("WinTest")
    {
        OnCommand(104, [] { Log().push_back("app 104"); });
    }
};

// An application with its main frame made; torn down with a handle check.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Log().clear();
        TestDoc::throwOnSerialize = false;
        sinksBefore = SinkCount();
        app = std::make_unique<TestApp>();
        frame = new TestMainFrame;
        ASSERT_TRUE(frame->Create(nullptr, 1));
        app->m_pMainWnd = frame;
        tmpl = new CMultiDocTemplate(200, RUNTIME_CLASS(TestDoc), RUNTIME_CLASS(TestChild), RUNTIME_CLASS(TestView));
        tmpl->SetFilter(".tst", "Test Files (*.tst)");
        app->AddDocTemplate(tmpl);
    }
    void TearDown() override
    {
        app->CloseAllDocuments(TRUE);
        if (app->m_pMainWnd)
            app->m_pMainWnd->DestroyWindow();
        app.reset();
        EXPECT_EQ(SinkCount(), sinksBefore) << "window handles left behind";
    }
    std::unique_ptr<TestApp> app;
    TestMainFrame* frame = nullptr;
    CMultiDocTemplate* tmpl = nullptr;
    size_t sinksBefore = 0;
};

}  // namespace wintest
