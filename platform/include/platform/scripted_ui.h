// ScriptedUi: the modal service of tests. It answers requests in the order
// the test scripted them, records every request, and reports a failure for a
// request that the script did not expect (wrong kind, text that does not
// match, or nothing left) and, on Verify, for answers never asked for.
// Failures go to the failure handler (platform/scripted_ui_gtest.h turns them
// into test failures) and are kept in Failures(). Thread-safe.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dlg_items.h"
#include "platform/modal_ui.h"

namespace platform {

class CDialog;
class CPropertySheet;

// What a dialog script does with the dialog ScriptedUi runs: the user's
// actions on its controls by id.
class ScriptedDialog {
public:
    ScriptedDialog(CDialog& dialog, DlgItems& items) : dialog(dialog), items(items) {}
    void set(int id, const std::string& text) { items.UserType(id, text); }
    void click(int id) { items.UserClick(id); }
    void select(int id, int index) { items.UserSelect(id, index); }
    std::string text(int id) const { return items.GetText(id); }
    CDialog& dialog;
    DlgItems& items;
};

// The same for a property sheet: pages by index, OK, Apply, Cancel.
class ScriptedSheet {
public:
    explicit ScriptedSheet(CPropertySheet& sheet) : sheet(sheet) {}
    bool page(int index);  // false when the active page refused
    ScriptedDialog active();
    bool ok();
    bool apply();
    void cancel();
    CPropertySheet& sheet;
};

class ScriptedUi : public ModalUi {
public:
    enum class Kind { MessageBox, FileDialog, FolderDialog, Dialog, Sheet, Popup, Font, Color, Print, Drag, Text };

    struct Request {
        Kind kind;
        MessageBoxRequest messageBox;  // kind MessageBox
        FileDialogRequest fileDialog;  // kind FileDialog
        FolderDialogRequest folder;    // kind FolderDialog
        TextRequest text = {};         // kind Text
        std::string described = {};    // the other kinds: caption, items...
    };

    ScriptedUi();

    // Script, in the order of the requests. `textContains` (when not empty)
    // must occur in the message text or dialog title.
    ScriptedUi& AnswerMessageBox(int answer, std::string textContains = {});
    ScriptedUi& AnswerFileDialog(std::vector<std::string> paths, std::string titleContains = {});
    ScriptedUi& CancelFileDialog(std::string titleContains = {});
    ScriptedUi& AnswerFolder(std::string folder, std::string titleContains = {});
    ScriptedUi& CancelFolder(std::string titleContains = {});
    // A text request: the text typed, or cancelled. `promptContains` must
    // occur in the prompt.
    ScriptedUi& AnswerText(std::string text, std::string promptContains = {});
    ScriptedUi& CancelText(std::string promptContains = {});
    // A modal dialog (caption, else "dialog <template id>"): the script acts,
    // and must end it (click(IDOK) or click(IDCANCEL)).
    using DialogScript = std::function<void(ScriptedDialog&)>;
    ScriptedUi& RunDialog(DialogScript script, std::string captionContains = {});
    using SheetScript = std::function<void(ScriptedSheet&)>;
    ScriptedUi& RunSheet(SheetScript script, std::string captionContains = {});
    // A popup menu: the command chosen (0: dismissed). `itemContains` must
    // be the text of one of its items.
    ScriptedUi& AnswerPopup(UINT command, std::string itemContains = {});
    ScriptedUi& AnswerFont(LOGFONT font);
    ScriptedUi& CancelFont();
    ScriptedUi& AnswerColor(COLORREF color);
    ScriptedUi& AnswerPrint(PrintDialogRequest choice);
    ScriptedUi& CancelPrint();
    ScriptedUi& AnswerDrag(DWORD effect);
    // Beeps are only counted.
    int Beeps() const;

    std::vector<Request> Requests() const;
    std::vector<std::string> MessageTexts() const;
    std::vector<std::string> Failures() const;
    size_t Unanswered() const;
    // Reports every scripted answer that no request used.
    void Verify();

    using FailureHandler = std::function<void(const std::string& failure)>;
    void SetFailureHandler(FailureHandler handler);

    int MessageBox(const MessageBoxRequest& request) override;
    bool FileDialog(const FileDialogRequest& request, FileDialogResult& result) override;
    bool FolderDialog(const FolderDialogRequest& request, std::string& folder) override;
    int DoModal(CDialog& dialog) override;
    int DoModal(CPropertySheet& sheet) override;
    void MessageBeep(UINT type) override;
    UINT TrackPopupMenu(const PopupRequest& request) override;
    DWORD DoDragDrop(const DragRequest& request) override;
    bool FontDialog(HWND owner, LOGFONT& font, bool fixedOnly) override;
    bool ColorDialog(HWND owner, COLORREF& color) override;
    bool PrintDialog(PrintDialogRequest& request) override;
    bool TextInput(const TextRequest& request, std::string& text) override;

private:
    struct Step {
        Kind kind;
        std::string contains;
        int answer = 0;                  // message box
        bool confirm = false;            // dialogs
        std::vector<std::string> paths;  // file dialog, or the folder
        DialogScript dialog = {};
        SheetScript sheet = {};
        LOGFONT font = {};
        COLORREF color = 0;
        PrintDialogRequest print = {};
    };
    void Push(Step step);
    void Record(Kind kind, std::string described);
    int beeps_ = 0;

    // The next step when it fits the request; records a failure otherwise.
    bool Take(Kind kind, const std::string& text, const std::string& describe, Step& step);
    void Failure(const std::string& text);

    mutable std::mutex mutex_;
    std::deque<Step> script_;
    std::vector<Request> requests_;
    std::vector<std::string> failures_;
    FailureHandler handler_;
};

}  // namespace platform
