// Text views without Qt: a host that records what the views ask of their
// window, a frame played by the test, and a view with line numbers that
// records the frame's relays.
#pragma once

#include <gtest/gtest.h>
#include <platform/clipboard.h>
#include <platform/messages.h>
#include <platform/window_host.h>

#include <memory>
#include <string>
#include <vector>

#include "base_view.h"
#include "shell/settings.h"

namespace textbase::test {

class FakeTextWindow : public platform::FakeHost, public TextWindowHost {
public:
    FakeTextWindow() : FakeHost({0, 0, 640, 160}) {}  // 10 rows of 16 pixels
    void CaretChanged() override { ++caretChanges; }
    POINT CursorPos() const override { return pointer; }
    void FontChanged(const platform::FontSpec&) override { ++fontChanges; }
    void UpdateNow() override {}
    void ScrollContents(int, int, const RECT*) override { ++invalidations; }
    void InvalidateRect(const RECT& r) override { rects.push_back(r); }
    POINT pointer;
    int caretChanges = 0;
    int fontChanges = 0;
    std::vector<RECT> rects;
};

class FakeFrame : public TextViewFrame {
public:
    bool IsConnected() const override { return connected; }
    TextViewStop GetStopPosition() const override { return stop; }
    bool GetFindText(std::string& text) const override
    {
        text = findBox;
        return !text.empty();
    }
    void AddFindText(const std::string& text) override { history.push_back(text); }
    bool connected = false;
    TextViewStop stop;
    std::string findBox;
    std::vector<std::string> history;
};

class TestView : public CBaseView {
public:
    const char* GetLineNumberFormat() override { return "%6d"; }
    void OnUpdate(CView* sender, LPARAM hint, CObject* object) override
    {
        hints.push_back(hint);
        if (auto* bp = dynamic_cast<CBreakpointHint*>(object))
            hintAddresses.push_back(bp->address.off);
        CBaseView::OnUpdate(sender, hint, object);
    }
    std::vector<LPARAM> hints;
    std::vector<uint32_t> hintAddresses;
    std::vector<std::pair<WPARAM, LPARAM>> pcLines;

protected:
    LRESULT OnSetPcLine(WPARAM w, LPARAM l) override
    {
        pcLines.push_back({w, l});
        return 1;
    }
};

// A view the test owns (not deleted by its window's destruction).
template <class View>
class Owned : public View {
public:
    Owned() { this->m_bAutoDelete = false; }
};

// Views on fake windows; the frame installed for the test's time.
class TextViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theSettings.SetDefaultColors();
        theSettings.LineNumbe = 0;
        theSettings.CursorLink = 0;
        theSettings.SmartEdit = 0;
        previousFrame = SetTextViewFrame(&frame);
        platform::SetClipboard(nullptr);
        textcore::SearchState() = {};
    }
    void TearDown() override
    {
        for (auto& view : views)
            if (view->GetSafeHwnd())
                view->DestroyWindow();
        views.clear();
        windows.clear();
        SetTextViewFrame(previousFrame);
        platform::SetKeyDown(VK_SHIFT, false);
    }
    // A created view on a fake window, its text set, sized and updated.
    template <class View = TestView>
    View* MakeView(const std::vector<std::string>& lines = {})
    {
        auto view = std::make_unique<Owned<View>>();
        auto window = std::make_unique<FakeTextWindow>();
        view->SetHost(window.get());
        EXPECT_TRUE(view->Create(nullptr));
        if (!lines.empty())
            view->Buffer().SetLines(lines);
        view->OnInitialUpdate();
        view->SendMessage(WM_SIZE, 0, MAKELPARAM(640, 160));
        View* raw = view.get();
        windows.push_back(std::move(window));
        views.push_back(std::move(view));
        return raw;
    }
    static std::vector<std::string> Numbered(int count, const std::string& prefix = "line ")
    {
        std::vector<std::string> lines;
        for (int i = 1; i <= count; ++i)
            lines.push_back(prefix + std::to_string(i));
        return lines;
    }

    FakeFrame frame;
    TextViewFrame* previousFrame = nullptr;
    std::vector<std::unique_ptr<FakeTextWindow>> windows;
    std::vector<std::unique_ptr<CBaseView>> views;
};

}  // namespace textbase::test
