// quelm: the program. The application object runs its start-up on the Qt
// loop and opens the main frame in a lathris frame widget; when start-up
// ends early a splash, when started, is shown out.
#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

#include "mainframe/qt/frame_window.h"
#include "platform/qt/hosts.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_modal_ui.h"
#include "shell/debugger_app.h"
#include "shell/qt/splash_window.h"

// The one application object of the process.
shell::CDebuggerApp theApp;

namespace {

// SIGTERM (a session's end) closes the main frame as WM_CLOSE does, so the
// settings are written; the handler only writes to a pipe the loop watches.
int g_termPipe[2] = {-1, -1};

void OnTerm(int)
{
    char c = 1;
    [[maybe_unused]] auto n = write(g_termPipe[1], &c, 1);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    platform::qt::QtLoop loop;
    platform::qt::QtModalUi ui;
    platform::ModalUiScope scope(ui);
    platform::qt::WindowLayer layer(&theApp);

    QPointer<QWidget> splash;
    theApp.SetCommandLine(argc, argv);
    theApp.SetSplashStarter([&splash](const shell::SplashTexts& texts) {
        auto thread = std::make_unique<shell::CQuelmSplash>();
        thread->SetTitle(texts.title);
        for (size_t i = 0; i < texts.lines.size(); ++i)
            (i == 0 ? thread->AddFirstLine(texts.lines[i]) : thread->AddSecondLine(texts.lines[i]));
        splash = shell::qt::StartSplash(std::move(thread));
    });

    theApp.SetFrameMaker(mainframe::qt::MakeMainFrameWindow);

    QSocketNotifier* term = nullptr;
    if (pipe(g_termPipe) == 0) {
        term = new QSocketNotifier(g_termPipe[0], QSocketNotifier::Read, &qapp);
        QObject::connect(term, &QSocketNotifier::activated, &qapp, [] {
            char c;
            [[maybe_unused]] auto n = read(g_termPipe[0], &c, 1);
            if (theApp.m_pMainWnd)
                theApp.m_pMainWnd->PostMessage(WM_CLOSE);
            else
                QApplication::quit();
        });
        std::signal(SIGTERM, OnTerm);
    }

    int code = 0;
    if (theApp.InitInstance()) {
        code = qapp.exec();
    } else if (splash) {
        // Nothing else to show: the splash runs its time out, then the program ends.
        QObject::connect(splash, &QObject::destroyed, &qapp, &QApplication::quit);
        qapp.exec();
    }
    int exitCode = theApp.ExitInstance();
    return code ? code : exitCode;
}
