// The breakpoint list window's report list, registered for CBkptView.
#include "sarvik_qt/bp_list_widget.h"

#include <QBitmap>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>

#include "bp_list_wnd.h"
#include "bp_states_xpm.h"
#include "platform/qt/widget_factory.h"

namespace sarvik::qt {

using sarvik::ui::CBkptView;
using sarvik::ui::kBkptColumns;

QPixmap StateImage(int index)
{
    static const QImage strip(sarvik::res::kBpStatesXpm);
    QImage image = strip.copy(index * 16, 0, 16, 16).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == 0xFFFF00)
                image.setPixel(x, y, 0);
    return QPixmap::fromImage(image);
}

BkptListWidget::BkptListWidget(CBkptView* view, QWidget* parent)
    : QTableWidget(parent), platform::qt::HostBase(this, view)
{
    setObjectName("bplist");
    setColumnCount(4);
    QStringList titles;
    for (const auto& c : kBkptColumns)
        titles << c.title;
    setHorizontalHeaderLabels(titles);
    for (int i = 0; i < 4; ++i)
        setColumnWidth(i, kBkptColumns[i].width);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    setFont(font);
    connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
        if (filling_ || !View())
            return;
        auto rows = selectionModel()->selectedRows();
        View()->SetSelected(rows.isEmpty() ? -1 : rows.front().row());
    });
    Invalidate();
}

CBkptView* BkptListWidget::View() const
{
    return static_cast<CBkptView*>(Wnd());
}

void BkptListWidget::Invalidate()
{
    CBkptView* view = View();
    if (!view)
        return;
    filling_ = true;
    const auto& rows = view->Rows();
    setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(QString::fromLatin1(rows[r].text[c].c_str()));
            const int align = kBkptColumns[c].align;
            item->setTextAlignment(Qt::AlignVCenter |
                                   (align == 1       ? Qt::AlignRight
                                        : align == 2 ? Qt::AlignHCenter
                                                     : Qt::AlignLeft));
            if (c == 0)
                item->setIcon(StateImage(rows[r].image));
            setItem(r, c, item);
        }
    if (view->GetSelected() >= 0)
        selectRow(view->GetSelected());
    else
        clearSelection();
    filling_ = false;
}

void BkptListWidget::contextMenuEvent(QContextMenuEvent* event)
{
    if (CBkptView* view = View())
        view->OnContextMenu({event->globalPos().x(), event->globalPos().y()});
}

void BkptListWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableWidget::mouseDoubleClickEvent(event);
    const int row = rowAt(event->position().toPoint().y());
    if (CBkptView* view = View(); view && row >= 0) {
        view->SetSelected(row);
        view->OpenRow(row);
    }
}

namespace {
platform::qt::WidgetRegistrar registrar(RUNTIME_CLASS(CBkptView), [](CWnd* wnd, QWidget* parent) -> QWidget* {
    return new BkptListWidget(static_cast<CBkptView*>(wnd), parent);
});
}  // namespace

}  // namespace sarvik::qt
