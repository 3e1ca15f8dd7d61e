// Saved toolbar states and dock layouts: round trips, and damaged or foreign
// records refused whole with the offset of the fault.
#include "lathris/bar_state.h"

#include "lathris/registry.h"
#include "platform/frame_wnd.h"
#include "temp_registry.h"

namespace lathris {
namespace {

ButtonList EditBarButtons()
{
    ButtonList list;
    list.push_back(std::make_unique<CBCGToolbarButton>(ID_EDIT_CUT, 0));
    list.push_back(CBCGToolbarButton::Separator());
    auto combo = std::make_unique<CBCGToolbarComboBoxButton>(32771, 3, CBS_DROPDOWN, 120);
    combo->AddItem("main", 1);
    combo->AddItem("", 0xFFFFFFFF);
    list.push_back(std::move(combo));
    list.push_back(std::make_unique<CBCGToolbarButton>(32957, 2, "Custom Cmd", TRUE));
    return list;
}

TEST(BarStateTest, ButtonsRoundTripWithComboItemsAndUserImages)
{
    std::string record = EncodeButtons(EditBarButtons());
    ButtonList back;
    std::string error;
    ASSERT_TRUE(DecodeButtons(record, back, error)) << error;
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[0]->m_nID, ID_EDIT_CUT);
    EXPECT_TRUE(back[1]->IsSeparator());
    auto* combo = dynamic_cast<CBCGToolbarComboBoxButton*>(back[2].get());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->m_nWidth, 120);
    ASSERT_EQ(combo->GetCount(), 2);
    EXPECT_EQ(combo->GetItem(0), "main");
    EXPECT_EQ(combo->GetItemData(1), 0xFFFFFFFFu);
    EXPECT_TRUE(back[3]->m_bUserButton);
    EXPECT_EQ(back[3]->m_strText, "Custom Cmd");
    EXPECT_EQ(EncodeButtons(back), record);
}

TEST(BarStateTest, DamagedButtonRecordsAreRefusedWholeWithTheirOffset)
{
    const std::string good = EncodeButtons(EditBarButtons());
    auto patched = [&](size_t at, std::string bytes) {
        return good.substr(0, at) + bytes + good.substr(at + bytes.size());
    };
    struct Case {
        const char* name;
        std::string record;
        const char* error;
    } cases[] = {
        {"empty", "", "offset 0: record ends early"},
        {"foreign tag", patched(0, "ZKDS"), "offset 0: not a \"ZKTB\" record"},
        {"later version", patched(4, std::string("\x02\0", 2)), "offset 6: unknown version"},
        {"huge count", patched(6, "\xFF\xFF\xFF\x7F"), "offset 6: count 2147483647 beyond the record's end"},
        {"cut short", good.substr(0, good.size() - 3), "beyond the record's end"},
        {"unknown kind", patched(10, "\x07"), "offset 10: button 0 is not a button"},
        {"trailing bytes", good + "x", "bytes after the last button"},
        {"separator with a command", patched(25, "\x05"), "offset 24: button 1 is not a button"},
    };
    for (const Case& c : cases) {
        ButtonList out;
        out.push_back(std::make_unique<CBCGToolbarButton>(1, 0));
        std::string error;
        EXPECT_FALSE(DecodeButtons(c.record, out, error)) << c.name;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(out.size(), 1u) << c.name << ": nothing applied";
    }
}

TEST(BarStateTest, ToolbarStateComesBackFromTheRegistryOrTheDefaultLayoutStays)
{
    test::TempRegistry temp;
    const std::string path = "Software\\Zelkor\\Zelkor for Arm\\Bars";
    auto* frame = new CFrameWnd;  // deletes itself when destroyed
    ASSERT_TRUE(frame->Create(nullptr, 1));
    CBCGToolBar bar;
    ASSERT_TRUE(bar.Create(frame, 0, AFX_IDW_TOOLBAR));
    bar.InsertButton(CBCGToolbarButton(ID_FILE_OPEN, 0));
    bar.InsertButton(CBCGToolbarButton(ID_FILE_SAVE, 1));
    bar.SetDefaultButtons();

    EXPECT_FALSE(bar.LoadState(path)) << "nothing saved yet";
    EXPECT_TRUE(bar.LastStateError().empty());

    bar.RemoveButton(0);
    bar.InsertButton(CBCGToolbarComboBoxButton(32771, -1));
    ASSERT_TRUE(bar.SaveState(path));
    bar.ResetToDefault();
    ASSERT_TRUE(bar.LoadState(path));
    ASSERT_EQ(bar.GetCount(), 2);
    EXPECT_EQ(bar.CommandToIndex(ID_FILE_SAVE), 0);
    EXPECT_NE(bar.GetComboButton(32771), nullptr);

    CRegistry reg;
    ASSERT_TRUE(reg.Open(CBCGToolBar::StateKey(path, AFX_IDW_TOOLBAR)));
    std::string record;
    ASSERT_TRUE(reg.ReadBinary("Buttons", record));
    reg.WriteBinary("Buttons", record.substr(0, 20));
    reg.Close();
    EXPECT_FALSE(bar.LoadState(path));
    EXPECT_EQ(bar.GetCount(), 2);
    EXPECT_EQ(bar.CommandToIndex(ID_FILE_OPEN), 0) << "the default layout is back";
    EXPECT_EQ(bar.LastStateError(),
              platform::Registry::Global().File() + ": " + path +
                  "\\BCGToolBar-59392\\Buttons+6: count 2 beyond the record's end");
    frame->DestroyWindow();
}

TEST(BarStateTest, DockStateRecordsCarryTheirBarsAndAChecksum)
{
    DockState state{{AFX_IDW_TOOLBAR, 59400}, std::string("\0\xFFqt bytes", 10)};
    std::string record = EncodeDockState(state);
    DockState back;
    std::string error;
    ASSERT_TRUE(DecodeDockState(record, back, error)) << error;
    EXPECT_EQ(back.barIds, state.barIds);
    EXPECT_EQ(back.layout, state.layout);

    std::string flipped = record;
    flipped[25] ^= 1;  // inside the layout bytes
    EXPECT_FALSE(DecodeDockState(flipped, back, error));
    EXPECT_EQ(error, "offset " + std::to_string(record.size()) + ": checksum does not match");
    EXPECT_FALSE(DecodeDockState(std::string("\0\0\0\xff Qt's own saveState bytes", 30), back, error));
    EXPECT_EQ(error, "offset 0: not a \"ZKDS\" record");
}

}  // namespace
}  // namespace lathris
