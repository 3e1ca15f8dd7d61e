// The demo's windows on Qt: the application made once, the main frame with a
// source document open, and the dialogs, for the tests and tools/screens.
#pragma once

#include "demo.h"
#include "platform/qt/dialog_widget.h"
#include "platform/qt/hosts.h"

namespace guidemo {

// The process's demo application (made and initialised on first use).
CDemoApp& DemoApp();
// examples/hello/main.c of the source tree.
std::string HelloSource();
// A main frame widget with examples/hello/main.c open in a split child.
platform::qt::MainFrameWidget* MakeDemoWindow(CDemoApp& app, const std::string& path);

}  // namespace guidemo
