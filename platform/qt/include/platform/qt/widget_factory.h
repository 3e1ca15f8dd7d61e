// WidgetFactory: the Qt widget of a window class that is not self-drawn
// (a report list, say). Each qt/ part registers its classes; a child
// frame's client asks here first for every child window.
#pragma once

#include <QWidget>

#include <functional>

#include "platform/wnd.h"

namespace platform::qt {

class WidgetFactory {
public:
    using Maker = std::function<QWidget*(CWnd* wnd, QWidget* parent)>;
    // The maker for windows of `cls` and of classes derived from it.
    static void Register(const CRuntimeClass* cls, Maker maker);
    // The widget of the window: its widget made earlier (reparented), or
    // a new one from the maker of its class; null when none is registered.
    static QWidget* Make(CWnd* wnd, QWidget* parent);
};

struct WidgetRegistrar {
    WidgetRegistrar(const CRuntimeClass* cls, WidgetFactory::Maker maker)
    {
        WidgetFactory::Register(cls, std::move(maker));
    }
};

}  // namespace platform::qt
