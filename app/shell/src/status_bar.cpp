#include "shell/status_bar.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "emu_messages.h"
#include "platform/frame_wnd.h"
#include "platform/resources.h"
#include "platform/timers.h"
#include "platform/win_app.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell/small_dialogs.h"
#include "vexlor/vexlor.h"

namespace shell {

IMPLEMENT_DYNAMIC(CSuperStatusBar, CStatusBar)
IMPLEMENT_DYNAMIC(CProgressBar, CWnd)

namespace {

struct PaneDef {
    UINT id;
    int width;
};

// Separators have no borders and width 1; the message pane stretches.
const std::vector<PaneDef> kNotConnected = {{0, 0}, {0, 1}, {ID_INDICATOR_LINE, 60}, {0, 1}, {ID_INDICATOR_OVR, 60}};
const std::vector<PaneDef> kConnected = {{0, 0},
                                         {0, 1},
                                         {ID_INDICATOR_HALT, 50},
                                         {0, 1},
                                         {ID_INDICATOR_PC, 70},
                                         {0, 1},
                                         {ID_INDICATOR_TRACE, 50},
                                         {0, 1},
                                         {ID_INDICATOR_LINE, 50},
                                         {0, 1},
                                         {ID_INDICATOR_OVR, 50}};
const std::vector<PaneDef> kConnectedSimulated = {{0, 0},
                                                  {0, 1},
                                                  {ID_INDICATOR_HALT, 50},
                                                  {0, 1},
                                                  {ID_INDICATOR_PC, 70},
                                                  {0, 1},
                                                  {ID_INDICATOR_TRACE, 50},
                                                  {0, 1},
                                                  {ID_INDICATOR_BLANK, 70},
                                                  {0, 1},
                                                  {ID_INDICATOR_LINE, 50},
                                                  {0, 1},
                                                  {ID_INDICATOR_OVR, 50}};

bool MeansRunning(const std::string& text)
{
    return text.find("Running") != std::string::npos || text.find("Idle") != std::string::npos;
}

void FreeBlock(HGLOBAL block)
{
    if (!block)
        return;
    GlobalUnlock(block);
    GlobalFree(block);
}

}  // namespace

CSuperStatusBar::~CSuperStatusBar()
{
    FreePieces();
}

BOOL CSuperStatusBar::Create(CWnd* parent)
{
    if (!CStatusBar::Create(parent, AFX_IDW_STATUS_BAR))
        return FALSE;
    SetUpPanes(FALSE);
    return TRUE;
}

void CSuperStatusBar::SetUpPanes(BOOL connected)
{
    const auto& layout = !connected ? kNotConnected : theSettings.Simulate ? kConnectedSimulated : kConnected;
    std::vector<UINT> ids;
    for (const PaneDef& p : layout)
        ids.push_back(p.id);
    SetIndicators(ids);
    for (size_t i = 0; i < layout.size(); ++i) {
        UINT style = i == 0     ? platform::SBPS_STRETCH
            : layout[i].id == 0 ? platform::SBPS_NOBORDERS
                                : platform::SBPS_NORMAL;
        SetPaneInfo(static_cast<int>(i), layout[i].id, style, layout[i].width);
    }
    running_ = FALSE;
    Changed();
}

BOOL CSuperStatusBar::SetPaneText(int pane, const std::string& text, BOOL update)
{
    if (!CStatusBar::SetPaneText(pane, text, update))
        return FALSE;
    if (pane == kRunStatePane) {
        BOOL running = MeansRunning(text) ? TRUE : FALSE;
        if (running != running_) {
            running_ = running;
            ++tintRepaints_;
            Changed();
        }
    }
    return TRUE;
}

void CSuperStatusBar::FreePieces()
{
    for (TextPiece& p : pieces_) {
        FreeBlock(p.text);
        p = {};
    }
}

void CSuperStatusBar::SetTextPieces(int count, const TextPiece* pieces)
{
    if (count < 1 || !pieces) {
        count_ = 0;
        Changed();
        return;
    }
    FreePieces();
    int kept = std::min(count, kMaxTextPieces);
    for (int i = 0; i < kept; ++i)
        pieces_[i] = pieces[i];
    // The bar holds 100 pieces: the blocks beyond are the bar's to free.
    for (int i = kept; i < count; ++i)
        FreeBlock(pieces[i].text);
    count_ = kept;
    Changed();
}

std::vector<CSuperStatusBar::PieceText> CSuperStatusBar::VisiblePieces() const
{
    std::vector<PieceText> out;
    if (count_ == 0 || GetCount() == 0)
        return out;
    std::string message = GetPaneText(0);
    if (message.find_first_not_of(' ') != std::string::npos)
        return out;
    for (int i = 0; i < count_ && pieces_[i].text; ++i) {
        const char* text = static_cast<const char*>(GlobalLock(pieces_[i].text));
        std::string s = text ? std::string(text, strnlen(text, GlobalSize(pieces_[i].text))) : std::string();
        GlobalUnlock(pieces_[i].text);
        out.push_back({s, pieces_[i].highlight == 1});
    }
    return out;
}

void CSuperStatusBar::OnPaneDoubleClick(int pane, POINT screen)
{
    if (CpuGetCpuStatus(0, 1) & 1) {
        MessageBeep(static_cast<UINT>(-1));
        return;
    }
    if (pane < 0 || pane >= GetCount() || GetItemID(pane) != ID_INDICATOR_PC)
        return;
    CChangePCDlg dlg(screen);
    if (dlg.DoModal() != IDOK)
        return;
    CpuSetPC(dlg.m_offset);
    if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd)
        ::SendMessage(main->m_hWnd, WM_EMU_REFRESH, 0, 0);
}

