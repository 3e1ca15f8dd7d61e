#include "platform/dialog.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/modal_ui.h"
#include "platform/resources.h"

namespace platform {

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {

void Report(const std::string& text)
{
    MessageBoxRequest request;
    request.text = text;
    request.caption = AppName();
    request.type = MB_OK | MB_ICONEXCLAMATION;
    ShowMessageBox(request);
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Whole-text parse: optional sign, digits, nothing after; false on overflow.
bool ParseLong(const std::string& text, int base, long long& out)
{
    std::string t = Trim(text);
    if (t.empty() || t.size() > 64)
        return false;
    errno = 0;
    char* end = nullptr;
    out = std::strtoll(t.c_str(), &end, base);
    return errno == 0 && end && *end == '\0' && end != t.c_str();
}

}  // namespace

// --- Data exchange ------------------------------------------------------------------

DlgItems& CDataExchange::Items() const
{
    return m_pDlgWnd->Items();
}

void CDataExchange::PrepareCtrl(int id)
{
    m_idLastControl = id;
    m_bEditLastControl = false;
}

void CDataExchange::PrepareEditCtrl(int id)
{
    m_idLastControl = id;
    m_bEditLastControl = true;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_idLastControl) {
        Items().SetFocus(m_idLastControl);
        if (m_bEditLastControl)
            Items().SelectAll(m_idLastControl);
    }
    throw CUserException();
}

void DDX_Text(CDataExchange* dx, int id, std::string& value)
{
    dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = dx->Items().GetText(id);
    else
        dx->Items().SetText(id, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    dx->PrepareEditCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        dx->Items().SetText(id, std::to_string(value));
        return;
    }
    long long v;
    if (!ParseLong(dx->Items().GetText(id), 10, v) || v < INT_MIN || v > INT_MAX) {
        Report("Please enter an integer.");
        dx->Fail();
    }
    value = static_cast<int>(v);
}

void DDX_Text(CDataExchange* dx, int id, UINT& value)
{
    dx->PrepareEditCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        dx->Items().SetText(id, std::to_string(value));
        return;
    }
    long long v;
    std::string t = Trim(dx->Items().GetText(id));
    if (!ParseLong(t, 10, v) || t[0] == '-' || v < 0 || v > static_cast<long long>(UINT_MAX)) {
        Report("Please enter an unsigned integer.");
        dx->Fail();
    }
    value = static_cast<UINT>(v);
}

void DDX_TextHex(CDataExchange* dx, int id, DWORD& value)
{
    dx->PrepareEditCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%X", value);
        dx->Items().SetText(id, buf);
        return;
    }
    std::string t = Trim(dx->Items().GetText(id));
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        t = t.substr(2);
    bool ok = !t.empty() && t.size() <= 8;
    for (char c : t)
        ok = ok && std::isxdigit(static_cast<unsigned char>(c));
    if (!ok) {
        Report("Please enter a hexadecimal number of at most 8 digits.");
        dx->Fail();
    }
    value = static_cast<DWORD>(std::strtoul(t.c_str(), nullptr, 16));
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = dx->Items().GetCheck(id);
    else
        dx->Items().SetCheck(id, value);
}

void DDX_Radio(CDataExchange* dx, int id, int& value)
{
    dx->PrepareCtrl(id);
    DlgItems& items = dx->Items();
    if (dx->m_bSaveAndValidate)
        value = -1;
    for (int i = 0; items.Has(id + i) && items.Kind(id + i) == ControlKind::Radio; ++i) {
        if (dx->m_bSaveAndValidate) {
            if (items.GetCheck(id + i))
                value = i;
        } else {
            items.SetCheck(id + i, i == value ? 1 : 0);
        }
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index)
{
    dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = dx->Items().GetCurSel(id);
    else
        dx->Items().SetCurSel(id, index);
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index)
{
    DDX_CBIndex(dx, id, index);
}

void DDX_CBString(CDataExchange* dx, int id, std::string& value)
{
    dx->PrepareCtrl(id);
    DlgItems& items = dx->Items();
    if (dx->m_bSaveAndValidate) {
        value = items.GetText(id);
        return;
    }
    for (int i = 0; i < items.GetCount(id); ++i)
        if (items.GetItemText(id, i) == value) {
            items.SetCurSel(id, i);
            return;
        }
    items.SetText(id, value);
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int min, int max)
{
    if (!dx->m_bSaveAndValidate || (value >= min && value <= max))
        return;
    Report("Please enter an integer between " + std::to_string(min) + " and " + std::to_string(max) + ".");
    dx->Fail();
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT min, UINT max)
{
    if (!dx->m_bSaveAndValidate || (value >= min && value <= max))
        return;
    Report("Please enter an integer between " + std::to_string(min) + " and " + std::to_string(max) + ".");
    dx->Fail();
}

void DDV_MaxChars(CDataExchange* dx, const std::string& value, int max)
{
    if (!dx->m_bSaveAndValidate || static_cast<int>(value.size()) <= max)
        return;
    Report("Enter no more than " + std::to_string(max) + " characters.");
    dx->Fail();
}

// --- Dialog ------------------------------------------------------------------

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), owner_(parent) {}

