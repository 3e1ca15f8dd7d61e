// Entry points of the queries over lines, functions and modules.
#include <algorithm>

#include "boundary.h"

using namespace quinar;

extern "C" {

SymResult SymAddrToSourceLine(uint32_t address, uint32_t* module, uint32_t* file, uint32_t* line, uint32_t* start,
                              uint32_t* end, uint32_t* column)
{
    auto r = Symbols().SourceLineAt(address);
    if (r) {
        Put(module, r->module);
        Put(file, r->file);
        Put(line, r->line);
        Put(start, r->start);
        Put(end, r->end);
        Put(column, r->column);
    }
    return r.status;
}

SymResult SymSourceLineToAddr(uint32_t key, uint32_t line, uint32_t* address)
{
    if (!address)
        return SYM_E_ARGUMENT;
    auto r = Symbols().LineRange(key, line, 0);
    if (r.status == SYM_E_NOT_FOUND)
        return SYM_NO_CODE;
    if (r)
        *address = r->start;
    return r.status;
}

SymResult SymSrcLinenum2FirstRange(uint32_t key, uint32_t line, uint32_t* start, uint32_t* end, uint32_t* iterator)
{
    if (!iterator)
        return SYM_E_ARGUMENT;
    *iterator = 0;
    return SymSrcLinenum2NextRange(key, line, start, end, iterator);
}

SymResult SymSrcLinenum2NextRange(uint32_t key, uint32_t line, uint32_t* start, uint32_t* end, uint32_t* iterator)
{
    if (!iterator)
        return SYM_E_ARGUMENT;
    auto r = Symbols().LineRange(key, line, *iterator);
    if (r) {
        Put(start, r->start);
        Put(end, r->end);
        ++*iterator;
    }
    return r.status;
}

SymResult SymLineToAddrRange(uint32_t key, uint32_t line, ADDR* start, ADDR* end, int32_t)
{
    auto r = Symbols().LineRange(key, line, 0);
    if (r.status == SYM_E_NOT_FOUND)
        return SYM_LINE_NO_CODE;
    if (r) {
        Put(start, ADDR{r->start, ADDR_SPACE_TARGET});
        Put(end, ADDR{r->end, ADDR_SPACE_TARGET});
    }
    return r.status;
}

SymResult SymGetAddrInfo(uint32_t mode, uint32_t address, uint32_t* module, uint32_t* kind, uint32_t* start,
                         uint32_t* end, uint32_t* handle, uint32_t* offset)
{
    auto r = mode == SYM_ADDR_DATA ? Symbols().DataAt(address) : Symbols().CodeAt(address);
    if (r) {
        Put(module, r->module);
        Put(kind, r->kind);
        Put(start, r->start);
        Put(end, r->end);
        Put(handle, r->handle);
        Put(offset, r->offset);
    }
    return r.status;
}

SymResult SrcGetFuncRange(const char* name, ADDR* start, ADDR* end)
{
    if (!name)
        return SYM_E_ARGUMENT;
    auto r = Symbols().FunctionRange(name);
    if (r) {
        Put(start, ADDR{r->start, ADDR_SPACE_TARGET});
        Put(end, ADDR{r->end, ADDR_SPACE_TARGET});
    }
    return r.status;
}

SymResult SymCheckFunctionName(const char* name)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return Symbols().HasFunction(name) ? SYM_OK : SYM_E_NOT_FOUND;
}

SymResult SymFindModuleByIndex(const char* fileName, uint32_t index, uint32_t* module)
{
    if (!fileName || !module)
        return SYM_E_ARGUMENT;
    auto r = Symbols().FindModuleByFile(fileName, index);
    *module = r.value;
    return r.status;
}

SymResult SymFindModuleByName(const char* name, uint32_t* module)
{
    return SymFindModuleByIndex(name, 0, module);
}

SymResult SymAddrToModule(uint32_t address, uint32_t* position, uint32_t* module)
{
    auto r = Symbols().ModuleAt(address);
    // Module ordinal in the high 16 bits, the source line in the low 16.
    Put(position, r ? (std::min<uint32_t>(r->ordinal, 0xFFFF) << 16) | std::min<uint32_t>(r->line, 0xFFFF) : 0u);
    Put(module, r->module);
    return r.status;
}

SymResult SymGetModuleCount(uint32_t* count)
{
    if (!count)
        return SYM_E_ARGUMENT;
    *count = Symbols().ModuleCount();
    return SYM_OK;
}

SymResult SymGetModuleHandle(uint32_t ordinal, uint32_t* handle)
{
    if (!handle)
        return SYM_E_ARGUMENT;
    auto r = Symbols().ModuleHandle(ordinal);
    *handle = r.value;
    return r.status;
}

SymResult FreeModuleDescMap()
{
    Symbols().FreeDerived();
    return SYM_OK;
}

SymResult SymNotifyTargetHalted()
{
    Symbols().NoteTargetHalted();
    return SYM_OK;
}

SymResult SymSetCaseSensitive(int32_t flag)
{
    Symbols().SetCaseSensitive(flag != 0);
    return SYM_OK;
}

}  // extern "C"
