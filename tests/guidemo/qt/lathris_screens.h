// The lathris demo frame on Qt.
#pragma once

#include "lathris/qt/widgets.h"
#include "lathris_demo.h"

namespace guidemo {

// The demo's lathris frame (see lathris_demo.h) in its widget, not shown yet.
lathris::qt::LathrisFrameWidget* MakeLathrisWindow(const std::string& source);

}  // namespace guidemo
