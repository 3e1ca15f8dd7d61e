#include "demo.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/messages.h"
#include "platform/resources.h"

namespace guidemo {

IMPLEMENT_DYNCREATE(CSourceDoc, CDocument)
IMPLEMENT_DYNCREATE(CSourceView, CView)
IMPLEMENT_DYNCREATE(CSourceChild, CMDIChildWnd)
IMPLEMENT_DYNCREATE(CDemoMainFrame, CMDIFrameWnd)

// --- Document -------------------------------------------------------------------

void CSourceDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        for (const auto& l : lines) {
            ar.Write(l.data(), l.size());
            ar.Write("\n", 1);
        }
        return;
    }
    std::string text;
    char buf[4096];
    for (UINT n; (n = ar.Read(buf, sizeof buf)) > 0;)
        text.append(buf, n);
    lines.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(ExpandTabs(line));
        pos = end + 1;
    }
}

// --- Source view ---------------------------------------------------------------

namespace {

enum Format { Plain, Keyword, Comment, String, Preprocessor, Current };

bool IsKeyword(const std::string& w)
{
    static const char* const kWords[] = {"int",  "char",     "static", "struct", "return", "for",   "while",
                                         "void", "unsigned", "sizeof", "if",     "else",   "const", "include"};
    for (const char* k : kWords)
        if (w == k)
            return true;
    return false;
}

// Runs of one line; `inComment` carries a block comment across lines.
std::vector<CellRow::Run> Tokens(const std::string& line, bool& inComment)
{
    std::vector<CellRow::Run> runs;
    auto add = [&](size_t from, size_t to, int format) {
        if (to > from)
            runs.push_back({static_cast<int>(from), line.substr(from, to - from), format});
    };
    size_t i = 0, plain = 0;
    auto flush = [&](size_t upTo) { add(plain, upTo, Plain); };
    if (!inComment) {
        size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && line[first] == '#') {
            size_t end = line.find(' ', first);
            end = end == std::string::npos ? line.size() : end;
            add(0, end, Preprocessor);
            i = plain = end;
        }
    }
    while (i < line.size()) {
        if (inComment) {
            size_t end = line.find("*/", i);
            end = end == std::string::npos ? line.size() : end + 2;
            add(i, end, Comment);
            inComment = end == line.size() && line.compare(line.size() >= 2 ? line.size() - 2 : 0, 2, "*/") != 0;
            i = plain = end;
        } else if (line.compare(i, 2, "/*") == 0) {
            flush(i);
            inComment = true;
        } else if (line.compare(i, 2, "//") == 0) {
            flush(i);
            add(i, line.size(), Comment);
            return runs;
        } else if (line[i] == '"') {
            flush(i);
            size_t end = i + 1;
            while (end < line.size() && line[end] != '"')
                end += line[end] == '\\' ? 2 : 1;
            end = std::min(end + 1, line.size());
            add(i, end, String);
            i = plain = end;
        } else if (std::isalpha(static_cast<unsigned char>(line[i])) || line[i] == '_') {
            size_t end = i;
            while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '_'))
                ++end;
            if (IsKeyword(line.substr(i, end - i))) {
                flush(i);
                add(i, end, Keyword);
                plain = end;
            }
            i = end;
        } else {
            ++i;
        }
    }
    flush(line.size());
    return runs;
}

}  // namespace

const std::vector<CellColors>& CSourceView::Formats()
{
    static const std::vector<CellColors> formats = {
        {RGB(0, 0, 0), RGB(255, 255, 255)},     {RGB(0, 0, 255), RGB(255, 255, 255)},
        {RGB(0, 128, 0), RGB(255, 255, 255)},   {RGB(163, 21, 21), RGB(255, 255, 255)},
        {RGB(128, 0, 128), RGB(255, 255, 255)}, {RGB(0, 0, 0), RGB(255, 255, 160)}};
    return formats;
}

CSourceView::CSourceView()
{
    breakpoints_ = {4};
    OnCommand(ID_DEMO_BREAK, [this] {
        auto it = std::find(breakpoints_.begin(), breakpoints_.end(), caret_);
        if (it == breakpoints_.end())
            breakpoints_.push_back(caret_);
        else
            breakpoints_.erase(it);
        Invalidate();
    });
    OnUpdateCommandUI(ID_INDICATOR_LINE,
                      [this](CCmdUI* ui) { ui->SetText(("Ln " + std::to_string(caret_ + 1)).c_str()); });
    OnUpdateCommandUI(ID_EDIT_COPY, [this](CCmdUI* ui) { ui->Enable(anchor_ >= 0 && anchor_ != caret_); });
    OnCommand(ID_EDIT_COPY, [] {});
}

