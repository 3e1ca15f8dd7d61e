// The MDI frame's window list in its "Window" popup.
#include <algorithm>
#include <string>

#include "platform/frame_wnd.h"

namespace platform {
namespace {

bool IsListItem(const CMenu::Item& item)
{
    return !item.popup && !(item.flags & MF_SEPARATOR) && item.id >= AFX_IDM_FIRST_MDICHILD &&
        item.id < AFX_IDM_FIRST_MDICHILD + CMDIFrameWnd::kMaxListedChildren;
}

}  // namespace

std::vector<CMDIChildWnd*> CMDIFrameWnd::MDIWindowList() const
{
    return opened_;
}

bool CMDIFrameWnd::IsWindowMenu(const CMenu& popup)
{
    // The window commands sit in 0xE130..0xE13F.
    return std::any_of(popup.Items().begin(), popup.Items().end(), [](const CMenu::Item& item) {
        return !item.popup && item.id >= ID_WINDOW_NEW && item.id <= ID_WINDOW_NEW + 0xF;
    });
}

bool CMDIFrameWnd::UpdateWindowMenu(CMenu& popup) const
{
    if (!IsWindowMenu(popup))
        return false;
    // Drop the list shown last time, and the separator in front of it.
    auto& items = popup.Items();
    size_t first = static_cast<size_t>(std::find_if(items.begin(), items.end(), IsListItem) - items.begin());
    if (first < items.size()) {
        items.erase(std::remove_if(items.begin() + static_cast<long>(first), items.end(), IsListItem), items.end());
        if (first > 0 && first == items.size() && (items[first - 1].flags & MF_SEPARATOR))
            items.pop_back();
    }
    std::vector<CMDIChildWnd*> list = MDIWindowList();
    if (list.empty())
        return true;
    popup.AppendMenu(MF_SEPARATOR);
    for (size_t i = 0; i < list.size() && i < static_cast<size_t>(kMaxListedChildren); ++i) {
        std::string text = "&" + std::to_string(i + 1) + " " + list[i]->GetWindowText();
        UINT flags = MF_STRING | (list[i] == MDIGetActive() ? MF_CHECKED : 0);
        popup.AppendMenu(flags, AFX_IDM_FIRST_MDICHILD + static_cast<UINT>(i), text.c_str());
    }
    return true;
}

}  // namespace platform
