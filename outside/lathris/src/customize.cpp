#include "lathris/customize.h"

#include <algorithm>

#include "platform/resources.h"

namespace lathris {

IMPLEMENT_DYNAMIC(CCoolBar, CControlBar)
IMPLEMENT_DYNAMIC(CFlatToolBar, CBCGToolBar)

namespace {

CBCGToolbarCustomize::ShowHook g_showHook = nullptr;
// Set by operator new for the constructor that follows it.
thread_local bool t_newSheet = false;

}  // namespace

void* CBCGToolbarCustomize::operator new(size_t size)
{
    t_newSheet = true;
    return ::operator new(size);
}

void CBCGToolbarCustomize::operator delete(void* p)
{
    ::operator delete(p);
}

CBCGToolbarCustomize::CBCGToolbarCustomize(CFrameWnd* frame) : frame_(frame), onHeap_(t_newSheet)
{
    t_newSheet = false;
}

CBCGToolbarCustomize::~CBCGToolbarCustomize() = default;

void CBCGToolbarCustomize::SetShowHook(ShowHook hook)
{
    g_showHook = hook;
}

void CBCGToolbarCustomize::Close()
{
    open_ = false;
    if (onHeap_)
        delete this;
}

BOOL CBCGToolbarCustomize::AddToolBar(const std::string& category, UINT resourceId)
{
    auto ids = resources::LoadToolBar(resourceId);
    if (!ids)
        return FALSE;
    int image = 0;
    for (UINT id : *ids)
        if (id != 0)
            AddButton(category, CBCGToolbarButton(id, image++));
    return TRUE;
}

void CBCGToolbarCustomize::AddButton(const std::string& category, const CBCGToolbarButton& button, int index)
{
    if (!categories_.count(category))
        order_.push_back(category);
    auto& list = categories_[category];
    if (index < 0 || index > static_cast<int>(list.size()))
        index = static_cast<int>(list.size());
    list.insert(list.begin() + index, button.Clone());
}

int CBCGToolbarCustomize::RemoveButton(const std::string& category, UINT id)
{
    int index = -1;
    for (auto& [name, list] : categories_) {
        if (!category.empty() && name != category)
            continue;
        auto it = std::find_if(list.begin(), list.end(), [id](const auto& b) { return b->m_nID == id; });
        if (it == list.end())
            continue;
        index = static_cast<int>(it - list.begin());
        list.erase(std::remove_if(list.begin(), list.end(), [id](const auto& b) { return b->m_nID == id; }),
                   list.end());
    }
    return index;
}

BOOL CBCGToolbarCustomize::AddMenu(UINT resourceId)
{
    auto menu = resources::LoadMenu(resourceId);
    if (!menu)
        return FALSE;
    for (const auto& top : menu->Items()) {
        if (!top.popup)
            continue;
        std::string category = top.text;
        category.erase(std::remove(category.begin(), category.end(), '&'), category.end());
        for (const auto& item : top.popup->Items()) {
            if (item.popup || (item.flags & MF_SEPARATOR) || item.id == 0)
                continue;
            std::string text = item.text.substr(0, item.text.find('\t'));
            text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
            AddButton(category, CBCGToolbarButton(item.id, CImageHash::GetImageOfCommand(item.id), text));
        }
    }
    return TRUE;
}

BOOL CBCGToolbarCustomize::Create()
{
    if (open_)
        return FALSE;
    open_ = true;
    if (g_showHook)
        g_showHook(this);
    return TRUE;
}

std::vector<std::string> CBCGToolbarCustomize::Categories() const
{
    return order_;
}

const std::vector<std::unique_ptr<CBCGToolbarButton>>*
CBCGToolbarCustomize::ButtonsOf(const std::string& category) const
{
    auto it = categories_.find(category);
    return it == categories_.end() ? nullptr : &it->second;
}

int CBCGToolbarCustomize::DropButton(CBCGToolBar* bar, const std::string& category, UINT id, int index)
{
    const auto* list = ButtonsOf(category);
    if (!bar || !list)
        return -1;
    for (const auto& b : *list)
        if (b->m_nID == id)
            return bar->InsertButton(*b, index);
    return -1;
}

CBCGToolBar* CBCGToolbarCustomize::NewUserToolbar(const std::string& name)
{
    auto* impl = frame_ ? &static_cast<CCJMDIFrameWnd*>(frame_)->m_Impl : nullptr;
    if (!userBars_ || !dynamic_cast<CCJMDIFrameWnd*>(frame_))
        return nullptr;
    return impl->CreateUserToolbar(name);
}

BOOL CBCGToolbarCustomize::DeleteUserToolbar(CBCGToolBar* bar)
{
    auto* frame = dynamic_cast<CCJMDIFrameWnd*>(frame_);
    if (!userBars_ || !frame || !bar || !bar->IsUserBar())
        return FALSE;
    return frame->m_Impl.DeleteUserToolbar(bar);
}

// --- Rebar ------------------------------------------------------------------------

BOOL CCoolBar::Create(CWnd* parent, DWORD, DWORD, UINT id)
{
    if (!CControlBar::Create(parent, id))
        return FALSE;
    if (CreateBands() != 1) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

BOOL CCoolBar::InsertBand(CWnd* child, SIZE minimum, int width, const std::string& text, int index, BOOL newRow)
{
    if (!child)
        return FALSE;
    if (index < 0 || index > static_cast<int>(bands_.size()))
        index = static_cast<int>(bands_.size());
    bands_.insert(bands_.begin() + index, Band{child, minimum, width, text, newRow != FALSE});
    Changed();
    return TRUE;
}

void CCoolBar::SetColors(COLORREF text, COLORREF background)
{
    text_ = text;
    background_ = background;
    Changed();
}

}  // namespace lathris
