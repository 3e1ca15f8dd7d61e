// The watchpoint dialog against the recording target fakes: control words
// to drop-list selections and back, the mask rule, Reset, and the exact
// unit calls of OK.
#include <platform/scripted_ui_gtest.h>

#include "core.h"
#include "sarvik/bp_windows.h"
#include "sarvik_fixture.h"
#include "watch_dialog.h"

namespace sarvik::test {
namespace {

using platform::GTestScriptedUi;
using platform::ScriptedDialog;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace sarvik::ui;

TEST(WatchControlTest, ControlWordsToSelectionsAndBack)
{
    struct Case {
        uint32_t control;
        WatchSelections selections;
        bool enable;
    } cases[] = {
        {0xFFFF0000u, {0, 0, 0}, false},  // nothing compared
        {0xFFF70100u, {0, 0, 1}, true},   // instruction fetch, enabled
        {0xFFF00001u, {2, 3, 1}, false},  // write, byte, fetch
        {0xFFF0010Cu, {1, 1, 2}, true},   // read, word, data access
        {0xFFF00003u, {2, 2, 1}, false},  // write, halfword
        {0xFFF90002u, {0, 2, 0}, false},  // halfword only
        {0xFFF60009u, {2, 0, 2}, false},  // data write, any size
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SelectionsOfControl(c.control), c.selections) << std::hex << c.control;
        EXPECT_EQ(ControlOfSelections(c.selections, c.enable), c.control) << std::hex << c.control;
    }
    // Bits 20-31 of the mask half are always set; size bits 1-2 of 6 read as byte.
    EXPECT_EQ(ControlOfSelections(SelectionsOfControl(0x00F70100u), true), 0xFFF70100u);
    EXPECT_EQ(SelectionsOfControl(0xFFF00006u).size, 3);
}

class WatchDialogTest : public SarvikTest {
protected:
    int Run(std::function<void(ScriptedDialog&)> script)
    {
        GTestScriptedUi ui;
        ui.RunDialog(std::move(script), "Watchpoint");
        return WhptOpenWindow(nullptr, 0);
    }
    static void Leave(ScriptedDialog& d, int id) { d.dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), 0); }
    static void HwMode()
    {
        const EMU_TARGET_CONFIG config = Config(0x005);
        EmuSetTargetConfig(&config);
        // The fixture's first configuration reserved unit 1: free it.
        Core().units.Clear(1);
        Fake().calls.clear();
    }
};

TEST_F(WatchDialogTest, OkProgramsAWatchpointFromTheFields)
{
    HwMode();
    EXPECT_EQ(Run([](ScriptedDialog& d) {
                  const WatchUnitIds& u0 = kWatchUnitIds[0];
                  EXPECT_EQ(d.text(u0.address), "0");
                  EXPECT_EQ(d.text(u0.addressMask), "FFFFFFFF");
                  d.click(u0.activate);
                  d.click(u0.enable);
                  d.set(u0.address, "20003");
                  Leave(d, u0.address);
                  EXPECT_EQ(d.text(u0.addressMask), "0") << "a typed address is compared in full";
                  d.set(u0.data, "0");
                  Leave(d, u0.data);
                  EXPECT_EQ(d.text(u0.dataMask), "FFFFFFFF") << "a data value of 0 leaves the mask";
                  d.select(u0.readWrite, 2);
                  d.select(u0.size, 1);
                  d.select(u0.access, 2);
                  d.click(IDC_WATCH_OK);
              }),
              IDOK);
    EXPECT_THAT(Fake().calls, ElementsAre("emuSetHwBp(u0,0x20000,mask 0x0,ctl 0xfff0010d)"));
    const WHPT_UNIT& unit = Core().units.Unit(0);
    EXPECT_EQ(unit.used, 1u);
    EXPECT_EQ(unit.enabled, 1u);
    EXPECT_EQ(unit.address, 0x20000u) << "aligned to a word in ARM code";
    EXPECT_EQ(unit.control, 0xFFF0010Du);
    EXPECT_EQ(Core().units.Unit(1).used, 0u);

    // Reopened: the fields come from the record; clearing the activate box
    // clears the unit in the target.
    Run([](ScriptedDialog& d) {
        const WatchUnitIds& u0 = kWatchUnitIds[0];
        EXPECT_EQ(d.text(u0.address), "20000");
        EXPECT_EQ(d.items.GetCurSel(u0.readWrite), 2);
        EXPECT_EQ(d.items.GetCurSel(u0.size), 1);
        EXPECT_EQ(d.items.GetCurSel(u0.access), 2);
        EXPECT_EQ(d.items.GetCheck(u0.activate), 1);
        d.click(u0.activate);
        d.click(IDC_WATCH_OK);
    });
    EXPECT_THAT(Fake().calls, ElementsAre("emuSetHwBp(u0,0x20000,mask 0x0,ctl 0xfff0010d)", "emuClrHwBp(u0)"));
    EXPECT_EQ(Core().units.Unit(0).used, 0u);
}

