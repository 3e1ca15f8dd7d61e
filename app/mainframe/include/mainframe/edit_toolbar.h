// The main frame's "Edit" toolbar (toolbar resource 189): bookmark buttons,
// the find box (a drop-down combo for command 32770) and the find buttons.
// The text views read the text to find from the combo's edit part and add
// each searched text to its list.
#pragma once

#include <string>

#include "lathris/toolbar.h"

namespace mainframe {

inline constexpr UINT IDR_EDIT_TOOLBAR = 189;
inline constexpr UINT ID_FIND_BOX = 32770;

class CEditToolBar : public CBCGToolBar {
public:
    // Stores the style, makes the bar, loads toolbar 189 and puts the find
    // box in place of its button; title "Edit", tool tips, fly-by help and
    // dynamic size. FALSE when the bar or the resource can't be made.
    BOOL Create(CWnd* parent, DWORD style, UINT id);
    // After the user reset the bar: the find box and the title again.
    void Reset();
    // The find box's edit text; TRUE when it is not empty.
    BOOL GetFindText(std::string& text) const;
    // Adds a text to the find box's list; an empty text does nothing.
    void AddFindText(const std::string& text);

    DWORD m_first = 1;
    DWORD m_second = 16;
    DWORD m_createStyle = 0;

private:
    void PutFindBox();
};

// Registers toolbar resource 189 (once per process).
void RegisterEditToolBarResource();

}  // namespace mainframe

using mainframe::CEditToolBar;
