// Pixels of a source view (GUI.md §9) over a gcc program loaded into the
// simulator: keyword, comment and number colours, a selection inverted, the
// icon strip, line numbers from x 20, and breakpoint and PC icons on the rows
// of their lines only (breakpoints set with BptSetBp at addresses of
// readelf's decoded line table, the PC from a go-till).
#include <QFile>
#include <QImage>
#include <QTest>

#include <fstream>
#include <map>
#include <set>

#include "base_view_widget.h"
#include "decoded_lines.h"
#include "host_tools.h"
#include "shell/settings.h"
#include "sim_session.h"

namespace textbase::qt {
namespace {

class SourceView : public CBaseView {
public:
    const char* GetLineNumberFormat() override { return "%6d"; }
};

class StopFrame : public TextViewFrame {
public:
    bool IsConnected() const override { return true; }
    TextViewStop GetStopPosition() const override { return stop; }
    bool GetFindText(std::string&) const override { return false; }
    void AddFindText(const std::string&) override {}
    TextViewStop stop;
};

class SourcePixels : public sarvik::test::SimSession {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        Load("lookup_program");
        lineAddress = lookups::test::LowestLineAddresses(imagePath_, "lookup_program.c");
        ASSERT_FALSE(lineAddress.empty()) << "readelf's decoded lines";
        theSettings.SetDefaultColors();
        theSettings.LineNumbe = 1;
        theSettings.CursorLink = 0;
        previous = SetTextViewFrame(&frame);
    }
    void TearDown() override
    {
        if (view)
            view->DestroyWindow();
        delete widget;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetTextViewFrame(previous);
        document.reset();
        SimSession::TearDown();
    }
    void Open()
    {
        const std::string source = std::string(ZK_SOURCE_DIR) + "/app/debug/lookups/tests/fixtures/lookup_program.c";
        std::ifstream in(source);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        ASSERT_GT(lines.size(), 20u);
        document = std::make_unique<CDocument>();
        document->SetPathName(source, FALSE);
        view = new SourceView;
        ASSERT_TRUE(view->Create(nullptr));
        document->AddView(view);
        view->Buffer().SetLines(lines);
        widget = new BaseViewWidget(view);
        widget->resize(520, 26 * 16 + 30);
        view->OnInitialUpdate();
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
        QApplication::processEvents();
    }
    QImage Grab()
    {
        widget->viewport()->update();
        QApplication::processEvents();
        return widget->viewport()->grab().toImage();
    }
    // Colours of the cell (row, column) of the text.
    std::set<QRgb> CellColours(const QImage& image, int row, int column)
    {
        const QSize cell = widget->TextPainter().Cell();
        std::set<QRgb> colours;
        for (int y = row * cell.height(); y < (row + 1) * cell.height(); ++y)
            for (int x = view->leftMargin + column * cell.width(); x < view->leftMargin + (column + 1) * cell.width();
                 ++x)
                colours.insert(image.pixel(x, y) & 0xFFFFFF);
        return colours;
    }
    static QRgb Rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFF; }
    static std::set<QRgb> Pair(COLORREF fg, COLORREF bg) { return {Rgb(fg), Rgb(bg)}; }
    // Pixels of one colour in the icon strip on a row.
    int StripPixels(const QImage& image, int row, QRgb colour)
    {
        const int lh = widget->TextPainter().Cell().height();
        int n = 0;
        for (int y = row * lh; y < (row + 1) * lh; ++y)
            for (int x = 0; x < 20; ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) == colour;
        return n;
    }

    StopFrame frame;
    TextViewFrame* previous = nullptr;
    std::map<int, uint32_t> lineAddress;
    std::unique_ptr<CDocument> document;
    SourceView* view = nullptr;
    BaseViewWidget* widget = nullptr;
};

