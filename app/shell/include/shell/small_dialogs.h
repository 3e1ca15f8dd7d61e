// The small dialogs of the shell: the about box, "Change Program Counter"
// of the status bar's PC pane, and the address-entry dialog.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog.h"

namespace shell {

class CAboutDlg : public CDialog {
public:
    // `connected`: the main frame reports a connected target; the processor
    // name then comes from the CPU model.
    explicit CAboutDlg(BOOL connected, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    std::string m_version = "0.6";
    std::string m_buildDate = "20010622";
    std::string m_processor;
    std::string m_fourth;

private:
    BOOL connected_;
};

// The notice the about box shows.
extern const char kAboutNotice[];

// The top-left corner that centres a window of `size` horizontally on
// `point` with its bottom edge on it.
POINT PlaceAbovePoint(POINT point, SIZE size);

class CChangePCDlg : public CDialog {
public:
    explicit CChangePCDlg(POINT screen, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    // A valid address closes with OK; anything else reports 32807 and the
    // dialog stays.
    void OnOK() override;

    POINT m_point;
    uint32_t m_offset = 0;
};

class CAddressDlg : public CDialog {
public:
    // Mode 0 "Jump to", 1 "Go to", 2 "Browse from"; others keep the
    // template's title.
    CAddressDlg(int mode, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;

    std::string m_address;
    int m_mode;
};

}  // namespace shell

using shell::CAboutDlg;
using shell::CAddressDlg;
using shell::CChangePCDlg;
