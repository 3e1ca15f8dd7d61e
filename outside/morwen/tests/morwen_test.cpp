#include <gtest/gtest.h>
#include <platform/scripted_ui_gtest.h>

#include "morwen/morwen.h"

namespace {

TEST(ErrorTexts, KnownNumbersHaveTextsAndOthersNameTheirNumber)
{
    ZkString text;
    EXPECT_EQ(ErrGetText(ERR_CONDITION_TOO_LONG, &text), 1);
    EXPECT_EQ(text, "A condition may have at most 9 clauses.");
    EXPECT_EQ(ErrGetText(0x8123, &text), 0);
    EXPECT_EQ(text, "Error 0x8123.");
}

TEST(ErrorTexts, ReportErrorShowsTextCaptionAndFlagsAndReturnsTheButton)
{
    platform::GTestScriptedUi ui;
    ui.AnswerMessageBox(IDNO, "comparison");
    EXPECT_EQ(ReportError(ERR_CONDITION_OPERATOR, ERR_CAPTION, MB_YESNO | MB_ICONEXCLAMATION), IDNO);
    const auto requests = ui.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].messageBox.caption, "Zelkor for Arm");
    EXPECT_EQ(requests[0].messageBox.type, MB_YESNO | MB_ICONEXCLAMATION);
}

}  // namespace
