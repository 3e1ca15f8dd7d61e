#include "lathris/toolbar.h"

#include <algorithm>
#include <cstdio>

#include "lathris/bar_state.h"
#include "lathris/registry.h"
#include "platform/frame_wnd.h"
#include "platform/registry.h"
#include "platform/resources.h"

namespace lathris {

IMPLEMENT_DYNAMIC(CBCGToolbarButton, CObject)
IMPLEMENT_DYNAMIC(CBCGToolbarComboBoxButton, CBCGToolbarButton)
IMPLEMENT_DYNAMIC(CBCGToolBar, CControlBar)

CBCGToolBarImages* CBCGToolBar::userImages_ = nullptr;

namespace {

ImageFileCodec* g_codec = nullptr;

std::map<std::pair<UINT, bool>, int>& ImageTable()
{
    static std::map<std::pair<UINT, bool>, int> table;
    return table;
}

std::vector<CBCGToolBar*>& Bars()
{
    static std::vector<CBCGToolBar*> bars;
    return bars;
}

}  // namespace

// --- Buttons ----------------------------------------------------------------------

CBCGToolbarButton::CBCGToolbarButton(UINT id, int image, const std::string& text, BOOL userImage)
    : m_nID(id), m_iImage(image), m_bUserButton(userImage ? TRUE : FALSE), m_strText(text)
{
    if (image >= 0)
        CImageHash::Set(id, image, userImage);
}

std::unique_ptr<CBCGToolbarButton> CBCGToolbarButton::Separator()
{
    auto b = std::make_unique<CBCGToolbarButton>();
    b->m_nStyle = TBBS_SEPARATOR;
    return b;
}

CBCGToolbarComboBoxButton::CBCGToolbarComboBoxButton(UINT id, int image, DWORD style, int width)
    : CBCGToolbarButton(id, image), m_nWidth(width), m_dwStyle(style)
{}

int CBCGToolbarComboBoxButton::AddItem(const std::string& text, DWORD data)
{
    items_.push_back({text, data});
    return GetCount() - 1;
}

std::string CBCGToolbarComboBoxButton::GetItem(int index) const
{
    return index >= 0 && index < GetCount() ? items_[index].text : std::string();
}

DWORD CBCGToolbarComboBoxButton::GetItemData(int index) const
{
    return index >= 0 && index < GetCount() ? items_[index].data : 0;
}

void CBCGToolbarComboBoxButton::RemoveAllItems()
{
    items_.clear();
    cursel_ = -1;
}

BOOL CBCGToolbarComboBoxButton::SelectItem(int index)
{
    if (index < 0 || index >= GetCount())
        return FALSE;
    cursel_ = index;
    text_ = items_[index].text;
    return TRUE;
}

void CBCGToolbarComboBoxButton::SetText(const std::string& text)
{
    text_ = text;
    cursel_ = -1;
    for (int i = 0; i < GetCount(); ++i)
        if (items_[i].text == text)
            cursel_ = i;
}

// --- Images -----------------------------------------------------------------------

void SetImageFileCodec(ImageFileCodec* codec)
{
    g_codec = codec;
}

ImageFileCodec* GetImageFileCodec()
{
    return g_codec;
}

void CBCGToolBarImages::SetImageSize(SIZE size)
{
    if (size.cx <= 0 || size.cy <= 0)
        return;
    Clear();
    size_ = size;
}

void CBCGToolBarImages::Clear()
{
    count_ = 0;
    strip_.clear();
}

int CBCGToolBarImages::AddImage(const std::vector<uint32_t>& pixels)
{
    const size_t cx = size_.cx, cy = size_.cy;
    if (pixels.size() != cx * cy)
        return -1;
    // The strip is row-major over all images side by side.
    std::vector<uint32_t> next((count_ + 1) * cx * cy);
    for (size_t y = 0; y < cy; ++y) {
        std::copy_n(strip_.begin() + y * count_ * cx, count_ * cx, next.begin() + y * (count_ + 1) * cx);
        std::copy_n(pixels.begin() + y * cx, cx, next.begin() + y * (count_ + 1) * cx + count_ * cx);
    }
    strip_ = std::move(next);
    return count_++;
}

std::vector<uint32_t> CBCGToolBarImages::GetImage(int index) const
{
    if (index < 0 || index >= count_)
        return {};
    const size_t cx = size_.cx, cy = size_.cy;
    std::vector<uint32_t> out(cx * cy);
    for (size_t y = 0; y < cy; ++y)
        std::copy_n(strip_.begin() + y * count_ * cx + index * cx, cx, out.begin() + y * cx);
    return out;
}

BOOL CBCGToolBarImages::Load(const std::string& file)
{
    error_.clear();
    if (!g_codec) {
        error_ = file + ": no image reader";
        return FALSE;
    }
    ImageStrip strip;
    if (!g_codec->Read(file, strip, error_))
        return FALSE;
    if (strip.height != size_.cy || strip.width <= 0 || strip.width % size_.cx != 0 ||
        strip.pixels.size() != static_cast<size_t>(strip.width) * strip.height) {
        error_ = file + ": a " + std::to_string(strip.width) + "x" + std::to_string(strip.height) +
            " picture is no strip of " + std::to_string(size_.cx) + "x" + std::to_string(size_.cy) + " images";
        return FALSE;
    }
    count_ = strip.width / size_.cx;
    strip_ = std::move(strip.pixels);
    file_ = file;
    return TRUE;
}

BOOL CBCGToolBarImages::Save(const std::string& file)
{
    error_.clear();
    if (!g_codec) {
        error_ = file + ": no image writer";
        return FALSE;
    }
    ImageStrip strip{count_ * size_.cx, size_.cy, strip_};
    if (count_ == 0) {
        // An empty strip is still a valid picture of one blank image.
        strip.width = size_.cx;
        strip.pixels.assign(static_cast<size_t>(size_.cx) * size_.cy, 0xFFC0C0C0u);
    }
    std::string temp = file + ".tmp";
    if (!g_codec->Write(temp, strip, error_)) {
        std::remove(temp.c_str());
        return FALSE;
    }
    if (std::rename(temp.c_str(), file.c_str()) != 0) {
        std::remove(temp.c_str());
        error_ = file + ": cannot replace the file";
        return FALSE;
    }
    file_ = file;
    return TRUE;
}

void CImageHash::Set(UINT command, int image, BOOL user)
{
    ImageTable()[{command, user != FALSE}] = image;
}

int CImageHash::GetImageOfCommand(UINT command, BOOL user)
{
    auto it = ImageTable().find({command, user != FALSE});
    return it == ImageTable().end() ? -1 : it->second;
}

void CImageHash::Clear()
{
    ImageTable().clear();
}

// --- The bar ----------------------------------------------------------------------

CBCGToolBar::CBCGToolBar()
{
    Bars().push_back(this);
}

CBCGToolBar::~CBCGToolBar()
{
    Bars().erase(std::remove(Bars().begin(), Bars().end(), this), Bars().end());
}

const std::vector<CBCGToolBar*>& CBCGToolBar::AllToolbars()
{
    return Bars();
}

BOOL CBCGToolBar::Create(CWnd* parent, DWORD style, UINT id)
{
    style_ = style;
    return CControlBar::Create(parent, id);
}

BOOL CBCGToolBar::Create(CWnd* parent, UINT id, const std::string& text)
{
    return CControlBar::Create(parent, id, text);
}

BOOL CBCGToolBar::LoadToolBar(UINT resourceId)
{
    auto ids = resources::LoadToolBar(resourceId);
    if (!ids)
        return FALSE;
    buttons_.clear();
    int image = 0;
    for (UINT id : *ids) {
        if (id == 0)
            buttons_.push_back(CBCGToolbarButton::Separator());
        else
            buttons_.push_back(std::make_unique<CBCGToolbarButton>(id, image++));
    }
    SetDefaultButtons();
    Changed();
    return TRUE;
}

void CBCGToolBar::SetDefaultButtons()
{
    defaults_.clear();
    for (const auto& b : buttons_)
        defaults_.push_back(b->Clone());
}

void CBCGToolBar::ResetToDefault()
{
    buttons_.clear();
    for (const auto& b : defaults_)
        buttons_.push_back(b->Clone());
    Changed();
}

std::string CBCGToolBar::StateKey(const std::string& path, UINT barId)
{
    return path + "\\BCGToolBar-" + std::to_string(barId);
}

BOOL CBCGToolBar::SaveState(const std::string& path, int, UINT id)
{
    UINT barId = id == static_cast<UINT>(-1) ? GetDlgCtrlID() : id;
    CRegistry reg;
    if (!reg.CreateKey(StateKey(path, barId)))
        return FALSE;
    BOOL ok = reg.WriteBinary("Buttons", EncodeButtons(buttons_));
    if (userBar_)
        ok = reg.Write("Name", GetWindowText()) && ok;
    return ok;
}

BOOL CBCGToolBar::LoadState(const std::string& path, int, UINT id)
{
    stateError_.clear();
    UINT barId = id == static_cast<UINT>(-1) ? GetDlgCtrlID() : id;
    std::string key = StateKey(path, barId);
    CRegistry reg;
    std::string record;
    if (!reg.Open(key) || !reg.ReadBinary("Buttons", record))
        return FALSE;  // nothing saved: the default layout stays
    ButtonList loaded;
    std::string error;
    if (!DecodeButtons(record, loaded, error)) {
        stateError_ =
            Registry::Global().File() + ": " + key + "\\Buttons+" + error.substr(std::string("offset ").size());
        ResetToDefault();
        return FALSE;
    }
    if (userBar_) {
        std::string name;
        if (reg.Read("Name", name))
            SetWindowText(name);
    }
    buttons_ = std::move(loaded);
    for (const auto& b : buttons_)
        if (!b->IsSeparator() && b->m_iImage >= 0)
            CImageHash::Set(b->m_nID, b->m_iImage, b->m_bUserButton);
    Changed();
    return TRUE;
}

int CBCGToolBar::CommandToIndex(UINT id) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (!buttons_[i]->IsSeparator() && buttons_[i]->m_nID == id)
            return i;
    return -1;
}

