// The memory tools' sheet and its pages.
#include "regmem/mem_tools_dlg.h"

#include <platform/resources.h>

#include <memory>

#include "morwen/morwen.h"
#include "regmem/debug_services.h"
#include "regmem/memory_input.h"
#include "regmem/modify_dialogs.h"
#include "regmem/regmem_ids.h"
#include "shell/path_functions.h"
#include "shell/status_bar.h"
#include "vexlor/vexlor.h"

namespace regmem {

namespace {

void ShowLines(DlgItems& items, int listId, const std::vector<std::string>& lines)
{
    items.ResetContent(listId);
    for (const std::string& line : lines)
        items.AddString(listId, line);
}

}  // namespace

CMemPage::CMemPage(UINT templateId, const std::string& caption, int startId, int comboId, int secondId)
    : CPropertyPage((RegisterRegMemResources(), templateId), caption), startId_(startId), comboId_(comboId),
      secondId_(secondId)
{}

BOOL CMemPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    Items().ResetContent(comboId_);
    Items().AddString(comboId_, "End Address");
    Items().AddString(comboId_, "Length");
    Items().SetCurSel(comboId_, 0);
    ready_ = false;
    return TRUE;
}

BOOL CMemPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT code = HIWORD(wParam);
    const int id = LOWORD(wParam);
    const bool edit = code == EN_CHANGE && Items().Has(id) && Items().Kind(id) == ControlKind::Edit;
    const bool click = code == BN_CLICKED && Items().Has(id) &&
        (Items().Kind(id) == ControlKind::Check || Items().Kind(id) == ControlKind::Radio);
    const bool select = code == CBN_SELCHANGE && id == comboId_;
    if (edit || click || select) {
        SetModified(TRUE);
        ready_ = true;
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

bool CMemPage::Refuse(UINT id, int field)
{
    ReportError(id, ERR_CAPTION, MB_ICONEXCLAMATION);
    GotoDlgCtrl(field);
    Items().SelectAll(field);
    ready_ = false;
    return false;
}

bool CMemPage::ReadDestination(int field, ADDR& destination)
{
    return ReadAddress(GetDlgItemText(field), destination) || Refuse(ERR_MEM_BAD_ADDRESS, field);
}

BOOL CMemPage::OnKillActive()
{
    if (!ready_)
        return TRUE;  // nothing typed since the last run: nothing to check
    if (!UpdateData(TRUE)) {
        ready_ = false;
        return TRUE;
    }
    const int mode = Items().GetCurSel(comboId_);
    const RangeInput range = ReadRange(GetDlgItemText(startId_), mode == 1 ? RangeMode::Length : RangeMode::EndAddress,
                                       GetDlgItemText(secondId_));
    if (!range.ok) {
        Refuse(ERR_MEM_BAD_ADDRESS, range.field == 0 ? startId_ : secondId_);
        return TRUE;
    }
    start_ = range.start;
    end_ = range.end;
    if (!ReadFurther())
        ready_ = false;
    return TRUE;  // a failed check never holds the page: it only keeps the run back
}

void CMemPage::OnOK()
{
    if (ready_)
        Run();
    ready_ = false;
}

CMemSearchPage::CMemSearchPage() : CMemPage(IDD_MEM_SEARCH, "Search", IDC_SEARCH_START, IDC_SEARCH_MODE, IDC_SEARCH_END)
{}

bool CMemSearchPage::ReadFurther()
{
    pattern = ReadPattern(GetDlgItemText(IDC_SEARCH_PATTERN), kSearchPatternMax, kSearchPatternMax * 4,
                          Services().AccessSize(), TargetBigEndian());
    return !pattern.empty() || Refuse(ERR_MEM_BAD_PATTERN, IDC_SEARCH_PATTERN);
}

void CMemSearchPage::Run()
{
    ShowLines(Items(), IDC_SEARCH_OUTPUT, RunSearch(start_, end_, pattern, IsDlgButtonChecked(IDC_SEARCH_CASE) != 0));
}

CMemComparePage::CMemComparePage()
    : CMemPage(IDD_MEM_COMPARE, "Compare ", IDC_COMPARE_START, IDC_COMPARE_MODE, IDC_COMPARE_END)
{}

bool CMemComparePage::ReadFurther()
{
    return ReadDestination(IDC_COMPARE_DEST, destination);
}

void CMemComparePage::Run()
{
    ShowLines(
        Items(), IDC_COMPARE_OUTPUT,
        RunCompare(start_, end_, destination, IsDlgButtonChecked(IDC_COMPARE_STOP) != 0, Services().AccessSize()));
}

CMemChecksumPage::CMemChecksumPage()
    : CMemPage(IDD_MEM_CHECKSUM, "Checksum", IDC_CHECKSUM_START, IDC_CHECKSUM_MODE, IDC_CHECKSUM_END)
{}

void CMemChecksumPage::Run()
{
    SetDlgItemText(IDC_CHECKSUM_OUTPUT, RunChecksum(start_, end_));
}

CMemCopyPage::CMemCopyPage() : CMemPage(IDD_MEM_COPY, "Copy", IDC_COPY_START, IDC_COPY_MODE, IDC_COPY_END) {}

bool CMemCopyPage::ReadFurther()
{
    return ReadDestination(IDC_COPY_DEST, destination);
}

void CMemCopyPage::Run()
{
    SetDlgItemText(IDC_COPY_OUTPUT, RunCopy(start_, end_, destination, Services().AccessSize()));
}

CMemFillPage::CMemFillPage() : CMemPage(IDD_MEM_FILL, "Fill", IDC_FILL_START, IDC_FILL_MODE, IDC_FILL_END) {}

bool CMemFillPage::ReadFurther()
{
    // As many values as the range has bytes, at most the pattern buffer.
    const uint64_t rangeBytes = uint64_t{end_.off} - start_.off + 1;
    pattern = ReadPattern(GetDlgItemText(IDC_FILL_PATTERN), static_cast<size_t>(std::min<uint64_t>(rangeBytes, 256)),
                          kFillPatternMax, Services().AccessSize(), TargetBigEndian());
    return !pattern.empty() || Refuse(ERR_MEM_BAD_PATTERN, IDC_FILL_PATTERN);
}

void CMemFillPage::Run()
{
    SetDlgItemText(IDC_FILL_OUTPUT, RunFill(start_, end_, pattern));
}

CMemTestPage::CMemTestPage() : CMemPage(IDD_MEM_TEST, "Test", IDC_TEST_START, IDC_TEST_MODE, IDC_TEST_END) {}

BOOL CMemTestPage::OnInitDialog()
{
    action = 0;
    width = 0;
    return CMemPage::OnInitDialog();
}

void CMemTestPage::DoDataExchange(CDataExchange* dx)
{
    DDX_Radio(dx, IDC_TEST_MEMORY, action);
    DDX_Radio(dx, IDC_TEST_BYTE, width);
}

void CMemTestPage::Run()
{
    SetTimer(kResultTimer, 5000);
    TestHooks used = hooks;
    std::unique_ptr<CProgressBar> progress;
    if (action == 0 && !Services().Simulate()) {
        if (!used.progress) {
            progress = std::make_unique<CProgressBar>("Test", 90, 100, TRUE, 0);
            used.progress = [bar = progress.get()](int percent) { bar->SetPos(percent); };
        }
        if (!used.stop)
            used.stop = [] { return shell::PeekKeyDown(VK_CANCEL) != FALSE; };
    }
    result_ = RunTest(start_, end_, action, width, used);
    SetDlgItemText(IDC_TEST_OUTPUT, result_);
}

void CMemTestPage::OnTimer(UINT_PTR id)
{
    if (id == kResultTimer)
        SetDlgItemText(IDC_TEST_OUTPUT, result_);
    else
        CMemPage::OnTimer(id);
}

CMemDlg::CMemDlg(CWnd* parent) : CPropertySheet((RegisterRegMemResources(), "Memory Group"), parent)
{
    AddPage(&compare);
    AddPage(&copy);
    AddPage(&fill);
    AddPage(&test);
}

void CMemDlg::OnInitSheet(DlgItems& buttons)
{
    if (buttons.Has(IDOK)) {
        buttons.Show(IDOK, false);
        buttons.Enable(IDOK, false);
    }
    if (buttons.Has(IDCANCEL))
        buttons.SetText(IDCANCEL, "Close");
}

}  // namespace regmem
