// "Memory Group": the memory tools' property sheet. It shows Compare, Copy,
// Fill and Test; the Search and Checksum pages are built with it but not
// shown. Each page reads its range (and pattern or destination) when it is
// left, and runs its operation when the sheet's Apply button is pressed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <platform/dialog.h>

#include "emu_types.h"
#include "regmem/memory_tools.h"

namespace regmem {

class CMemPage : public CPropertyPage {
public:
    CMemPage(UINT templateId, const std::string& caption, int startId, int comboId, int secondId);
    BOOL OnInitDialog() override;
    BOOL OnKillActive() override;
    void OnOK() override;
    bool Ready() const { return ready_; }
    ADDR Start() const { return start_; }
    ADDR End() const { return end_; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // After the range: the page's further fields; false refuses the run.
    virtual bool ReadFurther() { return true; }
    virtual void Run() = 0;
    // Reports message `id`, focuses and selects field `field`, clears ready.
    bool Refuse(UINT id, int field);
    bool ReadDestination(int field, ADDR& destination);

    ADDR start_, end_;
    bool ready_ = false;
    int startId_, comboId_, secondId_;
};

class CMemSearchPage : public CMemPage {
public:
    CMemSearchPage();
    std::vector<uint8_t> pattern;

protected:
    bool ReadFurther() override;
    void Run() override;
};

class CMemComparePage : public CMemPage {
public:
    CMemComparePage();
    ADDR destination;

protected:
    bool ReadFurther() override;
    void Run() override;
};

class CMemChecksumPage : public CMemPage {
public:
    CMemChecksumPage();

protected:
    void Run() override;
};

class CMemCopyPage : public CMemPage {
public:
    CMemCopyPage();
    ADDR destination;

protected:
    bool ReadFurther() override;
    void Run() override;
};

class CMemFillPage : public CMemPage {
public:
    CMemFillPage();
    std::vector<uint8_t> pattern;

protected:
    bool ReadFurther() override;
    void Run() override;
};

class CMemTestPage : public CMemPage {
public:
    CMemTestPage();
    BOOL OnInitDialog() override;
    int action = 0;  // 0 memory, 1 data bus, 2 address bus
    int width = 0;   // 0 byte, 1 half word, 2 word
    // The test's progress and Ctrl+Break. Left empty, the memory test shows
    // the status bar's "Test" progress bar and takes Ctrl+Break from the
    // queue.
    TestHooks hooks;
    // The page timer (5000 ms) started with each run: its tick puts the
    // last result text into the output field.
    static constexpr UINT_PTR kResultTimer = 1;
    const std::string& LastResult() const { return result_; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void Run() override;
    void OnTimer(UINT_PTR id) override;

private:
    std::string result_;
};

class CMemDlg : public CPropertySheet {
public:
    explicit CMemDlg(CWnd* parent = nullptr);
    CMemSearchPage search;
    CMemComparePage compare;
    CMemChecksumPage checksum;
    CMemCopyPage copy;
    CMemFillPage fill;
    CMemTestPage test;
    // The sheet's start: OK hidden and disabled, Cancel renamed "Close".
    void OnInitSheet(DlgItems& buttons) override;
};

}  // namespace regmem
