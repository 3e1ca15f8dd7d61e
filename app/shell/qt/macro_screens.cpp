// The macro dialog over the example's macro files, and the script hint box.
#include <QGuiApplication>
#include <QScreen>

#include <memory>
#include <vector>

#include "platform/qt/dialog_widget.h"
#include "platform/qt/screens.h"
#include "shell/hint_box_dlg.h"
#include "shell/macro_dialog.h"

namespace shell::qt {
namespace {

using platform::qt::DialogWidget;
using platform::qt::ScreenRegistrar;

// The hint box's corners are those of the primary screen.
const bool g_screenSize = [] {
    SetScreenSizeSource([] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize size = screen ? screen->size() : QSize(1024, 768);
        return SIZE{size.width(), size.height()};
    });
    return true;
}();

QWidget* Show(CDialog* dialog)
{
    static std::vector<std::unique_ptr<CDialog>> dialogs;
    dialogs.emplace_back(dialog);
    auto* w = new DialogWidget(*dialog->Template());
    w->Attach(*dialog);
    return w;
}

ScreenRegistrar macro("shell_macro", [] {
    return Show(new CMacroDialog({ZK_EXAMPLE_DIR "/hello.mac", ZK_EXAMPLE_DIR "/checks.mac"}));
});
ScreenRegistrar hint("shell_hint_box", [] {
    // Long enough to stay while the picture is taken.
    return Show(new CHintBoxDlg("Breakpoint at 0x000081A4", 1000, 0));
});

}  // namespace
}  // namespace shell::qt