TEST_F(WatchDialogTest, ThumbAddressesAreAlignedToAHalfword)
{
    HwMode();
    Fake().thumbRanges = {{0x9000, 0x9FFF}};
    Run([](ScriptedDialog& d) {
        d.click(kWatchUnitIds[1].activate);
        d.set(kWatchUnitIds[1].address, "9003");
        d.click(IDC_WATCH_OK);
    });
    EXPECT_THAT(Fake().calls, ElementsAre("emuSetHwBp(u1,0x9002,mask 0xffffffff,ctl 0xffff0000)"));
}

TEST_F(WatchDialogTest, ResetChangesOnlyTheFieldsAndCancelKeepsTheUnit)
{
    HwMode();
    Run([](ScriptedDialog& d) {
        d.click(kWatchUnitIds[0].activate);
        d.set(kWatchUnitIds[0].address, "8000");
        d.click(IDC_WATCH_OK);
    });
    const WHPT_UNIT programmed = Core().units.Unit(0);
    Fake().calls.clear();
    EXPECT_EQ(Run([](ScriptedDialog& d) {
                  d.click(IDC_WATCH_RESET);
                  EXPECT_EQ(d.text(kWatchUnitIds[0].address), "0");
                  EXPECT_EQ(d.items.GetCheck(kWatchUnitIds[0].activate), 0);
                  d.click(IDC_WATCH_CANCEL);
              }),
              IDCANCEL);
    EXPECT_THAT(Fake().calls, IsEmpty());
    EXPECT_EQ(Core().units.Unit(0), programmed) << "Cancel after Reset keeps the unit";
    // OK after Reset clears the used unit in the target.
    Run([](ScriptedDialog& d) {
        d.click(IDC_WATCH_RESET);
        d.click(IDC_WATCH_OK);
    });
    EXPECT_THAT(Fake().calls, ElementsAre("emuClrHwBp(u0)"));
    EXPECT_EQ(Core().units.Unit(0).used, 0u);
}

TEST_F(WatchDialogTest, OutsideHardwareModeUnitOneIsReservedAndProgrammedAgain)
{
    const WHPT_UNIT reserved = Core().units.Unit(1);
    ASSERT_EQ(reserved.used, 1u) << "the configuration reserved unit 1";
    Run([](ScriptedDialog& d) {
        for (int id : {213, 214, 234, 235, 236, 237, 238, 251, 1008})
            EXPECT_FALSE(d.items.IsEnabled(id)) << id;
        EXPECT_TRUE(d.items.IsEnabled(kWatchUnitIds[0].address));
        d.click(IDC_WATCH_RESET);
        EXPECT_EQ(d.items.GetCheck(kWatchUnitIds[1].activate), 1) << "Reset leaves unit 1";
        d.click(IDC_WATCH_OK);
    });
    ASSERT_EQ(Fake().calls.size(), 1u);
    EXPECT_EQ(Fake().lastHwBp.unit, 1);
    EXPECT_EQ(Fake().lastHwBp.address, reserved.address);
    EXPECT_EQ(Fake().lastHwBp.data, reserved.data);
    EXPECT_EQ(Fake().lastHwBp.dataMask, reserved.dataMask);
    EXPECT_EQ(Core().units.Unit(1).used, 1u);
}

TEST_F(WatchDialogTest, AFieldThatIsNoNumberStopsOk)
{
    HwMode();
    GTestScriptedUi ui;
    ui.RunDialog(
        [](ScriptedDialog& d) {
            d.click(kWatchUnitIds[0].activate);
            for (const char* bad : {"12G", "", "-1", "123456789"}) {
                d.set(kWatchUnitIds[0].dataMask, bad);
                d.click(IDC_WATCH_OK);
                EXPECT_FALSE(d.dialog.IsEnded()) << bad;
                EXPECT_EQ(d.items.GetFocus(), kWatchUnitIds[0].dataMask);
            }
            d.click(IDC_WATCH_CANCEL);
        },
        "Watchpoint");
    for (int i = 0; i < 4; ++i)
        ui.AnswerMessageBox(IDOK, "unsigned");
    EXPECT_EQ(WhptOpenWindow(nullptr, 0), IDCANCEL);
    EXPECT_THAT(Fake().calls, IsEmpty());
}

TEST_F(WatchDialogTest, AFailedProgrammingKeepsTheRecord)
{
    HwMode();
    Fake().failNext["emuSetHwBp"] = 5;
    Run([](ScriptedDialog& d) {
        d.click(kWatchUnitIds[0].activate);
        d.set(kWatchUnitIds[0].address, "8000");
        d.click(IDC_WATCH_OK);
    });
    EXPECT_EQ(Core().units.Unit(0), WHPT_UNIT{});
}

}  // namespace
}  // namespace sarvik::test
