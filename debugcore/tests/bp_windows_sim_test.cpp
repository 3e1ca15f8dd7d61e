// The breakpoint dialog and list window on the real simulator, driven
// offscreen through their widgets (ctl_<id>, typed text and clicks): a
// counted breakpoint on func set by the dialog stops at its third pass with
// the main frame's stop handling; the dialog's line and the list's Symbol
// column give the source position arm-none-eabi-addr2line gives; a line
// disabled in the dialog stops nothing.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <sstream>

#include "bp_dialog.h"
#include "bp_line.h"
#include "bp_list_wnd.h"
#include "host_tools.h"
#include "platform/frame_wnd.h"
#include "platform/qt/dialog_widget.h"
#include "quinar/quinar.h"
#include "sarvik/bp_windows.h"
#include "sarvik_qt/bp_list_widget.h"
#include "sim_session.h"
#include "talvis/talvis.h"

namespace sarvik::test {
namespace {

using namespace sarvik::ui;
using platform::qt::DialogWidget;

class BpWindowsSim : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    void TearDown() override
    {
        SimSession::TearDown();
        SymClearSymbolTables(0);
    }
    uint32_t Calls()
    {
        uint8_t b[4] = {};
        EXPECT_EQ(MemReadBlock(b, {Symbol("calls"), 1}, 4), 0);
        return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    }
    // "#file#line" as arm-none-eabi-addr2line gives it for the address.
    std::string Addr2Line(uint32_t address)
    {
        std::ostringstream hex;
        hex << "0x" << std::hex << address;
        const auto run = zk::test::RunProcess({"arm-none-eabi-addr2line", "-e", imagePath_, hex.str()});
        EXPECT_EQ(run.exitStatus, 0) << "arm-none-eabi-addr2line: " << run.err;
        std::string out = run.out;
        out = out.substr(0, out.find('\n'));
        const size_t colon = out.rfind(':');
        std::string file = out.substr(0, colon);
        std::string line = out.substr(colon + 1, out.find(' ', colon) - colon - 1);
        return "#" + file + "#" + line;
    }
    template <class W>
    static W* Control(DialogWidget& w, int id)
    {
        auto* c = w.findChild<W*>(QString("ctl_%1").arg(id));
        EXPECT_NE(c, nullptr) << id;
        return c;
    }
    static void Type(DialogWidget& w, int id, const QString& text)
    {
        auto* edit = Control<QLineEdit>(w, id);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    static void Click(DialogWidget& w, int id) { QTest::mouseClick(Control<QPushButton>(w, id), Qt::LeftButton); }
    // Runs the breakpoint dialog on its widgets: the script, then OK.
    void RunDialog(const std::function<void(DialogWidget&, CBreakpointDlg&)>& script)
    {
        CBreakpointDlg dialog;
        DialogWidget widget(*dialog.Template());
        widget.Attach(dialog);
        widget.show();
        script(widget, dialog);
        Click(widget, IDOK);
        EXPECT_TRUE(dialog.IsEnded());
        EXPECT_EQ(dialog.Result(), IDOK);
        dialog.FinishDialog();
    }
    // Goes from the PC to the next shown stop; the calls counted there.
    uint32_t GoToStop()
    {
        EXPECT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
        EXPECT_TRUE(WaitForStop());
        return Calls();
    }
};

TEST_P(BpWindowsSim, TheDialogSetsACountedBreakpointThatStopsAtItsThirdPass)
{
    Load(GetParam());
    const uint32_t func = Symbol("func");
    std::string line;
    RunDialog([&](DialogWidget& w, CBreakpointDlg&) {
        Type(w, IDC_BP_LOCATION, "#func");
        Type(w, IDC_BP_COUNT, "3");
        Click(w, IDC_BP_ADD);
        // The session's exception-catch breakpoints are lines too; the new
        // line comes last.
        auto* list = Control<QListWidget>(w, IDC_BP_LIST);
        ASSERT_EQ(static_cast<size_t>(list->count()), BptGetList()->size() + 1);
        line = list->item(list->count() - 1)->text().toStdString();
        EXPECT_EQ(list->font().family(), "DejaVu Sans Mono");
    });
    const CBpDataEx& record = *BptGetList()->back();
    EXPECT_EQ(record.GetAddr().off, func) << "nm's address of func";
    EXPECT_EQ(record.GetCount(), 3u);
    EXPECT_EQ(record.GetSymbol(), "#func");
    BpLine read;
    ASSERT_TRUE(ReadBpLine(line, read)) << line;
    EXPECT_EQ(read.position, Addr2Line(func)) << line;

    // The list window's Symbol column gives the same position.
    auto* frame = new CMDIFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, 1));
    BptShowBpListW(1, frame);
    ASSERT_NE(OpenBkptWnd(), nullptr);
    CBkptView* view = OpenBkptWnd()->View();
    const int last = static_cast<int>(view->Rows().size()) - 1;
    ASSERT_EQ(view->Rows().size(), BptGetList()->size());
    EXPECT_EQ(view->Rows()[last].text[3], " " + Addr2Line(func));
    qt::BkptListWidget widget(view);
    EXPECT_EQ(widget.item(last, 3)->text().toStdString(), " " + Addr2Line(func));