CBCGToolbarButton* CBCGToolBar::GetButton(int index) const
{
    return index >= 0 && index < GetCount() ? buttons_[index].get() : nullptr;
}

int CBCGToolBar::InsertButton(const CBCGToolbarButton& button, int index)
{
    if (index < 0 || index > GetCount())
        index = GetCount();
    buttons_.insert(buttons_.begin() + index, button.Clone());
    Changed();
    return index;
}

int CBCGToolBar::InsertSeparator(int index)
{
    return InsertButton(*CBCGToolbarButton::Separator(), index);
}

BOOL CBCGToolBar::RemoveButton(int index)
{
    if (index < 0 || index >= GetCount())
        return FALSE;
    buttons_.erase(buttons_.begin() + index);
    Changed();
    return TRUE;
}

void CBCGToolBar::RemoveAllButtons()
{
    buttons_.clear();
    Changed();
}

CBCGToolbarComboBoxButton* CBCGToolBar::GetComboButton(UINT id) const
{
    int index = CommandToIndex(id);
    return index < 0 ? nullptr : dynamic_cast<CBCGToolbarComboBoxButton*>(buttons_[index].get());
}

namespace {

class ButtonCmdUI : public CCmdUI {
public:
    explicit ButtonCmdUI(CBCGToolbarButton& button) : button_(button) {}
    void Enable(BOOL on) override
    {
        CCmdUI::Enable(on);
        Style(on ? 0 : TBBS_DISABLED, TBBS_DISABLED);
    }
    void SetCheck(int check) override
    {
        CCmdUI::SetCheck(check);
        Style(check == 1 ? TBBS_CHECKED : check == 2 ? TBBS_INDETERMINATE : 0, TBBS_CHECKED | TBBS_INDETERMINATE);
    }
    bool changed = false;

private:
    void Style(UINT bits, UINT mask)
    {
        UINT next = (button_.m_nStyle & ~mask) | bits;
        changed = changed || next != button_.m_nStyle;
        button_.m_nStyle = next;
    }
    CBCGToolbarButton& button_;
};

}  // namespace

void CBCGToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    bool changed = false;
    for (int i = 0; i < GetCount(); ++i) {
        CBCGToolbarButton& b = *buttons_[i];
        if (b.IsSeparator())
            continue;
        ButtonCmdUI ui(b);
        ui.m_nID = b.m_nID;
        ui.m_nIndex = static_cast<UINT>(i);
        ui.m_nIndexMax = static_cast<UINT>(GetCount());
        ui.DoUpdate(target, disableIfNoHandler != FALSE);
        changed = changed || ui.changed;
    }
    if (changed)
        Changed();
}

}  // namespace lathris
