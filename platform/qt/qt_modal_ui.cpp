#include "platform/qt/qt_modal_ui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>

#include "platform/menu.h"
#include "platform/qt/dialog_widget.h"
#include "platform/qt/sheet_widget.h"

#include <algorithm>

namespace platform::qt {
namespace {

QMessageBox::StandardButton ButtonFor(int id)
{
    switch (id) {
    case IDOK: return QMessageBox::Ok;
    case IDCANCEL: return QMessageBox::Cancel;
    case IDABORT: return QMessageBox::Abort;
    case IDRETRY: return QMessageBox::Retry;
    case IDIGNORE: return QMessageBox::Ignore;
    case IDYES: return QMessageBox::Yes;
    case IDNO: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

QMessageBox::Icon IconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QString Q(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string S(const QString& s)
{
    return s.toUtf8().toStdString();
}

bool Has(const std::vector<int>& ids, int id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

std::unique_ptr<QMessageBox> QtModalUi::BuildMessageBox(const MessageBoxRequest& r)
{
    auto box = std::make_unique<QMessageBox>(IconFor(r.type), Q(r.caption), Q(r.text), QMessageBox::NoButton,
                                             QApplication::activeWindow());
    std::vector<int> ids = MessageBoxButtons(r.type);
    for (int id : ids)
        box->addButton(ButtonFor(id));
    box->setDefaultButton(ButtonFor(DefaultMessageBoxAnswer(r.type)));
    // Esc answers Cancel where there is one, and a lone OK; a yes/no
    // question has no way around an answer.
    if (Has(ids, IDCANCEL))
        box->setEscapeButton(QMessageBox::Cancel);
    else if (ids.size() == 1)
        box->setEscapeButton(ButtonFor(ids[0]));
    return box;
}

int QtModalUi::ResultOf(const QMessageBox& box, const QAbstractButton* clicked, UINT type)
{
    std::vector<int> ids = MessageBoxButtons(type);
    if (clicked) {
        for (int id : ids)
            if (box.button(ButtonFor(id)) == clicked)
                return id;
    }
    return Has(ids, IDCANCEL) ? IDCANCEL : DefaultMessageBoxAnswer(type);
}

int QtModalUi::MessageBox(const MessageBoxRequest& request)
{
    auto box = BuildMessageBox(request);
    box->exec();
    return ResultOf(*box, box->clickedButton(), request.type);
}

QStringList QtModalUi::NameFilters(const std::string& filter)
{
    QStringList out;
    for (const FileFilter& f : ParseFileFilter(filter)) {
        QString label = Q(f.label);
        int paren = label.indexOf('(');
        if (paren > 0)
            label = label.left(paren).trimmed();
        QStringList patterns;
        for (const auto& p : f.patterns)
            patterns << (p == "*.*" ? QStringLiteral("*") : Q(p));
        out << label + " (" + patterns.join(' ') + ")";
    }
    return out;
}

std::unique_ptr<QFileDialog> QtModalUi::BuildFileDialog(const FileDialogRequest& r)
{
    auto dialog = std::make_unique<QFileDialog>(QApplication::activeWindow(), Q(r.title), Q(r.initialFolder));
    dialog->setAcceptMode(r.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (r.open)
        dialog->setFileMode((r.flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    else
        dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !(r.flags & OFN_OVERWRITEPROMPT));
    QStringList filters = NameFilters(r.filter);
    if (!filters.isEmpty()) {
        dialog->setNameFilters(filters);
        if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
            dialog->selectNameFilter(filters[r.filterIndex - 1]);
    }
    std::string ext = r.defaultExt;
    while (!ext.empty() && (ext[0] == '*' || ext[0] == '.'))
        ext.erase(0, 1);
    if (!ext.empty())
        dialog->setDefaultSuffix(Q(ext));
    if (!r.fileName.empty())
        dialog->selectFile(Q(r.fileName));
    return dialog;
}

bool QtModalUi::FileDialog(const FileDialogRequest& request, FileDialogResult& result)
{
    auto dialog = BuildFileDialog(request);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    result.paths.clear();
    for (const QString& f : dialog->selectedFiles())
        result.paths.push_back(S(f));
    result.filterIndex = static_cast<int>(dialog->nameFilters().indexOf(dialog->selectedNameFilter())) + 1;
    result.readOnly = false;
    return !result.paths.empty();
}

std::unique_ptr<QFileDialog> QtModalUi::BuildFolderDialog(const FolderDialogRequest& r)
{
    auto dialog = std::make_unique<QFileDialog>(QApplication::activeWindow(), Q(r.title), Q(r.initialFolder));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    return dialog;
}

bool QtModalUi::FolderDialog(const FolderDialogRequest& request, std::string& folder)
{
    auto dialog = BuildFolderDialog(request);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return false;
    folder = S(dialog->selectedFiles().front());
    return true;
}

int QtModalUi::DoModal(CDialog& dialog)
{
    auto t = dialog.Template();
    if (!t)
        return IDCANCEL;
    DialogWidget widget(*t, QApplication::activeWindow());
    widget.Attach(dialog);
    widget.exec();
    int result = dialog.IsEnded() ? dialog.Result() : IDCANCEL;
    dialog.FinishDialog();
    return result;
}

int QtModalUi::DoModal(CPropertySheet& sheet)
{
    int result;
    {
        SheetWidget widget(sheet, QApplication::activeWindow());
        widget.exec();
        result = sheet.IsEnded() ? sheet.Result() : IDCANCEL;
    }
    sheet.Finish();
    return result;
}

UINT QtModalUi::TrackPopupMenu(const PopupRequest& request)
{
    if (!request.menu)
        return 0;
    QMenu menu;
    for (const auto& item : request.menu->Items()) {
        if (item.flags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        if (item.popup)
            continue;
        QAction* a = menu.addAction(Q(item.text.substr(0, item.text.find('\t'))));
        a->setData(item.id);
        a->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
        a->setCheckable(item.flags & MF_CHECKED);
        a->setChecked(item.flags & MF_CHECKED);
    }
    QAction* chosen = menu.exec(QPoint(request.x, request.y));
    return chosen ? chosen->data().toUInt() : 0;
}

DWORD QtModalUi::DoDragDrop(const DragRequest& request)
{
    QWidget* source = QApplication::widgetAt(QCursor::pos());
    if (!source)
        source = QApplication::activeWindow();
    if (!source)
        return 0;
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setText(QString::fromLatin1(request.text.c_str()));
    drag->setMimeData(data);
    Qt::DropActions allowed = Qt::IgnoreAction;
    if (request.allowedEffects & 1)
        allowed |= Qt::CopyAction;
    if (request.allowedEffects & 2)
        allowed |= Qt::MoveAction;
    switch (drag->exec(allowed)) {
    case Qt::CopyAction: return 1;
    case Qt::MoveAction: return 2;
    default: return 0;
    }
}

void QtModalUi::MessageBeep(UINT)
{
    QApplication::beep();
}

}  // namespace platform::qt
