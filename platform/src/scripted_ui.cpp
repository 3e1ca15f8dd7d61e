#include "platform/scripted_ui.h"

#include <cstdio>

namespace platform {
namespace {

const char* KindName(ScriptedUi::Kind kind)
{
    switch (kind) {
    case ScriptedUi::Kind::MessageBox: return "message box";
    case ScriptedUi::Kind::FileDialog: return "file dialog";
    case ScriptedUi::Kind::FolderDialog: return "folder dialog";
    }
    return "request";
}

}  // namespace

ScriptedUi::ScriptedUi()
    : handler_([](const std::string& failure) { std::fprintf(stderr, "ScriptedUi: %s\n", failure.c_str()); })
{}

ScriptedUi& ScriptedUi::AnswerMessageBox(int answer, std::string textContains)
{
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(Step{Kind::MessageBox, std::move(textContains), answer, true, {}});
    return *this;
}

ScriptedUi& ScriptedUi::AnswerFileDialog(std::vector<std::string> paths, std::string titleContains)
{
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(Step{Kind::FileDialog, std::move(titleContains), 0, true, std::move(paths)});
    return *this;
}

ScriptedUi& ScriptedUi::CancelFileDialog(std::string titleContains)
{
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(Step{Kind::FileDialog, std::move(titleContains), 0, false, {}});
    return *this;
}

ScriptedUi& ScriptedUi::AnswerFolder(std::string folder, std::string titleContains)
{
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(Step{Kind::FolderDialog, std::move(titleContains), 0, true, {std::move(folder)}});
    return *this;
}

ScriptedUi& ScriptedUi::CancelFolder(std::string titleContains)
{
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(Step{Kind::FolderDialog, std::move(titleContains), 0, false, {}});
    return *this;
}

std::vector<ScriptedUi::Request> ScriptedUi::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<std::string> ScriptedUi::MessageTexts() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& r : requests_)
        if (r.kind == Kind::MessageBox)
            out.push_back(r.messageBox.text);
    return out;
}

std::vector<std::string> ScriptedUi::Failures() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
}

size_t ScriptedUi::Unanswered() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return script_.size();
}

void ScriptedUi::Verify()
{
    std::deque<Step> left;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        left.swap(script_);
    }
    for (const Step& step : left)
        Failure(std::string("scripted ") + KindName(step.kind) +
                (step.contains.empty() ? std::string() : " (\"" + step.contains + "\")") + " was never asked for");
}

void ScriptedUi::SetFailureHandler(FailureHandler handler)
{
    std::lock_guard<std::mutex> lock(mutex_);
    handler_ = std::move(handler);
}

void ScriptedUi::Failure(const std::string& text)
{
    FailureHandler handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failures_.push_back(text);
        handler = handler_;
    }
    if (handler)
        handler(text);
}

bool ScriptedUi::Take(Kind kind, const std::string& text, const std::string& describe, Step& step)
{
    std::string problem;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (script_.empty()) {
            problem = "unexpected " + describe + ": the script has no answer left";
        } else if (script_.front().kind != kind) {
            problem = "unexpected " + describe + ": the script expects a " + KindName(script_.front().kind);
        } else if (!script_.front().contains.empty() && text.find(script_.front().contains) == std::string::npos) {
            problem =
                "unexpected " + describe + ": the script expects text containing \"" + script_.front().contains + "\"";
        } else {
            step = script_.front();
            script_.pop_front();
            return true;
        }
    }
    Failure(problem);
    return false;
}

int ScriptedUi::MessageBox(const MessageBoxRequest& request)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(Request{Kind::MessageBox, request, {}, {}});
    }
    Step step;
    if (!Take(Kind::MessageBox, request.text, "message box \"" + request.text + "\" [" + request.caption + "]", step))
        return DefaultMessageBoxAnswer(request.type);
    return step.answer;
}

bool ScriptedUi::FileDialog(const FileDialogRequest& request, FileDialogResult& result)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(Request{Kind::FileDialog, {}, request, {}});
    }
    Step step;
    if (!Take(Kind::FileDialog, request.title, "file dialog \"" + request.title + "\"", step) || !step.confirm)
        return false;
    result.paths = step.paths;
    result.filterIndex = request.filterIndex;
    result.readOnly = false;
    return true;
}

bool ScriptedUi::FolderDialog(const FolderDialogRequest& request, std::string& folder)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(Request{Kind::FolderDialog, {}, {}, request});
    }
    Step step;
    if (!Take(Kind::FolderDialog, request.title, "folder dialog \"" + request.title + "\"", step) || !step.confirm)
        return false;
    folder = step.paths.empty() ? std::string() : step.paths.front();
    return true;
}

}  // namespace platform
