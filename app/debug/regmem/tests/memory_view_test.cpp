// The memory view on the simulator's memory: rows in each layout, the
// target's byte order, changed values in red, typing in place, paging over
// the end of the space, disassembly rows and find.
#include <platform/messages.h>

#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "falcrest.h"
#include "pirell/pirell.h"
#include "regmem/memory_view.h"
#include "regmem/regmem_ids.h"
#include "regmem_session.h"

using ::testing::ElementsAre;

namespace regmem::test {
namespace {

class MemoryViewTest : public RegMemSession {
protected:
    void SetUp() override
    {
        RegMemSession::SetUp();
        view = MakeView<CMemoryView>(host);
    }
    void TearDown() override
    {
        view->DestroyWindow();
        platform::PumpPending();
        RegMemSession::TearDown();
    }
    // The text of paint row `row` from column `first` for `count` cells.
    std::string Cells(int row, int first, int count)
    {
        CellPaint paint;
        view->GetCellPaint(0, 0, paint);
        std::string s;
        for (int c = first; c < first + count; ++c)
            s += paint.CharAt(paint.rows[static_cast<size_t>(row)], c);
        return s;
    }
    CellColors Colours(int row, int column)
    {
        CellPaint paint;
        view->GetCellPaint(0, 0, paint);
        return paint.CellAt(paint.rows[static_cast<size_t>(row)], column);
    }
    void Command(UINT id) { view->SendMessage(WM_COMMAND, id, 0); }
    void Type(const std::string& text)
    {
        for (char c : text)
            view->SendMessage(WM_CHAR, static_cast<unsigned char>(c), 1);
    }

