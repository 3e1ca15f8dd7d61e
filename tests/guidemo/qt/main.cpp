// The window-layer demo program: guidemo [FILE].
#include <QApplication>

#include "demo_screens.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_modal_ui.h"

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    platform::qt::QtLoop loop;
    platform::qt::QtModalUi ui;
    platform::ModalUiScope scope(ui);
    guidemo::CDemoApp& app = guidemo::DemoApp();
    platform::qt::WindowLayer layer(&app);
    CCommandLineInfo info;
    app.ParseCommandLine(info, argc, argv);
    auto* window = guidemo::MakeDemoWindow(app, info.m_strFileName);
    int code = qapp.exec();
    app.ExitInstance();
    delete window;
    return code;
}
