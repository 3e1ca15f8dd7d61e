// The breakpoint dialog's logic by control id.
#include "bp_dialog.h"

#include <dolmer/dolmer.h>
#include <platform/modal_ui.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "bp_text.h"
#include "core.h"
#include "emu_messages.h"
#include "ids.h"
#include "sarvik_strings.h"

namespace sarvik::ui {
namespace {

constexpr const char* kTypeTexts[] = {"Break at Location", "Break at Location If Condition"};
// A restore file shorter than this holds no breakpoint file.
constexpr std::uintmax_t kSmallestRestoreFile = 15;

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A condition goes between braces into its line: it must not hold the
// line's own delimiters, and its parentheses must pair up.
bool ConditionFitsLine(const std::string& text)
{
    int depth = 0;
    for (char c : text) {
        if (c == '{' || c == '}' || c == '[' || c == ']' || static_cast<unsigned char>(c) < 0x20)
            return false;
        if (c == '(')
            ++depth;
        if (c == ')' && --depth < 0)
            return false;
    }
    return depth == 0;
}

// The line's width in the list box: 8 pixels per character of the fixed font.
int ExtentOf(const std::string& line)
{
    return static_cast<int>(line.size()) * 8 + 8;
}

}  // namespace

CBreakpointDlg::CBreakpointDlg(ADDR addr, CWnd* parent)
    : CDialog((res::RegisterResources(), BreakpointDialogTemplate()), parent), m_addr(addr)
{
    if (addr.seg != 0)
        m_location = AddressText(addr).value_or("");
    OnNotify(IDC_BP_ADD, BN_CLICKED, [this] { OnAdd(); });
    OnNotify(IDC_BP_ENABLE, BN_CLICKED, [this] { OnEnable(); });
    OnNotify(IDC_BP_LIST, LBN_DBLCLK, [this] { OnEnable(); });
    OnNotify(IDC_BP_DELETE, BN_CLICKED, [this] { OnDelete(); });
    OnNotify(IDC_BP_DELETE_ALL, BN_CLICKED, [this] { OnDeleteAll(); });
    OnNotify(IDC_BP_TASK_QUALIFY, BN_CLICKED, [this] { OnTaskQualify(); });
    OnNotify(IDC_BP_MORE, BN_CLICKED, [this] { OnMoreLess(); });
    OnNotify(IDC_BP_SAVE, BN_CLICKED, [this] { OnSave(); });
    OnNotify(IDC_BP_RESTORE, BN_CLICKED, [this] { OnRestore(); });
    OnNotify(IDC_BP_LIST, LBN_SELCHANGE, [this] {
        ShowEntry(Selected());
        UpdateButtons();
    });
    OnNotify(IDC_BP_TYPE, CBN_SELCHANGE, [this] {
        EnableTypeControls(Items().GetCurSel(IDC_BP_TYPE));
        UpdateButtons();
    });
    OnNotify(IDC_BP_LOCATION, EN_CHANGE, [this] { UpdateButtons(); });
}

void CBreakpointDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_BP_LOCATION, m_location);
    DDV_MaxChars(dx, m_location, BP_TEXT_LIMIT);
    DDX_CBIndex(dx, IDC_BP_TYPE, m_type);
    DDX_Text(dx, IDC_BP_CONDITION, m_condition);
    DDV_MaxChars(dx, m_condition, BP_TEXT_LIMIT);
    if (dx->m_bSaveAndValidate && !ConditionFitsLine(m_condition)) {
        platform::MessageBoxRequest request;
        request.text = "The condition must not hold braces or brackets, and its parentheses must pair up.";
        request.caption = "Breakpoint";
        request.type = MB_OK | MB_ICONEXCLAMATION;
        platform::ShowMessageBox(request);
        dx->Fail();
    }
    DDX_Text(dx, IDC_BP_MEMORY, m_memory);
    DDX_Check(dx, IDC_BP_READ, m_read);
    DDX_Check(dx, IDC_BP_WRITE, m_write);
    DDX_Text(dx, IDC_BP_COUNT, m_count);
    DDV_MinMaxInt(dx, m_count, 1, 65536);
    DDX_Check(dx, IDC_BP_TASK_QUALIFY, m_taskQualify);
}

