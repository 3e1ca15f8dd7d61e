// Printing a text view to PDF, checked with poppler's tools: the page count
// is the paging's, page 2 starts with the line after page 1's last, and a
// selected cell is printed inverted.
#include <gtest/gtest.h>

#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>

#include <sstream>
#include <vector>

#include "base_view_widget.h"
#include "host_tools.h"
#include "script_edit_view.h"
#include "shell/settings.h"

namespace textbase::qt {
namespace {

using zk::test::RunProcess;

TEST(PrintPdf, PagesTextAndSelectionAsThePagingSays)
{
    theSettings.SetDefaultColors();
    theSettings.LineNumbe = 0;
    auto* view = new CScriptEditView;
    ASSERT_TRUE(view->Create(nullptr));
    std::vector<std::string> lines;
    for (int i = 1; i <= 130; ++i)
        lines.push_back("Line" + std::to_string(i) + " text");
    view->SetLines(lines);
    auto* widget = new BaseViewWidget(view);
    widget->resize(500, 300);
    view->OnInitialUpdate();
    view->SetSelection(0, 0, 0, 5, false);  // "Line1" of page 1

    QTemporaryDir dir;
    const std::string pdf = dir.filePath("text.pdf").toStdString();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setResolution(96);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    const int printed = platform::qt::PrintView(*view, printer);
    const textcore::PrintPaging paging = view->Paging();
    ASSERT_GT(paging.linesPerPage, 1);
    EXPECT_EQ(printed, (130 - 1) / paging.linesPerPage + 1);

    auto info = RunProcess({"pdfinfo", pdf});
    ASSERT_EQ(info.exitStatus, 0) << info.err;
    const size_t pages = info.out.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info.out;
    EXPECT_EQ(std::stoi(info.out.substr(pages + 6)), printed);

    auto text = RunProcess({"pdftotext", "-f", "2", "-l", "2", "-layout", pdf, "-"});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    std::istringstream in(text.out);
    std::string first;
    while (first.find_first_not_of(" \f") == std::string::npos && std::getline(in, first)) {}
    EXPECT_EQ(first.substr(first.find_first_not_of(" \f")), "Line" + std::to_string(paging.linesPerPage + 1) + " text");

    // Page 1 at the printer's resolution: the selected cells are black
    // (white paper inverted) in the first printed row, nowhere else.
    auto ppm =
        RunProcess({"pdftoppm", "-f", "1", "-l", "1", "-r", "96", "-png", pdf, dir.filePath("page").toStdString()});
    ASSERT_EQ(ppm.exitStatus, 0) << ppm.err;
    QImage page(dir.filePath("page-1.png"));
    ASSERT_FALSE(page.isNull());
    // The inverted background: rows that are mostly black across the
    // selection's cells (found by their solid runs; glyphs make none).
    const int lh = view->PrintLineHeight();
    int left = page.width(), right = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0, run = 0; x < page.width(); ++x) {
            run = qGray(page.pixel(x, y)) < 40 ? run + 1 : 0;
            if (run >= 16) {
                left = std::min(left, x - run + 1);
                right = std::max(right, x);
            }
        }
    ASSERT_GT(right, left);
    EXPECT_GE(right - left + 1, 5 * 8 - 2);  // the five cells of "Line1"
    // The band of mostly black rows: one printed line high, at the top of
    // the printed area.
    auto blackShare = [&](int y) {
        int black = 0;
        for (int x = left; x <= right; ++x)
            black += qGray(page.pixel(x, y)) < 40;
        return black * 100 / (right - left + 1);
    };
    // Rows nearly all black: the inverted cell's rows above, between and
    // below its glyphs, spanning one printed line.
    std::vector<int> solid;
    for (int y = 0; y < page.height(); ++y)
        if (blackShare(y) >= 90)
            solid.push_back(y);
    ASSERT_GE(solid.size(), 4u);
    EXPECT_NEAR(solid.front(), paging.offsetY, 2);
    EXPECT_NEAR(solid.back() - solid.front() + 1, lh, 2);
    view->DestroyWindow();
    delete widget;
}

}  // namespace
}  // namespace textbase::qt
