// The modal service with Qt dialogs: message boxes with the MB_ buttons,
// icon and default button; file open/save and folder dialogs with the MFC
// filter texts; font, colour and print dialogs over LOGFONT, COLORREF and
// page-range records. Runs on the GUI thread (other threads wait for it).
#pragma once

#include <memory>

#include <QColor>
#include <QFileDialog>
#include <QFont>
#include <QMessageBox>

class QInputDialog;
class QPrinter;
class QPrintDialog;

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
    bool FontDialog(HWND owner, LOGFONT& font, bool fixedOnly) override;
    bool ColorDialog(HWND owner, COLORREF& color) override;
    bool PrintDialog(PrintDialogRequest& request) override;
    bool TextInput(const TextRequest& request, std::string& text) override;
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

    // LOGFONT <-> QFont: the face (the mapped face when none is named), the
    // pixel height (|lfHeight|, 0: 14), weight, italic, underline, strike-out
    // and fixed pitch. The record that comes back names the chosen face and
    // its character height as a negative lfHeight.
    static QFont FontOf(const LOGFONT& font);
    static LOGFONT LogFontOf(const QFont& font);
    static QColor ColorOf(COLORREF color);
    static COLORREF ColorRefOf(const QColor& color);
    // The print dialog set up from a request (the printer outlives it), and
    // the request as the accepted dialog leaves it.
    static std::unique_ptr<QPrintDialog> BuildPrintDialog(const PrintDialogRequest& request, QPrinter& printer);
    static void ReadPrintDialog(const QPrintDialog& dialog, PrintDialogRequest& request);
    // A one-line text input with its prompt, title and initial text.
    static std::unique_ptr<QInputDialog> BuildTextDialog(const TextRequest& request);
};

}  // namespace platform::qt