CDialog::CDialog(std::shared_ptr<const DialogTemplate> t, CWnd* parent) : template_(std::move(t)), owner_(parent) {}

std::shared_ptr<const DialogTemplate> CDialog::Template() const
{
    return template_ ? template_ : resources::LoadDialog(templateId_);
}

INT_PTR CDialog::DoModal()
{
    ended_ = false;
    result_ = IDCANCEL;
    return RunModalDialog(*this);
}

void CDialog::AttachItems(DlgItems* items)
{
    if (items_)
        items_->SetNotify(nullptr);
    items_ = items;
    if (items_)
        items_->SetNotify([this](int id, UINT code) {
            if (m_hWnd)
                SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code)), 1);
        });
}

DlgItems& CDialog::Items()
{
    if (!items_) {
        // Without a runner the controls live in memory.
        auto t = Template();
        ownItems_ = t ? std::make_unique<MemoryDlgItems>(*t) : std::make_unique<MemoryDlgItems>();
        AttachItems(ownItems_.get());
    }
    return *items_;
}

BOOL CDialog::StartDialog()
{
    ended_ = false;
    result_ = IDCANCEL;
    Items();
    if (!m_hWnd && !Create(nullptr, templateId_))
        return FALSE;
    OnInitDialog();
    return TRUE;
}

BOOL CDialog::CreateModeless(CWnd* parent)
{
    owner_ = parent;
    return StartDialog();
}

void CDialog::FinishDialog()
{
    if (m_hWnd)
        DestroyWindow();
    AttachItems(nullptr);
    ownItems_.reset();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result)
{
    ended_ = true;
    result_ = result;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    UINT id = LOWORD(wParam);
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

UINT CDialog::GetDlgItemInt(int id, BOOL* ok, BOOL isSigned)
{
    long long v;
    bool good = ParseLong(Items().GetText(id), 10, v) &&
        (isSigned ? v >= INT_MIN && v <= INT_MAX : v >= 0 && v <= static_cast<long long>(UINT_MAX));
    if (ok)
        *ok = good;
    return good ? static_cast<UINT>(v) : 0;
}

void CDialog::SetDlgItemInt(int id, UINT value, BOOL isSigned)
{
    Items().SetText(id, isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value));
}

void CDialog::CheckRadioButton(int first, int last, int check)
{
    for (int id = first; id <= last; ++id)
        Items().SetCheck(id, id == check ? 1 : 0);
}

// --- Property pages and sheets ---------------------------------------------------

CPropertyPage::CPropertyPage(UINT templateId, const std::string& caption) : CDialog(templateId), caption_(caption) {}

CPropertyPage::CPropertyPage(std::shared_ptr<const DialogTemplate> t, const std::string& caption)
    : CDialog(std::move(t)), caption_(caption)
{}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

CPropertySheet::CPropertySheet(const std::string& caption, CWnd* parent, UINT selectPage)
    : caption_(caption), owner_(parent), select_(selectPage)
{}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    page->sheet_ = this;
    pages_.push_back(page);
}

BOOL CPropertySheet::Start()
{
    ended_ = false;
    result_ = IDCANCEL;
    active_ = -1;
    if (pages_.empty())
        return FALSE;
    return SetActivePage(select_ < pages_.size() ? static_cast<int>(select_) : 0);
}

BOOL CPropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= GetPageCount())
        return FALSE;
    if (active_ == index)
        return TRUE;
    if (active_ >= 0 && !pages_[active_]->OnKillActive())
        return FALSE;
    CPropertyPage* page = pages_[index];
    if (!page->made_) {
        DlgItems* items = factory_ ? factory_(*page) : nullptr;
        if (!items) {
            auto t = page->Template();
            ownItems_.push_back(t ? std::make_unique<MemoryDlgItems>(*t) : std::make_unique<MemoryDlgItems>());
            items = ownItems_.back().get();
        }
        page->AttachItems(items);
        page->made_ = true;
        page->StartDialog();
    }
    active_ = index;
    page->OnSetActive();
    return TRUE;
}

BOOL CPropertySheet::Apply()
{
    if (CPropertyPage* page = GetActivePage())
        if (!page->OnKillActive())
            return FALSE;
    for (size_t i = 0; i < pages_.size(); ++i) {
        CPropertyPage* p = pages_[i];
        if (!p->made_)
            continue;
        if (!p->OnApply()) {
            SetActivePage(static_cast<int>(i));
            return FALSE;
        }
        p->modified_ = false;
    }
    return TRUE;
}

BOOL CPropertySheet::PressOK()
{
    if (!Apply())
        return FALSE;
    ended_ = true;
    result_ = IDOK;
    return TRUE;
}

BOOL CPropertySheet::PressApply()
{
    return Apply();
}

void CPropertySheet::PressCancel()
{
    for (CPropertyPage* p : pages_)
        if (p->made_)
            p->OnCancel();
    ended_ = true;
    result_ = IDCANCEL;
}

INT_PTR CPropertySheet::DoModal()
{
    return RunModalSheet(*this);
}

void CPropertySheet::Finish()
{
    for (CPropertyPage* p : pages_) {
        if (p->made_)
            p->FinishDialog();
        p->made_ = false;
    }
    ownItems_.clear();
    active_ = -1;
}

}  // namespace platform
