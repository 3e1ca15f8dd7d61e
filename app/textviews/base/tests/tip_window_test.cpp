// The tip window: its size from its text, its place below the pointer within
// the owner at every edge, the messages that hide a data tip, and the tip
// each text view makes with its window; the frame's relay of every message
// to the views' data tips and the caret's line.
#include "base_view_fixture.h"

namespace textbase::test {
namespace {

TEST(TipWindow, SizeIsTheWidestLinePlus15ByTheLinesPlus4)
{
    EXPECT_EQ(TipSizeForLines({72}, 16).cx, 87);
    EXPECT_EQ(TipSizeForLines({72}, 16).cy, 20);
    // The address-range note: five lines.
    const SIZE note = TipSizeForLines({120, 64, 112, 200, 40}, 15);
    EXPECT_EQ(note.cx, 215);
    EXPECT_EQ(note.cy, 79);
    // No text: an empty white box of one line's height.
    EXPECT_EQ(TipSizeForLines({}, 16).cx, 15);
    EXPECT_EQ(TipSizeForLines({}, 16).cy, 20);
}

TEST(TipWindow, PlacedBelowThePointerAndKeptInsideItsOwner)
{
    const RECT owner{100, 50, 740, 530};
    const SIZE tip{90, 20};
    struct Case {
        const char* where;
        POINT pointer;
        RECT owner;
        RECT placed;
    } cases[] = {
        {"inside", {300, 200}, owner, {300, 220, 390, 240}},
        {"right edge", {700, 200}, owner, {650, 220, 740, 240}},
        {"bottom edge: above the pointer", {300, 520}, owner, {300, 500, 390, 520}},
        {"bottom right corner", {735, 525}, owner, {650, 505, 740, 525}},
        {"left of the owner", {80, 200}, owner, {100, 220, 190, 240}},
        {"owner left of the screen", {-40, 200}, {-200, 50, 400, 530}, {0, 220, 90, 240}},
        {"owner above the screen", {20, -30}, {-200, -300, 400, 0}, {20, 0, 110, 20}},
        {"owner smaller than the tip", {60, 60}, {50, 50, 100, 60}, {50, 50, 140, 70}},
    };
    for (const Case& c : cases) {
        const RECT r = PlaceTipBelowPointer(c.pointer, tip, c.owner);
        EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
                  (std::vector<LONG>{c.placed.left, c.placed.top, c.placed.right, c.placed.bottom}))
            << c.where;
    }
}

TEST(TipWindow, KeysAndButtonsHideATipAndMovesDoNot)
{
    for (UINT m : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP,
                   WM_RBUTTONDOWN, WM_RBUTTONUP})
        EXPECT_TRUE(IsTipHidingMessage(m)) << m;
    for (UINT m : {WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_KEYUP, WM_CHAR, WM_TIMER, WM_LBUTTONDBLCLK, WM_MOUSEWHEEL})
        EXPECT_FALSE(IsTipHidingMessage(m)) << m;
}

TEST_F(TextViewTest, EachViewHasAHiddenTipThatShowsItsTextNearThePointer)
{
    TestView* view = MakeView(Numbered(20));
    CPopupTipWnd* tip = view->TipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->GetParent(), view);
    EXPECT_FALSE(tip->IsTipShown());
    EXPECT_EQ(tip->PaintText(), "");

    // Cells of 8 x 16 without a widget; the view's window is 640 x 160.
    tip->ShowTipAt({100, 40}, "total=285");
    EXPECT_TRUE(tip->IsTipShown());
    EXPECT_EQ(tip->PaintText(), "total=285");
    RECT r = tip->TipRect();
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{100, 60, 187, 80}));
    // Near the bottom right corner it moves left and above the pointer.
    tip->ShowTipAt({630, 150}, "total=285");
    r = tip->TipRect();
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{553, 130, 640, 150}));
    // A 10,000-character text stays whole; its box is as wide as it needs.
    const std::string huge(10000, 'v');
    tip->ShowTipAt({10, 10}, huge);
    EXPECT_EQ(tip->PaintText().size(), huge.size());
    EXPECT_EQ(tip->TipRect().Width(), 80015);
    // An empty text hides the tip; so does HideTip.
    tip->ShowTipAt({10, 10}, "");
    EXPECT_FALSE(tip->IsTipShown());
    tip->ShowTip();
    tip->HideTip();
    EXPECT_FALSE(tip->IsTipShown());

    view->DestroyWindow();
    EXPECT_EQ(view->TipWindow(), nullptr);
}

class TipView : public TestView {
public:
    void RelayDataTipEvent(const MSG& msg) override
    {
        seen.push_back(msg.message);
        if (closeOnKey && msg.message == WM_KEYDOWN)
            closeOnKey->DestroyWindow();
    }
    std::vector<UINT> seen;
    CBaseView* closeOnKey = nullptr;
};

TEST_F(TextViewTest, TheFrameRelaysEveryMessageToTheLivingViews)
{
    TipView* a = MakeView<TipView>(Numbered(3));
    TipView* b = MakeView<TipView>(Numbered(3));
    TipView* c = MakeView<TipView>(Numbered(3));
    c->DestroyWindow();
    // a's handling closes b: b hears nothing of that message.
    a->closeOnKey = b;
    const MSG move{a->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), 0};
    const MSG key{nullptr, WM_KEYDOWN, VK_F9, 1, 0};
    frame.RelayDataTipEvent(move);
    frame.RelayDataTipEvent(key);
    EXPECT_EQ(a->seen, (std::vector<UINT>{WM_MOUSEMOVE, WM_KEYDOWN}));
    EXPECT_EQ(b->seen, (std::vector<UINT>{WM_MOUSEMOVE}));
    EXPECT_TRUE(c->seen.empty());
}

TEST_F(TextViewTest, CaretLineIsTheOneBasedLineAtTheCaretsY)
{
    TestView* view = MakeView(Numbered(50));
    auto lineAtCaretY = [&] { return view->topLine + (view->caretY - view->topOffset) / view->lineHeight + 1; };
    EXPECT_EQ(view->GetCaretLine(), 1);
    view->SetCaret(4, 2);
    EXPECT_EQ(view->GetCaretLine(), 5);
    EXPECT_EQ(view->GetCaretLine(), lineAtCaretY());
    // The page scrolls with the caret on it.
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
    EXPECT_EQ(view->topLine, 30);
    EXPECT_EQ(view->GetCaretLine(), 35);
    EXPECT_EQ(view->GetCaretLine(), lineAtCaretY());
}

}  // namespace
}  // namespace textbase::test
