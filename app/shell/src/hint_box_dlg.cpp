#include "shell/hint_box_dlg.h"

#include <algorithm>

#include "shell/macro_dialog.h"

namespace shell {

namespace {

constexpr int64_t kLongestShowMs = 60000;

std::function<SIZE()>& ScreenSource()
{
    static std::function<SIZE()> source;
    return source;
}

}  // namespace

std::optional<POINT> HintBoxPlace(short position, SIZE screen, SIZE box)
{
    switch (position) {
    case 1: return POINT{0, 0};
    case 2: return POINT{0, screen.cy - box.cy - 3};
    case 3: return POINT{screen.cx - box.cx + 3, 0};
    case 4: return POINT{screen.cx - box.cx + 3, screen.cy - box.cy - 3};
    default: return std::nullopt;
    }
}

void SetScreenSizeSource(std::function<SIZE()> source)
{
    ScreenSource() = std::move(source);
}

SIZE ScreenSize()
{
    return ScreenSource() ? ScreenSource()() : SIZE{1024, 768};
}

CHintBoxDlg::CHintBoxDlg(std::string text, LONG delay, short position, CWnd* parent)
    : CDialog((RegisterMacroDialogs(), IDD_HINT_BOX), parent), m_lDelay(delay), m_text(std::move(text)),
      m_sPos(position)
{}

UINT CHintBoxDlg::Interval() const
{
    if (m_lDelay <= 0)
        return 10;
    return static_cast<UINT>(std::min<int64_t>(int64_t{m_lDelay} * 10, kLongestShowMs));
}

LONG CHintBoxDlg::TicksToEnd() const
{
    if (m_lDelay <= 0)
        return 1;
    // delay x 10 ticks, but never beyond the longest showing.
    const int64_t ticks = int64_t{m_lDelay} * 10;
    const int64_t most = std::max<int64_t>(1, kLongestShowMs / Interval());
    return static_cast<LONG>(std::min(ticks, most));
}

BOOL CHintBoxDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_HINT_TEXT, m_text);
    m_nTicks = 0;
    m_nTimer = SetTimer(kHintTimer, Interval());
    RECT r;
    GetWindowRect(&r);
    if (std::optional<POINT> at = HintBoxPlace(m_sPos, ScreenSize(), {r.Width(), r.Height()}))
        MoveWindowTo(*at);
    return TRUE;
}

void CHintBoxDlg::OnTimer(UINT_PTR id)
{
    if (id != kHintTimer)
        return;
    if (++m_nTicks >= TicksToEnd()) {
        m_nTicks = 0;
        KillTimer(kHintTimer);
        m_nTimer = 0;
        EndDialog(1);
    }
}

}  // namespace shell