BOOL CBreakpointDlg::OnInitDialog()
{
    DlgItems& items = Items();
    items.ResetContent(IDC_BP_TYPE);
    for (const char* text : kTypeTexts)
        items.AddString(IDC_BP_TYPE, text);
    FillFromBreakpoints();
    CDialog::OnInitDialog();
    if (m_addr.seg != 0) {
        items.SetCurSel(IDC_BP_TYPE, 0);
        EnableTypeControls(0);
    } else {
        ShowEntry(Selected());
    }
    SetCollapsed(true);
    items.Enable(IDC_BP_MORE, Core().getTaskInfo != nullptr);
    UpdateButtons();
    return TRUE;
}

void CBreakpointDlg::FillFromBreakpoints()
{
    entries_.clear();
    for (const CBpDataEx* record : Core().breakpoints.Records()) {
        if (record->GetLife() == BPLIFE_TEMPORARY)
            continue;
        auto line = LineOfRecord(*record);
        if (!line)
            continue;
        // The line keeps the record's task qualification as its item data.
        entries_.push_back({WriteBpLine(*line), TaskOfRecord(*record), record->GetSymbol()});
    }
    extent_ = 0;
    for (const Entry& e : entries_)
        extent_ = std::max(extent_, ExtentOf(e.text));
    ShowList(entries_.empty() ? -1 : 0);
}

void CBreakpointDlg::ShowList(int select)
{
    DlgItems& items = Items();
    items.ResetContent(IDC_BP_LIST);
    for (const Entry& e : entries_)
        items.AddString(IDC_BP_LIST, e.text);
    items.SetCurSel(IDC_BP_LIST, select);
}

int CBreakpointDlg::Selected()
{
    int sel = Items().GetCurSel(IDC_BP_LIST);
    return sel >= 0 && sel < static_cast<int>(entries_.size()) ? sel : -1;
}

void CBreakpointDlg::ShowEntry(int index)
{
    DlgItems& items = Items();
    BpLine line;
    if (index < 0 || !ReadBpLine(entries_[index].text, line)) {
        items.SetCurSel(IDC_BP_TYPE, 0);
        EnableTypeControls(0);
        return;
    }
    const int type = std::min(line.Type(), 1);
    items.SetCurSel(IDC_BP_TYPE, type);
    const Entry& e = entries_[index];
    std::string location = e.symbol;
    if (location.empty()) {
        ADDR addr{};
        if (AdrTextToAddr(line.address.c_str(), &addr, 1) == 1) {
            char text[16];
            std::snprintf(text, sizeof text, "%04X", addr.off);
            location = text;
        }
    }
    items.SetText(IDC_BP_LOCATION, location);
    items.SetText(IDC_BP_CONDITION, line.condition);
    items.SetText(IDC_BP_COUNT, std::to_string(line.count));
    EnableTypeControls(type);
    if (e.task != 0) {
        items.SetCheck(IDC_BP_TASK_QUALIFY, 1);
        OnTaskQualify();
        for (int i = 0; i < static_cast<int>(taskBlocks_.size()); ++i)
            if (taskBlocks_[i] == e.task)
                items.SetCurSel(IDC_BP_TASKS, i);
    }
}

void CBreakpointDlg::EnableTypeControls(int type)
{
    DlgItems& items = Items();
    items.Enable(IDC_BP_LOCATION, true);
    items.Enable(IDC_BP_LOCATION_LABEL, true);
    const bool condition = type == 1;
    items.Enable(IDC_BP_CONDITION, condition);
    items.Enable(IDC_BP_CONDITION_LABEL, condition);
}

