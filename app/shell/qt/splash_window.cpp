#include "shell/qt/splash_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace shell::qt {

SplashWindow::SplashWindow(std::unique_ptr<CSplashThread> thread, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      thread_(std::move(thread)), bitmap_(QString::fromStdString(thread_->BitmapFile()))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(bitmap_.size());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    if (thread_->DisplayTime())
        displayTimer_ = startTimer(static_cast<int>(thread_->DisplayTime()));
    if (thread_->StepInterval())
        stepTimer_ = startTimer(static_cast<int>(thread_->StepInterval()));
}

SplashWindow::~SplashWindow()
{
    thread_->End();
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, bitmap_);
    // The version line: blue, left-aligned at its layout origin.
    const SplashFont& f = thread_->Font(4);
    QFont font(QString::fromStdString(f.face));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(CSplashThread::FontPixelHeight(logicalDpiY(), f.points));
    font.setWeight(f.weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(f.italic);
    p.setFont(font);
    p.setPen(QColor(0, 0, 255));
    p.drawText(QPoint(thread_->LayoutWord(4), thread_->LayoutWord(5) + QFontMetrics(font).ascent()),
               QString::fromStdString(thread_->VersionText()));
}

void SplashWindow::mousePressEvent(QMouseEvent*)
{
    close();
}

void SplashWindow::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape)
        close();
}

void SplashWindow::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == displayTimer_)
        close();
    else if (e->timerId() == stepTimer_)
        thread_->Step();
}

SplashWindow* StartSplash(std::unique_ptr<CSplashThread> thread, QWidget* mainWindow)
{
    if (mainWindow) {
        QPointer<QWidget> main(mainWindow);
        thread->SetMainWindowFront([main] {
            if (main) {
                main->raise();
                main->activateWindow();
            }
        });
    }
    if (!thread->Start())
        return nullptr;
    auto* w = new SplashWindow(std::move(thread));
    w->show();
    return w;
}

}  // namespace shell::qt