void CSourceView::OnInitialUpdate()
{
    top_ = caret_ = 0;
    anchor_ = -1;
    CView::OnInitialUpdate();
}

void CSourceView::OnUpdate(CView*, LPARAM, CObject*)
{
    UpdateScroll();
    Invalidate();
}

int CSourceView::PageRows() const
{
    RECT r;
    GetClientRect(&r);
    SIZE cell = GetHost() ? GetHost()->CellSize() : SIZE{8, 16};
    return std::max<int>(1, r.Height() / std::max<int>(1, cell.cy));
}

void CSourceView::UpdateScroll()
{
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    si.nMin = 0;
    si.nMax = GetDocument() ? std::max<int>(0, static_cast<int>(GetDocument()->lines.size()) - 1) : 0;
    si.nPage = static_cast<UINT>(PageRows());
    si.nPos = top_;
    SetScrollInfo(SB_VERT, si);
    top_ = GetScrollPos(SB_VERT);
}

void CSourceView::ScrollTo(int line)
{
    int lines = GetDocument() ? static_cast<int>(GetDocument()->lines.size()) : 0;
    top_ = std::clamp(line, 0, std::max(0, lines - PageRows()));
    UpdateScroll();
    Invalidate();
}

void CSourceView::MoveCaret(int line, bool extend)
{
    int lines = GetDocument() ? static_cast<int>(GetDocument()->lines.size()) : 0;
    line = std::clamp(line, 0, std::max(0, lines - 1));
    if (extend && anchor_ < 0)
        anchor_ = caret_;
    if (!extend)
        anchor_ = -1;
    caret_ = line;
    if (caret_ < top_)
        ScrollTo(caret_);
    else if (caret_ >= top_ + PageRows())
        ScrollTo(caret_ - PageRows() + 1);
    Invalidate();
}

void CSourceView::OnKeyDown(UINT vk, UINT, UINT)
{
    bool shift = IsKeyDown(VK_SHIFT);
    switch (vk) {
    case VK_DOWN: MoveCaret(caret_ + 1, shift); break;
    case VK_UP: MoveCaret(caret_ - 1, shift); break;
    case VK_NEXT: MoveCaret(caret_ + PageRows(), shift); break;
    case VK_PRIOR: MoveCaret(caret_ - PageRows(), shift); break;
    case VK_HOME: MoveCaret(0, shift); break;
    case VK_END: MoveCaret(1 << 30, shift); break;
    default: break;
    }
}

void CSourceView::OnVScroll(UINT code, UINT pos)
{
    switch (code) {
    case SB_LINEDOWN: ScrollTo(top_ + 1); break;
    case SB_LINEUP: ScrollTo(top_ - 1); break;
    case SB_PAGEDOWN: ScrollTo(top_ + PageRows()); break;
    case SB_PAGEUP: ScrollTo(top_ - PageRows()); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(1 << 30); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 16-bit position of the message is not enough for long files.
        SCROLLINFO si;
        GetScrollInfo(SB_VERT, &si, SIF_TRACKPOS);
        ScrollTo(si.nTrackPos);
        break;
    }
    default: break;
    }
}

void CSourceView::OnSize(UINT, int, int)
{
    UpdateScroll();
}

void CSourceView::OnLButtonDown(UINT, POINT point)
{
    SIZE cell = GetHost() ? GetHost()->CellSize() : SIZE{8, 16};
    MoveCaret(top_ + point.y / std::max<int>(1, cell.cy), false);
}

void CSourceView::OnContextMenu(POINT point)
{
    contextPoint = point;
    if (point.x == -1 && point.y == -1)
        point = {0, 0};
    auto popup = BuildMenu({{"&Run\tF5", ID_DEMO_RUN},
                            {"&Build\tCtrl+B", ID_DEMO_BUILD},
                            {},
                            {"&Copy", ID_EDIT_COPY},
                            {"Toggle &Breakpoint\tF9", ID_DEMO_BREAK}});
    contextChoice =
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, AfxGetMainWnd());
    if (contextChoice)
        AfxGetMainWnd()->SendMessage(WM_COMMAND, contextChoice, 0);
}

