#include "regmem/qt/auto_size_edit.h"

#include <QKeyEvent>

namespace regmem::qt {

namespace {

constexpr int kMaxMeasured = 256;
// Room kept after the text.
constexpr int kMargin = 10;

}  // namespace

AutoSizeEdit::AutoSizeEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] { Widen(); });
}

int AutoSizeEdit::TextEnd() const
{
    const QString line = text().section('\n', 0, 0).left(kMaxMeasured);
    return contentsRect().left() + textMargins().left() + fontMetrics().horizontalAdvance(line);
}

void AutoSizeEdit::Widen()
{
    // A window wider than the text stays as it is; one the text has run
    // past grows to keep the margin after it, in the same place and height.
    const int end = TextEnd();
    if (width() < end - kMargin)
        resize(end + kMargin, height());
}

void AutoSizeEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        if (onEscape)
            onEscape();
        e->accept();
        return;
    }
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    QLineEdit::keyPressEvent(e);
    if (enter)
        hide();
}

}  // namespace regmem::qt
