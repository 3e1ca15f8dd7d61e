// The engine's window and program side of a text view: window operations go
// to the view's host, options to the settings record, the find box and the
// stop position to the main frame, marks to the debugger's look-ups.
#include <platform/clipboard.h>
#include <platform/modal_ui.h>

#include "base_view.h"
#include "dolmer/dolmer.h"
#include "lookups/sym_lookups.h"
#include "sarvik.h"
#include "shell/settings.h"
#include "tarnel.h"

namespace textbase::detail {

namespace {

RECT ToRect(const textcore::PaintRect& r)
{
    return {r.x, r.y, r.x + r.width, r.y + r.height};
}

class CoreHost : public textcore::TextViewHost {
public:
    explicit CoreHost(CBaseView& view) : view_(view) {}

    textcore::CellMetrics GetCellMetrics() override
    {
        SIZE cell = view_.GetHost() ? view_.GetHost()->CellSize() : SIZE{8, 16};
        return {static_cast<int>(cell.cx), static_cast<int>(cell.cy), static_cast<int>(cell.cx)};
    }
    textcore::PaintRect GetClientRect() override
    {
        RECT r;
        view_.GetClientRect(&r);
        return {r.left, r.top, r.Width(), r.Height()};
    }
    void Invalidate(const textcore::PaintRect* rect, bool) override
    {
        if (TextWindowHost* host = Text(); host && rect)
            host->InvalidateRect(ToRect(*rect));
        else
            view_.Invalidate();
    }
    void UpdateWindow() override
    {
        if (TextWindowHost* host = Text())
            host->UpdateNow();
    }
    void ScrollWindow(int dx, int dy, const textcore::PaintRect* area) override
    {
        if (TextWindowHost* host = Text()) {
            RECT r = area ? ToRect(*area) : RECT{};
            host->ScrollContents(dx, dy, area ? &r : nullptr);
        } else {
            view_.Invalidate();
        }
    }
    void SetScrollRange(int bar, int minimum, int maximum) override
    {
        enabled_[Index(bar)] = true;
        SCROLLINFO info;
        info.fMask = SIF_RANGE;
        info.nMin = minimum;
        info.nMax = maximum;
        view_.SetScrollInfo(bar, info);
    }
    // A disabled bar shows no range (Qt has no bar with dead arrows).
    void EnableScrollBar(int bar, bool enable) override
    {
        enabled_[Index(bar)] = enable;
        if (enable)
            return;
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_POS;
        view_.SetScrollInfo(bar, info);
    }
    void SetScrollPos(int bar, int pos) override
    {
        if (!enabled_[Index(bar)])
            return;
        SCROLLINFO info;
        info.fMask = SIF_POS;
        info.nPos = pos;
        view_.SetScrollInfo(bar, info);
    }
    void SetCaretPos(int x, int y) override
    {
        view_.caretX = x;
        view_.caretY = y;
        CaretChanged();
    }
    void ShowCaret(bool show) override
    {
        view_.caretVisible = show;
        CaretChanged();
    }
    void SetCapture(bool capture) override { view_.mouseCaptured = capture; }
    bool HasCapture() override { return view_.mouseCaptured; }
    void SetTimer(int id, int ms) override { view_.SetTimer(static_cast<UINT_PTR>(id), static_cast<UINT>(ms)); }
    void KillTimer(int id) override { view_.KillTimer(static_cast<UINT_PTR>(id)); }
    void GetCursorPos(int& x, int& y) override
    {
        POINT p = Text() ? Text()->CursorPos() : view_.lastPointer;
        x = p.x;
        y = p.y;
    }
    void SendCommand(int id) override { view_.SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }
    void PostRButtonDown(int x, int y) override
    {
        view_.PostMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }
    void MessageBeep(unsigned type) override { ::MessageBeep(type); }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void SetClipboardText(const std::string& text) override { platform::GetClipboard().SetText(text); }

private:
    static int Index(int bar) { return bar == textcore::SB_HORZ ? 0 : 1; }
    TextWindowHost* Text() const { return dynamic_cast<TextWindowHost*>(view_.GetHost()); }
    void CaretChanged()
    {
        if (TextWindowHost* host = Text())
            host->CaretChanged();
    }
    CBaseView& view_;
    bool enabled_[2] = {true, true};
};

class CoreServices : public textcore::TextViewServices {
public:
    explicit CoreServices(CBaseView& view) : view_(view) {}

    int MaxUndoLen() override { return theSettings.MaxUndoLen > 0 ? theSettings.MaxUndoLen : 4096; }
    bool SmartEdit() override { return theSettings.SmartEdit != 0; }
    bool ShowLineNumbers() override { return theSettings.LineNumbe != 0; }
    bool CursorLink() override { return theSettings.CursorLink != 0; }
    void AddFindText(const std::string& text) override
    {
        if (TextViewFrame* frame = GetTextViewFrame())
            frame->AddFindText(text);
    }
    std::string GetFindText() override
    {
        std::string text;
        if (TextViewFrame* frame = GetTextViewFrame())
            frame->GetFindText(text);
        return text;
    }
    bool HasDocument() override { return view_.GetDocument() != nullptr; }
    std::string DocumentPath() override { return view_.GetDocument() ? view_.GetDocument()->GetPathName() : ""; }
    void SetModified() override { view_.SetModified(); }
    void UpdateAllViews(int hint) override { view_.UpdateViewsOfDocument(hint); }
    bool IsPartlyLoaded() override { return view_.IsPartlyLoaded(); }
    void ReadMoreLines(bool all) override { view_.ReadMoreLines(all); }
    int CompilerKind() override { return LdrGetMachineType(); }
    std::intptr_t FindModuleOfFile(const std::string& fileName) override
    {
        int module = 0;
        return lookups::SymFindModuleOfFile(fileName.c_str(), &module) ? module : 0;
    }
    bool GetLineAddrRange(int line, std::intptr_t module, ADDR& start, ADDR& end) override
    {
        return lookups::SymGetLineAddrRange(line, &start, &end, static_cast<int>(module), TRUE) != FALSE;
    }
    int FindBreakpointMark(const ADDR& address) override { return BptFindBp(&address, ADDR{}, nullptr); }
    bool TextToAddr(const std::string& text, ADDR& address) override
    {
        return AdrTextToAddr(text.c_str(), &address, 1) == 1;
    }
    textcore::PcLocation GetPcLocation() override
    {
        TextViewFrame* frame = GetTextViewFrame();
        if (!frame)
            return {};
        TextViewStop stop = frame->GetStopPosition();
        return {stop.sourcePath, stop.line, stop.pc};
    }

private:
    CBaseView& view_;
};

}  // namespace

BaseViewLinks::BaseViewLinks(CBaseView& view)
    : coreHost_(std::make_unique<CoreHost>(view)), coreServices_(std::make_unique<CoreServices>(view))
{}

BaseViewLinks::~BaseViewLinks() = default;

}  // namespace textbase::detail
