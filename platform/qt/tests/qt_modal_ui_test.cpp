// The Qt modal service: message boxes and file dialogs built from the
// system's requests.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "platform/dialog.h"
#include "platform/messages.h"
#include "platform/qt/dialog_widget.h"
#include "platform/qt/qt_modal_ui.h"

using namespace platform;
using platform::qt::QtModalUi;

namespace {

// Runs `act` on the dialog of type D once it is the active modal widget
// (polled, as the dialog's exec starts after the call that shows it).
template <class D>
void WhenModal(std::function<void(D&)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*d);
        }
    });
    timer->start(10);
}

TEST(QtModalUiTest, MessageBoxHasTheButtonsIconAndDefaultOfItsType)
{
    MessageBoxRequest r{nullptr, "Save changes?", "Zelkor for Arm", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2};
    auto box = QtModalUi::BuildMessageBox(r);
    EXPECT_EQ(box->text(), "Save changes?");
    EXPECT_EQ(box->windowTitle(), "Zelkor for Arm");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->buttons().size(), 3);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::No));
    EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Cancel));
    EXPECT_EQ(QtModalUi::ResultOf(*box, box->button(QMessageBox::Yes), r.type), IDYES);
    EXPECT_EQ(QtModalUi::ResultOf(*box, box->button(QMessageBox::No), r.type), IDNO);
    EXPECT_EQ(QtModalUi::ResultOf(*box, nullptr, r.type), IDCANCEL);

    MessageBoxRequest warn{nullptr, "Flash failed", "Flash", MB_RETRYCANCEL | MB_ICONEXCLAMATION};
    auto retry = QtModalUi::BuildMessageBox(warn);
    EXPECT_EQ(retry->icon(), QMessageBox::Warning);
    EXPECT_EQ(static_cast<QAbstractButton*>(retry->defaultButton()), retry->button(QMessageBox::Retry));

    MessageBoxRequest yesNo{nullptr, "Rebuild?", "", MB_YESNO};
    auto question = QtModalUi::BuildMessageBox(yesNo);
    EXPECT_EQ(question->escapeButton(), nullptr) << "a yes/no question needs an answer";
    EXPECT_EQ(QtModalUi::ResultOf(*question, nullptr, yesNo.type), IDYES);
}

TEST(QtModalUiTest, AWorkersMessageBoxIsShownOnTheGuiThread)
{
    QtModalUi ui;
    ModalUiScope scope(ui);
    // Answer whatever box comes up with its default button.
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->defaultButton()->click();
    });
    clicker.start(10);
    std::atomic<int> answer{0};
    std::thread worker([&] { answer = MessageBox(nullptr, "Erase flash?", "Flash", MB_OKCANCEL | MB_DEFBUTTON2); });
    EXPECT_TRUE(ModalWait([&] { return answer.load() != 0; }, 20000));
    worker.join();
    EXPECT_EQ(answer.load(), IDCANCEL);
}