void CBreakpointDlg::UpdateButtons()
{
    DlgItems& items = Items();
    items.Enable(IDC_BP_ADD, !Trim(items.GetText(IDC_BP_LOCATION)).empty());
    const bool any = !entries_.empty();
    items.Enable(IDC_BP_DELETE_ALL, any);
    items.Enable(IDC_BP_SAVE, any);
    const int sel = Selected();
    items.Enable(IDC_BP_DELETE, sel >= 0);
    items.Enable(IDC_BP_ENABLE, sel >= 0);
    const bool enabled = sel >= 0 && entries_[sel].text.size() > 1 && entries_[sel].text[1] == '+';
    items.SetText(IDC_BP_ENABLE, res::String(enabled ? res::IDS_DISABLE : res::IDS_ENABLE));
    items.Enable(IDC_BP_TASKS, items.GetCheck(IDC_BP_TASK_QUALIFY) != 0);
}

void CBreakpointDlg::OnAdd()
{
    if (!UpdateData(TRUE))
        return;
    m_location = Trim(m_location);
    ADDR addr{};
    if (AdrTextToAddr(m_location.c_str(), &addr, 1) != 1)
        return;
    auto address = AddressText(addr);
    if (!address)
        return;
    char symbol[ADR_SYMBOL_TEXT_SIZE] = {};
    Entry entry;
    if (AdrAddrToSymbol(addr, symbol) == 1)
        entry.symbol = symbol;
    BpLine line;
    line.address = *address;
    if (ShowsSourcePosition(entry.symbol))
        line.position = SourcePosition(addr.off);
    line.condition = m_type == 1 ? Trim(m_condition) : std::string();
    line.count = static_cast<uint32_t>(m_count);
    entry.text = WriteBpLine(line);
    if (m_taskQualify) {
        int task = Items().GetCurSel(IDC_BP_TASKS);
        if (task >= 0 && task < static_cast<int>(taskBlocks_.size()))
            entry.task = taskBlocks_[task];
    }
    // The line of the same address and count is replaced.
    int at = -1;
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        BpLine old;
        if (ReadBpLine(entries_[i].text, old) && old.address == line.address && old.count == line.count)
            at = i;
    }
    if (at >= 0)
        entries_[at] = entry;
    else {
        entries_.push_back(entry);
        at = static_cast<int>(entries_.size()) - 1;
    }
    extent_ = std::max(extent_, ExtentOf(entry.text));
    ShowList(at);
    UpdateButtons();
}

void CBreakpointDlg::OnEnable()
{
    const int sel = Selected();
    if (sel < 0 || entries_[sel].text.size() < 2)
        return;
    char& mark = entries_[sel].text[1];
    mark = mark == '+' ? '-' : '+';
    ShowList(sel);
    UpdateButtons();
}

void CBreakpointDlg::OnDelete()
{
    const int sel = Selected();
    if (sel < 0)
        return;
    entries_.erase(entries_.begin() + sel);
    ShowList(entries_.empty() ? -1 : std::max(sel - 1, 0));
    ShowEntry(Selected());
    UpdateButtons();
}

void CBreakpointDlg::OnDeleteAll()
{
    entries_.clear();
    ShowList(-1);
    UpdateButtons();
}

