// The paint model of the text views: for the exposed rows, the fills, margin
// icons, line numbers, coloured text runs and inverted selection that the
// window layer draws.
#include <algorithm>
#include <cstdio>

#include "syntax_lexer.h"
#include "text_columns.h"
#include "text_view_core.h"

namespace textcore {

namespace {

constexpr int kIconBookmark = 139;
constexpr int kIconPc = 161;
constexpr int kIconCursorLink = 202;
constexpr std::uint32_t kErrorRed = 0x0000FF;  // COLORREF of RGB(255, 0, 0)

int BreakpointIcon(int mark)
{
    static constexpr int kIcons[] = {0, 243, 160, 20012, 241, 20011, 242};
    return mark >= 1 && mark <= 6 ? kIcons[mark] : 0;
}

std::string FileNamePart(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameNameNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool ModeHasBookmarks(TextColourMode mode)
{
    return mode == 0 || mode == 1 || mode == 5 || mode == 6 || mode == 7 || mode == 9;
}

bool ModeHasSourceMarks(TextColourMode mode)
{
    return mode == 0 || mode == 5 || mode == 6 || mode == 7 || mode == 9;
}

}  // namespace

bool& LineTruncationFlag()
{
    static bool truncated = false;
    return truncated;
}

struct PaintContext {
    LexerState lexer;
    TextPos selFirst;
    TextPos selLast;
    bool hasSelection = false;
    std::intptr_t module = 0;
    std::string documentName;
    PcLocation pc;
    bool pcInDocument = false;
    bool cursorLink = false;
    const char* lineNumberFormat = nullptr;
    bool printing = false;
    int firstCell = 0;   // first visible cell
    int lastCell = 0;    // cells at or right of this are not drawn
    int textOrigin = 0;  // x of cell 0 of a line
};

bool TextViewCore::IsInsideBlockComment(int line) const
{
    if (colourMode == TCM_DISASSEMBLY || colourMode == TCM_MIXED || colourMode == TCM_OUTPUT)
        return false;
    if (line <= 0 || line >= LineCount())
        return false;
    return buffer_->IsInsideBlockCommentScan(static_cast<std::size_t>(line));
}

void TextViewCore::BeginPaint(PaintContext& context, int firstLine)
{
    context.hasSelection = HasSelection();
    context.selFirst = std::min(selStart, selEnd);
    context.selLast = std::max(selStart, selEnd);
    if (ModeHasSourceMarks(colourMode) && services_.HasDocument()) {
        context.documentName = FileNamePart(services_.DocumentPath());
        context.module = services_.FindModuleOfFile(context.documentName);
    }
    if (!context.printing) {
        context.pc = services_.GetPcLocation();
        context.pcInDocument = !context.documentName.empty() && context.pc.line >= 0 &&
            SameNameNoCase(FileNamePart(context.pc.sourcePath), context.documentName);
        context.cursorLink = services_.CursorLink();
    }
    if (ModeHasBookmarks(colourMode) && services_.ShowLineNumbers())
        context.lineNumberFormat = GetLineNumberFormat();
    context.lexer.outsideBlockComment = !IsInsideBlockComment(firstLine);
}

void TextViewCore::PaintLine(TextPaint& paint, int row, int line, int y, PaintContext& context)
{
    std::string_view text = LineText(line);
    // The painter shows at most 255 characters of a line.
    if (text.size() > static_cast<std::size_t>(kMaxLineLength) && CharCount(text) > kMaxLineLength) {
        text = text.substr(0, static_cast<std::size_t>(CharCountToColumn(text, kMaxLineLength)));
        LineTruncationFlag() = true;
    }
    const int right = context.printing ? leftMargin + columnsPerPage * charWidth : clientWidth;
    const int textEnd = std::max(leftMargin, TextPosToX(static_cast<int>(text.size()), text));
    if (right > textEnd)
        paint.fills.push_back({{textEnd, y, right - textEnd, lineHeight}, FC_TEXT, -1});

    if (!context.printing) {
        int value = 0;
        if (ModeHasBookmarks(colourMode) && GetBookmarkAtLine(line, value))
            paint.icons.push_back({row, 0, y, kIconBookmark});
        if (ModeHasSourceMarks(colourMode)) {
            ADDR start;
            ADDR end;
            if (context.module != 0 && services_.GetLineAddrRange(line + 1, context.module, start, end)) {
                if (const int icon = BreakpointIcon(services_.FindBreakpointMark(start)))
                    paint.icons.push_back({row, 0, y, icon});
            }
            if (context.pcInDocument && line == context.pc.line - 1)
                paint.icons.push_back({row, 0, y, kIconPc});
            if (context.cursorLink && markedPosition == line + 1)
                paint.icons.push_back({row, 0, y, kIconCursorLink});
        } else if (colourMode == TCM_DISASSEMBLY || colourMode == TCM_MIXED) {
            std::size_t cut = text.find(' ');
            if (cut == std::string_view::npos)
                cut = text.find('\t');
            ADDR address;
            if (cut != std::string_view::npos && services_.TextToAddr(std::string(text.substr(0, cut)), address)) {
                if (const int icon = BreakpointIcon(services_.FindBreakpointMark(address)))
                    paint.icons.push_back({row, 0, y, icon});
                if (address.off == context.pc.address && text.front() != ' ' && text.front() != '\t')
                    paint.icons.push_back({row, 0, y, kIconPc});
                if (context.cursorLink && markedPosition != -1) {
                    // The code field: after the address, trimmed, up to a double blank.
                    std::string_view code = text.substr(cut);
                    const std::size_t begin = code.find_first_not_of(" \t");
                    code = begin == std::string_view::npos ? std::string_view() : code.substr(begin);
                    code = code.substr(0, code.find("  "));
                    const long digits = static_cast<long>(std::count_if(code.begin(), code.end(), [](char ch) {
                        return std::isxdigit(static_cast<unsigned char>(ch)) != 0;
                    }));
                    const long from = static_cast<long>(address.off);
                    if (markedPosition >= from && markedPosition < from + digits / 2) {
                        markedPosition = from;
                        paint.icons.push_back({row, 0, y, kIconCursorLink});
                    }
                }
            }
        }
    }
    if (context.lineNumberFormat) {
        char number[64];
        std::snprintf(number, sizeof number, context.lineNumberFormat, line + 1);
        paint.lineNumbers.push_back({row,
                                     kMarginConstant,
                                     y,
                                     number,
                                     {kMarginConstant, y, std::max(0, leftMargin - kMarginConstant), lineHeight}});
    }
    if (text.empty())
        return;

    const bool wholeSelected = context.hasSelection && line > context.selFirst.line && line < context.selLast.line;
    const bool errorLine = colourMode == TCM_OUTPUT && IsErrorLine(std::string(text));
    // Runs in cells from the text origin, tabs expanded; cells left of the
    // first visible column and right of the page are left out.
    int cell = 0;
    auto addRun = [&](std::string_view piece, FormatClass formatClass) {
        PaintRun run;
        run.row = row;
        run.y = y;
        run.formatClass = formatClass == FC_NONE ? FC_TEXT : formatClass;
        if (errorLine) {
            run.textColourSet = true;
            run.textColour = kErrorRed;
        }
        int startCell = -1;
        for (std::size_t pos = 0; pos < piece.size();) {
            const std::size_t length = CharLength(piece, pos);
            const int width = piece[pos] == '\t' ? (cell / kTabWidth + 1) * kTabWidth - cell : 1;
            for (int i = 0; i < width; ++i, ++cell) {
                if (cell < context.firstCell || cell >= context.lastCell)
                    continue;
                if (startCell < 0)
                    startCell = cell;
                if (piece[pos] == '\t')
                    run.text.push_back(' ');
                else if (i == 0)
                    run.text.append(piece.substr(pos, length));
                ++run.cells;
            }
            pos += length;
            if (cell >= context.lastCell)
                break;
        }
        if (run.cells > 0) {
            run.x = context.textOrigin + startCell * charWidth;
            paint.runs.push_back(std::move(run));
        }
    };
    if (wholeSelected) {
        addRun(text, FC_TEXT);
    } else {
        CSyntaxLexer lexer(text, colourMode, context.lexer, [this] { return services_.CompilerKind(); });
        lexer.Parse();
        for (const CColourSpan& span : lexer.Spans()) {
            if (!span.text.empty())
                addRun(span.text, span.formatClass);
            if (cell >= context.lastCell)
                break;
        }
    }
    // The selected cells of the line, inverted after the runs.
    if (context.hasSelection && line >= context.selFirst.line && line <= context.selLast.line) {
        const int from = line == context.selFirst.line ? CellOfColumn(text, context.selFirst.column) : 0;
        const int to = line == context.selLast.line
            ? CellOfColumn(text, std::min<int>(context.selLast.column, static_cast<int>(text.size())))
            : CellOfColumn(text, static_cast<int>(text.size()));
        const int a = std::max(from, context.firstCell);
        const int b = std::min(to, context.lastCell);
        if (b > a)
            paint.inverts.push_back({row, {context.textOrigin + a * charWidth, y, (b - a) * charWidth, lineHeight}});
    }
}

void TextViewCore::PaintRows(TextPaint& paint, int firstRow, int rowCount)
{
    paint.Clear();
    paint.cellWidth = charWidth;
    paint.lineHeight = lineHeight;
    firstRow = std::max(firstRow, 0);
    const int endRow = std::min(firstRow + rowCount, linesPerPage);
    const int bandTop = topOffset + firstRow * lineHeight;
    const int bandBottom =
        rowCount >= linesPerPage - firstRow ? std::max(clientHeight, bandTop) : topOffset + endRow * lineHeight;
    const int stripWidth = colourMode == TCM_OUTPUT ? 0 : kMarginConstant;
    if (stripWidth > 0)
        paint.fills.push_back({{0, bandTop, stripWidth, bandBottom - bandTop}, FC_TEXT, COLOR_SCROLLBAR});

    PaintContext context;
    context.textOrigin = leftMargin - firstColumn * charWidth;
    context.firstCell = firstColumn;
    context.lastCell = firstColumn + columnsPerPage + 1;
    BeginPaint(context, topLine + firstRow);
    int row = firstRow;
    for (; row < endRow && topLine + row < LineCount(); ++row)
        PaintLine(paint, row, topLine + row, topOffset + row * lineHeight, context);
    // Below the last line, down to the bottom of the window (also below the
    // 100th row of a tall window).
    const int fillTop = topOffset + row * lineHeight;
    if (bandBottom > fillTop)
        paint.fills.push_back(
            {{stripWidth, fillTop, std::max(0, clientWidth - stripWidth), bandBottom - fillTop}, FC_TEXT, -1});
}

void TextViewCore::PaintPrintPage(TextPaint& paint, int page, const PrintPaging& paging, int printLineHeight)
{
    paint.Clear();
    const int savedHeight = lineHeight;
    const int savedColumns = columnsPerPage;
    const int savedFirst = firstColumn;
    lineHeight = printLineHeight;
    firstColumn = 0;
    if (charWidth > 0)
        columnsPerPage = std::max(1, (paging.printableWidth - leftMargin) / charWidth);
    paint.cellWidth = charWidth;
    paint.lineHeight = lineHeight;
    PaintContext context;
    context.printing = true;
    context.textOrigin = paging.offsetX + leftMargin;
    context.firstCell = 0;
    context.lastCell = columnsPerPage + 1;
    const int first = paging.FirstLineOfPage(page);
    BeginPaint(context, first);
    int row = 0;
    for (int line = first; line < LineCount() && row < paging.linesPerPage; ++line) {
        const PrintLineAction action =
            FilterPrintLine(LineText(line), printRangeOn, printFirstAddress, printLastAddress);
        if (action == PrintLineAction::Stop)
            break;
        if (action == PrintLineAction::Skip)
            continue;
        const std::size_t before = paint.fills.size();
        PaintLine(paint, row, line, paging.offsetY + row * lineHeight, context);
        for (std::size_t i = before; i < paint.fills.size(); ++i)
            paint.fills[i].rect.x += paging.offsetX;
        if (!paint.lineNumbers.empty() && paint.lineNumbers.back().row == row) {
            paint.lineNumbers.back().x += paging.offsetX;
            paint.lineNumbers.back().clip.x += paging.offsetX;
        }
        ++row;
    }
    lineHeight = savedHeight;
    columnsPerPage = savedColumns;
    firstColumn = savedFirst;
}

}  // namespace textcore
