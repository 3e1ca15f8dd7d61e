// Entry points of the load, module and line-table operations.
#include "boundary.h"
#include "text_block.h"

using namespace quinar;

namespace {

ModuleOpening Opening(const ImageStamp* stamp, const SymModuleDesc* desc, uint32_t position, uint32_t kind)
{
    ModuleOpening how;
    if (stamp)
        how.stamp = *stamp;
    if (desc)
        how.range = *desc;
    how.position = position;
    how.kind = kind;
    return how;
}

}  // namespace

extern "C" {

SymResult SymClearSymbolTables(int32_t)
{
    Symbols().Clear();
    return SYM_OK;
}

SymResult SymCheckImageLoaded(const char* path, uint32_t, const ImageStamp* stamp)
{
    if (!path || !stamp)
        return SYM_E_ARGUMENT;
    return Symbols().CheckImageLoaded(path, *stamp);
}

SymResult SymEndLoad()
{
    Symbols().EndLoad();
    return SYM_OK;
}

SymResult SymGetLoadCounts(uint32_t* a, uint32_t* b, uint32_t* c, uint32_t* d)
{
    const LoadCounts counts = Symbols().Counts();
    Put(a, counts.items);
    Put(b, counts.modules);
    Put(c, counts.functions);
    Put(d, counts.lineRows);
    return SYM_OK;
}

SymResult SymAddSection(const char* name, uint32_t index, uint32_t, uint32_t attribute)
{
    Symbols().AddSection(name ? name : "", index, attribute);
    return SYM_OK;
}

SymResult SymInitClassTypeArray()
{
    Symbols().ClearClassTypes();
    return SYM_OK;
}

SymResult SymInitFuncNameMap()
{
    Symbols().ClearFunctionNames();
    return SYM_OK;
}

SymResult SymInitSymTable()
{
    return SYM_OK;
}

SymResult SymOpenModule(const char* name, const ImageStamp* stamp, const SymModuleDesc* desc, uint32_t position,
                        uint32_t kind, uint32_t, uint32_t* handle, uint32_t)
{
    if (!handle)
        return SYM_E_ARGUMENT;
    auto r = Symbols().OpenModule(name ? name : "", Opening(stamp, desc, position, kind));
    *handle = r.value;
    return r.status;
}

SymResult SymAddModuleOpenByDescNew(uint32_t handle, const char* name, const ImageStamp* stamp,
                                    const SymModuleDesc* desc, uint32_t position, uint32_t kind, uint32_t)
{
    return Symbols().ReopenModule(handle, name ? name : "", Opening(stamp, desc, position, kind));
}

SymResult UpdateModuleReopenStatus(uint32_t handle)
{
    return Symbols().MarkNameShared(handle);
}

SymResult SymCloseModule(uint32_t)
{
    Symbols().CloseModule();
    return SYM_OK;
}

SymResult SymSetModuleRange(const SymRange* range, uint32_t handle)
{
    if (!range)
        return SYM_E_ARGUMENT;
    return Symbols().SetRange(handle, *range);
}

SymResult SymSetModuleAttr(uint32_t handle, const char* text)
{
    return Symbols().SetModuleAttr(handle, text ? text : "");
}

SymResult SymBeginLineTable(uint32_t key)
{
    return Symbols().BeginLineTable(key);
}

SymResult SymAddLineRow(uint32_t line, uint32_t column, uint32_t address, uint32_t)
{
    return Symbols().AddLineRow(line, column, address);
}

SymResult SymEndLineTable()
{
    return Symbols().EndLineTable();
}

SymResult SymGetSourceFileOfAddr(uint32_t key, char** text)
{
    if (!text)
        return SYM_E_ARGUMENT;
    *text = nullptr;
    auto r = Symbols().SourceFileName(key);
    if (!r)
        return r.status;
    *text = NewReturnedText(r.value);
    return *text ? SYM_OK : SYM_E_NO_MEMORY;
}

}  // extern "C"