TEST_F(SourcePixels, ColoursSelectionMarginAndMarks)
{
    // The PC on one line, then breakpoints on two others.
    const int pcLine = 14;
    ASSERT_TRUE(lineAddress.count(pcLine));
    GoTillStop(lineAddress[pcLine]);
    const int bpLines[] = {12, 21};
    for (int line : bpLines) {
        ASSERT_TRUE(lineAddress.count(line)) << line;
        const ADDR at{lineAddress[line], ADDR_SPACE_TARGET};
        ASSERT_EQ(BptSetBp(&at, "", 1, 0, 1, static_cast<DWORD>(-1)), EMU_OK);
    }
    frame.stop = {"C:\\src\\LOOKUP_PROGRAM.C", pcLine, Pc()};
    Open();
    view->SetSelection(11, 4, 13, 3, false);  // lines 12-14: line 13 whole

    const QImage image = Grab();
    const auto& fc = theSettings.FormatColors;
    auto inverted = [](const shell::ColorPair& p) { return Pair(p.fore ^ 0xFFFFFF, p.back ^ 0xFFFFFF); };
    // "int x;" on line 3 (row 2): "int" in keyword colours, then text.
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(CellColours(image, 2, c), Pair(fc[1].fore, fc[1].back)) << c;
    EXPECT_EQ(CellColours(image, 2, 4), Pair(fc[0].fore, fc[0].back));
    // The comment of line 1, the number of line 7 ("value * 2").
    EXPECT_EQ(CellColours(image, 0, 3), Pair(fc[2].fore, fc[2].back));
    const std::string line7(view->LineText(6));
    const int two = static_cast<int>(line7.find('2'));
    ASSERT_GT(two, 0);
    EXPECT_EQ(CellColours(image, 6, two), Pair(fc[3].fore, fc[3].back));
    // The selection: line 12 from column 4, line 13 whole in the text
    // colours, line 14 up to column 3, all inverted.
    EXPECT_EQ(CellColours(image, 11, 3), std::set<QRgb>{Rgb(fc[0].back)});
    EXPECT_EQ(CellColours(image, 11, 4), inverted(fc[1]));
    EXPECT_EQ(CellColours(image, 12, 7), inverted(fc[0]));
    EXPECT_EQ(CellColours(image, 13, 2), std::set<QRgb>{Rgb(fc[0].back ^ 0xFFFFFF)});
    EXPECT_EQ(CellColours(image, 13, 3), std::set<QRgb>{Rgb(fc[0].back)});

    // The icon strip and the line numbers right of it: "    10" has its
    // digits in cells 4 and 5 from x 20, nothing left of them.
    const int cw = widget->TextPainter().Cell().width();
    EXPECT_EQ(view->leftMargin, 6 * cw + cw / 2 + 20);
    const QRgb strip = qRgb(212, 208, 200) & 0xFFFFFF;
    EXPECT_EQ(StripPixels(image, 4, strip), 20 * 16);
    int firstInk = -1;
    for (int x = 20; x < view->leftMargin && firstInk < 0; ++x)
        for (int y = 9 * 16; y < 10 * 16; ++y)
            if ((image.pixel(x, y) & 0xFFFFFF) != Rgb(fc[0].back)) {
                firstInk = x;
                break;
            }
    EXPECT_GE(firstInk, 20 + 4 * cw);
    EXPECT_LT(firstInk, 20 + 5 * cw);

    // Breakpoint red and PC yellow only on their rows.
    const QRgb red = qRgb(200, 0, 0) & 0xFFFFFF;
    const QRgb yellow = qRgb(230, 200, 0) & 0xFFFFFF;
    for (int row = 0; row < view->LineCount() && row < 26; ++row) {
        const bool bp = row == bpLines[0] - 1 || row == bpLines[1] - 1;
        EXPECT_EQ(StripPixels(image, row, red) > 20, bp) << "row " << row;
        EXPECT_EQ(StripPixels(image, row, yellow) > 20, row == pcLine - 1) << "row " << row;
    }
}

}  // namespace
}  // namespace textbase::qt
