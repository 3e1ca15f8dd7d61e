// The splash window on the GUI thread: the bitmap with the version line,
// centred and top-most; it closes after the display time, on a click or on
// Esc, and then brings the main window to the front.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "shell/splash.h"

namespace shell::qt {

class SplashWindow : public QWidget {
public:
    explicit SplashWindow(std::unique_ptr<CSplashThread> thread, QWidget* parent = nullptr);
    ~SplashWindow() override;
    CSplashThread& Thread() const { return *thread_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void timerEvent(QTimerEvent*) override;

private:
    std::unique_ptr<CSplashThread> thread_;
    QImage bitmap_;
    int displayTimer_ = 0, stepTimer_ = 0;
};

// Starts the splash: null (and the end done) when its bitmap is missing.
// `mainWindow`, when given, comes to the front at the end. The window
// deletes itself when it closes.
SplashWindow* StartSplash(std::unique_ptr<CSplashThread> thread, QWidget* mainWindow = nullptr);

}  // namespace shell::qt
