// The modal service with Qt dialogs: message boxes with the MB_ buttons,
// icon and default button; file open/save and folder dialogs with the MFC
// filter texts. Runs on the GUI thread (other threads wait for it).
#pragma once

#include <memory>

#include <QFileDialog>
#include <QMessageBox>

#include "platform/modal_ui.h"

namespace platform::qt {

class QtModalUi : public ModalUi {
public:
    int MessageBox(const MessageBoxRequest& request) override;
    bool FileDialog(const FileDialogRequest& request, FileDialogResult& result) override;
    bool FolderDialog(const FolderDialogRequest& request, std::string& folder) override;
    int DoModal(CDialog& dialog) override;
    int DoModal(CPropertySheet& sheet) override;
    UINT TrackPopupMenu(const PopupRequest& request) override;
    void MessageBeep(UINT type) override;
    DWORD DoDragDrop(const DragRequest& request) override;
    bool NeedsGuiThread() const override { return true; }

    // The dialogs as they will be shown, for tests that look without showing.
    static std::unique_ptr<QMessageBox> BuildMessageBox(const MessageBoxRequest& request);
    // IDOK... for the button that closed the box (null: closed otherwise).
    static int ResultOf(const QMessageBox& box, const QAbstractButton* clicked, UINT type);
    static std::unique_ptr<QFileDialog> BuildFileDialog(const FileDialogRequest& request);
    static std::unique_ptr<QFileDialog> BuildFolderDialog(const FolderDialogRequest& request);
    // "C++ Files (*.cpp;*.cc)|*.cpp;*.cc|All Files (*.*)|*.*||" ->
    // {"C++ Files (*.cpp *.cc)", "All Files (*)"}: Qt reads the patterns from
    // the parentheses, and "*.*" means every file as it did on the original.
    static QStringList NameFilters(const std::string& filter);
};

}  // namespace platform::qt