    platform::FakeHost host{{0, 0, 800, 16 * 6}};  // heading and five rows
    CMemoryView* view = nullptr;
};

TEST_F(MemoryViewTest, RowsInEveryUnitShowTheTargetsLittleEndianValues)
{
    Write(0x8000, {0x78, 0x56, 0x34, 0x12, 0x41, 0x20, 0x7F, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x80});
    view->SetTop(0x8005);
    EXPECT_EQ(view->Top(), 0x8000u) << "rows start on 16 bytes";
    EXPECT_EQ(Cells(0, 0, 9), "Address  ");
    EXPECT_EQ(Cells(1, 0, 8), "00008000");
    EXPECT_EQ(Cells(1, kDataColumn, 12), "78 56 34 12 ");
    EXPECT_EQ(Cells(1, kDataColumn + 48 + 2, 16), "xV4.A...........");
    Command(ID_MEM_WORD);
    EXPECT_EQ(Cells(1, kDataColumn, 10), "5678 1234 ");
    Command(ID_MEM_LONG);
    EXPECT_EQ(Cells(1, kDataColumn, 36), "12345678 FF7F2041 00000000 80000000 ");
    Command(ID_MEM_SIGNED);
    EXPECT_EQ(Cells(1, kDataColumn, 12), "+0305419896 ");
    EXPECT_EQ(Cells(1, kDataColumn + 12, 11), "-0008445887");
    Command(ID_MEM_UNSIGNED);
    Command(ID_MEM_WORD);
    EXPECT_EQ(Cells(1, kDataColumn, 6), "22136 ");
    Command(ID_MEM_SHORT_LINE);
    EXPECT_EQ(view->BytesPerRow(), 8);
    EXPECT_EQ(Cells(2, 0, 8), "00008008");
}

TEST_F(MemoryViewTest, ChangedValuesAreRedUntilAReadWithoutChange)
{
    Write(0x9000, std::vector<uint8_t>(16, 0));
    view->SetTop(0x9000);
    EXPECT_EQ(Colours(1, kDataColumn + 1).fg, view->textColor) << "nothing is red at first";
    Write(0x9001, {0x55});
    view->Refresh();
    EXPECT_EQ(Colours(1, kDataColumn + 3 + 1).fg, RGB(255, 0, 0));
    EXPECT_EQ(Colours(1, kDataColumn + 1).fg, view->textColor);
    view->Refresh();
    EXPECT_EQ(Colours(1, kDataColumn + 3 + 1).fg, view->textColor);
}

// The refresh command (every stop sends it) redraws the rows only when
// what they show changed: a new value, then its red mark going.
TEST_F(MemoryViewTest, TheRefreshCommandRedrawsOnlyChangedRows)
{
    Write(0x9000, std::vector<uint8_t>(16, 0));
    view->SetTop(0x9000);
    // The bytes before the move were read elsewhere: one redraw more.
    Command(ID_MEM_REFRESH);
    const int before = host.invalidations;
    Command(ID_MEM_REFRESH);
    EXPECT_EQ(host.invalidations, before) << "nothing changed";
    Write(0x9001, {0x55});
    Command(ID_MEM_REFRESH);
    EXPECT_EQ(host.invalidations, before + 1);
    EXPECT_EQ(Colours(1, kDataColumn + 3 + 1).fg, RGB(255, 0, 0));
    Command(ID_MEM_REFRESH);
    EXPECT_EQ(host.invalidations, before + 2) << "the red mark goes";
    EXPECT_EQ(Colours(1, kDataColumn + 3 + 1).fg, view->textColor);
    Command(ID_MEM_REFRESH);
    EXPECT_EQ(host.invalidations, before + 2);
}

TEST_F(MemoryViewTest, TypingWritesInTheTargetsByteOrderWithinRange)
{
    Write(0xA000, std::vector<uint8_t>(16, 0));
    view->SetTop(0xA000);
    Command(ID_MEM_WORD);
    Type("12AB");
    EXPECT_EQ(Read(0xA000, 2), (std::vector<uint8_t>{0xAB, 0x12}));
    EXPECT_EQ(view->GetCaret().cell, 1);
    ASSERT_FALSE(Updates().empty());
    EXPECT_EQ(Updates()[0].first, static_cast<WPARAM>(DVK_MEMORY1));

    // Signed half words take "-" at the sign; a value out of range beeps.
    Command(ID_MEM_SIGNED);
    view->SetCaretAddress(0xA004);
    Type("-1");
    EXPECT_EQ(Read(0xA004, 2), (std::vector<uint8_t>{0xF0, 0xD8})) << "-10000";
    view->SetCaretAddress(0xA004);
    Type("-4");
    EXPECT_EQ(Read(0xA004, 2), (std::vector<uint8_t>{0xF0, 0xD8})) << "-40000 is out of range";
    EXPECT_EQ(ui.Beeps(), 1);
    Command(ID_MEM_BYTE);
    view->SetCaretAddress(0xA008);
    Type("-");
    EXPECT_EQ(ui.Beeps(), 2) << "a signed byte takes no minus";

    // Words: unsigned up to 4294967295.
    Command(ID_MEM_UNSIGNED);
    Command(ID_MEM_LONG);
    view->SetCaretAddress(0xA00C);
    Type("4294967295");
    EXPECT_EQ(Read(0xA00C, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    view->SetCaretAddress(0xA00C);
    Type("5");
    EXPECT_EQ(Read(0xA00C, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF})) << "5294967295 is refused";

    // ASCII pane.
    Command(ID_MEM_HEX);
    Command(ID_MEM_BYTE);
    view->SetCaretAddress(0xA008);
    view->SendMessage(WM_KEYDOWN, VK_TAB, 1);
    Type("Hi");
    EXPECT_EQ(Read(0xA008, 2), (std::vector<uint8_t>{'H', 'i'}));
    Command(ID_MEM_DISASSEMBLY);
    const int beeps = ui.Beeps();
    Type("1");
    EXPECT_EQ(ui.Beeps(), beeps + 1);
}

TEST_F(MemoryViewTest, TheLastRowsOfTheSpaceReadAndShowBlanksPastIt)
{
    Write(0xFFFFFFF0, std::vector<uint8_t>(16, 0xC3));
    view->SetTop(0xFFFFFFF0);
    EXPECT_EQ(view->ReadMemory(), 0);
    EXPECT_EQ(Cells(1, kDataColumn, 3), "C3 ");
    EXPECT_EQ(Cells(1, kDataColumn + 45, 3), "C3 ");
    EXPECT_EQ(Cells(2, 0, 8), "        ") << "no row past the space";
    view->SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(view->Top(), 0xFFFFFFF0u);

    // A space that ends inside a row shows blanks for the rest.
    AdrSetExtAddrRange(0, 0xFFFFFFF7, 0, 0, 0);
    view->Refresh();
    EXPECT_EQ(Cells(1, kDataColumn + 21, 3), "C3 ");
    EXPECT_EQ(Cells(1, kDataColumn + 24, 3), "   ");
}

TEST_F(MemoryViewTest, DisassemblyRowsAndTheModesOfPirell)
{
    Write(0xB000, {0x01, 0x00, 0xA0, 0xE3, 0x1E, 0xFF, 0x2F, 0xE1});  // mov r0,#1; bx lr
    view->SetTop(0xB000);
    Command(ID_MEM_ARM_ONLY);
    EXPECT_EQ(DadGetDisMod(), DAD_MODE_MIXED) << "the modes belong to disassembly";
    Command(ID_MEM_DISASSEMBLY);
    Command(ID_MEM_ARM_ONLY);
    EXPECT_EQ(DadGetDisMod(), DAD_MODE_ARM);
    ASSERT_GE(view->DisTable().size(), 2u);
    EXPECT_EQ(view->DisTable()[0].address, 0xB000u);
    EXPECT_EQ(view->DisTable()[0].opcode, "E3A00001");
    EXPECT_EQ(view->DisTable()[1].opcode, "E12FFF1E");
    EXPECT_EQ(Cells(0, kDataColumn, 7), "OP code");
    EXPECT_EQ(Cells(1, kInstrColumn, 10), "mov      r");
    view->SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(view->Top(), 0xB004u);
    view->SendMessage(WM_COMMAND, ID_MEM_THUMB_ONLY, 0);
    EXPECT_EQ(DadGetDisMod(), DAD_MODE_THUMB);
    EXPECT_EQ(view->DisTable()[0].opcode.size(), 4u);
    view->SendMessage(WM_COMMAND, ID_MEM_BYTE, 0);
    EXPECT_EQ(view->format, Format::Hex);
    EXPECT_EQ(view->Top(), 0xB000u) << "aligned down to 16";
    DadSetDisMod(DAD_MODE_MIXED);
}

TEST_F(MemoryViewTest, FindNextMovesToTheMatchOrSaysNotFound)
{
    Write(0xC000, std::vector<uint8_t>(64, 0));
    Write(0xC023, {'z', 'q'});
    view->SetTop(0xC000);
    ASSERT_EQ(emuSetAccessSize(1), 0);
    findText = "  \"zq\" ";
    Command(ID_MEM_FIND_NEXT);
    EXPECT_EQ(view->CaretAddress(), 0xC023u);
    EXPECT_EQ(view->Top(), 0xC020u);
    Write(0xC031, {'z', 'q'});
    Command(ID_MEM_FIND_NEXT);
    EXPECT_EQ(view->CaretAddress(), 0xC031u) << "the next match, not the one at the caret";
    AdrSetExtAddrRange(0, 0xFFFFF, 0, 0, 0);  // the search runs to the end of the space
    findText = "\"no such text anywhere\"";
    ui.AnswerMessageBox(IDOK, "Not Found!");
    Command(ID_MEM_FIND_NEXT);
    EXPECT_EQ(view->CaretAddress(), 0xC031u);
    findText = "\"zq\"";
    view->SetCaretAddress(0xC000);
    Command(ID_MEM_FIND);  // Find searches the same way
    EXPECT_EQ(view->CaretAddress(), 0xC023u);

    // An empty box: Find (and Find Next) ask for the pattern, which goes
    // into the box; cancelled or blank, nothing is searched.
    findText = " ";
    ui.AnswerText("\"zq\"", "Find what");
    Command(ID_MEM_FIND);
    EXPECT_EQ(view->CaretAddress(), 0xC031u);
    EXPECT_EQ(findText, "\"zq\"");
    findText.clear();
    ui.CancelText("Find what");
    Command(ID_MEM_FIND_NEXT);
    ui.AnswerText("   ", "Find what");
    Command(ID_MEM_FIND);
    EXPECT_EQ(view->CaretAddress(), 0xC031u);
    EXPECT_EQ(findText, "");
    EXPECT_EQ(ui.Unanswered(), 0u);
}

// A right click opens the view's menu at the pointer, its unit and format
// checked; a chosen item runs in the view, and "Action..." opens the memory
// tools, whose fill the view then shows.
TEST_F(MemoryViewTest, TheContextMenuRunsItsItemsAndOpensTheMemoryTools)
{
    Write(0xA000, std::vector<uint8_t>(16, 0));
    view->SetTop(0xA000);
    ui.AnswerPopup(ID_MEM_LONG, "&Long");
    view->SendMessage(WM_CONTEXTMENU, 0, MAKELPARAM(300, 200));
    ASSERT_EQ(ui.Requests().size(), 1u);
    const std::string items = ui.Requests()[0].described;
    EXPECT_NE(items.find("&Action...\n"), std::string::npos) << items;
    EXPECT_EQ(view->unit, Unit::Word);

    ASSERT_EQ(emuSetAccessSize(1), 0);
    ui.AnswerPopup(ID_MEM_ACTION, "&Action...");
    ui.RunSheet(
        [](platform::ScriptedSheet& s) {
            ASSERT_TRUE(s.page(2));  // Fill
            auto fill = s.active();
            fill.set(IDC_FILL_START, "A000");
            fill.set(IDC_FILL_END, "A003");
            fill.set(IDC_FILL_PATTERN, "0x11");
            EXPECT_TRUE(s.apply());
            s.cancel();
        },
        "Memory Group");
    view->SendMessage(WM_CONTEXTMENU, 0, MAKELPARAM(300, 200));
    EXPECT_EQ(Cells(1, kDataColumn, 8), "11111111");
}

}  // namespace
}  // namespace regmem::test
