// The "Watchpoint" dialog: both hardware watchpoint units at once, their
// fields and drop lists from the control word and back; OK programs or
// clears each unit through the target library and keeps sarvik's unit
// records.
#pragma once

#include <platform/dialog.h>

#include <cstdint>
#include <memory>

#include "sarvik/bp_records.h"

namespace sarvik::ui {

// The drop-list selections of a control word (index 0 "not care").
struct WatchSelections {
    int readWrite = 0;  // 1 "Read", 2 "Write"
    int size = 0;       // 1 "Word", 2 "Halfword", 3 "Byte"
    int access = 0;     // 1 "Instruction fetch", 2 "Data access"
    friend bool operator==(const WatchSelections&, const WatchSelections&) = default;
};

WatchSelections SelectionsOfControl(uint32_t control);
// Bit 8 from `enable`; the mask half's bits 20-31 are set.
uint32_t ControlOfSelections(const WatchSelections& selections, bool enable);

// Controls of one unit.
struct WatchUnitIds {
    int address, addressMask, data, dataMask, readWrite, size, access, enable, activate;
};
inline constexpr WatchUnitIds kWatchUnitIds[2] = {{203, 227, 224, 225, 204, 226, 228, 241, 1007},
                                                  {213, 237, 234, 235, 214, 236, 238, 251, 1008}};
inline constexpr int IDC_WATCH_OK = 260;
inline constexpr int IDC_WATCH_CANCEL = 261;
inline constexpr int IDC_WATCH_RESET = 1009;

std::shared_ptr<const DialogTemplate> WatchpointDialogTemplate();

class CWatchpointDlg : public CDialog {
public:
    explicit CWatchpointDlg(CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;
    // The fields of both units (only the fields; the records change on OK).
    WHPT_UNIT m_unit[2];

private:
    // Fields to members: false (after the standard message, focus on the
    // field) when a hexadecimal field is not a whole number.
    bool ReadFields(int unit);
    void ShowFields(int unit);
    void OnLeaveEdit(int unit, bool address);
    void OnReset();
    bool UnitEditable(int unit) const;
};

}  // namespace sarvik::ui