BOOL CSuperStatusBar::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_LBUTTONDOWN)
        return FALSE;
    return CStatusBar::PreTranslateMessage(msg);
}

std::string PcPaneText(uint32_t pc)
{
    char text[16];
    std::snprintf(text, sizeof text, "PC:%08lX", static_cast<unsigned long>(pc));
    return text;
}

RECT ProgressPlacement(RECT pane, int captionWidth, int blankWidth, int sizePercent)
{
    RECT r = pane;
    if (captionWidth > 0)
        r.left += captionWidth + 4 * blankWidth;
    r.right -= (100 - sizePercent) * (r.right - r.left) / 100;
    r.right = std::max(r.right, r.left);
    int inset = (r.bottom - r.top) / 10;
    r.top += inset;
    r.bottom -= inset;
    return r;
}

namespace {

CStatusBar* FindDescendantBar(CWnd* wnd)
{
    for (CWnd* child : wnd->Children()) {
        if (child->GetDlgCtrlID() == AFX_IDW_STATUS_BAR)
            if (auto* bar = dynamic_cast<CStatusBar*>(child))
                return bar;
        if (CStatusBar* bar = FindDescendantBar(child))
            return bar;
    }
    return nullptr;
}

// The main window's message bar when it is a frame, else its descendant
// with the status bar's id.
CStatusBar* FindStatusBar()
{
    CWnd* main = AfxGetMainWnd();
    if (!main)
        return nullptr;
    if (auto* frame = dynamic_cast<platform::CFrameWnd*>(main))
        return dynamic_cast<CStatusBar*>(frame->GetControlBar(AFX_IDW_STATUS_BAR));
    return FindDescendantBar(main);
}

}  // namespace

namespace {

CProgressBar::LoadStatusQuery& LoadQuery()
{
    static CProgressBar::LoadStatusQuery query = nullptr;
    return query;
}

}  // namespace

CProgressBar::LoadStatusQuery CProgressBar::SetLoadStatusQuery(LoadStatusQuery query)
{
    const LoadStatusQuery previous = LoadQuery();
    LoadQuery() = query;
    return previous;
}

int& CProgressBar::SharedPercent()
{
    static int percent = 0;
    return percent;
}

CProgressBar::CProgressBar(const std::string& caption, int sizePercent, int maxValue, BOOL, int pane)
    : caption_(caption), size_(sizePercent), pane_(pane), high_(maxValue)
{
    // The position a long operation (an image load) sends to the control.
    OnMessage(PBM_SETPOS, [this](WPARAM pos, LPARAM) -> LRESULT {
        const int previous = pos_;
        SetPos(static_cast<int>(pos));
        return previous;
    });
    bar_ = FindStatusBar();
    if (!bar_ || pane < 0 || pane >= bar_->GetCount()) {
        bar_ = nullptr;
        return;
    }
    previous_ = bar_->GetPaneText(pane);
    if (CWnd::Create(bar_, 0)) {
        timer_ = CWnd::SetTimer(1, 300);
        if (!timer_)
            AfxMessageBox("No more timers!");
    }
}

CProgressBar::~CProgressBar()
{
    if (timer_ && m_hWnd)
        ::KillTimer(m_hWnd, timer_);
    timer_ = 0;
    if (bar_) {
        bar_->SetPaneProgress(pane_, -1);
        bar_->SetPaneText(pane_, pane_ != 0 ? previous_ : platform::resources::LoadString(IDS_IDLE_MESSAGE));
    }
    if (m_hWnd)
        DestroyWindow();
}

void CProgressBar::SetRange(int low, int high, int step)
{
    low_ = low;
    high_ = high;
    step_ = step;
    if (shown_ && bar_)
        bar_->SetPaneProgress(pane_, Percent());
}

void CProgressBar::Show()
{
    if (!bar_)
        return;
    if (!shown_) {
        shown_ = TRUE;
        bar_->SetPaneText(pane_, caption_);
    }
    bar_->SetPaneProgress(pane_, Percent());
}

void CProgressBar::SetPos(int pos)
{
    pos_ = pos;
    Show();
}

void CProgressBar::SetStep(int step)
{
    step_ = step;
    Show();
}

int CProgressBar::Percent() const
{
    if (high_ <= low_)
        return 0;
    int p = static_cast<int>((static_cast<long long>(std::clamp(pos_, low_, high_)) - low_) * 100 / (high_ - low_));
    return p;
}

void CProgressBar::OnTimer(UINT_PTR id)
{
    if (id != timer_)
        return;
    int& shared = SharedPercent();
    SetPos(shared);
    shared = 0;
    const LoadStatusQuery query = LoadQuery();
    if (!query || !query(&shared) || shared == 100) {
        ::KillTimer(m_hWnd, timer_);
        timer_ = 0;
    }
    if (shared >= 100)
        shared = 0;
    SetPos(shared);
}

}  // namespace shell
