// CellPainter: draws a CellPaint record in fixed cells, and the fonts of
// the LOGFONT mapping (full hinting, no antialiasing: integral advances).
#pragma once

#include <QFont>
#include <QPainter>
#include <QRegion>
#include <QSize>

#include "platform/cell_paint.h"
#include "platform/gdi.h"

namespace platform::qt {

QFont MakeFont(const FontSpec& spec);
// Cell width and line height of a font (QFontMetrics::height()).
QSize CellSizeOf(const QFont& font);
QColor ToQColor(COLORREF c);

class CellPainter {
public:
    CellPainter(QFont font, QSize cell) : font_(std::move(font)), cell_(cell) {}
    QSize Cell() const { return cell_; }
    // Paints the rows of `paint` into a rectangle of `width` pixels. With a
    // `dirty` region (in the painter's coordinates) only what meets it is
    // drawn: a paint that repaints a few rows or a margin does not lay out
    // the text of the rest.
    void Paint(QPainter& p, const CellPaint& paint, int width, const QRegion& dirty = {}) const;

private:
    void PaintRow(QPainter& p, const CellPaint& paint, const CellRow& row, int width, const QRegion& dirty) const;
    QFont font_;
    QSize cell_;
};

}  // namespace platform::qt
