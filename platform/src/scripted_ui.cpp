#include "platform/scripted_ui.h"

#include <cstdio>

#include "platform/dialog.h"
#include "platform/menu.h"

namespace platform {
namespace {

const char* KindName(ScriptedUi::Kind kind)
{
    switch (kind) {
    case ScriptedUi::Kind::MessageBox: return "message box";
    case ScriptedUi::Kind::FileDialog: return "file dialog";
    case ScriptedUi::Kind::FolderDialog: return "folder dialog";
    case ScriptedUi::Kind::Dialog: return "dialog";
    case ScriptedUi::Kind::Sheet: return "property sheet";
    case ScriptedUi::Kind::Popup: return "popup menu";
    case ScriptedUi::Kind::Font: return "font dialog";
    case ScriptedUi::Kind::Color: return "colour dialog";
    case ScriptedUi::Kind::Print: return "print dialog";
    case ScriptedUi::Kind::Drag: return "drag";
    case ScriptedUi::Kind::Text: return "text request";
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

ScriptedUi& ScriptedUi::AnswerText(std::string text, std::string promptContains)
{
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(Step{Kind::Text, std::move(promptContains), 0, true, {std::move(text)}});
    return *this;
}

ScriptedUi& ScriptedUi::CancelText(std::string promptContains)
{
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(Step{Kind::Text, std::move(promptContains), 0, false, {}});
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

bool ScriptedUi::TextInput(const TextRequest& request, std::string& text)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Request r{Kind::Text, {}, {}, {}};
        r.text = request;
        requests_.push_back(std::move(r));
    }
    Step step;
    if (!Take(Kind::Text, request.prompt, "text request \"" + request.prompt + "\"", step) || !step.confirm)
        return false;
    text = step.paths.empty() ? std::string() : step.paths.front();
    return true;
}

}  // namespace platform

namespace platform {

void ScriptedUi::Push(Step step)
{
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(std::move(step));
}

void ScriptedUi::Record(Kind kind, std::string described)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Request r{kind, {}, {}, {}};
    r.described = std::move(described);
    requests_.push_back(std::move(r));
}

ScriptedUi& ScriptedUi::RunDialog(DialogScript script, std::string captionContains)
{
    Step s{Kind::Dialog, std::move(captionContains), 0, true, {}};
    s.dialog = std::move(script);
    Push(std::move(s));
    return *this;
}

ScriptedUi& ScriptedUi::RunSheet(SheetScript script, std::string captionContains)
{
    Step s{Kind::Sheet, std::move(captionContains), 0, true, {}};
    s.sheet = std::move(script);
    Push(std::move(s));
    return *this;
}

ScriptedUi& ScriptedUi::AnswerPopup(UINT command, std::string itemContains)
{
    Push(Step{Kind::Popup, std::move(itemContains), static_cast<int>(command), command != 0, {}});
    return *this;
}

ScriptedUi& ScriptedUi::AnswerFont(LOGFONT font)
{
    Step s{Kind::Font, {}, 0, true, {}};
    s.font = font;
    Push(std::move(s));
    return *this;
}

ScriptedUi& ScriptedUi::CancelFont()
{
    Push(Step{Kind::Font, {}, 0, false, {}});
    return *this;
}

ScriptedUi& ScriptedUi::AnswerColor(COLORREF color)
{
    Step s{Kind::Color, {}, 0, true, {}};
    s.color = color;
    Push(std::move(s));
    return *this;
}

ScriptedUi& ScriptedUi::AnswerPrint(PrintDialogRequest choice)
{
    Step s{Kind::Print, {}, 0, true, {}};
    s.print = choice;
    Push(std::move(s));
    return *this;
}

ScriptedUi& ScriptedUi::CancelPrint()
{
    Push(Step{Kind::Print, {}, 0, false, {}});
    return *this;
}

ScriptedUi& ScriptedUi::AnswerDrag(DWORD effect)
{
    Push(Step{Kind::Drag, {}, static_cast<int>(effect), true, {}});
    return *this;
}

int ScriptedUi::Beeps() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return beeps_;
}

void ScriptedUi::MessageBeep(UINT)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++beeps_;
}

