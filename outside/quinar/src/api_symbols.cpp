// Entry points of the symbol operations.
#include "boundary.h"

using namespace quinar;

extern "C" {

SymResult SymAddPublicSymbol(const char* name, uint32_t isStatic, uint32_t, const SymModuleDesc* range,
                             uint32_t procType)
{
    if (!name || !range)
        return SYM_E_ARGUMENT;
    return Symbols().AddFunction(name, isStatic != 0, *range, procType);
}

SymResult SymLookupNamedSymbol(uint32_t scope, const char* name, uint32_t* handle)
{
    if (!name || !handle)
        return SYM_E_ARGUMENT;
    auto r = Symbols().LookupNamedSymbol(scope, name);
    *handle = r.value;
    return r.status;
}

SymResult SymEndSymbolBlock()
{
    return Symbols().EndSymbolBlock();
}

SymResult SymAddVariable(const char* name, uint32_t type, uint32_t storage, uint32_t registerFlag,
                         const uint32_t* location, uint32_t constVolatile, uint32_t mode, uint32_t* handle)
{
    if (!name)
        return SYM_E_ARGUMENT;
    VariableEntry v{name, type, storage, registerFlag != 0, {}, constVolatile != 0, mode};
    if (location)
        std::copy_n(location, v.location.size(), v.location.begin());
    auto r = Symbols().AddVariable(v);
    Put(handle, r.value);
    return r.status;
}

SymResult SymAddLabel(const char* name, uint32_t value)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return Symbols().AddLabel(name, value);
}

SymResult SymAddModuleByName(const char* name, uint32_t value)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return Symbols().AddModuleByName(name, value);
}

SymResult SymAddDataLabel(uint32_t address, const char* name, uint32_t type, uint32_t section, uint32_t address2)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return Symbols().AddDataLabel(address, name, type, section, address2);
}

SymResult SymFindPublicSymbol(const char* name)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return Symbols().HasFunction(name) ? SYM_OK : SYM_E_NOT_FOUND;
}

SymResult SymAddFuncNametoMap(const char* signature, const char* name)
{
    if (!signature || !name)
        return SYM_E_ARGUMENT;
    Symbols().AddFunctionName(signature, name);
    return SYM_OK;
}

SymResult SymGetSymbolDetails(uint32_t handle, uint32_t* kind, uint32_t* module, uint32_t* start, uint32_t* end,
                              uint32_t* attribute, uint32_t* type, uint32_t* size, uint32_t* flags, uint32_t* location,
                              uint32_t* scope)
{
    auto r = Symbols().Details(handle);
    if (r) {
        Put(kind, r->kind);
        Put(module, r->module);
        Put(start, r->start);
        Put(end, r->end);
        Put(attribute, r->attribute);
        Put(type, r->type);
        Put(size, r->size);
        Put(flags, r->flags);
        Put(location, r->location);
        Put(scope, r->scope);
    }
    return r.status;
}

uint16_t SymGetAddrSpace(uint32_t attribute)
{
    return SymbolStore::AddressSpaceOf(attribute);
}

}  // extern "C"
