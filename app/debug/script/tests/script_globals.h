// A global variable of the script an engine runs, read through its script
// dispatch; VT_EMPTY when the engine or the name has none.
#pragma once

#include <string>

#include "platform/script/active_script.h"

namespace scriptsrv::test {

inline VARIANT ScriptGlobal(IActiveScript* engine, const char* name)
{
    VARIANT v{};
    IDispatch* globals = nullptr;
    if (!engine || FAILED(engine->GetScriptDispatch(nullptr, &globals)) || !globals)
        return v;
    std::string n = name;
    LPOLESTR names[] = {n.data()};
    DISPID id = 0;
    if (SUCCEEDED(globals->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        DISPPARAMS none{};
        globals->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr);
    }
    globals->Release();
    return v;
}

}  // namespace scriptsrv::test
