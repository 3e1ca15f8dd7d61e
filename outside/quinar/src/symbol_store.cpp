// SymbolStore over the process-wide Store: load, modules, lines and symbols.
#include "quinar/symbol_store.h"

#include "store.h"

namespace quinar {

SymbolStore& Symbols()
{
    static SymbolStore symbols;
    return symbols;
}

void SymbolStore::Clear()
{
    TheStore().Clear();
}

SymResult SymbolStore::CheckImageLoaded(std::string_view path, const ImageStamp& stamp)
{
    return TheStore().CheckImageLoaded(path, stamp);
}

void SymbolStore::EndLoad()
{
    TheStore().EndLoad();
}

LoadCounts SymbolStore::Counts() const
{
    return TheStore().Counts();
}

void SymbolStore::AddSection(std::string_view name, uint32_t index, uint32_t attribute)
{
    TheStore().AddSection(name, index, attribute);
}

void SymbolStore::ClearClassTypes()
{
    TheStore().Types().ClearClassTypes();
}

void SymbolStore::ClearFunctionNames()
{
    TheStore().ClearFuncNames();
}

Result<uint32_t> SymbolStore::OpenModule(std::string_view name, const ModuleOpening& how)
{
    return TheStore().OpenModule(name, how);
}

SymResult SymbolStore::ReopenModule(uint32_t handle, std::string_view name, const ModuleOpening& how)
{
    return TheStore().ReopenModule(handle, name, how);
}

SymResult SymbolStore::MarkNameShared(uint32_t handle)
{
    return TheStore().MarkNameShared(handle);
}

void SymbolStore::CloseModule()
{
    TheStore().CloseModule();
}

SymResult SymbolStore::SetRange(uint32_t handle, const SymRange& range)
{
    return TheStore().SetRange(range, handle);
}

SymResult SymbolStore::SetModuleAttr(uint32_t handle, std::string_view text)
{
    return TheStore().SetModuleAttr(handle, text);
}

SymResult SymbolStore::AddModuleByName(std::string_view name, uint32_t value)
{
    return TheStore().AddModuleByName(name, value);
}

uint32_t SymbolStore::ModuleCount() const
{
    return static_cast<uint32_t>(TheStore().Modules().size());
}

Result<uint32_t> SymbolStore::ModuleHandle(uint32_t ordinal) const
{
    const auto& modules = TheStore().Modules();
    if (ordinal >= modules.size())
        return {SYM_E_NOT_FOUND, 0};
    return {SYM_OK, modules[ordinal].handle};
}

Result<uint32_t> SymbolStore::FindModuleByFile(std::string_view fileName, uint32_t n)
{
    return TheStore().FindModuleByFile(fileName, n);
}

Result<std::string> SymbolStore::SourceFileName(uint32_t key) const
{
    return TheStore().SourceNameOfKey(key);
}

void SymbolStore::FreeDerived()
{
    TheStore().FreeDerived();
}

void SymbolStore::NoteTargetHalted()
{
    // Nothing the store keeps depends on the target's run state: the frame
    // walk reads the registers afresh at each StartFrameWalk.
}

void SymbolStore::SetCaseSensitive(bool sensitive)
{
    TheStore().caseSensitive = sensitive;
}

SymResult SymbolStore::BeginLineTable(uint32_t key)
{
    return TheStore().BeginLineTable(key);
}

SymResult SymbolStore::AddLineRow(uint32_t line, uint32_t column, uint32_t address, bool statement)
{
    return TheStore().AddLineRow(line, column, address, statement);
}

SymResult SymbolStore::EndLineTable()
{
    return TheStore().EndLineTable();
}

SymResult SymbolStore::AddFunction(std::string_view name, bool isStatic, const SymModuleDesc& range, uint32_t procType)
{
    return TheStore().AddPublicSymbol(name, isStatic, range, procType);
}

SymResult SymbolStore::EndSymbolBlock()
{
    return TheStore().EndSymbolBlock();
}

Result<uint32_t> SymbolStore::AddVariable(const VariableEntry& variable)
{
    return TheStore().AddVariable(variable);
}

SymResult SymbolStore::AddLabel(std::string_view name, uint32_t value)
{
    if (name.empty())
        return SYM_E_ARGUMENT;
    TheStore().AddLabel(name, value);
    return SYM_OK;
}

SymResult SymbolStore::AddDataLabel(uint32_t address, std::string_view name, uint32_t type, uint32_t section,
                                    uint32_t address2)
{
    if (name.empty())
        return SYM_E_ARGUMENT;
    TheStore().AddDataLabel(address, name, type, section, address2);
    return SYM_OK;
}

void SymbolStore::AddFunctionName(std::string_view signature, std::string_view name)
{
    TheStore().AddFuncName(signature, name);
}

Result<uint32_t> SymbolStore::LookupNamedSymbol(uint32_t scope, std::string_view name) const
{
    return TheStore().LookupNamedSymbol(scope, name);
}

bool SymbolStore::HasFunction(std::string_view name) const
{
    return TheStore().FindFunction(name) != kNone;
}

Result<CodeRange> SymbolStore::FunctionRange(std::string_view name) const
{
    const Store& s = TheStore();
    const uint32_t f = s.FindFunction(name);
    if (f == kNone)
        return {SYM_E_NOT_FOUND, {}};
    return {SYM_OK, {s.Functions()[f].start, s.Functions()[f].end}};
}

Result<uint32_t> SymbolStore::AddressOfName(std::string_view name) const
{
    if (const Result<CodeRange> function = FunctionRange(name))
        return {SYM_OK, function->start};
    const Store& s = TheStore();
    name = StripSymbolMark(name);
    // Labels before data labels, each kind oldest first.
    for (const uint32_t kind : {SYM_KIND_LABEL, SYM_KIND_DATA_LABEL}) {
        uint32_t address = 0;
        const bool found = s.Names().FindIf(name, [&](NameRef ref) {
            if (ref.kind != kind)
                return false;
            const bool label = kind == SYM_KIND_LABEL;
            const std::string& recordName = label ? s.Labels()[ref.position].name : s.DataLabels()[ref.position].name;
            if (!SameName(recordName, name, s.caseSensitive))
                return false;
            address = label ? s.Labels()[ref.position].value : s.DataLabels()[ref.position].address;
            return true;
        });
        if (found)
            return {SYM_OK, address};
    }
    return {SYM_E_NOT_FOUND, 0};
}

Result<SymbolDetails> SymbolStore::Details(uint32_t handle)
{
    return TheStore().Details(handle);
}

uint16_t SymbolStore::AddressSpaceOf(uint32_t attribute)
{
    switch (attribute) {
    case SYM_ATTR_FRAME: return SYM_SPACE_FRAME;
    case SYM_ATTR_REGISTER: return SYM_SPACE_REGISTER;
    default: return ADDR_SPACE_TARGET;
    }
}

SymResult SymbolStore::SetLocationList(uint32_t handle, std::span<const SymLocationPiece> pieces)
{
    return TheStore().SetLocationList(handle, pieces);
}

SymResult SymbolStore::SetConstValue(uint32_t handle, std::span<const uint8_t> bytes)
{
    return TheStore().SetConstValue(handle, bytes);
}

Result<FunctionVariable> SymbolStore::FunctionVariableAt(uint32_t function, uint32_t n) const
{
    return TheStore().FunctionVariableAt(function, n);
}

}  // namespace quinar
