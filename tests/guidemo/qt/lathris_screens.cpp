// The lathris demo frame on Qt, for the tests and tools/screens.
#include "lathris_screens.h"

#include <QMdiSubWindow>

#include "demo_screens.h"
#include "lathris/qt/customize_widget.h"
#include "platform/qt/screens.h"

namespace guidemo {

using namespace lathris::qt;

LathrisFrameWidget* MakeLathrisWindow(const std::string& source)
{
    DemoApp();  // the demo's resources
    CLathrisDemoFrame* frame = MakeLathrisFrame(source);
    if (!frame)
        return nullptr;
    auto* widget = new LathrisFrameWidget(frame);
    widget->resize(900, 600);
    frame->OnIdleUpdateCmdUI();
    return widget;
}

namespace {

platform::qt::ScreenRegistrar lathrisFrame("lathris_frame", [] {
    LathrisFrameWidget* w = MakeLathrisWindow(HelloSource());
    if (QMdiSubWindow* sub = w->MdiArea()->currentSubWindow())
        sub->showMaximized();
    // The floating frame is a window of its own (screen lathris_floating).
    for (CDockWnd* f : static_cast<CLathrisDemoFrame*>(w->Frame())->dock.FloatingFrames())
        if (auto* floating = w->FloatingOf(f))
            floating->hide();
    return static_cast<QWidget*>(w);
});

platform::qt::ScreenRegistrar lathrisFloating("lathris_floating", [] {
    LathrisFrameWidget* w = MakeLathrisWindow({});
    auto* frame = static_cast<CLathrisDemoFrame*>(w->Frame());
    QWidget* floating = frame->dock.FloatingFrames().empty() ? nullptr : w->FloatingOf(frame->dock.FloatingFrames()[0]);
    if (floating)
        floating->resize(200, 300);
    return floating;
});

platform::qt::ScreenRegistrar lathrisCustomize("lathris_customize", [] {
    LathrisFrameWidget* w = MakeLathrisWindow({});
    OpenCustomize(static_cast<CLathrisDemoFrame*>(w->Frame()));
    auto* sheet = w->findChild<CustomizeWidget*>("customize");
    if (sheet)
        sheet->Categories()->setCurrentRow(1);
    return static_cast<QWidget*>(sheet);
});

}  // namespace
}  // namespace guidemo
