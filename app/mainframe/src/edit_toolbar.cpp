#include "mainframe/edit_toolbar.h"

#include "lathris/tab_bar.h"
#include "platform/resources.h"

namespace mainframe {

using lathris::CBRS_FLYBY;
using lathris::CBRS_SIZE_DYNAMIC;
using lathris::CBRS_TOOLTIPS;
using lathris::CBS_DROPDOWN;

void RegisterEditToolBarResource()
{
    if (platform::resources::LoadToolBar(IDR_EDIT_TOOLBAR))
        return;
    // Bookmarks, the find box, find next / in files, window arrangement.
    platform::resources::AddToolBar(
        IDR_EDIT_TOOLBAR,
        {32921, 32920, 32934, 32926, 0, ID_FIND_BOX, 0, 32771, 32775, 0, 57649, 57653, 57650, 57651, 57652});
}

namespace {

// The names the buttons show until the menus that hold their commands exist.
struct ButtonName {
    UINT id;
    const char* text;
};
constexpr ButtonName kButtonNames[] = {
    {32921, "Toggle Bookmark"}, {32920, "Next Bookmark"},     {32934, "Previous Bookmark"}, {32926, "Delete Bookmark"},
    {32771, "Find Next"},       {32775, "Find in Files"},     {57649, "Arrange Icons"},     {57653, "Split"},
    {57650, "Cascade"},         {57651, "Tile Horizontally"}, {57652, "Tile Vertically"},
};

}  // namespace

BOOL CEditToolBar::Create(CWnd* parent, DWORD style, UINT id)
{
    m_createStyle = style;
    RegisterEditToolBarResource();
    if (!CBCGToolBar::Create(parent, style | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC, id))
        return FALSE;
    if (!LoadToolBar(IDR_EDIT_TOOLBAR))
        return FALSE;
    for (const ButtonName& name : kButtonNames)
        if (int index = CommandToIndex(name.id); index >= 0)
            GetButton(index)->m_strText = name.text;
    PutFindBox();
    // The find box belongs to the bar's default layout, so a reset keeps it.
    SetDefaultButtons();
    return TRUE;
}

void CEditToolBar::PutFindBox()
{
    int index = CommandToIndex(ID_FIND_BOX);
    if (index >= 0 && !GetComboButton(ID_FIND_BOX)) {
        int image = GetButton(index)->m_iImage;
        if (int hashed = CImageHash::GetImageOfCommand(ID_FIND_BOX); hashed >= 0)
            image = hashed;
        RemoveButton(index);
        InsertButton(CBCGToolbarComboBoxButton(ID_FIND_BOX, image, CBS_DROPDOWN), index);
    }
    SetWindowText("Edit");
}

void CEditToolBar::Reset()
{
    PutFindBox();
}

BOOL CEditToolBar::GetFindText(std::string& text) const
{
    CBCGToolbarComboBoxButton* combo = GetComboButton(ID_FIND_BOX);
    if (!combo)
        return FALSE;
    text = combo->GetText();
    return !text.empty();
}

void CEditToolBar::AddFindText(const std::string& text)
{
    if (text.empty())
        return;
    if (CBCGToolbarComboBoxButton* combo = GetComboButton(ID_FIND_BOX)) {
        combo->AddItem(text);
        ButtonsChanged();
    }
}

}  // namespace mainframe
