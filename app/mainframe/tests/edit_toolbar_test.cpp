// The Edit toolbar: the find box in place of its button, its text and list,
// and a reset that keeps it.
#include "mainframe/edit_toolbar.h"

#include <gtest/gtest.h>

#include "lathris/frame.h"
#include "lathris/tab_bar.h"

namespace mainframe {
using lathris::CBRS_FLYBY;
using lathris::CBRS_SIZE_DYNAMIC;
using lathris::CBRS_TOOLTIPS;
using lathris::CBS_DROPDOWN;

namespace {

TEST(EditToolBarTest, FindBoxReplacesItsButtonAndSurvivesAReset)
{
    auto* frame = new CCJMDIFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, 1));
    CEditToolBar bar;
    ASSERT_TRUE(bar.Create(frame, 1, 1));
    EXPECT_EQ(bar.m_createStyle, 1u);
    EXPECT_EQ(bar.GetBarStyle(), 1u | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    EXPECT_EQ(bar.GetWindowText(), "Edit");
    ASSERT_EQ(bar.GetCount(), 15);
    EXPECT_EQ(bar.CommandToIndex(ID_FIND_BOX), 5);
    CBCGToolbarComboBoxButton* combo = bar.GetComboButton(ID_FIND_BOX);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetStyle(), CBS_DROPDOWN);
    EXPECT_EQ(bar.GetButton(0)->m_nID, 32921u);
    EXPECT_EQ(bar.GetButton(14)->m_nID, 57652u);

    std::string text = "stale";
    EXPECT_FALSE(bar.GetFindText(text)) << "an empty find box";
    EXPECT_EQ(text, "");
    combo->SetText("main");
    EXPECT_TRUE(bar.GetFindText(text));
    EXPECT_EQ(text, "main");
    bar.AddFindText("");
    bar.AddFindText("main");
    ASSERT_EQ(combo->GetCount(), 1);
    EXPECT_EQ(combo->GetItem(0), "main");

    bar.SetWindowText("Renamed");
    bar.ResetToDefault();
    bar.Reset();
    EXPECT_EQ(bar.CommandToIndex(ID_FIND_BOX), 5);
    EXPECT_NE(bar.GetComboButton(ID_FIND_BOX), nullptr);
    EXPECT_EQ(bar.GetWindowText(), "Edit");
    frame->DestroyWindow();
}

}  // namespace
}  // namespace mainframe
