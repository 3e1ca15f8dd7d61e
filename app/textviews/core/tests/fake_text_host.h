// A text view's window and program side for tests: records what the engine
// asks of its window and answers with fixed metrics.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "text_view_core.h"

namespace textcore::test {

class FakeTextHost : public TextViewHost {
public:
    CellMetrics metrics{8, 16, 8};
    PaintRect client{0, 0, 800, 640};
    int caretX = 0;
    int caretY = 0;
    bool caretVisible = false;
    bool capture = false;
    std::map<int, int> timers;  // id -> ms
    std::vector<int> commands;
    int beeps = 0;
    int invalidations = 0;
    std::map<int, bool> barEnabled;
    std::map<int, std::pair<int, int>> barRange;
    std::map<int, int> barPos;
    int cursorX = 0;
    int cursorY = 0;
    std::string clipboard;
    std::vector<std::pair<int, int>> rightClicks;

    CellMetrics GetCellMetrics() override { return metrics; }
    PaintRect GetClientRect() override { return client; }
    void Invalidate(const PaintRect*, bool) override { ++invalidations; }
    void UpdateWindow() override {}
    void ScrollWindow(int, int, const PaintRect*) override {}
    void SetScrollRange(int bar, int minimum, int maximum) override { barRange[bar] = {minimum, maximum}; }
    void EnableScrollBar(int bar, bool enable) override { barEnabled[bar] = enable; }
    void SetScrollPos(int bar, int pos) override { barPos[bar] = pos; }
    void SetCaretPos(int x, int y) override
    {
        caretX = x;
        caretY = y;
    }
    void ShowCaret(bool show) override { caretVisible = show; }
    void SetCapture(bool on) override { capture = on; }
    bool HasCapture() override { return capture; }
    void SetTimer(int id, int ms) override { timers[id] = ms; }
    void KillTimer(int id) override { timers.erase(id); }
    void GetCursorPos(int& x, int& y) override
    {
        x = cursorX;
        y = cursorY;
    }
    void SendCommand(int id) override { commands.push_back(id); }
    void PostRButtonDown(int x, int y) override { rightClicks.push_back({x, y}); }
    void MessageBeep(unsigned) override { ++beeps; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
};

class FakeTextServices : public TextViewServices {
public:
    int maxUndoLen = 4096;
    bool smartEdit = true;
    bool lineNumbers = false;
    bool cursorLink = false;
    bool hasDocument = false;
    std::string documentPath;
    int modified = 0;
    std::vector<int> updateHints;
    std::vector<std::string> findHistory;
    std::string findBox;
    int compilerKind = 0;
    std::map<int, std::uint32_t> lineAddresses;  // one-based line -> address
    std::map<std::uint32_t, int> marks;          // address -> BPT_MARK
    PcLocation pc;
    bool partlyLoaded = false;
    int readMoreCalls = 0;

    int MaxUndoLen() override { return maxUndoLen; }
    bool SmartEdit() override { return smartEdit; }
    bool ShowLineNumbers() override { return lineNumbers; }
    bool CursorLink() override { return cursorLink; }
    void AddFindText(const std::string& text) override { findHistory.push_back(text); }
    std::string GetFindText() override { return findBox; }
    bool HasDocument() override { return hasDocument; }
    std::string DocumentPath() override { return documentPath; }
    void SetModified() override { ++modified; }
    void UpdateAllViews(int hint) override { updateHints.push_back(hint); }
    bool IsPartlyLoaded() override { return partlyLoaded; }
    void ReadMoreLines(bool) override { ++readMoreCalls; }
    int CompilerKind() override { return compilerKind; }
    std::intptr_t FindModuleOfFile(const std::string&) override { return lineAddresses.empty() ? 0 : 1; }
    bool GetLineAddrRange(int line, std::intptr_t, ADDR& start, ADDR& end) override
    {
        const auto it = lineAddresses.find(line);
        if (it == lineAddresses.end())
            return false;
        start = {it->second, ADDR_SPACE_TARGET};
        end = start;
        return true;
    }
    int FindBreakpointMark(const ADDR& address) override
    {
        const auto it = marks.find(address.off);
        return it == marks.end() ? 0 : it->second;
    }
    PcLocation GetPcLocation() override { return pc; }
};

// A view over `lines` in an 800 x 640 window of 8 x 16 cells (40 rows).
struct ViewFixture {
    FakeTextHost host;
    FakeTextServices services;
    TextViewCore view{host, services};

    explicit ViewFixture(const std::vector<std::string>& lines = {})
    {
        view.Buffer().SetLines(lines);
        view.OnInitialUpdate();
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < const_cast<TextViewCore&>(view).LineCount(); ++i)
            out.emplace_back(const_cast<TextViewCore&>(view).LineText(i));
        return out;
    }
};

}  // namespace textcore::test
