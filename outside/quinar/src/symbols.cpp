// Functions and their symbol blocks, variables and their scopes, labels,
// data labels, and the look-ups by name.
#include <cstring>

#include "store.h"

namespace quinar {

uint32_t Store::NewScope(ScopeKind kind, uint32_t owner, uint32_t parent)
{
    scopes_.push_back({kind, owner, parent});
    return static_cast<uint32_t>(scopes_.size() - 1);
}

uint32_t Store::CurrentScope() const
{
    if (!openFunctions_.empty())
        return functions_[openFunctions_.back()].scope;
    if (currentModule_ != kNone)
        return modules_[currentModule_].scope;
    return kNone;
}

void Store::CloseOpenFunctions()
{
    openFunctions_.clear();
}

SymResult Store::AddPublicSymbol(std::string_view name, bool isStatic, const SymModuleDesc& range, uint32_t procType)
{
    // A reader that failed inside a function leaves its block open; a new
    // function outside the open one's range cannot be nested in it.
    while (!openFunctions_.empty()) {
        const Function& outer = functions_[openFunctions_.back()];
        if (outer.start <= range.start && range.start <= outer.end)
            break;
        openFunctions_.pop_back();
    }
    uint32_t position = static_cast<uint32_t>(functions_.size());
    Function f;
    f.name = name;
    f.module = currentModule_;
    f.section = range.section;
    f.start = range.start;
    f.end = range.end;
    f.procType = procType;
    f.isStatic = isStatic;
    uint32_t parentScope = CurrentScope();
    f.parent = openFunctions_.empty() ? kNone : openFunctions_.back();
    functions_.push_back(std::move(f));
    functions_[position].scope = NewScope(ScopeKind::Function, position, parentScope);
    names_.Add(name, {SYM_KIND_FUNCTION, position});
    openFunctions_.push_back(position);
    TouchAddresses();
    return SYM_OK;
}

SymResult Store::EndSymbolBlock()
{
    if (!openFunctions_.empty())
        openFunctions_.pop_back();
    return SYM_OK;
}

Result<uint32_t> Store::AddVariable(const VariableEntry& entry)
{
    const uint32_t type = entry.type;
    const uint32_t storage = entry.storage;
    // The DWARF 1 reader retries a variable whose type it had not built yet.
    if (type != 0 && !types_.Known(type))
        return {SYM_E_NO_TYPE, 0};

    Variable v;
    v.name = entry.name;
    v.type = type;
    v.storage = storage;
    v.isRegister = entry.isRegister;
    v.constVolatile = entry.constVolatile;
    v.mode = entry.mode;
    std::copy(entry.location.begin(), entry.location.end(), v.location);
    v.module = currentModule_;
    if (storage == SYM_STORAGE_EXTERNAL || openFunctions_.empty()) {
        v.scope = currentModule_ == kNone ? kNone : modules_[currentModule_].scope;
    } else {
        v.function = openFunctions_.back();
        v.scope = functions_[v.function].scope;
    }
    if (v.HasAddress()) {
        v.start = v.location[1];
        v.end = v.start + types_.SizeOf(type);
        if (v.end < v.start)
            v.end = 0xFFFFFFFFu;
    }

    // The same variable handed over twice (a re-read entry) is kept once.
    // An entry with an identity is recognised by it alone: location-list
    // variables of one name in different blocks have equal fields.
    if (entry.entry != 0) {
        if (auto it = variableByEntry_.find(entry.entry); it != variableByEntry_.end())
            return {SYM_S_VARIABLE_ACCEPTED, variableHandles_.HandleOf(it->second)};
    }
    auto same = [&](const Variable& o) {
        return o.scope == v.scope && o.name == v.name && o.storage == v.storage && o.isRegister == v.isRegister &&
            o.type == v.type && std::memcmp(o.location, v.location, sizeof v.location) == 0;
    };
    uint32_t found = kNone;
    if (entry.entry != 0) {
        // Identified above: a new entry.
    } else if (v.function == kNone && v.storage != SYM_STORAGE_LOCAL) {
        names_.FindIf(v.name, [&](NameRef ref) {
            if (ref.kind == SYM_KIND_VARIABLE && same(variables_[ref.position]))
                found = ref.position;
            return found != kNone;
        });
    } else if (v.scope != kNone) {
        for (uint32_t at = scopes_[v.scope].firstVar; at != kNone; at = variables_[at].nextInScope)
            if (same(variables_[at]))
                found = at;
    }
    if (found != kNone)
        return {SYM_S_VARIABLE_ACCEPTED, variableHandles_.HandleOf(found)};

    uint32_t position = static_cast<uint32_t>(variables_.size());
    variables_.push_back(std::move(v));
    Variable& added = variables_.back();
    if (entry.entry != 0)
        variableByEntry_.emplace(entry.entry, position);
    if (added.scope != kNone) {
        Scope& s = scopes_[added.scope];
        if (s.lastVar == kNone)
            s.firstVar = position;
        else
            variables_[s.lastVar].nextInScope = position;
        s.lastVar = position;
    }
    if (added.storage != SYM_STORAGE_LOCAL)
        names_.Add(added.name, {SYM_KIND_VARIABLE, position});
    if (added.HasAddress())
        TouchSymbols();
    return {SYM_OK, variableHandles_.HandleOf(position)};
}

void Store::AddLabel(std::string_view name, uint32_t value)
{
    labels_.push_back({std::string(name), value, currentModule_});
    names_.Add(name, {SYM_KIND_LABEL, static_cast<uint32_t>(labels_.size() - 1)});
    TouchSymbols();
}

void Store::AddDataLabel(uint32_t address, std::string_view name, uint32_t type, uint32_t section, uint32_t address2)
{
    dataLabels_.push_back({std::string(name), address, type, section, address2, currentModule_});
    names_.Add(name, {SYM_KIND_DATA_LABEL, static_cast<uint32_t>(dataLabels_.size() - 1)});
    TouchSymbols();
}

Result<uint32_t> Store::LookupNamedSymbol(uint32_t scope, std::string_view name) const
{
    uint32_t handle = 0;
    uint32_t module = kNone;
    switch (KindOf(scope)) {
    case SYM_KIND_MODULE: module = ModulePosition(scope); break;
    case SYM_KIND_FUNCTION:
        if (uint32_t f = functionHandles_.PositionIn(scope, functions_); f != kNone)
            module = functions_[f].module;
        break;
    case SYM_KIND_VARIABLE:
        if (uint32_t v = variableHandles_.PositionIn(scope, variables_); v != kNone)
            module = variables_[v].module;
        break;
    default: break;
    }
    // Within the module the newest match wins: a reader asks for the
    // function it has just added (overloads share a name). Across the
    // store the first one does.
    auto search = [&](bool inModuleOnly) {
        bool found = false;
        names_.FindIf(name, [&](NameRef ref) {
            uint32_t owner = kNone;
            std::string_view recordName;
            if (ref.kind == SYM_KIND_FUNCTION) {
                owner = functions_[ref.position].module;
                recordName = functions_[ref.position].name;
            } else if (ref.kind == SYM_KIND_VARIABLE) {
                owner = variables_[ref.position].module;
                recordName = variables_[ref.position].name;
            } else {
                return false;
            }
            if (!SameName(recordName, name, caseSensitive))
                return false;
            if (inModuleOnly && owner != module)
                return false;
            handle = ref.kind == SYM_KIND_FUNCTION ? functionHandles_.HandleOf(ref.position)
                                                   : variableHandles_.HandleOf(ref.position);
            found = true;
            return !inModuleOnly;
        });
        return found;
    };
    if (module != kNone && search(true))
        return {SYM_OK, handle};
    if (search(false))
        return {SYM_OK, handle};
    return {SYM_E_NOT_FOUND, 0};
}

uint32_t Store::FindFunction(std::string_view name) const
{
    name = StripSymbolMark(name);
    auto byName = [&](std::string_view n) {
        uint32_t found = kNone;
        names_.FindIf(n, [&](NameRef ref) {
            if (ref.kind == SYM_KIND_FUNCTION && SameName(functions_[ref.position].name, n, caseSensitive))
                found = ref.position;
            return found != kNone;
        });
        return found;
    };
    uint32_t found = byName(name);
    if (found != kNone)
        return found;
    // A signature or member name the readers paired with the function's name.
    auto it = funcNames_.find(FoldCase(name));
    if (it == funcNames_.end())
        return kNone;
    return byName(it->second);
}

void Store::AddFuncName(std::string_view signature, std::string_view name)
{
    if (signature.empty() || name.empty())
        return;
    funcNames_[FoldCase(signature)] = name;
}

Result<SymbolDetails> Store::Details(uint32_t handle)
{
    SymbolDetails o;
    auto moduleHandle = [&](uint32_t position) { return position == kNone ? 0u : modules_[position].handle; };
    switch (KindOf(handle)) {
    case SYM_KIND_MODULE: {
        uint32_t at = ModulePosition(handle);
        if (at == kNone)
            return {SYM_E_BAD_HANDLE, {}};
        const Module& m = modules_[at];
        o.kind = SYM_KIND_MODULE;
        o.module = m.handle;
        o.start = m.hasRange ? m.start : kNoRangeStart;
        o.end = m.hasRange ? m.end : 0;
        o.size = m.hasRange ? m.end - m.start + 1 : 0;
        o.flags = (m.reopenCount != 0 ? 1u : 0u) | (m.nameShared ? 2u : 0u);
        o.location = m.section;
        break;
    }
    case SYM_KIND_FUNCTION: {
        uint32_t at = functionHandles_.PositionIn(handle, functions_);
        if (at == kNone)
            return {SYM_E_BAD_HANDLE, {}};
        const Function& f = functions_[at];
        o.kind = SYM_KIND_FUNCTION;
        o.module = moduleHandle(f.module != kNone ? f.module : ModuleAt(f.start));
        o.start = f.start;
        o.end = f.end;
        o.attribute = f.isStatic ? SYM_ATTR_STATIC : SYM_ATTR_EXTERNAL;
        o.type = f.procType;
        o.size = f.end >= f.start ? f.end - f.start + 1 : 0;
        o.flags = f.frameBase.stored ? SYM_FLAG_LOCATION_LIST : 0;
        o.location = f.section;
        o.scope = f.parent == kNone ? 0 : functionHandles_.HandleOf(f.parent);
        break;
    }
    case SYM_KIND_VARIABLE: {
        uint32_t at = variableHandles_.PositionIn(handle, variables_);
        if (at == kNone)
            return {SYM_E_BAD_HANDLE, {}};
        const Variable& v = variables_[at];
        o.kind = SYM_KIND_VARIABLE;
        o.module = moduleHandle(v.module);
        o.start = v.start;
        o.end = v.end;
        o.attribute = v.Attribute();
        o.type = v.type;
        o.size = types_.SizeOf(v.type);
        o.flags = (v.isRegister ? 1u : 0u) | (v.constVolatile ? 2u : 0u) |
            (v.locationList.stored ? SYM_FLAG_LOCATION_LIST : 0u);
        o.location = v.location[0];
        o.scope = v.function == kNone ? 0 : functionHandles_.HandleOf(v.function);
        break;
    }
    case SYM_KIND_LABEL: {
        uint32_t at = labelHandles_.PositionIn(handle, labels_);
        if (at == kNone)
            return {SYM_E_BAD_HANDLE, {}};
        const Label& l = labels_[at];
        o.kind = SYM_KIND_LABEL;
        o.module = moduleHandle(l.module);
        o.start = o.end = l.value;
        o.attribute = SYM_ATTR_EXTERNAL;
        break;
    }
    case SYM_KIND_DATA_LABEL: {
        uint32_t at = dataLabelHandles_.PositionIn(handle, dataLabels_);
        if (at == kNone)
            return {SYM_E_BAD_HANDLE, {}};
        const DataLabel& d = dataLabels_[at];
        o.kind = SYM_KIND_DATA_LABEL;
        o.module = moduleHandle(d.module);
        o.start = o.end = d.address;
        o.attribute = SYM_ATTR_EXTERNAL;
        o.type = d.type;
        o.size = types_.SizeOf(d.type);
        o.location = d.section;
        break;
    }
    default: return {SYM_E_BAD_HANDLE, {}};
    }
    return {SYM_OK, o};
}

}  // namespace quinar
