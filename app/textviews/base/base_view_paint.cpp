// Painting and printing of the text views: the engine's paint record turned
// into the window layer's cell rows, on the screen and on printed pages.
#include <algorithm>
#include <map>

#include "base_view.h"
#include "shell/settings.h"

namespace {

inline constexpr COLORREF kScrollBarColour = RGB(212, 208, 200);  // COLOR_SCROLLBAR

platform::CellIcon IconOf(int resource, bool& known)
{
    known = true;
    switch (resource) {
    case 139: return platform::CellIcon::Bookmark;
    case 161: return platform::CellIcon::ProgramCounter;
    case 202: return platform::CellIcon::CursorLink;
    case 160: return platform::CellIcon::Breakpoint;
    case 243: return platform::CellIcon::DisabledBreakpoint;
    case 241:
    case 242: return platform::CellIcon::UnitBreakpoint;
    case 20011:
    case 20012: return platform::CellIcon::DisabledUnitBreakpoint;
    default: known = false; return platform::CellIcon::Error;
    }
}

// One byte per cell for the cell painter: a character of Latin-1 as itself,
// any other as '?'.
std::string CellBytes(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (i + length > utf8.size())
            length = 1;
        unsigned code = length == 2 ? ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) : 0x100;
        out.push_back(length > 1 && code < 0x100 ? static_cast<char>(code) : '?');
        i += length;
    }
    return out;
}

}  // namespace

CellPaint CBaseView::MakeCellPaint(const textcore::TextPaint& paint) const
{
    CellPaint cells;
    const int cw = std::max(paint.cellWidth, 1);
    const int lh = std::max(paint.lineHeight, 1);
    cells.firstColumn = firstColumn;
    cells.margin = leftMargin;
    cells.formats.clear();
    for (const auto& pair : theSettings.FormatColors)
        cells.formats.push_back({pair.fore, pair.back});
    cells.marginColors = cells.formats[0];
    cells.stripWidth = colourMode == TCM_OUTPUT ? 0 : kMarginConstant;
    cells.stripColor = kScrollBarColour;
    cells.lineNumberX = kMarginConstant;
    std::map<int, CellRow> rows;
    auto rowOf = [&](int row) -> CellRow& {
        CellRow& r = rows[row];
        r.row = row;
        return r;
    };
    auto columnOf = [&](int x) { return (x - leftMargin) / cw + firstColumn; };
    for (const auto& run : paint.runs) {
        int format = run.formatClass;
        if (run.textColourSet) {
            // Error lines: the text colour replaced on the class's background.
            cells.formats.push_back({run.textColour, cells.Colors(run.formatClass).bg});
            format = static_cast<int>(cells.formats.size()) - 1;
        }
        rowOf(run.row).runs.push_back({columnOf(run.x), CellBytes(run.text), format});
    }
    for (const auto& invert : paint.inverts)
        rowOf(invert.row).inverted.push_back({columnOf(invert.rect.x), (invert.rect.width + cw - 1) / cw});
    for (const auto& icon : paint.icons) {
        bool known = false;
        platform::CellIcon kind = IconOf(icon.icon, known);
        if (known)
            rowOf(icon.row).icons.push_back({icon.x / cw, kind});
    }
    for (const auto& number : paint.lineNumbers)
        rowOf(number.row).lineNumber = number.text;
    // Rows below the last line are empty cells of pair 0 (the fills say so).
    for (const auto& fill : paint.fills) {
        const int first = (fill.rect.y - topOffset) / lh;
        const int last = (fill.rect.y + fill.rect.height - 1 - topOffset) / lh;
        for (int row = std::max(first, 0); row <= last && row < 200; ++row)
            rowOf(row);
    }
    for (auto& [index, row] : rows)
        cells.rows.push_back(std::move(row));
    return cells;
}

bool CBaseView::GetCellPaint(int firstRow, int rows, CellPaint& paint)
{
    textcore::TextPaint record;
    PaintRows(record, firstRow, rows);
    paint = MakeCellPaint(record);
    return true;
}

void CBaseView::OnDraw(CDC* dc)
{
    if (!dc)
        return;
    if (!dc->IsPrinting()) {
        CellPaint paint;
        GetCellPaint(0, linesPerPage, paint);
        dc->DrawCells(0, topOffset, std::move(paint));
        return;
    }
    textcore::TextPaint record;
    PaintPrintPage(record, currentPrintPage_, paging_, printLineHeight_);
    // Printed pages have no icon strip; the paint record's x already holds
    // the page's left margin.
    const int savedMargin = leftMargin;
    const int savedFirst = firstColumn;
    leftMargin += paging_.offsetX;
    firstColumn = 0;
    CellPaint paint = MakeCellPaint(record);
    paint.stripWidth = 0;
    paint.lineNumberX = paging_.offsetX + kMarginConstant;
    paint.marginColors = paint.formats[0];
    leftMargin = savedMargin;
    firstColumn = savedFirst;
    dc->DrawCells(0, paging_.offsetY, std::move(paint));
}

// --- the print protocol ----------------------------------------------------

// The window layer's standard preparation: the host that prints has chosen
// the printer (and shown its dialog) already.
BOOL CBaseView::OnPreparePrinting(CPrintInfo* info)
{
    return info != nullptr && CView::OnPreparePrinting(info);
}

void CBaseView::OnBeginPrinting(CDC* dc, CPrintInfo* info)
{
    if (!info)
        return;
    // The host made the print font from the screen font scaled to the
    // printer: its cell is the print line height and character width.
    printLineHeight_ = std::max<int>(1, info->m_cell.cy);
    savedCharWidth_ = charWidth;
    charWidth = std::max<int>(1, info->m_cell.cx);
    spaceWidth = charWidth;
    ComputeMargin(true);
    const int dpi = std::max(info->m_dpi, 1);
    paging_ = textcore::PrintPaging::Compute(info->m_rectDraw.Width(), info->m_rectDraw.Height(), dpi, dpi,
                                             printLineHeight_, LineCount());
    info->SetMaxPage(static_cast<UINT>(paging_.lastPage));
    currentPrintPage_ = static_cast<int>(info->m_nCurPage);
}

void CBaseView::OnPrepareDC(CDC* dc, CPrintInfo* info)
{
    CView::OnPrepareDC(dc, info);
    if (dc && dc->IsPrinting() && info)
        currentPrintPage_ = static_cast<int>(info->m_nCurPage);
}

void CBaseView::OnPrint(CDC* dc, CPrintInfo* info)
{
    if (info)
        currentPrintPage_ = static_cast<int>(info->m_nCurPage);
    OnDraw(dc);
}

void CBaseView::OnEndPrinting(CDC* dc, CPrintInfo* info)
{
    if (savedCharWidth_ > 0) {
        charWidth = savedCharWidth_;
        spaceWidth = charWidth;
    }
    savedCharWidth_ = 0;
    ComputeMargin(false);
}
