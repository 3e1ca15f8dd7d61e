#include "demo_screens.h"

#include <QApplication>
#include <QMdiSubWindow>

#include "platform/qt/screens.h"
#include "platform/qt/sheet_widget.h"

namespace guidemo {

using namespace platform::qt;

CDemoApp& DemoApp()
{
    static CDemoApp* app = [] {
        auto* a = new CDemoApp;
        a->InitInstance();
        return a;
    }();
    return *app;
}

std::string HelloSource()
{
    return std::string(ZK_SOURCE_DIR) + "/examples/hello/main.c";
}

MainFrameWidget* MakeDemoWindow(CDemoApp& app, const std::string& path)
{
    auto* frame = dynamic_cast<CDemoMainFrame*>(app.m_pMainWnd);
    if (!frame || !frame->m_hWnd)
        frame = MakeMainFrame(app);
    auto* widget = new MainFrameWidget(frame);
    widget->resize(900, 640);
    if (!path.empty())
        app.OpenDocumentFile(path.c_str());
    widget->show();
    app.OnIdle(0);
    return widget;
}

namespace {

// The demo's windows for tools/screens.
ScreenRegistrar mainFrame("demo_mainframe", [] {
    CDemoApp& app = DemoApp();
    auto* w = MakeDemoWindow(app, HelloSource());
    if (auto* frame = dynamic_cast<CMDIFrameWnd*>(app.m_pMainWnd))
        if (CMDIChildWnd* child = frame->MDIGetActive()) {
            if (auto* src = dynamic_cast<CSourceChild*>(child))
                src->splitter.SplitRow();
            if (QMdiSubWindow* sub = w->MdiArea()->currentSubWindow())
                sub->showMaximized();
        }
    app.OnIdle(0);
    return static_cast<QWidget*>(w);
});

ScreenRegistrar options("demo_options", [] {
    DemoApp();
    static COptionsDlg dlg;
    auto* w = new DialogWidget(*dlg.Template());
    w->Attach(dlg);
    return static_cast<QWidget*>(w);
});

ScreenRegistrar sheet("demo_sheet", [] {
    DemoApp();
    static CViewPage view;
    static CTargetPage target;
    static CPropertySheet sheet("Settings");
    if (sheet.GetPageCount() == 0) {
        sheet.AddPage(&view);
        sheet.AddPage(&target);
    }
    auto* w = new SheetWidget(sheet);
    w->resize(360, 200);
    return static_cast<QWidget*>(w);
});

}  // namespace
}  // namespace guidemo