CellRow CSourceView::MakeRow(int line, int screenRow, bool selection) const
{
    CellRow row;
    row.row = screenRow;
    const auto& lines = GetDocument()->lines;
    // Block comments carry over lines: the state at the line's start.
    bool inComment = false;
    for (int i = 0; i < line; ++i)
        Tokens(lines[static_cast<size_t>(i)], inComment);
    row.runs = Tokens(lines[static_cast<size_t>(line)], inComment);
    row.lineNumber = std::to_string(line + 1);
    if (line == pcLine) {
        row.fills.push_back({0, -1, Current});
        for (auto& r : row.runs)
            r.format = Current;
        row.icons.push_back({0, CellIcon::ProgramCounter});
    }
    if (std::find(breakpoints_.begin(), breakpoints_.end(), line) != breakpoints_.end())
        row.icons.insert(row.icons.begin(), {0, CellIcon::Breakpoint});
    if (selection && anchor_ >= 0 && anchor_ != caret_) {
        int from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
        if (line >= from && line < to)
            row.inverted.push_back({0, -1});
    }
    return row;
}

bool CSourceView::GetCellPaint(int firstRow, int rows, CellPaint& paint)
{
    if (!GetDocument())
        return false;
    SIZE cell = GetHost() ? GetHost()->CellSize() : SIZE{8, 16};
    paint.formats = Formats();
    paint.margin = kMarginCells * cell.cx;
    const auto& lines = GetDocument()->lines;
    for (int i = 0; i < rows && firstRow + i < static_cast<int>(lines.size()); ++i)
        paint.rows.push_back(MakeRow(firstRow + i, i, true));
    return true;
}

CellPaint CSourceView::PagePaint(int firstLine, int rows) const
{
    CellPaint paint;
    paint.formats = Formats();
    paint.margin = kMarginCells * 8;
    const auto& lines = GetDocument()->lines;
    for (int i = 0; i < rows && firstLine + i < static_cast<int>(lines.size()); ++i)
        paint.rows.push_back(MakeRow(firstLine + i, i, false));
    return paint;
}

DWORD CSourceView::OnDragOver(const std::string& text, DWORD, POINT)
{
    return text.empty() ? DROPEFFECT_NONE : DROPEFFECT_COPY;
}

BOOL CSourceView::OnDrop(const std::string& text, DWORD, POINT point)
{
    CSourceDoc* doc = GetDocument();
    if (!doc || text.empty())
        return FALSE;
    SIZE cell = GetHost() ? GetHost()->CellSize() : SIZE{8, 16};
    size_t at =
        std::min(doc->lines.size(), static_cast<size_t>(std::max(0, top_ + point.y / std::max<int>(1, cell.cy))));
    std::vector<std::string> dropped;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        dropped.push_back(ExpandTabs(text.substr(pos, end - pos)));
        pos = end + 1;
    }
    doc->lines.insert(doc->lines.begin() + static_cast<long>(at), dropped.begin(), dropped.end());
    doc->SetModifiedFlag();
    doc->UpdateAllViews(nullptr);
    return TRUE;
}

BOOL CSourceView::OnPreparePrinting(CPrintInfo*)
{
    return GetDocument() != nullptr;
}

void CSourceView::OnBeginPrinting(CDC*, CPrintInfo* info)
{
    // A header line and a gap, then the rows that fit.
    linesPerPage_ = std::max<int>(1, info->m_rectDraw.Height() / std::max<int>(1, info->m_cell.cy) - 2);
    int lines = static_cast<int>(GetDocument()->lines.size());
    info->SetMaxPage(static_cast<UINT>(std::max(1, (lines + linesPerPage_ - 1) / linesPerPage_)));
}

void CSourceView::OnPrint(CDC* dc, CPrintInfo* info)
{
    int page = static_cast<int>(info->m_nCurPage);
    dc->SetTextColor(RGB(0, 0, 0));
    dc->TextOut(0, 0, GetDocument()->GetTitle() + " - Page " + std::to_string(page));
    CellPaint paint = PagePaint((page - 1) * linesPerPage_, linesPerPage_);
    paint.margin = kMarginCells * info->m_cell.cx;
    paint.columns = std::max<int>(1, (info->m_rectDraw.Width() - paint.margin) / std::max<int>(1, info->m_cell.cx));
    dc->DrawCells(0, 2 * info->m_cell.cy, std::move(paint));
}

// --- Frames -----------------------------------------------------------------

BOOL CSourceChild::OnCreateClient(CCreateContext* context)
{
    return splitter.Create(this, 2, 1, {10, 10}, context);
}

