#include "platform/qt/cell_painter.h"

#include <QFontMetrics>
#include <QPen>
#include <QPolygon>

#include <vector>

namespace platform::qt {

QFont MakeFont(const FontSpec& spec)
{
    QFont f(QString::fromStdString(spec.family));
    f.setPixelSize(spec.pixelSize);
    f.setBold(spec.bold);
    f.setItalic(spec.italic);
    f.setUnderline(spec.underline);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setFixedPitch(spec.fixed);
    return f;
}

QSize CellSizeOf(const QFont& font)
{
    QFontMetrics m(font);
    return {m.horizontalAdvance(QLatin1Char('M')), m.height()};
}

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

void CellPainter::Paint(QPainter& p, const CellPaint& paint, int width, const QRegion& dirty) const
{
    p.setFont(font_);
    const int lh = cell_.height();
    for (const CellRow& row : paint.rows)
        if (dirty.isEmpty() || dirty.intersects(QRect(0, row.row * lh, std::max(width, 1), lh)))
            PaintRow(p, paint, row, width, dirty);
}

void CellPainter::PaintRow(QPainter& p, const CellPaint& paint, const CellRow& row, int width,
                           const QRegion& dirty) const
{
    const int cw = cell_.width(), lh = cell_.height();
    const int y = row.row * lh;
    const int columns = paint.columns > 0 ? paint.columns : std::max(0, (width - paint.margin + cw - 1) / cw);
    // Whether a part of the row is to be drawn (all of it without a region).
    const auto wanted = [&](int x, int w) { return dirty.isEmpty() || dirty.intersects(QRect(x, y, w, lh)); };
    // Margin: its colours, line number, icons.
    if (paint.margin > 0 && wanted(0, paint.margin)) {
        p.fillRect(0, y, paint.margin, lh, ToQColor(paint.marginColors.bg));
        if (paint.stripWidth > 0)
            p.fillRect(0, y, std::min(paint.stripWidth, paint.margin), lh, ToQColor(paint.stripColor));
        if (!row.lineNumber.empty()) {
            p.setPen(ToQColor(paint.marginColors.fg));
            QFontMetrics m(font_);
            QString text = QString::fromStdString(row.lineNumber);
            if (paint.lineNumberX >= 0) {
                p.save();
                p.setClipRect(paint.lineNumberX, y, std::max(0, paint.margin - paint.lineNumberX), lh);
                p.drawText(paint.lineNumberX, y + m.ascent(), text);
                p.restore();
            } else {
                p.drawText(paint.margin - cw - m.horizontalAdvance(text), y + m.ascent(), text);
            }
        }
        for (const auto& icon : row.icons) {
            QRect r(icon.slot * cw + 1, y + 1, std::min(cw * 2, lh) - 2, lh - 2);
            p.setPen(Qt::NoPen);
            switch (icon.icon) {
            case CellIcon::Breakpoint:
                p.setBrush(QColor(200, 0, 0));
                p.drawEllipse(r.adjusted(1, 2, -1, -2));
                break;
            case CellIcon::DisabledBreakpoint:
                p.setBrush(Qt::NoBrush);
                p.setPen(QColor(200, 0, 0));
                p.drawEllipse(r.adjusted(1, 2, -2, -3));
                break;
            case CellIcon::ProgramCounter: {
                p.setBrush(QColor(230, 200, 0));
                QPolygon arrow;
                arrow << QPoint(r.left(), r.top() + 3) << QPoint(r.right() - 4, r.top() + 3)
                      << QPoint(r.right(), r.center().y()) << QPoint(r.right() - 4, r.bottom() - 3)
                      << QPoint(r.left(), r.bottom() - 3);
                p.drawPolygon(arrow);
                break;
            }
            case CellIcon::Bookmark:
                p.setBrush(QColor(0, 160, 200));
                p.drawRoundedRect(r.adjusted(1, 3, -1, -3), 2, 2);
                break;
            case CellIcon::Error:
                p.setBrush(QColor(255, 120, 0));
                p.drawRect(r.adjusted(2, 4, -2, -4));
                break;
            case CellIcon::CursorLink:
                p.setPen(QPen(QColor(0, 120, 0), 2));
                p.drawLine(r.left() + 2, r.center().y(), r.right() - 2, r.center().y());
                p.drawLine(r.right() - 5, r.center().y() - 3, r.right() - 2, r.center().y());
                p.drawLine(r.right() - 5, r.center().y() + 3, r.right() - 2, r.center().y());
                p.setPen(Qt::NoPen);
                break;
            case CellIcon::UnitBreakpoint:
                p.setBrush(QColor(200, 0, 0));
                p.drawRect(r.adjusted(2, 3, -2, -3));
                break;
            case CellIcon::DisabledUnitBreakpoint:
                p.setBrush(Qt::NoBrush);
                p.setPen(QColor(200, 0, 0));
                p.drawRect(r.adjusted(2, 3, -3, -4));
                break;
            }
        }
        p.setBrush(Qt::NoBrush);
    }
    // Text: per-cell colours joined into segments of one colour pair.
    std::vector<CellColors> colors(static_cast<size_t>(columns));
    std::string chars(static_cast<size_t>(columns), ' ');
    std::vector<int> format(static_cast<size_t>(columns), 0);
    auto clampSpan = [&](int column, int count, auto&& fn) {
        int from = std::max(column - paint.firstColumn, 0);
        int to = count < 0 ? columns : std::min(column - paint.firstColumn + count, columns);
        for (int c = from; c < to; ++c)
            fn(c);
    };
    for (const auto& f : row.fills)
        clampSpan(f.column, f.count, [&](int c) { format[c] = f.format; });
    for (const auto& r : row.runs) {
        int start = r.column - paint.firstColumn;
        clampSpan(r.column, static_cast<int>(r.text.size()), [&](int c) {
            format[c] = r.format;
            chars[c] = r.text[static_cast<size_t>(c - start)];
        });
    }
    for (int c = 0; c < columns; ++c)
        colors[c] = paint.Colors(format[c]);
    for (const auto& inv : row.inverted)
        clampSpan(inv.column, inv.count, [&](int c) { colors[c] = Inverted(colors[c]); });
    QFontMetrics m(font_);
    const int baseline = y + m.ascent();
    for (int c = 0; c < columns;) {
        int end = c + 1;
        while (end < columns && colors[end] == colors[c])
            ++end;
        int x = paint.margin + c * cw;
        if (!wanted(x, (end - c) * cw)) {
            c = end;
            continue;
        }
        p.fillRect(x, y, (end - c) * cw, lh, ToQColor(colors[c].bg));
        int lastChar = end;
        while (lastChar > c && chars[lastChar - 1] == ' ')
            --lastChar;
        if (lastChar > c) {
            p.setPen(ToQColor(colors[c].fg));
            p.drawText(x, baseline, QString::fromLatin1(chars.data() + c, lastChar - c));
        }
        c = end;
    }
    if (paint.margin + columns * cw < width)
        p.fillRect(paint.margin + columns * cw, y, width - paint.margin - columns * cw, lh,
                   ToQColor(paint.Colors(0).bg));
    for (const auto& e : row.edges) {
        p.setPen(ToQColor(e.color));
        int ly = e.side == CellRow::Edge::Top ? y : y + lh - 1;
        p.drawLine(0, ly, width, ly);
    }
}

}  // namespace platform::qt
