// The modify and assemble dialogs of the memory window's disassembly.
#include "regmem/modify_dialogs.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include <platform/resources.h>

#include "dockview/dockable_view.h"
#include "emu_messages.h"
#include "pirell/pirell.h"
#include "regmem/debug_services.h"
#include "regmem/memory_format.h"
#include "regmem/memory_view.h"
#include "regmem/regmem_ids.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace regmem {

namespace {

std::string Hex8Text(uint32_t v)
{
    char t[12];
    FormatHex8(t, v);
    return t;
}

// The data edit's text as a hexadecimal number: at most 16 characters,
// blanks around it, digits only, within 32 bits.
bool ReadHexData(std::string text, uint32_t& value)
{
    text = text.substr(0, 16);
    const size_t b = text.find_first_not_of(" \t"), e = text.find_last_not_of(" \t");
    if (b == std::string::npos)
        return false;
    text = text.substr(b, e - b + 1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = text.substr(2);
    if (text.empty() || text.size() > 8)
        return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    value = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
    return true;
}

}  // namespace

CAddressedMemDlg::CAddressedMemDlg(UINT templateId, int addressId, int inputId, ADDR address, CMemoryView* view,
                                   CWnd* parent)
    : CDialog((RegisterRegMemResources(), templateId), parent), address_(address), view_(view), addressId_(addressId),
      inputId_(inputId)
{}

BOOL CAddressedMemDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ShowAddress();
    GotoDlgCtrl(inputId_);
    return FALSE;
}

void CAddressedMemDlg::ShowAddress()
{
    SetDlgItemText(addressId_, Hex8Text(address_.off));
}

void CAddressedMemDlg::MoveOn(uint32_t length)
{
    if (view_)
        view_->Refresh();
    address_.off += length;
    ShowAddress();
    SetDlgItemText(inputId_, "");
}

CModifyMemDlg::CModifyMemDlg(ADDR address, CMemoryView* view, CWnd* parent)
    : CAddressedMemDlg(IDD_MODIFY_MEMORY, IDC_MODIFY_ADDRESS, IDC_MODIFY_DATA, address, view, parent)
{
    CCmdTarget::OnCommand(IDC_MODIFY_OK, [this] { Apply(true); });
    CCmdTarget::OnCommand(IDC_MODIFY_MODIFY, [this] { Apply(false); });
    CCmdTarget::OnCommand(IDC_MODIFY_CANCEL, [this] { EndDialog(0); });
}

void CModifyMemDlg::Apply(bool close)
{
    uint32_t value = 0;
    if (!ReadHexData(GetDlgItemText(IDC_MODIFY_DATA), value)) {
        WarningBeep();
        return;
    }
    const int size = value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : 4;
    uint8_t bytes[4];
    DecomposeValue(value, size, TargetBigEndian(), bytes);
    const int r = MemWriteBlock(address_, bytes, static_cast<uint32_t>(size), size);
    if (r != 0) {
        if (r == EMU_TARGET_LOST)
            Services().ReportTargetConnectionLost();
        WarningBeep();
        return;
    }
    UpdateAfterMemoryWrite(address_.seg, close);
    if (close)
        EndDialog(1);
    else
        MoveOn(static_cast<uint32_t>(size));
}

CAssembleDlg::CAssembleDlg(ADDR address, CMemoryView* view, CWnd* parent)
    : CAddressedMemDlg(IDD_ASSEMBLE, IDC_ASSEMBLE_ADDRESS, IDC_ASSEMBLE_TEXT, address, view, parent)
{
    CCmdTarget::OnCommand(IDC_ASSEMBLE_OK, [this] { Apply(true); });
    CCmdTarget::OnCommand(IDC_ASSEMBLE_ACCEPT, [this] { Apply(false); });
    CCmdTarget::OnCommand(IDC_ASSEMBLE_CANCEL, [this] { EndDialog(0); });
}

void CAssembleDlg::Apply(bool close)
{
    const std::string text = GetDlgItemText(IDC_ASSEMBLE_TEXT).substr(0, 255);
    DWORD length = 0;
    const int r = DadAssembleLine(address_, text.c_str(), &length, 1);
    if (r == EMU_TARGET_LOST)
        Services().ReportTargetConnectionLost();
    if (close) {
        EndDialog(1);
        UpdateAfterMemoryWrite(address_.seg, true);
        return;
    }
    UpdateAfterMemoryWrite(address_.seg, false);
    if (r == 0)
        MoveOn(length);  // a refused line keeps the address and the text for a correction
}

}  // namespace regmem