void CBreakpointDlg::OnTaskQualify()
{
    DlgItems& items = Items();
    if (!items.GetCheck(IDC_BP_TASK_QUALIFY)) {
        items.ResetContent(IDC_BP_TASKS);
        taskBlocks_.clear();
        UpdateButtons();
        return;
    }
    GetTaskInfoFn info = Core().getTaskInfo;
    if (!info)
        return;
    void* names = nullptr;
    void* blocks = nullptr;
    const int namesResult = info(TASK_INFO_NAMES, &names);
    const int blocksResult = namesResult == 0 ? info(TASK_INFO_CONTROL_BLOCKS, &blocks) : 1;
    if (namesResult == 0 && blocksResult == 0 && names && blocks) {
        int32_t nameCount = 0, blockCount = 0;
        std::memcpy(&nameCount, names, 4);
        std::memcpy(&blockCount, blocks, 4);
        items.ResetContent(IDC_BP_TASKS);
        taskBlocks_.clear();
        const char* name = static_cast<const char*>(names) + 8;
        for (int32_t i = 0; i < nameCount && i < blockCount && *name; ++i) {
            uint32_t block = 0;
            std::memcpy(&block, static_cast<const char*>(blocks) + 8 + 4 * i, 4);
            items.AddString(IDC_BP_TASKS, name);
            taskBlocks_.push_back(block);
            name += std::strlen(name) + 1;
        }
        items.SetCurSel(IDC_BP_TASKS, taskBlocks_.empty() ? -1 : 0);
    }
    delete[] static_cast<char*>(names);
    delete[] static_cast<char*>(blocks);
    UpdateButtons();
}

void CBreakpointDlg::SetCollapsed(bool collapsed)
{
    collapsed_ = collapsed;
    DlgItems& items = Items();
    const auto t = Template();
    const auto* marker = t->Find(IDC_BP_COLLAPSED);
    for (const auto& c : t->controls)
        if (c.id != platform::IDC_STATIC && c.id != IDC_BP_LESS && c.y >= marker->y)
            items.Show(c.id, !collapsed);
    items.Show(IDC_BP_LESS, false);
    // The "Collapsed" marker gives the folded height.
    items.SetDialogHeight(collapsed ? marker->y : t->cy);
    items.SetText(IDC_BP_MORE, collapsed ? "More >>" : t->Find(IDC_BP_LESS)->text);
}

void CBreakpointDlg::OnMoreLess()
{
    SetCollapsed(!collapsed_);
}

// The file dialog of Save... and Restore...; the chosen path, or empty.
std::string CBreakpointDlg::AskBpFile(bool open)
{
    platform::FileDialogRequest request;
    request.open = open;
    request.title = open ? "Restore Breakpoint" : "Save Breakpoint";
    request.filter = res::String(res::IDS_BPT_FILTER);
    request.defaultExt = ".bpt";
    request.fileName = "default.bpt";
    request.flags = platform::OFN_HIDEREADONLY | (open ? platform::OFN_FILEMUSTEXIST : platform::OFN_OVERWRITEPROMPT);
    platform::FileDialogResult result;
    if (!platform::ShowFileDialog(request, result) || result.paths.empty())
        return {};
    return result.paths.front();
}

void CBreakpointDlg::OnSave()
{
    const std::string path = AskBpFile(false);
    if (!path.empty())
        SaveBpFile(path.c_str());
}

void CBreakpointDlg::OnRestore()
{
    const std::string path = AskBpFile(true);
    if (path.empty())
        return;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size < kSmallestRestoreFile)
        return;
    RestoreBpFile(path.c_str());
    FillFromBreakpoints();
    ShowEntry(Selected());
    UpdateButtons();
}

void CBreakpointDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    const ADDR all{0, 0};
    BptClearBp(&all, 0);
    for (const Entry& e : entries_) {
        BpLine line;
        ADDR addr{};
        if (!ReadBpLine(e.text, line) || AdrTextToAddr(line.address.c_str(), &addr, 1) != 1)
            continue;
        const size_t before = Core().breakpoints.Records().size();
        if (BptSetBp(&addr, line.condition.c_str(), line.count, 0, line.enabled ? 1 : 0, e.task) != EMU_OK)
            continue;
        if (Core().breakpoints.Records().size() > before)
            Core().breakpoints.Records().back()->SetSymbol(e.symbol);
    }
    SendToMain(WM_EMU_UPDATE_VIEWS, DVK_BREAKPOINTS, static_cast<LPARAM>(-1));
    EndDialog(IDOK);
}

}  // namespace sarvik::ui
