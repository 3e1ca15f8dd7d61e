// guibench [REPEAT]: times the window layer's hot paths, three runs each,
// and prints the minimum and median per operation.
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "demo_screens.h"
#include "platform/qt/cell_painter.h"

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds per call of `fn`, averaged over `repeat` calls.
double Time(int repeat, const std::function<void()>& fn)
{
    auto start = Clock::now();
    for (int i = 0; i < repeat; ++i)
        fn();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / repeat;
}

void Report(const char* what, int repeat, const std::function<void()>& fn)
{
    fn();  // warm up
    std::vector<double> runs;
    for (int r = 0; r < 3; ++r)
        runs.push_back(Time(repeat, fn));
    std::sort(runs.begin(), runs.end());
    std::printf("%-44s min %.4f ms  median %.4f ms\n", what, runs[0], runs[1]);
}

int CountItems(platform::CMenu& menu)
{
    int n = 0;
    for (auto& item : menu.Items())
        n += item.popup ? CountItems(*item.popup) : (item.id != 0 ? 1 : 0);
    return n;
}

void UpdateAll(platform::CMenu& menu, platform::CFrameWnd* frame)
{
    menu.UpdateItems(frame);
    for (auto& item : menu.Items())
        if (item.popup)
            UpdateAll(*item.popup, frame);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);
    int repeat = argc > 1 ? std::atoi(argv[1]) : 200;
    using namespace guidemo;
    CDemoApp& app = DemoApp();
    app.OpenDocumentFile(HelloSource().c_str());
    auto* frame = static_cast<CDemoMainFrame*>(app.m_pMainWnd);
    auto menu = frame->GetShownMenu();
    int items = CountItems(*menu) + frame->toolBar.GetCount() + frame->statusBar.GetCount();
    std::printf("update pass: %d items (menus, buttons, panes)\n", items);
    Report("update pass over the demo frame", repeat, [&] {
        UpdateAll(*menu, frame);
        frame->OnIdleUpdateCmdUI();
    });

    // A page of 60 rows with 8 runs each.
    FontSpec spec;
    QFont font = platform::qt::MakeFont(spec);
    platform::qt::CellPainter painter(font, platform::qt::CellSizeOf(font));
    CellPaint page;
    page.formats = CSourceView::Formats();
    page.margin = 56;
    for (int r = 0; r < 60; ++r) {
        CellRow row;
        row.row = r;
        row.lineNumber = std::to_string(r + 1);
        for (int k = 0; k < 8; ++k)
            row.runs.push_back({k * 10, "token" + std::to_string(k) + "   ", k % 5});
        if (r % 7 == 0)
            row.inverted.push_back({5, 20});
        page.rows.push_back(std::move(row));
    }
    QImage image(800, 60 * painter.Cell().height(), QImage::Format_RGB32);
    Report("CellPainter, 60 rows x 8 runs", repeat, [&] {
        QPainter p(&image);
        painter.Paint(p, page, image.width());
    });
    Report("bare QPainter loop, 60 rows x 8 runs", repeat, [&] {
        QPainter p(&image);
        p.setFont(font);
        const int cw = painter.Cell().width(), lh = painter.Cell().height();
        for (int r = 0; r < 60; ++r)
            for (const auto& run : page.rows[r].runs) {
                QRect rect(56 + run.column * cw, r * lh, static_cast<int>(run.text.size()) * cw, lh);
                p.fillRect(rect, Qt::white);
                p.drawText(rect.left(), r * lh + 12, QString::fromLatin1(run.text.c_str()));
            }
    });
    return 0;
}
