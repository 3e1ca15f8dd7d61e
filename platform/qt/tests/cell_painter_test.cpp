// The cell painter with a dirty region: what meets the region is drawn as a
// full paint draws it, and nothing else is touched.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/qt/cell_painter.h"

namespace platform::qt {
namespace {

CellPaint ThreeRows()
{
    CellPaint paint;
    paint.margin = 40;
    paint.formats.push_back({RGB(200, 0, 0), RGB(255, 255, 200)});
    for (int r = 0; r < 3; ++r) {
        CellRow row;
        row.row = r;
        row.lineNumber = std::to_string(r + 10);
        row.runs.push_back({0, "int value = " + std::to_string(r) + ";", 0});
        row.runs.push_back({14, "// note", 1});
        if (r == 1)
            row.icons.push_back({0, CellIcon::ProgramCounter});
        paint.rows.push_back(row);
    }
    return paint;
}

TEST(CellPainter, ADirtyRegionDrawsWhatMeetsItAsAFullPaintDoes)
{
    FontSpec spec;
    spec.family = "DejaVu Sans Mono";
    spec.pixelSize = 13;
    const QFont font = MakeFont(spec);
    const CellPainter painter(font, CellSizeOf(font));
    const int lh = painter.Cell().height(), cw = painter.Cell().width();
    const QSize size(300, 3 * lh);
    const CellPaint paint = ThreeRows();

    QImage full(size, QImage::Format_RGB32);
    full.fill(Qt::black);
    {
        QPainter p(&full);
        painter.Paint(p, paint, size.width());
    }
    struct Case {
        const char* what;
        QRegion dirty;
    };
    const Case cases[] = {
        {"the middle row", QRegion(0, lh, size.width(), lh)},
        {"the margin", QRegion(0, 0, 40, size.height())},
        {"the comment of the last row", QRegion(40 + 14 * cw, 2 * lh, 7 * cw, lh)},
        {"two pieces", QRegion(0, 0, 10, lh) + QRegion(100, 2 * lh, 50, lh)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QImage part(size, QImage::Format_RGB32);
        part.fill(Qt::black);
        {
            // As a widget's paint: clipped to the region it repaints.
            QPainter p(&part);
            p.setClipRegion(c.dirty);
            painter.Paint(p, paint, size.width(), c.dirty);
        }
        int differences = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QRgb expected = c.dirty.contains(QPoint(x, y)) ? full.pixel(x, y) : QColor(Qt::black).rgb();
                differences += part.pixel(x, y) != expected;
            }
        EXPECT_EQ(differences, 0);
    }
}

}  // namespace
}  // namespace platform::qt
