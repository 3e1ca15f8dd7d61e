#include "text_view_frame.h"

#include <algorithm>

#include "base_view.h"
#include "emu_messages.h"

namespace {
TextViewFrame* g_frame = nullptr;
}

TextViewFrame::~TextViewFrame()
{
    if (g_frame == this)
        g_frame = nullptr;
}

void TextViewFrame::AddView(CBaseView* view)
{
    if (std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
}

void TextViewFrame::RemoveView(CBaseView* view)
{
    std::erase(views_, view);
}

void TextViewFrame::RelayDataTipEvent(const MSG& msg)
{
    // A view's handling may close another view (a lost-target prompt ends
    // the frame): walk a copy and skip views that left meanwhile.
    const std::vector<CBaseView*> views = views_;
    for (CBaseView* view : views)
        if (std::find(views_.begin(), views_.end(), view) != views_.end() && view->GetSafeHwnd())
            view->RelayDataTipEvent(msg);
}

LRESULT TextViewFrame::RelaySetPcLine(WPARAM wParam, LPARAM lParam)
{
    // A view may close while another handles the message: walk a copy and
    // skip views that left meanwhile.
    const std::vector<CBaseView*> views = views_;
    for (CBaseView* view : views)
        if (std::find(views_.begin(), views_.end(), view) != views_.end() && view->GetSafeHwnd())
            view->SendMessage(WM_SETPCLINE, wParam, lParam);
    return 1;
}

void TextViewFrame::RelayBreakpointRefresh(std::uint32_t address)
{
    CBreakpointHint hint(ADDR{address, ADDR_SPACE_TARGET});
    std::vector<CDocument*> done;
    const std::vector<CBaseView*> views = views_;
    for (CBaseView* view : views) {
        if (std::find(views_.begin(), views_.end(), view) == views_.end())
            continue;
        CDocument* doc = view->GetDocument();
        if (!doc) {
            view->OnUpdate(nullptr, kHintBreakpoints, &hint);
            continue;
        }
        if (std::find(done.begin(), done.end(), doc) != done.end())
            continue;
        done.push_back(doc);
        doc->UpdateAllViews(nullptr, kHintBreakpoints, &hint);
    }
}

TextViewFrame* GetTextViewFrame()
{
    return g_frame;
}

TextViewFrame* SetTextViewFrame(TextViewFrame* frame)
{
    TextViewFrame* previous = g_frame;
    g_frame = frame;
    return previous;
}
