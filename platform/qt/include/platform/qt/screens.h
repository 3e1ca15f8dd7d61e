// The windows that tools/screens renders: each qt/ library registers its
// windows with a builder that makes the widget with realistic content.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace platform::qt {

struct Screen {
    std::string name;
    // A top-level widget, sized; the caller owns it.
    std::function<QWidget*()> build;
};

void RegisterScreen(std::string name, std::function<QWidget*()> build);
std::vector<Screen> Screens();

struct ScreenRegistrar {
    ScreenRegistrar(std::string name, std::function<QWidget*()> build)
    {
        RegisterScreen(std::move(name), std::move(build));
    }
};

}  // namespace platform::qt
