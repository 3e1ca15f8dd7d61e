// The one service through which the system asks the user something: message
// boxes (literal texts, yes/no questions, ReportError), file dialogs and the
// folder chooser. The program installs the Qt implementation
// (platform/qt/qt_modal_ui.h); tests install ScriptedUi; without either the
// default answers with the default button and tells stderr, never blocking.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/win32.h"

namespace platform {

class CDialog;
class CMenu;
class CPropertySheet;

// Common dialog flags that the system passes.
inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;

struct MessageBoxRequest {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = MB_OK;  // MB_ buttons, icon, default button
};

struct FileDialogRequest {
    HWND owner = nullptr;
    bool open = true;        // open, else save as
    std::string title;       // empty: the toolkit's own title
    std::string defaultExt;  // appended to a typed name without extension
    std::string fileName;    // initial file name or path
    std::string initialFolder;
    // MFC filter text: "C Files (*.c)|*.c|All Files (*.*)|*.*||".
    std::string filter;
    int filterIndex = 1;  // 1-based, as in the common dialog
    DWORD flags = 0;      // OFN_
};

struct FileDialogResult {
    std::vector<std::string> paths;  // one, or several with OFN_ALLOWMULTISELECT
    int filterIndex = 1;
    bool readOnly = false;
};

struct FolderDialogRequest {
    HWND owner = nullptr;
    std::string title;
    std::string initialFolder;
};

struct PopupRequest {
    HWND owner = nullptr;
    CMenu* menu = nullptr;  // updated already when the owner is a frame
    int x = 0, y = 0;       // screen position
    UINT flags = 0;         // TPM_
};

struct DragRequest {
    HWND source = nullptr;
    std::string text;
    DWORD allowedEffects = 1;  // DROPEFFECT_
};

struct PrintDialogRequest {
    HWND owner = nullptr;
    UINT fromPage = 1, toPage = 1, minPage = 1, maxPage = 0xFFFF;
    bool selection = false;  // print the selection only
    bool allPages = true;
    int copies = 1;
};

// A one-line text the user types (a script's InputBox).
struct TextRequest {
    HWND owner = nullptr;
    std::string prompt;
    std::string title;
    std::string text;  // the initial text
};

class ModalUi {
public:
    virtual ~ModalUi() = default;
    // IDOK, IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY or IDIGNORE.
    virtual int MessageBox(const MessageBoxRequest& request) = 0;
    // True when the user confirmed; `result` holds the choice.
    virtual bool FileDialog(const FileDialogRequest& request, FileDialogResult& result) = 0;
    virtual bool FolderDialog(const FolderDialogRequest& request, std::string& folder) = 0;
    // Runs a modal dialog's logic to its end: the EndDialog result.
    virtual int DoModal(CDialog& dialog);
    virtual int DoModal(CPropertySheet& sheet);
    virtual void MessageBeep(UINT type) {}
    // The chosen command of a popup menu, 0 when dismissed.
    virtual UINT TrackPopupMenu(const PopupRequest& request) { return 0; }
    // The effect the drop target chose (DROPEFFECT_NONE when none).
    virtual DWORD DoDragDrop(const DragRequest& request) { return 0; }
    virtual bool FontDialog(HWND owner, LOGFONT& font, bool fixedOnly) { return false; }
    virtual bool ColorDialog(HWND owner, COLORREF& color) { return false; }
    virtual bool PrintDialog(PrintDialogRequest& request) { return false; }
    // True when the user confirmed; `text` holds what was typed.
    virtual bool TextInput(const TextRequest& request, std::string& text);
    // True when the service must run on the GUI thread (widgets); calls from
    // other threads then wait for the GUI thread.
    virtual bool NeedsGuiThread() const { return false; }
};

// The installed service (the default one when none is).
ModalUi& GetModalUi();
// Installs a service (null: the default) and returns the previous one. The
// service must outlive its installation.
ModalUi* SetModalUi(ModalUi* ui);

// Installs a service for a scope.
class ModalUiScope {
public:
    explicit ModalUiScope(ModalUi& ui) : previous_(SetModalUi(&ui)) {}
    ~ModalUiScope() { SetModalUi(previous_); }
    ModalUiScope(const ModalUiScope&) = delete;
    ModalUiScope& operator=(const ModalUiScope&) = delete;

private:
    ModalUi* previous_;
};

// Calls of the installed service from any thread (a service that needs the
// GUI thread is reached through it). The C MessageBox and AfxMessageBox go here.
int ShowMessageBox(const MessageBoxRequest& request);
bool ShowFileDialog(const FileDialogRequest& request, FileDialogResult& result);
bool ShowFolderDialog(const FolderDialogRequest& request, std::string& folder);

int RunModalDialog(CDialog& dialog);
int RunModalSheet(CPropertySheet& sheet);
void Beep(UINT type);
UINT ShowPopupMenu(const PopupRequest& request);
// True while a popup menu is tracked (its modal loop runs; timers tick on).
bool PopupMenuTracked();
DWORD StartDragDrop(const DragRequest& request);
bool ShowFontDialog(HWND owner, LOGFONT& font, bool fixedOnly);
bool ShowColorDialog(HWND owner, COLORREF& color);
bool ShowPrintDialog(PrintDialogRequest& request);
bool ShowTextRequest(const TextRequest& request, std::string& text);

// The caption of AfxMessageBox.
void SetAppName(const std::string& name);
std::string AppName();

// The default button's result of an MB_ type (MB_DEFBUTTON2 on MB_YESNO: IDNO).
int DefaultMessageBoxAnswer(UINT type);
// The result codes of an MB_ type's buttons, in button order.
std::vector<int> MessageBoxButtons(UINT type);

struct FileFilter {
    std::string label;                  // "C Files (*.c)"
    std::vector<std::string> patterns;  // {"*.c"}
};
// Splits an MFC filter text at '|' (patterns at ';').
std::vector<FileFilter> ParseFileFilter(const std::string& filter);

}  // namespace platform
