// The modal "Breakpoint" dialog: one text line per breakpoint in a list
// box; Add, Delete, Delete All and Enable change only the lines; OK clears
// every breakpoint and sets them again from the lines, in list order.
#pragma once

#include <platform/dialog.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bp_line.h"
#include "emu_types.h"

namespace sarvik::ui {

// Control ids of the breakpoint dialog.
enum : int {
    IDC_BP_TYPE = 1094,
    IDC_BP_LOCATION = 1018,
    IDC_BP_LOCATION_LABEL = 1100,
    IDC_BP_CONDITION = 1089,
    IDC_BP_CONDITION_LABEL = 1096,
    IDC_BP_MEMORY = 1091,
    IDC_BP_ACCESS = 1097,
    IDC_BP_MEMORY_LABEL = 1098,
    IDC_BP_ACCESS_TYPE = 1099,
    IDC_BP_READ = 1036,
    IDC_BP_WRITE = 1092,
    IDC_BP_COUNT = 1159,
    IDC_BP_LIST = 1023,
    IDC_BP_ADD = 1020,
    IDC_BP_DELETE = 1025,
    IDC_BP_DELETE_ALL = 1024,
    IDC_BP_ENABLE = 1021,
    IDC_BP_SAVE = 1026,
    IDC_BP_RESTORE = 1027,
    IDC_BP_TASK_QUALIFY = 1007,
    IDC_BP_TASKS = 1008,
    IDC_BP_MORE = 1003,
    IDC_BP_LESS = 1006,
    IDC_BP_COLLAPSED = 1009,
};

// The longest text the location, condition and count edits take.
inline constexpr int BP_TEXT_LIMIT = 255;

std::shared_ptr<const DialogTemplate> BreakpointDialogTemplate();

class CBreakpointDlg : public CDialog {
public:
    // addr.seg non-zero: the location starts as the address's text.
    explicit CBreakpointDlg(ADDR addr = {0, 0}, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* dx) override;

    // The lines with what the list box keeps beside each: the task
    // control-block address (item data) and the symbol text.
    struct Entry {
        std::string text;
        uint32_t task = 0;
        std::string symbol;
    };
    const std::vector<Entry>& Entries() const { return entries_; }
    int HorizontalExtent() const { return extent_; }
    bool Collapsed() const { return collapsed_; }

    std::string m_location;
    std::string m_condition;
    std::string m_memory;
    int m_type = 0;
    int m_read = 0;
    int m_write = 0;
    int m_count = 1;
    int m_taskQualify = 0;
    ADDR m_addr;

private:
    void FillFromBreakpoints();
    void ShowList(int select);
    void ShowEntry(int index);
    void UpdateButtons();
    void EnableTypeControls(int type);
    void OnAdd();
    void OnEnable();
    void OnDelete();
    void OnDeleteAll();
    void OnTaskQualify();
    void OnMoreLess();
    void OnSave();
    void OnRestore();
    std::string AskBpFile(bool open);
    int Selected();
    void SetCollapsed(bool collapsed);

    std::vector<Entry> entries_;
    std::vector<uint32_t> taskBlocks_;  // item data of the task combo
    int extent_ = 0;
    bool collapsed_ = true;
};

}  // namespace sarvik::ui
