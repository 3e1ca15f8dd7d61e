#include "platform/qt/screens.h"

#include <mutex>

namespace platform::qt {
namespace {

std::vector<Screen>& Registry()
{
    static auto* screens = new std::vector<Screen>;
    return *screens;
}

}  // namespace

void RegisterScreen(std::string name, std::function<QWidget*()> build)
{
    Registry().push_back({std::move(name), std::move(build)});
}

std::vector<Screen> Screens()
{
    return Registry();
}

}  // namespace platform::qt