TEST(QtModalUiTest, FileDialogTakesTheFilterFolderAndFlags)
{
    FileDialogRequest r;
    r.title = "Add source files to Project";
    r.filter = "C Files (*.c)|*.c|C++ Files (*.cpp;*.cp;*c++;*.cc)|*.cpp;*.cp;*c++;*.cc|All Files (*.*)|*.*||";
    r.filterIndex = 2;
    r.defaultExt = "*.c";
    r.initialFolder = "/tmp";
    r.flags = OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    auto dialog = QtModalUi::BuildFileDialog(r);
    EXPECT_EQ(dialog->windowTitle(), "Add source files to Project");
    EXPECT_EQ(dialog->nameFilters(),
              (QStringList{"C Files (*.c)", "C++ Files (*.cpp *.cp *c++ *.cc)", "All Files (*)"}));
    EXPECT_EQ(dialog->selectedNameFilter(), "C++ Files (*.cpp *.cp *c++ *.cc)");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->defaultSuffix(), "c");
    EXPECT_EQ(dialog->directory().absolutePath(), "/tmp");

    FileDialogRequest save;
    save.open = false;
    save.flags = OFN_OVERWRITEPROMPT;
    auto saveDialog = QtModalUi::BuildFileDialog(save);
    EXPECT_EQ(saveDialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(saveDialog->testOption(QFileDialog::DontConfirmOverwrite));

    auto folder = QtModalUi::BuildFolderDialog(FolderDialogRequest{nullptr, "Select folder", "/tmp"});
    EXPECT_EQ(folder->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(folder->testOption(QFileDialog::ShowDirsOnly));
}

TEST(QtModalUiTest, TextDialogShowsThePromptTitleAndInitialText)
{
    auto dialog = QtModalUi::BuildTextDialog(TextRequest{nullptr, "Name of the target?", "Macro", "arm7"});
    EXPECT_EQ(dialog->windowTitle(), "Macro");
    EXPECT_EQ(dialog->labelText(), "Name of the target?");
    EXPECT_EQ(dialog->textValue(), "arm7");
    EXPECT_EQ(dialog->inputMode(), QInputDialog::TextInput);
}

TEST(QtModalUiTest, FontDialogStartsFromTheLogFontAndReturnsTheChosenOne)
{
    QtModalUi ui;
    LOGFONT lf = MakeLogFont("Courier", 16, FW_BOLD);
    lf.lfItalic = 1;
    QFont start = QtModalUi::FontOf(lf);
    EXPECT_EQ(start.pixelSize(), 16);
    EXPECT_EQ(start.weight(), QFont::Bold);
    EXPECT_TRUE(start.italic());
    EXPECT_TRUE(start.fixedPitch());

    QString shown;
    WhenModal<QFontDialog>([&](QFontDialog& d) {
        shown = d.currentFont().family();
        QFont chosen("DejaVu Sans Mono");
        chosen.setPixelSize(20);
        chosen.setWeight(QFont::Normal);
        chosen.setStyleName("Book");
        chosen.setUnderline(true);
        d.setCurrentFont(chosen);
        d.accept();
    });
    ASSERT_TRUE(ui.FontDialog(nullptr, lf, true));
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_STREQ(lf.lfFaceName, "DejaVu Sans Mono");
    EXPECT_EQ(lf.lfHeight, -20);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(lf.lfPitchAndFamily & 3, FIXED_PITCH);

    LOGFONT kept = lf;
    WhenModal<QFontDialog>([](QFontDialog& d) { d.reject(); });
    EXPECT_FALSE(ui.FontDialog(nullptr, lf, false));
    EXPECT_EQ(std::memcmp(&kept, &lf, sizeof lf), 0) << "a cancelled dialog leaves the record";

    // A face longer than the record is cut and stays terminated.
    QFont longFace(QString(40, 'x'));
    longFace.setPixelSize(12);
    LOGFONT cut = QtModalUi::LogFontOf(longFace);
    EXPECT_EQ(std::strlen(cut.lfFaceName), static_cast<size_t>(LF_FACESIZE - 1));
    EXPECT_EQ(cut.lfHeight, -12);
}

TEST(QtModalUiTest, ColorDialogMapsColorRefBothWays)
{
    QtModalUi ui;
    COLORREF c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(QtModalUi::ColorOf(c), QColor(0x12, 0x34, 0x56));
    QColor shown;
    WhenModal<QColorDialog>([&](QColorDialog& d) {
        shown = d.currentColor();
        d.setCurrentColor(QColor(0xC0, 0x80, 0x01));
        d.accept();
    });
    ASSERT_TRUE(ui.ColorDialog(nullptr, c));
    EXPECT_EQ(shown, QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(c, RGB(0xC0, 0x80, 0x01));
    EXPECT_EQ(c, 0x000180C0u) << "COLORREF keeps red in the low byte";

    WhenModal<QColorDialog>([](QColorDialog& d) { d.reject(); });
    EXPECT_FALSE(ui.ColorDialog(nullptr, c));
    EXPECT_EQ(c, RGB(0xC0, 0x80, 0x01));
}

TEST(QtModalUiTest, PrintDialogTakesAndReturnsThePageRange)
{
    QtModalUi ui;
    PrintDialogRequest r;
    r.minPage = 1;
    r.maxPage = 12;
    r.fromPage = 3;
    r.toPage = 5;
    r.allPages = false;
    r.copies = 2;
    int shownFrom = 0, shownTo = 0, shownMax = 0;
    QAbstractPrintDialog::PrintRange shownRange = QAbstractPrintDialog::AllPages;
    WhenModal<QPrintDialog>([&](QPrintDialog& d) {
        shownFrom = d.fromPage();
        shownTo = d.toPage();
        shownMax = d.maxPage();
        shownRange = d.printRange();
        // The dialog's own fields, as the user leaves them.
        auto* from = d.findChild<QSpinBox*>("from");
        auto* to = d.findChild<QSpinBox*>("to");
        auto* copies = d.findChild<QSpinBox*>("copies");
        ASSERT_TRUE(from && to && copies);
        from->setValue(4);
        to->setValue(9);
        copies->setValue(3);
        d.accept();
    });
    ASSERT_TRUE(ui.PrintDialog(r));
    EXPECT_EQ(shownFrom, 3);
    EXPECT_EQ(shownTo, 5);
    EXPECT_EQ(shownMax, 12);
    EXPECT_EQ(shownRange, QAbstractPrintDialog::PageRange);
    EXPECT_FALSE(r.allPages);
    EXPECT_FALSE(r.selection);
    EXPECT_EQ(r.fromPage, 4u);
    EXPECT_EQ(r.toPage, 9u);
    EXPECT_EQ(r.copies, 3);

    // A range outside the document is brought inside before it is shown.
    QPrinter printer;
    PrintDialogRequest odd;
    odd.minPage = 2;
    odd.maxPage = 6;
    odd.fromPage = 0;
    odd.toPage = 40;
    odd.selection = true;
    auto dialog = QtModalUi::BuildPrintDialog(odd, printer);
    EXPECT_EQ(dialog->fromPage(), 2);
    EXPECT_EQ(dialog->toPage(), 6);
    EXPECT_EQ(dialog->printRange(), QAbstractPrintDialog::Selection);
    EXPECT_TRUE(dialog->testOption(QAbstractPrintDialog::PrintSelection));

    WhenModal<QPrintDialog>([](QPrintDialog& d) { d.reject(); });
    PrintDialogRequest kept = r;
    EXPECT_FALSE(ui.PrintDialog(r));
    EXPECT_EQ(r.fromPage, kept.fromPage);
}

// A sheet's pages end while their widgets are still there: a page that
// reads its controls as its window goes (as pages keep what was typed)
// reached the widgets after the sheet's window had deleted them.
TEST(QtModalUiTest, ASheetsPagesEndBeforeTheirWidgetsGo)
{
    struct Page : CPropertyPage {
        Page() : CPropertyPage(std::make_shared<DialogTemplate>(DialogTemplate{}), "Page") {}
        BOOL OnInitDialog() override
        {
            widget = dynamic_cast<platform::qt::DialogWidget*>(&Items());
            return CPropertyPage::OnInitDialog();
        }
        void OnDestroy() override
        {
            ++destroyed;
            widgetAtDestroy = !widget.isNull();
        }
        QPointer<platform::qt::DialogWidget> widget;
        int destroyed = 0;
        bool widgetAtDestroy = false;
    };
    struct Sheet : CPropertySheet {
        Sheet() : CPropertySheet("Tools") { AddPage(&page); }
        Page page;
    } sheet;

    WhenModal<QDialog>([](QDialog& d) { d.reject(); });
    QtModalUi ui;
    ui.DoModal(sheet);
    ASSERT_EQ(sheet.page.destroyed, 1);
    EXPECT_TRUE(sheet.page.widgetAtDestroy);
    EXPECT_FALSE(sheet.page.HasItems());
}

}  // namespace
