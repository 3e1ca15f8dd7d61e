// Entry points of the load, module and line-table operations.
#include "store.h"
#include "text_block.h"

using namespace quinar;

extern "C" {

SymResult SymClearSymbolTables(int32_t)
{
    TheStore().Clear();
    return SYM_OK;
}

SymResult SymCheckImageLoaded(const char* path, uint32_t, const ImageStamp* stamp)
{
    return TheStore().CheckImageLoaded(path, stamp);
}

SymResult SymEndLoad()
{
    TheStore().EndLoad();
    return SYM_OK;
}

SymResult SymGetLoadCounts(uint32_t* a, uint32_t* b, uint32_t* c, uint32_t* d)
{
    TheStore().LoadCounts(a, b, c, d);
    return SYM_OK;
}

SymResult SymAddSection(const char* name, uint32_t index, uint32_t, uint32_t attribute)
{
    TheStore().AddSection(name, index, attribute);
    return SYM_OK;
}

SymResult SymInitClassTypeArray()
{
    TheStore().Types().ClearClassTypes();
    return SYM_OK;
}

SymResult SymInitFuncNameMap()
{
    TheStore().ClearFuncNames();
    return SYM_OK;
}

SymResult SymInitSymTable()
{
    return SYM_OK;
}

SymResult SymOpenModule(const char* name, const ImageStamp* stamp, const SymModuleDesc* desc, uint32_t position,
                        uint32_t kind, uint32_t, uint32_t* handle, uint32_t)
{
    return TheStore().OpenModule(name, stamp, desc, position, kind, handle);
}

SymResult SymAddModuleOpenByDescNew(uint32_t handle, const char* name, const ImageStamp* stamp,
                                    const SymModuleDesc* desc, uint32_t position, uint32_t kind, uint32_t)
{
    return TheStore().ReopenModule(handle, name, stamp, desc, position, kind);
}

SymResult UpdateModuleReopenStatus(uint32_t handle)
{
    return TheStore().MarkNameShared(handle);
}

SymResult SymCloseModule(uint32_t)
{
    TheStore().CloseModule();
    return SYM_OK;
}

SymResult SymSetModuleRange(const SymRange* range, uint32_t handle)
{
    if (!range)
        return SYM_E_ARGUMENT;
    return TheStore().SetRange(*range, handle);
}

SymResult SymSetModuleAttr(uint32_t handle, const char* text)
{
    return TheStore().SetModuleAttr(handle, text);
}

SymResult SymBeginLineTable(uint32_t key)
{
    return TheStore().BeginLineTable(key);
}

SymResult SymAddLineRow(uint32_t line, uint32_t column, uint32_t address, uint32_t)
{
    return TheStore().AddLineRow(line, column, address);
}

SymResult SymEndLineTable()
{
    return TheStore().EndLineTable();
}

SymResult SymGetSourceFileOfAddr(uint32_t key, char** text)
{
    if (!text)
        return SYM_E_ARGUMENT;
    *text = nullptr;
    std::string name;
    if (SymResult r = TheStore().SourceNameOfKey(key, &name); r != SYM_OK)
        return r;
    *text = NewReturnedText(name);
    return *text ? SYM_OK : SYM_E_NO_MEMORY;
}

}  // extern "C"