    // Runs with the frame's stop handling: the first stop is the third pass.
    EXPECT_EQ(GoToStop(), 2u) << "func has run twice when its third call stops at its entry";
    EXPECT_EQ(Pc(), func);
    EXPECT_EQ(GoToStop(), 5u);
    ExpectImageIntact();
    BptShowBpListW(0, frame);
    platform::DispatchPending();
    frame->DestroyWindow();
    platform::DispatchPending();
}

TEST_P(BpWindowsSim, ALineDisabledInTheDialogStopsNothing)
{
    Load(GetParam());
    RunDialog([&](DialogWidget& w, CBreakpointDlg&) {
        // The dialog opens folded to its "Collapsed" marker.
        EXPECT_EQ(w.height(), DialogWidget::UnitsToY(BreakpointDialogTemplate()->Find(IDC_BP_COLLAPSED)->y));
        Type(w, IDC_BP_LOCATION, "#func");
        Click(w, IDC_BP_ADD);
        Click(w, IDC_BP_ENABLE);
        EXPECT_EQ(Control<QPushButton>(w, IDC_BP_ENABLE)->text(), "Enable");
        auto* list = Control<QListWidget>(w, IDC_BP_LIST);
        EXPECT_EQ(list->item(list->count() - 1)->text().toStdString().substr(0, 2), " -");
    });
    EXPECT_EQ(BptGetList()->back()->GetAddr().off, Symbol("func"));
    EXPECT_FALSE(BptGetList()->back()->IsEnable());
    // The program runs to its end without a stop at func.
    EXPECT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
    EXPECT_TRUE(WaitForStop());
    EXPECT_EQ(Calls(), 10u);
    EXPECT_NE(Pc(), Symbol("func"));
}

TEST(BpStateImages, TwoDrawnImagesOnAMaskedGround)
{
    const QImage disabled = qt::StateImage(BPLIST_IMAGE_DISABLED).toImage();
    const QImage enabled = qt::StateImage(BPLIST_IMAGE_ENABLED).toImage();
    ASSERT_EQ(disabled.size(), QSize(16, 16));
    ASSERT_EQ(enabled.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(enabled.pixel(0, 0)), 0) << "the mask colour is transparent";
    EXPECT_EQ(enabled.pixel(8, 8) & 0xFFFFFF, 0xE02020u) << "enabled: a red disc";
    EXPECT_EQ(disabled.pixel(5, 8) & 0xFFFFFF, 0xFFFFFFu) << "disabled: a ring, white inside";
    EXPECT_NE(disabled, enabled);
}

INSTANTIATE_TEST_SUITE_P(ArmAndThumb, BpWindowsSim, ::testing::Values("bpui_arm", "bpui_thumb"));

}  // namespace
}  // namespace sarvik::test
