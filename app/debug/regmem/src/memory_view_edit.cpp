// CMemoryView's caret and in-place editing: typed characters become a value
// of the cell's unit, checked against its range, and are written to the
// target in its byte order.
#include <algorithm>

#include "emu_messages.h"
#include "regmem/debug_services.h"
#include "regmem/memory_view.h"
#include "talvis/talvis.h"

namespace regmem {

uint32_t CMemoryView::CaretAddress() const
{
    const uint32_t base = caret_.row * static_cast<uint32_t>(BytesPerRow());
    return base + static_cast<uint32_t>(caret_.pane == AsciiPane ? caret_.cell : caret_.cell * UnitSize(unit));
}

void CMemoryView::SetCaretAddress(uint32_t address)
{
    const uint32_t bpr = static_cast<uint32_t>(BytesPerRow());
    caret_.row = address / bpr;
    const int byte = static_cast<int>(address % bpr);
    caret_.cell = caret_.pane == AsciiPane ? byte : byte / UnitSize(unit);
    caret_.position = 0;
    editText_.clear();
}

void CMemoryView::KeepCaretOnPage()
{
    const uint32_t bpr = static_cast<uint32_t>(BytesPerRow());
    const int64_t topRow = top_ / bpr;
    const int64_t rows = std::max(1, PageRows() - 2);  // whole data rows
    if (caret_.row < topRow)
        ScrollRows(static_cast<int64_t>(caret_.row) - topRow);
    else if (caret_.row >= topRow + rows)
        ScrollRows(static_cast<int64_t>(caret_.row) - (topRow + rows) + 1);
    Invalidate();
}

void CMemoryView::AdvanceCaret()
{
    const int lastChar = caret_.pane == AsciiPane ? 0 : LastCharIndex(format, unit);
    const int cells = caret_.pane == AsciiPane ? BytesPerRow() : LayoutOf(format, unit, divisor).cells;
    if (++caret_.position <= lastChar)
        return KeepCaretOnPage();
    caret_.position = 0;
    editText_.clear();
    if (++caret_.cell < cells)
        return KeepCaretOnPage();
    const uint64_t nextRow = (uint64_t{caret_.row} + 1) * static_cast<uint64_t>(BytesPerRow());
    if (nextRow > last_) {
        caret_.cell = cells - 1;
        caret_.position = lastChar;
        WarningBeep();
        return;
    }
    caret_.cell = 0;
    ++caret_.row;
    KeepCaretOnPage();
}

void CMemoryView::WriteTyped(uint32_t address, const uint8_t* bytes, int size)
{
    const int r = MemWriteBlock({address, space}, bytes, static_cast<uint32_t>(size), size);
    if (r != 0) {
        if (r == EMU_TARGET_LOST)
            Services().ReportTargetConnectionLost();
        WarningBeep();
        return;
    }
    if (autoUpdate) {
        UpdateViews(DVK_MEMORY1, 1);
        for (int kind : {DVK_WATCH, DVK_CALL_STACK, DVK_AUX_WINDOW, DVK_CODE_VIEWS})
            UpdateViews(kind);
    }
    // The page shows what was written whether or not the views are told.
    const uint64_t off = uint64_t{address} - bufferFirst_;
    if (address >= bufferFirst_ && off + static_cast<uint64_t>(size) <= buffer_.size())
        std::copy(bytes, bytes + size, buffer_.begin() + static_cast<std::ptrdiff_t>(off));
    AdvanceCaret();
}

void CMemoryView::OnChar(UINT ch, UINT, UINT)
{
    if (Refused())
        return;
    if (format == Format::Disassembly || ch > 0xFF) {
        WarningBeep();
        return;
    }
    const char c = static_cast<char>(ch);
    const uint32_t address = CaretAddress();
    if (caret_.pane == AsciiPane) {
        if (ch < 0x20 || ch > 0x7E) {
            WarningBeep();
            return;
        }
        const uint8_t b = static_cast<uint8_t>(ch);
        WriteTyped(address, &b, 1);
        return;
    }
    if (!AcceptsChar(format, unit, caret_.position, c)) {
        WarningBeep();
        return;
    }
    const int size = UnitSize(unit);
    uint32_t value = 0;
    if (!ValueAt(address, size, value)) {
        WarningBeep();
        return;
    }
    if (editText_.empty())
        editText_ = ValueText(format, unit, value);
    std::string text = editText_;
    if (caret_.position >= static_cast<int>(text.size())) {
        WarningBeep();
        return;
    }
    text[static_cast<size_t>(caret_.position)] = c;
    const std::optional<uint32_t> typed = ParseCellText(format, unit, text);
    if (!typed) {
        WarningBeep();
        return;
    }
    uint8_t bytes[4];
    DecomposeValue(*typed, size, BigEndian(), bytes);
    editText_ = text;
    WriteTyped(address, bytes, size);
}

void CMemoryView::OnKeyDown(UINT vk, UINT, UINT)
{
    if (Refused() || format == Format::Disassembly) {
        if (vk == VK_PRIOR || vk == VK_NEXT)
            OnVScroll(vk == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN, 0);
        else if (vk == VK_UP || vk == VK_DOWN)
            OnVScroll(vk == VK_UP ? SB_LINEUP : SB_LINEDOWN, 0);
        return;
    }
    const int lastChar = caret_.pane == AsciiPane ? 0 : LastCharIndex(format, unit);
    const int cells = caret_.pane == AsciiPane ? BytesPerRow() : LayoutOf(format, unit, divisor).cells;
    const uint64_t lastRow = uint64_t{last_} / static_cast<uint64_t>(BytesPerRow());
    const bool home = vk == VK_HOME;
    editText_.clear();
    switch (vk) {
    case VK_LEFT:
        if (caret_.position > 0) {
            --caret_.position;
        } else if (caret_.cell > 0) {
            --caret_.cell;
            caret_.position = lastChar;
        } else if (caret_.row > 0) {
            --caret_.row;
            caret_.cell = cells - 1;
            caret_.position = lastChar;
        } else {
            WarningBeep();
        }
        break;
    case VK_RIGHT:
        if (caret_.position < lastChar) {
            ++caret_.position;
        } else if (caret_.cell + 1 < cells) {
            ++caret_.cell;
            caret_.position = 0;
        } else if (caret_.row < lastRow) {
            ++caret_.row;
            caret_.cell = 0;
            caret_.position = 0;
        } else {
            WarningBeep();
        }
        break;
    case VK_UP:
        if (caret_.row == 0)
            WarningBeep();
        else
            --caret_.row;
        break;
    case VK_DOWN:
        if (caret_.row >= lastRow)
            WarningBeep();
        else
            ++caret_.row;
        break;
    case VK_HOME:
        caret_.cell = 0;
        caret_.position = 0;
        if (homeTwice_)
            SetScrollInfo(SB_HORZ, SCROLLINFO{});
        break;
    case VK_END:
        caret_.cell = cells - 1;
        caret_.position = lastChar;
        break;
    case VK_TAB: {
        if (!ascii)
            break;
        const uint32_t address = CaretAddress();
        caret_.pane = caret_.pane == DataPane ? AsciiPane : DataPane;
        SetCaretAddress(address);
        break;
    }
    case VK_PRIOR: OnVScroll(SB_PAGEUP, 0); return;
    case VK_NEXT: OnVScroll(SB_PAGEDOWN, 0); return;
    default: return;
    }
    homeTwice_ = home;
    KeepCaretOnPage();
}

void CMemoryView::OnLButtonDown(UINT, POINT point)
{
    SetFocus();
    editText_.clear();
    const SIZE cell = Cell();
    const int column = static_cast<int>((point.x - 4) / std::max<LONG>(1, cell.cx));
    const int row = static_cast<int>(point.y / std::max<LONG>(1, cell.cy));
    if (format == Format::Disassembly || row < 1)
        return;
    const CellLayout layout = LayoutOf(format, unit, divisor);
    const uint32_t rowAddress = top_ + static_cast<uint32_t>((row - 1) * BytesPerRow());
    const int asciiColumn = kDataColumn + layout.cells * layout.width + 2;
    if (column >= kDataColumn && column < kDataColumn + layout.cells * layout.width) {
        caret_.pane = DataPane;
        caret_.row = rowAddress / static_cast<uint32_t>(BytesPerRow());
        caret_.cell = (column - kDataColumn) / layout.width;
        caret_.position = 0;
    } else if (ascii && column >= asciiColumn && column < asciiColumn + BytesPerRow()) {
        caret_.pane = AsciiPane;
        caret_.row = rowAddress / static_cast<uint32_t>(BytesPerRow());
        caret_.cell = column - asciiColumn;
        caret_.position = 0;
    }
    Invalidate();
}

void CMemoryView::OnLButtonDblClk(UINT, POINT point)
{
    if (format != Format::Disassembly)
        return;
    const SIZE cell = Cell();
    const int column = static_cast<int>((point.x - 4) / std::max<LONG>(1, cell.cx));
    const int row = static_cast<int>(point.y / std::max<LONG>(1, cell.cy));
    if (row < 1 || static_cast<size_t>(row - 1) >= dis_.size())
        return;
    int which = -1;
    if (column >= kDataColumn && column < kDataColumn + kOpcodeWidth)
        which = 0;
    else if (column >= kInstrColumn)
        which = 1;
    if (which < 0 || !openDisassemblyDialog)
        return;
    openDisassemblyDialog(which, {dis_[static_cast<size_t>(row - 1)].address, space});
    Refresh();
}

}  // namespace regmem
