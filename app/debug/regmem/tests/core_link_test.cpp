// The windows as the debugger core opens and keeps them: made by kind as MDI
// children of the main frame, started at an address from a saved record,
// and telling the main frame their kind when they close.
#include <platform/messages.h>

#include "emu_messages.h"
#include "lathris/frame.h"
#include "regmem/core_link.h"
#include "regmem/memory_window.h"
#include "regmem/register_wnd.h"
#include "regmem_session.h"

namespace regmem::test {
namespace {

using CoreLinkTest = RegMemSession;

TEST_F(CoreLinkTest, WindowsAreMadeByKindAndReportTheirClosing)
{
    auto* main = new lathris::CCJMDIFrameWnd;
    ASSERT_TRUE(main->Create(nullptr, 1));
    EXPECT_EQ(CreateRegMemWindow(DVK_WATCH, main, "Watch"), nullptr);

    appdebug::DebugWindow* regs = CreateRegMemWindow(DVK_REGISTERS, main, "Registers");
    ASSERT_NE(regs, nullptr);
    EXPECT_EQ(regs->Kind(), DVK_REGISTERS);
    EXPECT_EQ(dynamic_cast<CRegisterWnd*>(regs)->Tabs().GetTabCount(), 6);

    Write(0x9100, {0xEF, 0xBE, 0xAD, 0xDE});
    appdebug::DebugWindow* memory = CreateRegMemWindow(DVK_MEMORY2, main, "Memory");
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(memory->Kind(), DVK_MEMORY2);
    EXPECT_EQ(memory->ViewSpace(), ADDR_SPACE_TARGET);
    memory->SetStart(3, 0x9104);
    auto* frame = dynamic_cast<CMemoryWindow*>(memory);
    EXPECT_EQ(frame->View()->Top(), 0x9100u);
    EXPECT_EQ(frame->View()->unit, Unit::Word);
    EXPECT_NE(memory->ActiveViewWindow(), memory->Window());
    // The format words of a saved record: background, text, third colour;
    // equal colours (a record never filled) give white and black.
    const uint32_t words[3] = {0xE0E0E0, 0x800000, 3};
    memory->ApplyFormatWords(words);
    EXPECT_EQ(frame->View()->background, 0xE0E0E0u);
    EXPECT_EQ(frame->View()->textColor, 0x800000u);
    EXPECT_EQ(frame->View()->thirdColor, 3u);
    const uint32_t unset[3] = {0, 0, 0};
    memory->ApplyFormatWords(unset);
    EXPECT_EQ(frame->View()->background, 0xFFFFFFu);
    EXPECT_EQ(frame->View()->textColor, 0u);

    frame->addressText = "#nothing_by_this_name";
    EXPECT_FALSE(frame->Goto());
    frame->addressText = "9110";
    EXPECT_TRUE(frame->Goto());
    EXPECT_EQ(frame->View()->Top(), 0x9110u);

    ClearMessages();
    memory->Destroy();
    regs->Destroy();
    platform::PumpPending();
    std::vector<WPARAM> closed;
    for (const Message& m : messages)
        if (m.msg == WM_EMU_VIEW_CLOSED)
            closed.push_back(m.wParam);
    EXPECT_THAT(closed, ::testing::ElementsAre(DVK_MEMORY2, DVK_REGISTERS));
    main->DestroyWindow();
    platform::PumpPending();
}

}  // namespace
}  // namespace regmem::test
