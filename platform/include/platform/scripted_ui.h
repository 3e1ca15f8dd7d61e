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

#include "platform/modal_ui.h"

namespace platform {

class ScriptedUi : public ModalUi {
public:
    enum class Kind { MessageBox, FileDialog, FolderDialog };

    struct Request {
        Kind kind;
        MessageBoxRequest messageBox;  // kind MessageBox
        FileDialogRequest fileDialog;  // kind FileDialog
        FolderDialogRequest folder;    // kind FolderDialog
    };

    ScriptedUi();

    // Script, in the order of the requests. `textContains` (when not empty)
    // must occur in the message text or dialog title.
    ScriptedUi& AnswerMessageBox(int answer, std::string textContains = {});
    ScriptedUi& AnswerFileDialog(std::vector<std::string> paths, std::string titleContains = {});
    ScriptedUi& CancelFileDialog(std::string titleContains = {});
    ScriptedUi& AnswerFolder(std::string folder, std::string titleContains = {});
    ScriptedUi& CancelFolder(std::string titleContains = {});

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

private:
    struct Step {
        Kind kind;
        std::string contains;
        int answer = 0;                  // message box
        bool confirm = false;            // dialogs
        std::vector<std::string> paths;  // file dialog, or the folder
    };

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
