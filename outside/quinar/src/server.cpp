// The library's set-up at connect and the symbol look-up of the debugger
// core's Restart.
#include "quinar/symbol_store.h"
#include "store.h"

namespace quinar {

namespace {
HWND g_serverWindow = nullptr;
}

void SymbolStore::InitServer(HWND frame, bool caseSensitive)
{
    g_serverWindow = frame;
    SetCaseSensitive(caseSensitive);
}

HWND SymbolStore::ServerWindow() const
{
    return g_serverWindow;
}

Result<ModuleInformation> SymbolStore::ModuleInfo(uint32_t handle) const
{
    const Store& s = TheStore();
    const uint32_t m = s.ModulePosition(handle);
    if (m == kNone)
        return {SYM_E_BAD_HANDLE, {}};
    const Module& module = s.Modules()[m];
    return {SYM_OK, {module.name, module.start, module.end, module.hasRange}};
}

}  // namespace quinar

extern "C" {

SymResult SymInitServer(HWND frame, int32_t caseSensitive)
{
    quinar::Symbols().InitServer(frame, caseSensitive != 0);
    return SYM_OK;
}

SymResult SymServerSymToAddr(const char* text, ADDR* out)
{
    if (!text || !out)
        return SYM_E_NOT_FOUND;
    const auto address = quinar::Symbols().AddressOfName(text);
    if (!address)
        return address.status;
    *out = {*address, ADDR_SPACE_TARGET};
    return SYM_OK;
}

}  // extern "C"
