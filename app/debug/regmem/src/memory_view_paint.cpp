// CMemoryView's page as a paint record: the heading row, then the data rows
// (address, cells, ASCII) or the disassembly rows (address, opcode,
// instruction). A value that differs from the previous read is red.
#include <algorithm>
#include <cstdio>

#include "regmem/memory_view.h"

namespace regmem {

namespace {

std::string Centred(const std::string& text, int width)
{
    const int pad = std::max(0, (width - static_cast<int>(text.size())) / 2);
    return std::string(static_cast<size_t>(pad), ' ') + text;
}

std::string Hex8(uint32_t v)
{
    char t[12];
    std::snprintf(t, sizeof t, "%08X", v);
    return t;
}

}  // namespace

bool CMemoryView::GetCellPaint(int, int, CellPaint& paint)
{
    paint.formats = {{textColor, background}, {RGB(255, 0, 0), background}, {textColor, RGB(224, 224, 224)}};
    paint.margin = 4;
    paint.rows.clear();
    if (format == Format::Disassembly)
        PaintDisassembly(paint);
    else
        PaintData(paint);
    return true;
}

void CMemoryView::PaintData(CellPaint& paint) const
{
    const CellLayout layout = LayoutOf(format, unit, divisor);
    const int size = UnitSize(unit);
    const int bpr = BytesPerRow();
    const int asciiColumn = kDataColumn + layout.cells * layout.width + 2;
    CellRow head;
    head.row = 0;
    head.fills.push_back({0, -1, kPaintHeading});
    head.runs.push_back({0, "Address  ", kPaintHeading});
    for (int c = 0; c < layout.cells; ++c) {
        char label[12];
        std::snprintf(label, sizeof label, "%X", c * size);
        head.runs.push_back({kDataColumn + c * layout.width, Centred(label, layout.width), kPaintHeading});
    }
    if (ascii)
        head.runs.push_back({asciiColumn, "ASCII", kPaintHeading});
    paint.rows.push_back(std::move(head));

    for (int r = 1; r < PageRows(); ++r) {
        CellRow row;
        row.row = r;
        const uint64_t rowAddress = uint64_t{top_} + static_cast<uint64_t>(r - 1) * static_cast<uint64_t>(bpr);
        if (rowAddress > last_) {
            paint.rows.push_back(std::move(row));
            continue;
        }
        const uint32_t base = static_cast<uint32_t>(rowAddress);
        row.runs.push_back({0, Hex8(base), kPaintText});
        std::string asciiText;
        for (int c = 0; c < layout.cells; ++c) {
            const uint64_t a = rowAddress + static_cast<uint64_t>(c * size);
            uint32_t value = 0, old = 0;
            if (a + static_cast<uint64_t>(size) - 1 > last_ || !ValueAt(static_cast<uint32_t>(a), size, value))
                continue;  // past the space: blank
            const bool changed = PreviousValueAt(static_cast<uint32_t>(a), size, old) && old != value;
            row.runs.push_back({kDataColumn + c * layout.width, Centred(ValueText(format, unit, value), layout.width),
                                changed ? kPaintChanged : kPaintText});
        }
        if (ascii) {
            for (int b = 0; b < bpr; ++b) {
                uint32_t v = 0;
                const uint64_t a = rowAddress + static_cast<uint64_t>(b);
                asciiText +=
                    a <= last_ && ValueAt(static_cast<uint32_t>(a), 1, v) ? AsciiChar(static_cast<uint8_t>(v)) : ' ';
            }
            row.runs.push_back({asciiColumn, asciiText, kPaintText});
        }
        if (caret_.row == base / static_cast<uint32_t>(bpr)) {
            if (caret_.pane == AsciiPane && ascii) {
                row.inverted.push_back({asciiColumn + caret_.cell, 1});
            } else if (caret_.pane == DataPane) {
                const int len = static_cast<int>(ValueText(format, unit, 0).size());
                const int pad = std::max(0, (layout.width - len) / 2);
                row.inverted.push_back({kDataColumn + caret_.cell * layout.width + pad + caret_.position, 1});
            }
        }
        paint.rows.push_back(std::move(row));
    }
}

void CMemoryView::PaintDisassembly(CellPaint& paint) const
{
    CellRow head;
    head.row = 0;
    head.fills.push_back({0, -1, kPaintHeading});
    head.runs.push_back({0, "Addr", kPaintHeading});
    head.runs.push_back({kDataColumn, "OP code", kPaintHeading});
    head.runs.push_back({kInstrColumn, "Instruction", kPaintHeading});
    paint.rows.push_back(std::move(head));
    for (int r = 1; r < PageRows(); ++r) {
        CellRow row;
        row.row = r;
        const size_t i = static_cast<size_t>(r - 1);
        if (i < dis_.size() && dis_[i].address <= last_) {
            row.runs.push_back({0, Hex8(dis_[i].address), kPaintText});
            row.runs.push_back({kDataColumn, dis_[i].opcode.substr(0, kOpcodeWidth), kPaintText});
            row.runs.push_back({kInstrColumn, dis_[i].text.substr(0, kInstrTextMax), kPaintText});
        }
        paint.rows.push_back(std::move(row));
    }
}

}  // namespace regmem
