#include "platform/modal_ui.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/messages.h"

namespace platform {
namespace {

// Never blocks: a program without a window layer (the headless runner, a
// test that did not script the question) goes on with the default answer.
class DefaultModalUi final : public ModalUi {
public:
    int MessageBox(const MessageBoxRequest& r) override
    {
        int answer = DefaultMessageBoxAnswer(r.type);
        std::fprintf(stderr, "[%s] %s -> %d\n", r.caption.c_str(), r.text.c_str(), answer);
        return answer;
    }
    bool FileDialog(const FileDialogRequest& r, FileDialogResult&) override
    {
        std::fprintf(stderr, "[%s] file dialog cancelled (no user interface)\n", r.title.c_str());
        return false;
    }
    bool FolderDialog(const FolderDialogRequest& r, std::string&) override
    {
        std::fprintf(stderr, "[%s] folder dialog cancelled (no user interface)\n", r.title.c_str());
        return false;
    }
};

DefaultModalUi g_default;
std::atomic<ModalUi*> g_ui{nullptr};
std::mutex g_nameMutex;
std::string g_appName;

template <typename R, typename F>
R Call(F&& f, R fallback)
{
    ModalUi& ui = GetModalUi();
    if (!ui.NeedsGuiThread() || IsGuiThread())
        return f(ui);
    R result = fallback;
    InvokeOnGuiThread([&] { result = f(GetModalUi()); });
    return result;
}

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    size_t pos = 0;
    for (;;) {
        size_t next = s.find(sep, pos);
        out.push_back(s.substr(pos, next - pos));
        if (next == std::string::npos)
            return out;
        pos = next + 1;
    }
}

}  // namespace

ModalUi& GetModalUi()
{
    ModalUi* ui = g_ui.load();
    return ui ? *ui : g_default;
}

ModalUi* SetModalUi(ModalUi* ui)
{
    return g_ui.exchange(ui);
}

int ShowMessageBox(const MessageBoxRequest& request)
{
    return Call([&](ModalUi& ui) { return ui.MessageBox(request); }, IDCANCEL);
}

bool ShowFileDialog(const FileDialogRequest& request, FileDialogResult& result)
{
    return Call([&](ModalUi& ui) { return ui.FileDialog(request, result); }, false);
}

bool ShowFolderDialog(const FolderDialogRequest& request, std::string& folder)
{
    return Call([&](ModalUi& ui) { return ui.FolderDialog(request, folder); }, false);
}

bool ShowTextRequest(const TextRequest& request, std::string& text)
{
    return Call([&](ModalUi& ui) { return ui.TextInput(request, text); }, false);
}

bool ModalUi::TextInput(const TextRequest& r, std::string&)
{
    std::fprintf(stderr, "[%s] text request cancelled (no user interface)\n", r.title.c_str());
    return false;
}

int ModalUi::DoModal(CDialog&)
{
    std::fprintf(stderr, "modal dialog cancelled (no user interface)\n");
    return IDCANCEL;
}

int ModalUi::DoModal(CPropertySheet&)
{
    std::fprintf(stderr, "property sheet cancelled (no user interface)\n");
    return IDCANCEL;
}

int RunModalSheet(CPropertySheet& sheet)
{
    return Call([&](ModalUi& ui) { return ui.DoModal(sheet); }, IDCANCEL);
}

int RunModalDialog(CDialog& dialog)
{
    return Call([&](ModalUi& ui) { return ui.DoModal(dialog); }, IDCANCEL);
}

void Beep(UINT type)
{
    Call(
        [&](ModalUi& ui) {
            ui.MessageBeep(type);
            return 0;
        },
        0);
}

namespace {
int g_popupMenus = 0;
}

UINT ShowPopupMenu(const PopupRequest& request)
{
    struct Tracking {
        Tracking() { ++g_popupMenus; }
        ~Tracking() { --g_popupMenus; }
    } tracking;
    return Call([&](ModalUi& ui) { return ui.TrackPopupMenu(request); }, 0u);
}

bool PopupMenuTracked()
{
    return g_popupMenus > 0;
}

DWORD StartDragDrop(const DragRequest& request)
{
    return Call([&](ModalUi& ui) { return ui.DoDragDrop(request); }, DWORD{0});
}

bool ShowFontDialog(HWND owner, LOGFONT& font, bool fixedOnly)
{
    return Call([&](ModalUi& ui) { return ui.FontDialog(owner, font, fixedOnly); }, false);
}

bool ShowColorDialog(HWND owner, COLORREF& color)
{
    return Call([&](ModalUi& ui) { return ui.ColorDialog(owner, color); }, false);
}

bool ShowPrintDialog(PrintDialogRequest& request)
{
    return Call([&](ModalUi& ui) { return ui.PrintDialog(request); }, false);
}

void SetAppName(const std::string& name)
{
    std::lock_guard<std::mutex> lock(g_nameMutex);
    g_appName = name;
}

std::string AppName()
{
    std::lock_guard<std::mutex> lock(g_nameMutex);
    return g_appName;
}

std::vector<int> MessageBoxButtons(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

int DefaultMessageBoxAnswer(UINT type)
{
    std::vector<int> buttons = MessageBoxButtons(type);
    size_t index = (type & MB_DEFMASK) >> 8;
    return buttons[index < buttons.size() ? index : 0];
}

std::vector<FileFilter> ParseFileFilter(const std::string& filter)
{
    std::vector<FileFilter> out;
    std::vector<std::string> parts = Split(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty())
            break;  // the "||" that ends the list
        FileFilter f;
        f.label = parts[i];
        for (auto& p : Split(parts[i + 1], ';'))
            if (!p.empty())
                f.patterns.push_back(p);
        out.push_back(std::move(f));
    }
    return out;
}

}  // namespace platform

extern "C" BOOL MessageBeep(UINT type)
{
    platform::Beep(type);
    return TRUE;
}

extern "C" int MessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    platform::MessageBoxRequest request;
    request.owner = owner;
    request.text = text ? text : "";
    // A null caption is "Error" on the original platform.
    request.caption = caption ? caption : "Error";
    request.type = type;
    return platform::ShowMessageBox(request);
}

extern "C" int AfxMessageBox(const char* text, UINT type)
{
    platform::MessageBoxRequest request;
    request.text = text ? text : "";
    request.caption = platform::AppName();
    request.type = type;
    return platform::ShowMessageBox(request);
}
