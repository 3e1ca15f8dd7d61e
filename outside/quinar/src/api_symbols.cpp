// Entry points of the symbol operations.
#include "store.h"

using namespace quinar;

extern "C" {

SymResult SymAddPublicSymbol(const char* name, uint32_t isStatic, uint32_t, const SymModuleDesc* range,
                             uint32_t procType)
{
    return TheStore().AddPublicSymbol(name, isStatic != 0, range, procType);
}

SymResult SymLookupNamedSymbol(uint32_t scope, const char* name, uint32_t* handle)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return TheStore().LookupNamedSymbol(scope, name, handle);
}

SymResult SymEndSymbolBlock()
{
    return TheStore().EndSymbolBlock();
}

SymResult SymAddVariable(const char* name, uint32_t type, uint32_t storage, uint32_t registerFlag,
                         const uint32_t* location, uint32_t constVolatile, uint32_t mode, uint32_t* handle)
{
    return TheStore().AddVariable(name, type, storage, registerFlag != 0, location, constVolatile != 0, mode, handle);
}

SymResult SymAddLabel(const char* name, uint32_t value)
{
    if (!name || !*name)
        return SYM_E_ARGUMENT;
    TheStore().AddLabel(name, value);
    return SYM_OK;
}

SymResult SymAddModuleByName(const char* name, uint32_t value)
{
    return TheStore().AddModuleByName(name, value);
}

SymResult SymAddDataLabel(uint32_t address, const char* name, uint32_t type, uint32_t section, uint32_t address2)
{
    if (!name || !*name)
        return SYM_E_ARGUMENT;
    TheStore().AddDataLabel(address, name, type, section, address2);
    return SYM_OK;
}

SymResult SymFindPublicSymbol(const char* name)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return TheStore().FindFunction(name) != kNone ? SYM_OK : SYM_E_NOT_FOUND;
}

SymResult SymAddFuncNametoMap(const char* signature, const char* name)
{
    if (!signature || !name)
        return SYM_E_ARGUMENT;
    TheStore().AddFuncName(signature, name);
    return SYM_OK;
}

SymResult SymGetSymbolDetails(uint32_t handle, uint32_t* kind, uint32_t* module, uint32_t* start, uint32_t* end,
                              uint32_t* attribute, uint32_t* type, uint32_t* size, uint32_t* flags, uint32_t* location,
                              uint32_t* scope)
{
    return TheStore().Details(handle, kind, module, start, end, attribute, type, size, flags, location, scope);
}

uint16_t SymGetAddrSpace(uint32_t attribute)
{
    switch (attribute) {
    case SYM_ATTR_FRAME: return SYM_SPACE_FRAME;
    case SYM_ATTR_REGISTER: return SYM_SPACE_REGISTER;
    default: return ADDR_SPACE_TARGET;
    }
}

}  // extern "C"
