// The widgets of registered window classes.
#include "platform/qt/widget_factory.h"

#include <map>
#include <mutex>

#include "platform/window_host.h"

namespace platform::qt {
namespace {

std::map<const CRuntimeClass*, WidgetFactory::Maker>& Makers()
{
    static std::map<const CRuntimeClass*, WidgetFactory::Maker> makers;
    return makers;
}

}  // namespace

void WidgetFactory::Register(const CRuntimeClass* cls, Maker maker)
{
    Makers()[cls] = std::move(maker);
}

QWidget* WidgetFactory::Make(CWnd* wnd, QWidget* parent)
{
    if (!wnd)
        return nullptr;
    for (const CRuntimeClass* cls = wnd->GetRuntimeClass(); cls; cls = cls->m_pBaseClass) {
        auto it = Makers().find(cls);
        if (it == Makers().end())
            continue;
        if (auto* existing = dynamic_cast<QWidget*>(wnd->GetHost())) {
            existing->setParent(parent);
            return existing;
        }
        return it->second(wnd, parent);
    }
    return nullptr;
}

}  // namespace platform::qt
