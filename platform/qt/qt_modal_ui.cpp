#include "platform/qt/qt_modal_ui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDrag>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "platform/menu.h"
#include "platform/qt/dialog_widget.h"
#include "platform/qt/sheet_widget.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

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
    // The owner window may go while the box waits (a splash that ends):
    // it takes the box with it, which then answers as if dismissed.
    QPointer<QMessageBox> alive(box.get());
    box->exec();
    if (!alive) {
        box.release();
        return ResultOf(QMessageBox(), nullptr, request.type);
    }
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
    // The pages end on their widgets, as a dialog does: the sheet's window
    // deletes them when it goes.
    SheetWidget widget(sheet, QApplication::activeWindow());
    widget.exec();
    const int result = sheet.IsEnded() ? sheet.Result() : IDCANCEL;
    sheet.Finish();
    return result;
}

namespace {

// The model's items into a QMenu, sub-popups included; the id rides on the
// action.
void FillPopup(QMenu& menu, const CMenu& model)
{
    for (const auto& item : model.Items()) {
        if (item.flags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        QString text = Q(item.text.substr(0, item.text.find('\t')));
        if (item.popup) {
            QMenu* sub = menu.addMenu(text);
            sub->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
            FillPopup(*sub, *item.popup);
            continue;
        }
        QAction* a = menu.addAction(text);
        a->setObjectName(QString("cmd_%1").arg(item.id));
        a->setData(item.id);
        a->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
        a->setCheckable(item.flags & MF_CHECKED);
        a->setChecked(item.flags & MF_CHECKED);
    }
}

}  // namespace

UINT QtModalUi::TrackPopupMenu(const PopupRequest& request)
{
    if (!request.menu)
        return 0;
    QMenu menu;
    menu.setObjectName("popup");
    FillPopup(menu, *request.menu);
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

QFont QtModalUi::FontOf(const LOGFONT& lf)
{
    FontSpec spec = ResolveFont(lf);
    QFont font(lf.lfFaceName[0] ? QString::fromLatin1(lf.lfFaceName) : Q(spec.family));
    font.setPixelSize(lf.lfHeight ? std::abs(static_cast<int>(lf.lfHeight)) : 14);
    font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(lf.lfWeight ? lf.lfWeight : FW_NORMAL, 100, 900)));
    font.setItalic(lf.lfItalic);
    font.setUnderline(lf.lfUnderline);
    font.setStrikeOut(lf.lfStrikeOut);
    font.setFixedPitch(spec.fixed);
    return font;
}

LOGFONT QtModalUi::LogFontOf(const QFont& font)
{
    LOGFONT lf{};
    int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    lf.lfHeight = -pixels;
    lf.lfWeight = std::clamp(static_cast<int>(font.weight()), 100, 900);
    lf.lfItalic = font.italic();
    lf.lfUnderline = font.underline();
    lf.lfStrikeOut = font.strikeOut();
    lf.lfCharSet = ANSI_CHARSET;
    bool fixed = font.fixedPitch() || QFontInfo(font).fixedPitch();
    lf.lfPitchAndFamily = fixed ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_SWISS);
    // The face is cut at the record's size, always terminated.
    QByteArray face = font.family().toLatin1();
    std::strncpy(lf.lfFaceName, face.constData(), LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    return lf;
}

QColor QtModalUi::ColorOf(COLORREF color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF QtModalUi::ColorRefOf(const QColor& color)
{
    QColor rgb = color.toRgb();
    return RGB(static_cast<BYTE>(rgb.red()), static_cast<BYTE>(rgb.green()), static_cast<BYTE>(rgb.blue()));
}

bool QtModalUi::FontDialog(HWND, LOGFONT& font, bool fixedOnly)
{
    QFontDialog dialog(FontOf(font), QApplication::activeWindow());
    if (fixedOnly)
        dialog.setOption(QFontDialog::MonospacedFonts, true);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = LogFontOf(dialog.selectedFont());
    return true;
}

bool QtModalUi::ColorDialog(HWND, COLORREF& color)
{
    QColorDialog dialog(ColorOf(color), QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    color = ColorRefOf(dialog.selectedColor());
    return true;
}

std::unique_ptr<QPrintDialog> QtModalUi::BuildPrintDialog(const PrintDialogRequest& r, QPrinter& printer)
{
    int minPage = static_cast<int>(std::max<UINT>(r.minPage, 1));
    int maxPage = static_cast<int>(std::clamp<UINT>(r.maxPage, static_cast<UINT>(minPage), 0xFFFF));
    printer.setCopyCount(std::max(r.copies, 1));
    auto dialog = std::make_unique<QPrintDialog>(&printer, QApplication::activeWindow());
    dialog->setMinMax(minPage, maxPage);
    int from = std::clamp(static_cast<int>(r.fromPage), minPage, maxPage);
    int to = std::clamp(static_cast<int>(r.toPage), from, maxPage);
    dialog->setFromTo(from, to);
    dialog->setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog->setOption(QAbstractPrintDialog::PrintSelection, r.selection);
    if (r.selection)
        dialog->setPrintRange(QAbstractPrintDialog::Selection);
    else if (!r.allPages)
        dialog->setPrintRange(QAbstractPrintDialog::PageRange);
    else
        dialog->setPrintRange(QAbstractPrintDialog::AllPages);
    return dialog;
}

void QtModalUi::ReadPrintDialog(const QPrintDialog& dialog, PrintDialogRequest& r)
{
    QAbstractPrintDialog::PrintRange range = dialog.printRange();
    r.selection = range == QAbstractPrintDialog::Selection;
    r.allPages = range == QAbstractPrintDialog::AllPages;
    if (range == QAbstractPrintDialog::PageRange && dialog.fromPage() > 0) {
        r.fromPage = static_cast<UINT>(dialog.fromPage());
        r.toPage = static_cast<UINT>(std::max(dialog.toPage(), dialog.fromPage()));
    }
    const QPrinter* printer = const_cast<QPrintDialog&>(dialog).printer();
    r.copies = printer ? std::max(printer->copyCount(), 1) : 1;
}

std::unique_ptr<QInputDialog> QtModalUi::BuildTextDialog(const TextRequest& r)
{
    auto dialog = std::make_unique<QInputDialog>(QApplication::activeWindow());
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setWindowTitle(Q(r.title));
    dialog->setLabelText(Q(r.prompt));
    dialog->setTextValue(Q(r.text));
    return dialog;
}

bool QtModalUi::TextInput(const TextRequest& request, std::string& text)
{
    auto dialog = BuildTextDialog(request);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    text = S(dialog->textValue());
    return true;
}

bool QtModalUi::PrintDialog(PrintDialogRequest& request)
{
    QPrinter printer;
    auto dialog = BuildPrintDialog(request, printer);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    ReadPrintDialog(*dialog, request);
    return true;
}

void QtModalUi::MessageBeep(UINT)
{
    QApplication::beep();
}

}  // namespace platform::qt
