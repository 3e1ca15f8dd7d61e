// "Modify Memory" and "Assemble" on the simulator, opened from a double
// click on a disassembly row and driven by control id.
#include <platform/messages.h>

#include "emu_messages.h"
#include "pirell/pirell.h"
#include "regmem/memory_view.h"
#include "regmem/modify_dialogs.h"
#include "regmem/regmem_ids.h"
#include "regmem_session.h"

using ::testing::ElementsAre;
using ::testing::Pair;

namespace regmem::test {
namespace {

using ModifyDialogsTest = RegMemSession;

TEST_F(ModifyDialogsTest, ModifyWritesTheValuesBytesAndMovesOn)
{
    Write(0xD000, std::vector<uint8_t>(8, 0));
    CModifyMemDlg dialog({0xD000, ADDR_SPACE_TARGET}, nullptr);
    ui.RunDialog(
        [](platform::ScriptedDialog& d) {
            EXPECT_EQ(d.text(IDC_MODIFY_ADDRESS), "0000D000");
            EXPECT_EQ(d.items.GetFocus(), IDC_MODIFY_DATA);
            d.set(IDC_MODIFY_DATA, "1FF");
            d.click(IDC_MODIFY_MODIFY);
            EXPECT_EQ(d.text(IDC_MODIFY_ADDRESS), "0000D002");
            EXPECT_EQ(d.text(IDC_MODIFY_DATA), "");
            d.set(IDC_MODIFY_DATA, "xyz");  // not hexadecimal: nothing is written
            d.click(IDC_MODIFY_MODIFY);
            d.set(IDC_MODIFY_DATA, "123456789");  // more than 32 bits
            d.click(IDC_MODIFY_MODIFY);
            EXPECT_EQ(d.text(IDC_MODIFY_ADDRESS), "0000D002");
            d.set(IDC_MODIFY_DATA, "12345");
            d.click(IDC_MODIFY_OK);
        },
        "Modify Memory");
    EXPECT_EQ(platform::RunModalDialog(dialog), 1);
    EXPECT_EQ(ui.Beeps(), 2);
    EXPECT_EQ(Read(0xD000, 8), (std::vector<uint8_t>{0xFF, 0x01, 0x45, 0x23, 0x01, 0, 0, 0}));
    EXPECT_THAT(
        Updates(),
        ElementsAre(Pair(DVK_MEMORY1, 1), Pair(DVK_CODE_VIEWS, 0), Pair(DVK_MEMORY1, 1), Pair(DVK_CODE_VIEWS, 0)));
}

TEST_F(ModifyDialogsTest, AcceptAssemblesLineAfterLineAndKeepsARefusedOne)
{
    ASSERT_EQ(DadSetDisMod(DAD_MODE_ARM), 0);
    Write(0xE000, std::vector<uint8_t>(12, 0));
    CAssembleDlg dialog({0xE000, ADDR_SPACE_TARGET}, nullptr);
    ui.RunDialog(
        [](platform::ScriptedDialog& d) {
            EXPECT_EQ(d.text(IDC_ASSEMBLE_ADDRESS), "0000E000");
            d.set(IDC_ASSEMBLE_TEXT, "mov r0, #1");
            d.click(IDC_ASSEMBLE_ACCEPT);
            EXPECT_EQ(d.text(IDC_ASSEMBLE_ADDRESS), "0000E004");
            EXPECT_EQ(d.text(IDC_ASSEMBLE_TEXT), "");
            d.set(IDC_ASSEMBLE_TEXT, "mov r0, #0x101");  // no such immediate
            d.click(IDC_ASSEMBLE_ACCEPT);
            EXPECT_EQ(d.text(IDC_ASSEMBLE_ADDRESS), "0000E004");
            EXPECT_EQ(d.text(IDC_ASSEMBLE_TEXT), "mov r0, #0x101");
            d.set(IDC_ASSEMBLE_TEXT, "bx lr");
            d.click(IDC_ASSEMBLE_OK);
        },
        "Assemble");
    EXPECT_EQ(platform::RunModalDialog(dialog), 1);
    EXPECT_EQ(Read(0xE000, 12), (std::vector<uint8_t>{0x01, 0x00, 0xA0, 0xE3, 0x1E, 0xFF, 0x2F, 0xE1, 0, 0, 0, 0}));
    DadSetDisMod(DAD_MODE_MIXED);
}

TEST_F(ModifyDialogsTest, ADoubleClickOnADisassemblyRowOpensTheDialogOfItsColumn)
{
    ASSERT_EQ(DadSetDisMod(DAD_MODE_ARM), 0);
    Write(0xF000, {0x01, 0x00, 0xA0, 0xE3, 0x1E, 0xFF, 0x2F, 0xE1});
    platform::FakeHost host{{0, 0, 600, 16 * 6}};
    auto* view = MakeView<CMemoryView>(host);
    view->SetTop(0xF000);
    view->SendMessage(WM_COMMAND, ID_MEM_DISASSEMBLY, 0);
    ui.RunDialog(
        [](platform::ScriptedDialog& d) {
            EXPECT_EQ(d.text(IDC_MODIFY_ADDRESS), "0000F004");
            d.click(IDC_MODIFY_CANCEL);
        },
        "Modify Memory");
    view->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(4 + 8 * (kDataColumn + 2), 16 * 2 + 3));
    ui.RunDialog(
        [](platform::ScriptedDialog& d) {
            EXPECT_EQ(d.text(IDC_ASSEMBLE_ADDRESS), "0000F000");
            d.set(IDC_ASSEMBLE_TEXT, "mov r1, #2");
            d.click(IDC_ASSEMBLE_OK);
        },
        "Assemble");
    view->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(4 + 8 * (kInstrColumn + 1), 16 + 3));
    EXPECT_EQ(view->DisTable()[0].opcode, "E3A01002") << "the row shows the new instruction";
    view->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(2, 16 + 3));  // the address column: nothing
    view->DestroyWindow();
    platform::PumpPending();
    DadSetDisMod(DAD_MODE_MIXED);
}

}  // namespace
}  // namespace regmem::test
