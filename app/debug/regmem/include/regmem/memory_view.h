// CMemoryView: target memory as rows of bytes, half words or words in
// hexadecimal, unsigned or signed decimal with an ASCII column, or as a
// disassembly listing; values typed in place are written to the target.
// Values are composed from and written in the target's byte order
// (vexlor ProcReturnByteOrder). The read buffer and the disassembly table
// hold exactly one page: their size follows the client height.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <platform/doc_view.h>

#include "emu_types.h"
#include "regmem/memory_format.h"

namespace regmem {

// Column positions of the row layout, in characters.
inline constexpr int kDataColumn = 10;   // after "Address  " and a blank
inline constexpr int kOpcodeWidth = 20;  // disassembly's "OP code" cell
inline constexpr int kInstrColumn = 32;  // disassembly's "Instruction"
inline constexpr int kInstrTextMax = 63;

// Format classes of the paint record.
inline constexpr int kPaintText = 0;
inline constexpr int kPaintChanged = 1;
inline constexpr int kPaintHeading = 2;

class CMemoryView : public CView {
public:
    CMemoryView();

    // Layout state.
    Unit unit = Unit::Byte;
    Format format = Format::Hex;
    int divisor = 1;  // 2: short lines of 8 bytes
    bool ascii = true;
    bool autoUpdate = true;
    uint16_t space = ADDR_SPACE_TARGET;
    COLORREF background = RGB(255, 255, 255), textColor = RGB(0, 0, 0), thirdColor = 0;

    int BytesPerRow() const { return 16 / divisor; }
    // Rows of the page with the heading row (a partly shown last row counts).
    int PageRows() const;
    uint32_t Top() const { return top_; }
    // Moves the first data row to `address` (aligned down to a row outside
    // disassembly), then reads and redraws.
    void SetTop(uint32_t address);

    // Reads the page (or disassembles it): 0 or the target's error; a read
    // that fails shows 0xFF bytes.
    int ReadMemory();
    // Refresh: read, and redraw after a successful read; -27 goes to the
    // lost-target prompt.
    void Refresh();
    // The refresh command (a stop, or the user's): as Refresh, but the rows
    // are redrawn only when what they show changed (their bytes, or the
    // changed marks of the bytes before).
    void RefreshChanged();

    struct DisLine {
        uint32_t address = 0;
        std::string opcode, text;
    };
    const std::vector<DisLine>& DisTable() const { return dis_; }

    // Caret: absolute row (address / bytes a row), cell, character, pane.
    enum Pane { DataPane = 1, AsciiPane = 2 };
    struct Caret {
        uint32_t row = 0;
        int cell = 0, position = 0;
        Pane pane = DataPane;
    };
    const Caret& GetCaret() const { return caret_; }
    uint32_t CaretAddress() const;
    void SetCaretAddress(uint32_t address);

    bool GetCellPaint(int firstRow, int rows, CellPaint& paint) override;

    // A double click on a disassembly row: column 0 "OP code", 1
    // "Instruction". The default opens "Modify Memory" or "Assemble".
    std::function<void(int column, ADDR address)> openDisassemblyDialog;

    // Find Next: searches for the Edit toolbar's find text from the caret;
    // true when it moved the caret to a match (a message box otherwise).
    bool FindNext();
    // Find: as Find Next; with an empty find box it first asks for the
    // pattern, which then goes into the box.
    bool Find();

    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnVScroll(UINT code, UINT pos) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnContextMenu(POINT point) override;
    int OnCreate() override;

    DECLARE_DYNCREATE(CMemoryView)

private:
    // Searches for a pattern text from the caret to the end of the space.
    bool Search(const std::string& text);
    void MapCommands();
    void SetUnit(Unit u);
    void SetFormat(Format f);
    void AlignTop();
    int ReadDisassembly();
    bool ScrollRows(int64_t rows);
    bool Refused();
    void UpdateScrollBar();
    SIZE Cell() const;
    bool BigEndian() const;
    // Value of the cell at `address` in the current buffer; false outside it.
    bool ValueAt(uint32_t address, int size, uint32_t& value) const;
    bool PreviousValueAt(uint32_t address, int size, uint32_t& value) const;
    void WriteTyped(uint32_t address, const uint8_t* bytes, int size);
    void AdvanceCaret();
    void KeepCaretOnPage();
    void AddWatch();
    void ChooseColor(bool text);
    void PaintData(CellPaint& paint) const;
    void PaintDisassembly(CellPaint& paint) const;

    uint32_t top_ = 0;
    uint32_t first_ = 0, last_ = 0xFFFFFFFFu;  // the space's range
    std::vector<uint8_t> buffer_, previous_;
    uint32_t bufferFirst_ = 0, previousFirst_ = 0;
    uint16_t previousSpace_ = 0;
    bool haveRead_ = false, havePrevious_ = false;
    std::vector<DisLine> dis_;
    uint32_t nextDisAddress_ = 0;
    Caret caret_;
    bool homeTwice_ = false;
    // The text typed into the caret's cell so far (empty: none yet).
    std::string editText_;
    uint32_t lastFound_ = 0;
    bool haveFound_ = false;
};

// The address the disassembly mode gives to the instruction after one of
// `opcode` (its hexadecimal digits: 8 for ARM and a Thumb BL, 4 for Thumb).
inline uint32_t NextInstruction(uint32_t address, const std::string& opcode)
{
    return address + static_cast<uint32_t>(opcode.size() >= 8 ? 4 : 2);
}

}  // namespace regmem
