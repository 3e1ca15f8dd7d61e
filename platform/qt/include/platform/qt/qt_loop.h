// The GUI thread's message queue on the Qt event loop: a post from any
// thread wakes the loop with one event to a dispatcher object on the GUI
// thread, which dispatches the queue in order (the queue stays ours, so the
// order of posts and the nested pumps of platform/messages.h hold). While
// one of those nested pumps runs, it dispatches the queue itself and
// processes the Qt events that arrive meanwhile.
#pragma once

namespace platform::qt {

// On the GUI thread, once QApplication exists. A WM_QUIT taken by the
// dispatcher ends QCoreApplication::exec with its exit code.
void InstallQtLoop();
// Before QApplication goes away.
void UninstallQtLoop();

// Installs the loop for its lifetime.
class QtLoop {
public:
    QtLoop() { InstallQtLoop(); }
    ~QtLoop() { UninstallQtLoop(); }
    QtLoop(const QtLoop&) = delete;
    QtLoop& operator=(const QtLoop&) = delete;
};

}  // namespace platform::qt
