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

class CModifyMemDlg : public CDialog {
public:
    CModifyMemDlg(ADDR address, CMemoryView* view, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    ADDR Address() const { return address_; }

private:
    // OK (close) or Modify (stay, next address). A text that is not a
    // hexadecimal number of at most 32 bits writes nothing and beeps.
    void Apply(bool close);
    void ShowAddress();
    ADDR address_;
    CMemoryView* view_;
};

class CAssembleDlg : public CDialog {
public:
    CAssembleDlg(ADDR address, CMemoryView* view, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    ADDR Address() const { return address_; }

private:
    void Apply(bool close);
    void ShowAddress();
    ADDR address_;
    CMemoryView* view_;
};

}  // namespace regmem
