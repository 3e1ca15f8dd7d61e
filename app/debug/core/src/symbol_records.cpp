#include "appdebug/symbol_records.h"

#include "quinar/symbol_store.h"

namespace appdebug {

IMPLEMENT_DYNCREATE(CSourceData, CObject)
IMPLEMENT_DYNCREATE(CSourceAttr, CObject)
IMPLEMENT_DYNCREATE(CAssemblyCode, CObject)
IMPLEMENT_DYNCREATE(CAssemblyData, CObject)
IMPLEMENT_DYNCREATE(CModuleDesc, CObject)
IMPLEMENT_DYNCREATE(CModuleInfo, CObject)
IMPLEMENT_DYNCREATE(CFuncInfo, CObject)
IMPLEMENT_DYNCREATE(CLineInfo, CObject)

CSourceData::~CSourceData()
{
    for (CObject* child : *m_children)
        delete child;
    m_children->clear();
}

CAssemblyData::~CAssemblyData()
{
    for (CObject* line : *m_lines)
        delete line;
    m_lines->clear();
}

void LoadedModuleList::Clear()
{
    for (CModuleInfo* m : modules_)
        delete m;
    modules_.clear();
    paths_.clear();
}

void LoadedModuleList::Rebuild()
{
    Clear();
    quinar::SymbolStore& symbols = quinar::Symbols();
    const uint32_t count = symbols.ModuleCount();
    for (uint32_t i = 0; i < count; ++i) {
        const auto handle = symbols.ModuleHandle(i);
        if (!handle)
            continue;
        const auto info = symbols.ModuleInfo(*handle);
        if (!info || !info->hasRange || info->start > info->end)
            continue;
        auto* record = new CModuleInfo;
        record->m_handle = *handle;
        record->m_name = info->name;
        record->m_start = {info->start, ADDR_SPACE_TARGET};
        record->m_end = {info->end, ADDR_SPACE_TARGET};
        modules_.push_back(record);
        paths_.emplace_back();
    }
}

LoadedModuleList& LoadedModules()
{
    static LoadedModuleList list;
    return list;
}

int AsmColumnUnit()
{
    return 6;
}

}  // namespace appdebug
