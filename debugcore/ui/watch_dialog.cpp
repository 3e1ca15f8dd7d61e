// The watchpoint dialog's logic by control id.
#include "watch_dialog.h"

#include "falcrest.h"
#include "tarnel.h"
#include <platform/modal_ui.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core.h"
#include "sarvik_strings.h"

namespace sarvik::ui {
namespace {

constexpr const char* kReadWrite[] = {"not care", "Read", "Write"};
constexpr const char* kSize[] = {"not care", "Word", "Halfword", "Byte"};
constexpr const char* kAccess[] = {"not care", "Instruction fetch", "Data access"};
constexpr uint32_t kMaskHighBits = 0xFFF00000u;

void ShowHex(DlgItems& items, int id, uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(value));
    items.SetText(id, text);
}

// strtoul base 16 over at most 31 characters; the whole text must be read.
bool ReadHex(DlgItems& items, int id, uint32_t& value)
{
    std::string text = items.GetText(id).substr(0, 31);
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 16);
    if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFul || text.front() == '-')
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

}  // namespace

WatchSelections SelectionsOfControl(uint32_t control)
{
    WatchSelections s;
    if (!(control & (1u << 16)))
        s.readWrite = (control & 1u) ? 2 : 1;
    if (!(control & (3u << 17))) {
        const uint32_t size = control & 6u;
        s.size = size == 4 ? 1 : size == 2 ? 2 : 3;
    }
    if (!(control & (1u << 19)))
        s.access = (control & 8u) ? 2 : 1;
    return s;
}

uint32_t ControlOfSelections(const WatchSelections& s, bool enable)
{
    uint32_t control = kMaskHighBits;
    if (s.readWrite == 2)
        control |= 1u;
    if (s.size == 1)
        control |= 2u << 1;
    else if (s.size == 2)
        control |= 1u << 1;
    if (s.access == 2)
        control |= 8u;
    if (enable)
        control |= 1u << 8;
    if (s.readWrite == 0)
        control |= 1u << 16;
    if (s.size == 0)
        control |= 3u << 17;
    if (s.access == 0)
        control |= 1u << 19;
    return control;
}

CWatchpointDlg::CWatchpointDlg(CWnd* parent) : CDialog((res::RegisterResources(), WatchpointDialogTemplate()), parent)
{
    for (int u = 0; u < 2; ++u) {
        OnNotify(kWatchUnitIds[u].address, EN_KILLFOCUS, [this, u] { OnLeaveEdit(u, true); });
        OnNotify(kWatchUnitIds[u].data, EN_KILLFOCUS, [this, u] { OnLeaveEdit(u, false); });
    }
    OnNotify(IDC_WATCH_RESET, BN_CLICKED, [this] { OnReset(); });
    OnNotify(IDC_WATCH_OK, BN_CLICKED, [this] { OnOK(); });
    OnNotify(IDC_WATCH_CANCEL, BN_CLICKED, [this] { OnCancel(); });
}

bool CWatchpointDlg::UnitEditable(int unit) const
{
    return unit == 0 || Core().config.hwBreakpoints;
}

BOOL CWatchpointDlg::OnInitDialog()
{
    DlgItems& items = Items();
    for (int u = 0; u < 2; ++u) {
        const WatchUnitIds& ids = kWatchUnitIds[u];
        items.ResetContent(ids.readWrite);
        for (const char* t : kReadWrite)
            items.AddString(ids.readWrite, t);
        items.ResetContent(ids.size);
        for (const char* t : kSize)
            items.AddString(ids.size, t);
        items.ResetContent(ids.access);
        for (const char* t : kAccess)
            items.AddString(ids.access, t);
        m_unit[u] = Core().units.Unit(u);
        ShowFields(u);
    }
    if (!UnitEditable(1)) {
        const WatchUnitIds& ids = kWatchUnitIds[1];
        for (int id : {ids.address, ids.readWrite, ids.data, ids.dataMask, ids.size, ids.addressMask, ids.access,
                       ids.enable, ids.activate})
            items.Enable(id, false);
    }
    return TRUE;
}

