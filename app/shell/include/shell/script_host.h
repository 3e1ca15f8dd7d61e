// What the application and the main frame ask of the script server: the
// engine operations behind the macro files. The server itself lives in a
// library of its own (made by run-time class name "CScriptServer"); this is
// the side of it the shell sees.
#pragma once

#include <string>

#include "platform/win32.h"

namespace shell {

class CScriptHost {
public:
    virtual ~CScriptHost() = default;
    // Loads macro text into the engine, starting it when needed; FALSE when
    // the engine cannot be made (reported).
    virtual BOOL LoadScriptText(const std::string& text) = 0;
    // Stops the engine unless a script runs now.
    virtual HRESULT StopScript() = 0;
    // Runs text (as a rule a procedure's name) in a running engine.
    virtual void ExecuteScript(const std::string& text) = 0;
    // TRUE when no engine runs or no script of it runs now.
    virtual BOOL IsScriptIdle() = 0;
    // Shuts the engine down.
    virtual BOOL CloseScriptEngine() = 0;
};

}  // namespace shell
