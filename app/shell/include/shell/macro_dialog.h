// The macro dialog (182, "Macro"): the macro files of the options by name,
// the procedures of the chosen one, Run (the application runs the
// procedure; the dialog stays) and Edit (opens the file and closes).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace shell {

inline constexpr UINT IDD_MACRO = 182;
inline constexpr int IDC_MACRO_FILE = 1044;
inline constexpr int IDC_MACRO_NAME = 1106;
inline constexpr int IDC_MACRO_RUN = 1108;
inline constexpr int IDC_MACRO_EDIT = 1109;
inline constexpr int IDC_MACRO_CLOSE = 1110;
inline constexpr int IDC_MACRO_RELOAD = 1114;

// The templates of the macro dialog and the script hint box.
void RegisterMacroDialogs();

class CMacroDialog : public CDialog {
public:
    // `files`: the application's macro file list (full paths).
    explicit CMacroDialog(std::vector<std::string> files, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    // The application's run-macro operation (a procedure name).
    std::function<void(const std::string&)> m_runMacro;
    // The file Edit opened (also handed to the application, when there is one).
    std::string m_editedFile;

private:
    void FillProcedures();
    void OnRun();
    void OnEdit();
    std::vector<std::string> files_;
};

}  // namespace shell

using shell::CMacroDialog;