void CWatchpointDlg::ShowFields(int u)
{
    DlgItems& items = Items();
    const WatchUnitIds& ids = kWatchUnitIds[u];
    const WHPT_UNIT& unit = m_unit[u];
    ShowHex(items, ids.address, unit.address);
    ShowHex(items, ids.addressMask, unit.addressMask);
    ShowHex(items, ids.data, unit.data);
    ShowHex(items, ids.dataMask, unit.dataMask);
    items.SetCheck(ids.enable, unit.enabled ? 1 : 0);
    items.SetCheck(ids.activate, unit.used ? 1 : 0);
    const WatchSelections s = SelectionsOfControl(unit.control);
    items.SetCurSel(ids.readWrite, s.readWrite);
    items.SetCurSel(ids.size, s.size);
    items.SetCurSel(ids.access, s.access);
}

bool CWatchpointDlg::ReadFields(int u)
{
    DlgItems& items = Items();
    const WatchUnitIds& ids = kWatchUnitIds[u];
    WHPT_UNIT& unit = m_unit[u];
    for (auto [id, field] : {std::pair{ids.address, &unit.address}, std::pair{ids.addressMask, &unit.addressMask},
                             std::pair{ids.data, &unit.data}, std::pair{ids.dataMask, &unit.dataMask}})
        if (!ReadHex(items, id, *field)) {
            platform::MessageBoxRequest request;
            request.text = "Please enter an unsigned integer.";
            request.caption = platform::AppName();
            request.type = MB_OK | MB_ICONEXCLAMATION;
            platform::ShowMessageBox(request);
            items.SetFocus(id);
            items.SelectAll(id);
            return false;
        }
    unit.enabled = items.GetCheck(ids.enable) ? 1 : 0;
    const WatchSelections s{items.GetCurSel(ids.readWrite), items.GetCurSel(ids.size), items.GetCurSel(ids.access)};
    unit.control = ControlOfSelections(s, unit.enabled != 0);
    return true;
}

void CWatchpointDlg::OnLeaveEdit(int u, bool address)
{
    if (!ReadFields(u))
        return;
    WHPT_UNIT& unit = m_unit[u];
    uint32_t& mask = address ? unit.addressMask : unit.dataMask;
    if ((address ? unit.address : unit.data) != 0 && mask == 0xFFFFFFFFu) {
        mask = 0;
        ShowHex(Items(), address ? kWatchUnitIds[u].addressMask : kWatchUnitIds[u].dataMask, 0);
    }
}

void CWatchpointDlg::OnReset()
{
    // Only the fields: the units change when OK programs or clears them.
    for (int u = 0; u < 2; ++u) {
        if (!UnitEditable(u))
            continue;
        m_unit[u] = WHPT_UNIT{};
        ShowFields(u);
        DlgItems& items = Items();
        items.SetCurSel(kWatchUnitIds[u].readWrite, 0);
        items.SetCurSel(kWatchUnitIds[u].size, 0);
        items.SetCurSel(kWatchUnitIds[u].access, 0);
    }
}

void CWatchpointDlg::OnOK()
{
    for (int u = 0; u < 2; ++u)
        if (!ReadFields(u))
            return;
    for (int u = 0; u < 2; ++u) {
        WHPT_UNIT field = m_unit[u];
        const bool activate = Items().GetCheck(kWatchUnitIds[u].activate) != 0;
        const WHPT_UNIT& record = Core().units.Unit(u);
        WHPT_UNIT updated = record;
        updated.enabled = field.enabled;
        if (!activate) {
            if (record.used && emuClrHwBp(u) == EMU_OK)
                updated.used = 0;
            Core().units.Store(u, updated);
            continue;
        }
        uint32_t address = field.address;
        address &= LdrIsInThumbRange(address) ? ~1u : ~3u;
        int addressMask = static_cast<int>(field.addressMask);
        int dataMask = static_cast<int>(field.dataMask);
        uint32_t control = field.control;
        if (emuSetHwBp(static_cast<int>(address), &addressMask, static_cast<int>(field.data), &dataMask, 0, 0, &control,
                       u) == EMU_OK) {
            updated.used = 1;
            updated.address = address;
            updated.addressMask = static_cast<uint32_t>(addressMask);
            updated.data = field.data;
            updated.dataMask = static_cast<uint32_t>(dataMask);
            updated.control = control;
        }
        Core().units.Store(u, updated);
    }
    EndDialog(IDOK);
}

}  // namespace sarvik::ui
