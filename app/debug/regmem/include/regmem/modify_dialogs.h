// "Modify Memory" (171) and "Assemble" (172): change target memory at the
// address of a disassembly row, with a hexadecimal value or one assembled
// line.
#pragma once

#include <platform/dialog.h>

#include "emu_types.h"

namespace regmem {

// Registers the dialog templates, the memory tools' pages and the strings
// (once).
void RegisterRegMemResources();

class CMemoryView;

// What both dialogs share: the target address of the row, shown as eight
// hexadecimal digits in the address edit, the owning view, and the focus
// on the edit the user types into.
class CAddressedMemDlg : public CDialog {
public:
    CAddressedMemDlg(UINT templateId, int addressId, int inputId, ADDR address, CMemoryView* view, CWnd* parent);
    BOOL OnInitDialog() override;
    ADDR Address() const { return address_; }

protected:
    // After a write that keeps the dialog open: the view reads again, the
    // address moves on by `length` and the input edit is emptied.
    void MoveOn(uint32_t length);
    void ShowAddress();
    ADDR address_;
    CMemoryView* view_;
    int addressId_, inputId_;
};

class CModifyMemDlg : public CAddressedMemDlg {
public:
    CModifyMemDlg(ADDR address, CMemoryView* view, CWnd* parent = nullptr);

private:
    // OK (close) or Modify (stay, next address). A text that is not a
    // hexadecimal number of at most 32 bits writes nothing and beeps.
    void Apply(bool close);
};

class CAssembleDlg : public CAddressedMemDlg {
public:
    CAssembleDlg(ADDR address, CMemoryView* view, CWnd* parent = nullptr);

private:
    void Apply(bool close);
};

}  // namespace regmem
