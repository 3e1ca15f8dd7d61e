// The Qt modal service: message boxes and file dialogs built from the
// system's requests.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <thread>

#include "platform/messages.h"
#include "platform/qt/qt_modal_ui.h"

using namespace platform;
using platform::qt::QtModalUi;

namespace {

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

}  // namespace
