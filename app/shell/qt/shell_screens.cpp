// The shell's windows for tools/screens: the status bar in each layout,
// tinted, with text pieces and with progress; the about box, "Change
// Program Counter", the address dialog in its three modes, and the splash.
#include <QVBoxLayout>

#include <cstring>
#include <memory>

#include "platform/qt/dialog_widget.h"
#include "platform/qt/screens.h"
#include "platform/resources.h"
#include "shell/qt/splash_window.h"
#include "shell/qt/status_bar_widget.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell/small_dialogs.h"

namespace shell::qt {
namespace {

using platform::qt::DialogWidget;
using platform::qt::ScreenRegistrar;

HGLOBAL Text(const char* s)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, std::strlen(s) + 1);
    std::memcpy(GlobalLock(h), s, std::strlen(s) + 1);
    GlobalUnlock(h);
    return h;
}

// A status bar (its logic lives as long as the process) in a widget.
QWidget* StatusBarScreen(bool connected, bool simulate, const std::function<void(CSuperStatusBar&)>& fill)
{
    RegisterShellResources();
    static std::vector<std::unique_ptr<CSuperStatusBar>> bars;
    bars.push_back(std::make_unique<CSuperStatusBar>());
    CSuperStatusBar& bar = *bars.back();
    theSettings.Simulate = simulate;
    bar.Create(nullptr);
    bar.SetUpPanes(connected);
    theSettings.Simulate = 0;
    bar.SetPaneText(0, "Ready");
    if (connected) {
        bar.SetPaneText(kRunStatePane, "Halt");
        bar.SetPaneText(4, "PC:00008000");
    }
    fill(bar);
    auto* w = new StatusBarWidget(&bar);
    w->resize(720, 24);
    return w;
}

ScreenRegistrar idle("shell_statusbar_idle", [] { return StatusBarScreen(false, false, [](CSuperStatusBar&) {}); });
ScreenRegistrar connected("shell_statusbar_connected",
                          [] { return StatusBarScreen(true, false, [](CSuperStatusBar&) {}); });
ScreenRegistrar simulated("shell_statusbar_simulated", [] {
    return StatusBarScreen(true, true, [](CSuperStatusBar& bar) { bar.SetPaneText(6, "Trace On"); });
});
ScreenRegistrar running("shell_statusbar_running", [] {
    return StatusBarScreen(true, true, [](CSuperStatusBar& bar) { bar.SetPaneText(kRunStatePane, "Running"); });
});
ScreenRegistrar pieces("shell_statusbar_pieces", [] {
    return StatusBarScreen(true, false, [](CSuperStatusBar& bar) {
        bar.SetPaneText(0, "");
        TextPiece p[4] = {{Text("MemFill "), 0}, {Text("start"), 1}, {Text(", end, pattern"), 0}, {Text("  (hex)"), 0}};
        bar.SetTextPieces(4, p);
    });
});
ScreenRegistrar progress("shell_statusbar_progress", [] {
    return StatusBarScreen(true, false, [](CSuperStatusBar& bar) {
        // As a program load shows it: the caption in the pane, the bar right of it.
        bar.SetPaneText(0, "Load");
        bar.SetPaneProgress(0, 40);
    });
});

template <class Dialog, class... Args>
QWidget* DialogScreen(Args... args)
{
    RegisterShellResources();
    static std::vector<std::unique_ptr<Dialog>> dialogs;
    dialogs.push_back(std::make_unique<Dialog>(args...));
    auto* w = new DialogWidget(*dialogs.back()->Template());
    w->Attach(*dialogs.back());
    return w;
}

ScreenRegistrar about("shell_about", [] { return DialogScreen<CAboutDlg>(FALSE, nullptr); });
ScreenRegistrar changePc("shell_change_pc", [] { return DialogScreen<CChangePCDlg>(POINT{300, 300}, nullptr); });
ScreenRegistrar jump("shell_address_jump", [] { return DialogScreen<CAddressDlg>(0, nullptr); });
ScreenRegistrar goTo("shell_address_goto", [] { return DialogScreen<CAddressDlg>(1, nullptr); });
ScreenRegistrar browse("shell_address_browse", [] { return DialogScreen<CAddressDlg>(2, nullptr); });

ScreenRegistrar splash("shell_splash", []() -> QWidget* {
    auto thread = std::make_unique<CQuelmSplash>();
    thread->SetDisplayTime(0);  // stays while the picture is taken
    thread->SetStepInterval(0);
    if (!thread->Start())
        return nullptr;
    auto* w = new SplashWindow(std::move(thread));
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    return w;
});

}  // namespace
}  // namespace shell::qt