namespace {

std::string DialogName(CDialog& dialog)
{
    auto t = dialog.Template();
    if (t && !t->caption.empty())
        return t->caption;
    return "dialog " + std::to_string(dialog.TemplateId());
}

}  // namespace

int ScriptedUi::DoModal(CDialog& dialog)
{
    std::string name = DialogName(dialog);
    Record(Kind::Dialog, name);
    Step step;
    if (!Take(Kind::Dialog, name, "dialog \"" + name + "\"", step))
        return IDCANCEL;
    auto t = dialog.Template();
    MemoryDlgItems items = t ? MemoryDlgItems(*t) : MemoryDlgItems();
    dialog.AttachItems(&items);
    int result = IDCANCEL;
    if (dialog.StartDialog()) {
        ScriptedDialog driver(dialog, items);
        if (step.dialog)
            step.dialog(driver);
        if (dialog.IsEnded())
            result = dialog.Result();
        else
            Failure("dialog \"" + name + "\" is still open at the end of its script");
    }
    dialog.FinishDialog();
    return result;
}

int ScriptedUi::DoModal(CPropertySheet& sheet)
{
    Record(Kind::Sheet, sheet.Caption());
    Step step;
    if (!Take(Kind::Sheet, sheet.Caption(), "property sheet \"" + sheet.Caption() + "\"", step))
        return IDCANCEL;
    int result = IDCANCEL;
    if (sheet.Start()) {
        ScriptedSheet driver(sheet);
        if (step.sheet)
            step.sheet(driver);
        if (sheet.IsEnded())
            result = sheet.Result();
        else
            Failure("property sheet \"" + sheet.Caption() + "\" is still open at the end of its script");
    }
    sheet.Finish();
    return result;
}

UINT ScriptedUi::TrackPopupMenu(const PopupRequest& request)
{
    std::string items;
    if (request.menu)
        for (const auto& item : request.menu->Items())
            if (!(item.flags & MF_SEPARATOR))
                items += item.text + ((item.flags & MF_GRAYED) ? " (grayed)" : "") + "\n";
    Record(Kind::Popup, items);
    Step step;
    if (!Take(Kind::Popup, items, "popup menu", step))
        return 0;
    if (step.answer != 0 && request.menu) {
        CMenu::Item* item = request.menu->FindCommand(static_cast<UINT>(step.answer));
        if (!item || (item->flags & (MF_GRAYED | MF_DISABLED))) {
            Failure("popup menu: command " + std::to_string(step.answer) + " is not an enabled item");
            return 0;
        }
    }
    return static_cast<UINT>(step.answer);
}

DWORD ScriptedUi::DoDragDrop(const DragRequest& request)
{
    Record(Kind::Drag, request.text);
    Step step;
    if (!Take(Kind::Drag, request.text, "drag", step))
        return 0;
    return static_cast<DWORD>(step.answer);
}

bool ScriptedUi::FontDialog(HWND, LOGFONT& font, bool)
{
    Record(Kind::Font, font.lfFaceName);
    Step step;
    if (!Take(Kind::Font, font.lfFaceName, "font dialog", step) || !step.confirm)
        return false;
    font = step.font;
    return true;
}

bool ScriptedUi::ColorDialog(HWND, COLORREF& color)
{
    Record(Kind::Color, {});
    Step step;
    if (!Take(Kind::Color, {}, "colour dialog", step) || !step.confirm)
        return false;
    color = step.color;
    return true;
}

bool ScriptedUi::PrintDialog(PrintDialogRequest& request)
{
    Record(Kind::Print, {});
    Step step;
    if (!Take(Kind::Print, {}, "print dialog", step) || !step.confirm)
        return false;
    HWND owner = request.owner;
    request = step.print;
    request.owner = owner;
    return true;
}

bool ScriptedSheet::page(int index)
{
    return sheet.SetActivePage(index) != FALSE;
}

ScriptedDialog ScriptedSheet::active()
{
    CPropertyPage* p = sheet.GetActivePage();
    return ScriptedDialog(*p, p->Items());
}

bool ScriptedSheet::ok()
{
    return sheet.PressOK() != FALSE;
}

bool ScriptedSheet::apply()
{
    return sheet.PressApply() != FALSE;
}

void ScriptedSheet::cancel()
{
    sheet.PressCancel();
}

}  // namespace platform
