#include "shell/small_dialogs.h"

#include <cstring>

#include "dolmer/dolmer.h"
#include "morwen/morwen.h"
#include "shell/shell_ids.h"
#include "vexlor/vexlor.h"

namespace shell {

const char kAboutNotice[] = "Zelkor for Arm: an integrated tool for embedded\n"
                            "development. Editor, builder, simulator and\n"
                            "debugger for ARM and Thumb targets.";

CAboutDlg::CAboutDlg(BOOL connected, CWnd* parent) : CDialog(IDD_ABOUTBOX, parent), connected_(connected) {}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_ABOUT_NOTICE, kAboutNotice);
    if (connected_) {
        char name[65] = {};
        if (ProcReturnProcessorName(name) >= 0)
            m_processor.assign(name, strnlen(name, 64));
        m_fourth = "no";
    }
    SetDlgItemText(IDC_ABOUT_VERSION, m_version);
    SetDlgItemText(IDC_ABOUT_BUILD, m_buildDate);
    SetDlgItemText(IDC_ABOUT_PROCESSOR, m_processor);
    SetDlgItemText(IDC_ABOUT_FOURTH, m_fourth);
    return TRUE;
}

POINT PlaceAbovePoint(POINT point, SIZE size)
{
    return {point.x - size.cx / 2, point.y - size.cy};
}

CChangePCDlg::CChangePCDlg(POINT screen, CWnd* parent) : CDialog(IDD_CHANGE_PC, parent), m_point(screen) {}

BOOL CChangePCDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Over the point it was asked at (the status bar's PC pane), size kept.
    RECT r;
    GetWindowRect(&r);
    MoveWindowTo(PlaceAbovePoint(m_point, {r.Width(), r.Height()}));
    DWORD pc = 0;
    CpuGetPC(&pc);
    char text[256] = {};
    AdrAddrToHex(ADDR{pc, ADDR_SPACE_TARGET}, text);
    SetDlgItemText(IDC_PC_EDIT, text);
    GotoDlgCtrl(IDC_PC_EDIT);
    Items().SelectAll(IDC_PC_EDIT);
    return FALSE;
}

void CChangePCDlg::OnOK()
{
    std::string text = GetDlgItemText(IDC_PC_EDIT);
    ADDR addr{};
    if (AdrTextToAddr(text.c_str(), &addr, 1) == 1) {
        m_offset = addr.off;
        EndDialog(IDOK);
        return;
    }
    ReportError(32807, ERR_CAPTION, MB_ICONEXCLAMATION);
}

CAddressDlg::CAddressDlg(int mode, CWnd* parent) : CDialog(IDD_ADDRESS, parent), m_mode(mode) {}

BOOL CAddressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    static const char* const titles[] = {"Jump to", "Go to", "Browse from"};
    if (m_mode >= 0 && m_mode < 3)
        SetWindowText(titles[m_mode]);
    SetDlgItemText(IDC_ADDRESS_LABEL, "Addr:");
    GotoDlgCtrl(IDC_ADDRESS_EDIT);
    return FALSE;
}

void CAddressDlg::OnOK()
{
    m_address = GetDlgItemText(IDC_ADDRESS_EDIT);
    CDialog::OnOK();
}

}  // namespace shell
