// CQEditProxy: the application's automation object ("Vantirel.Application").
// A client that creates it reaches the debug core ("Debugger", only while
// the target is connected) and the script server ("App"). The object locks
// the application while it lives; when the program runs for automation its
// destruction ends the program (a quit message), unless the program exited
// first. A program the user started goes on.
#pragma once

#include "platform/ole.h"

namespace shell {

class CDebuggerApp;

// The class factory's id, multiple instances, ProgID "Vantirel.Application".
extern COleObjectFactory g_qeditProxyFactory;

enum : DISPID {
    kProxyDebugger = 1,
    kProxyApp = 2,
    kProxyAddRefer = 3,
    kProxyReleaseRefer = 4,
};

class CQEditProxy : public CCmdTarget {
    DECLARE_DYNCREATE(CQEditProxy)
public:
    CQEditProxy();
    // The application that was current at creation; null once it let go.
    CDebuggerApp* m_pApp = nullptr;

protected:
    ~CQEditProxy() override;
};

}  // namespace shell

using shell::CQEditProxy;