CDemoMainFrame::CDemoMainFrame()
{
    OnCommand(ID_DEMO_RUN, [this] {
        running = !running;
        log.push_back(running ? "run" : "stop");
    });
    OnUpdate(ID_DEMO_RUN, [this](CCmdUI* ui) {
        if (ui->m_pMenu)
            ui->SetText(running ? "&Stop\tF5" : "&Run\tF5");
    });
    OnCommand(ID_DEMO_BUILD, [this] { log.push_back("build"); });
    OnUpdate(ID_DEMO_BUILD, [this](CCmdUI* ui) { ui->Enable(!running); });
    OnCommand(ID_DEMO_OPTIONS, [this] {
        log.push_back("options");
        if (auto* app = dynamic_cast<CDemoApp*>(AfxGetApp()))
            app->options.DoModal();
    });
    OnCommand(ID_DEMO_SHEET, [this] {
        log.push_back("sheet");
        CPropertySheet sheet("Settings", this);
        CViewPage view;
        CTargetPage target;
        sheet.AddPage(&view);
        sheet.AddPage(&target);
        sheet.DoModal();
    });
    OnCommand(ID_DEMO_TOGGLE, [this] { toggled = !toggled; });
    OnUpdate(ID_DEMO_TOGGLE, [this](CCmdUI* ui) { ui->SetCheck(toggled); });
    OnCommandRange(33000, 33119, [this](UINT id) { log.push_back("tool " + std::to_string(id - 33000 + 1)); });
    OnCommand(ID_APP_ABOUT, [this] { AfxMessageBox("Window Demo"); });
}

int CDemoMainFrame::OnCreate()
{
    if (!toolBar.Create(this, AFX_IDW_TOOLBAR))
        return -1;
    if (auto ids = resources::LoadToolBar(IDR_MAINFRAME))
        toolBar.SetButtons(*ids);
    if (!statusBar.Create(this))
        return -1;
    statusBar.SetIndicators({ID_SEPARATOR, ID_INDICATOR_LINE, ID_INDICATOR_CAPS, ID_INDICATOR_NUM});
    statusBar.SetPaneText(0, "Ready");
    SetTimer(1, 1000);
    return 0;
}

void CDemoMainFrame::OnTimer(UINT_PTR id)
{
    if (id == 1)
        log.push_back("tick");
}

// --- Dialogs -------------------------------------------------------------------

COptionsDlg::COptionsDlg() : CDialog(IDD_OPTIONS) {}

BOOL COptionsDlg::OnInitDialog()
{
    for (const char* s : {"Slow", "Normal", "Fast"})
        Items().AddString(IDC_SPEED, s);
    for (const char* s : {"main.c", "queue.c", "format.c"})
        Items().AddString(IDC_FILES, s);
    return CDialog::OnInitDialog();
}

void COptionsDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_NAME, name);
    DDV_MaxChars(dx, name, 64);
    DDX_TextHex(dx, IDC_ADDRESS, address);
    DDX_Check(dx, IDC_VERBOSE, verbose);
    DDX_Radio(dx, IDC_ARM, mode);
    DDX_CBIndex(dx, IDC_SPEED, speed);
    DDX_LBIndex(dx, IDC_FILES, file);
}

CViewPage::CViewPage() : CPropertyPage(IDD_PAGE_VIEW, "View") {}

void CViewPage::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_TABS, tabs);
    DDV_MinMaxInt(dx, tabs, 1, 16);
}

CTargetPage::CTargetPage() : CPropertyPage(IDD_PAGE_TARGET, "Target") {}

void CTargetPage::DoDataExchange(CDataExchange* dx)
{
    DDX_TextHex(dx, IDC_ADDRESS, address);
}

// --- Application -------------------------------------------------------------------

CDemoApp::CDemoApp() : CWinApp("Window Demo") {}

BOOL CDemoApp::InitInstance()
{
    RegisterResources();
    SetRegistryKey("Zelkor Demo");
    LoadStdProfileSettings(4);
    sourceTemplate = new CMultiDocTemplate(IDR_SOURCE, RUNTIME_CLASS(CSourceDoc), RUNTIME_CLASS(CSourceChild),
                                           RUNTIME_CLASS(CSourceView));
    sourceTemplate->SetFilter(".c", "C Files (*.c)");
    AddDocTemplate(sourceTemplate);
    return MakeMainFrame(*this) != nullptr;
}

CDemoMainFrame* MakeMainFrame(CDemoApp& app)
{
    auto* frame = new CDemoMainFrame;
    if (!frame->LoadFrame(IDR_MAINFRAME))
        return nullptr;
    app.m_pMainWnd = frame;
    return frame;
}

}  // namespace guidemo
