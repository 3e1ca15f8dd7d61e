// Names seen from a scope: locals of a function and the functions around
// it, then its module's file level, then the whole store; registers named
// with "@" or "$".
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "boundary.h"
#include "expressions.h"

namespace quinar {

namespace {

constexpr const char* kRegisterNames[kRegisterCount] = {"r0", "r1",  "r2",  "r3",  "r4",  "r5",  "r6",  "r7",   "r8",
                                                        "r9", "r10", "r11", "r12", "r13", "r14", "r15", "cpsr", "spsr"};

// The CPU model's other names of r13-r15.
constexpr struct {
    const char* name;
    uint32_t id;
} kRegisterAliases[] = {{"sp", 13}, {"lr", 14}, {"pc", 15}};

bool RegisterIdOfName(std::string_view name, uint32_t* id)
{
    const std::string text(name);
    for (uint32_t i = 0; i < kRegisterCount; ++i) {
        if (strcasecmp(kRegisterNames[i], text.c_str()) == 0) {
            *id = i;
            return true;
        }
    }
    for (const auto& alias : kRegisterAliases) {
        if (strcasecmp(alias.name, text.c_str()) == 0) {
            *id = alias.id;
            return true;
        }
    }
    return false;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// The module and the innermost scope of variables that a scope handle opens.
struct Where {
    uint32_t module = kNone;
    uint32_t scope = kNone;
};

Where WhereOf(const Store& s, uint32_t handle)
{
    Where w;
    auto moduleScope = [&](uint32_t module) { return module == kNone ? kNone : s.Modules()[module].scope; };
    switch (KindOf(handle)) {
    case SYM_KIND_MODULE:
        w.module = s.ModulePosition(handle);
        w.scope = moduleScope(w.module);
        break;
    case SYM_KIND_FUNCTION:
        if (uint32_t f = s.FunctionPosition(handle); f != kNone) {
            w.module = s.Functions()[f].module;
            w.scope = s.Functions()[f].scope;
        }
        break;
    case SYM_KIND_VARIABLE:
        if (uint32_t v = s.VariablePosition(handle); v != kNone) {
            const Variable& var = s.Variables()[v];
            w.module = var.module;
            w.scope = var.function != kNone ? s.Functions()[var.function].scope : moduleScope(var.module);
        }
        break;
    case SYM_KIND_LABEL:
        if (uint32_t l = s.LabelPosition(handle); l != kNone)
            w.module = s.Labels()[l].module;
        w.scope = moduleScope(w.module);
        break;
    case SYM_KIND_DATA_LABEL:
        if (uint32_t d = s.DataLabelPosition(handle); d != kNone)
            w.module = s.DataLabels()[d].module;
        w.scope = moduleScope(w.module);
        break;
    default: break;
    }
    return w;
}

}  // namespace

uint32_t RegisterHandle(uint32_t id)
{
    return MakeHandle(SYM_KIND_REGISTER, id + 1);
}

bool RegisterOf(uint32_t handle, uint32_t* id)
{
    if (KindOf(handle) != SYM_KIND_REGISTER)
        return false;
    const uint32_t serial = SerialOf(handle);
    if (serial == 0 || serial > kRegisterCount)
        return false;
    *id = serial - 1;
    return true;
}

bool ParseRegisterReference(std::string_view text, uint32_t* id)
{
    text = Trim(text);
    if (text.size() < 2 || (text[0] != '@' && text[0] != '$'))
        return false;
    text.remove_prefix(1);
    if (text.front() == '(') {
        if (text.back() != ')')
            return false;
        text = Trim(text.substr(1, text.size() - 2));
    }
    return RegisterIdOfName(text, id);
}

const char* RegisterName(uint32_t id)
{
    return id < kRegisterCount ? kRegisterNames[id] : "";
}

SymResult FindSymbol(Store& s, uint32_t scope, std::string_view name, uint32_t* handle, const uint32_t* pc)
{
    *handle = 0;
    name = Trim(name);
    if (uint32_t id = 0; ParseRegisterReference(name, &id)) {
        *handle = RegisterHandle(id);
        return SYM_OK;
    }
    name = StripSymbolMark(name);
    if (name.empty())
        return SYM_E_NOT_FOUND;

    // Innermost first: a local hides a static of its module, which hides a
    // global of another module.
    const Where where = WhereOf(s, scope);
    uint32_t elsewhere = 0;  // a local of that name whose location does not hold at the PC
    for (uint32_t sc = where.scope; sc != kNone; sc = s.Scopes()[sc].parent) {
        for (uint32_t v = s.Scopes()[sc].firstVar; v != kNone; v = s.Variables()[v].nextInScope) {
            if (!SameName(s.Variables()[v].name, name, s.caseSensitive))
                continue;
            const uint32_t h = s.VariableHandle(v);
            if (pc && !LocationHoldsAt(s, h, *pc)) {
                elsewhere = elsewhere ? elsewhere : h;
                continue;
            }
            *handle = h;
            return SYM_OK;
        }
    }
    if (elsewhere) {
        *handle = elsewhere;
        return SYM_OK;
    }

    auto search = [&](bool moduleOnly) {
        return s.Names().FindIf(name, [&](NameRef ref) {
            std::string_view recordName;
            uint32_t module = kNone;
            uint32_t h = 0;
            switch (ref.kind) {
            case SYM_KIND_FUNCTION:
                recordName = s.Functions()[ref.position].name;
                module = s.Functions()[ref.position].module;
                h = s.FunctionHandle(ref.position);
                break;
            case SYM_KIND_VARIABLE:
                recordName = s.Variables()[ref.position].name;
                module = s.Variables()[ref.position].module;
                h = s.VariableHandle(ref.position);
                break;
            case SYM_KIND_LABEL:
                recordName = s.Labels()[ref.position].name;
                module = s.Labels()[ref.position].module;
                h = s.LabelHandle(ref.position);
                break;
            case SYM_KIND_DATA_LABEL:
                recordName = s.DataLabels()[ref.position].name;
                module = s.DataLabels()[ref.position].module;
                h = s.DataLabelHandle(ref.position);
                break;
            default: return false;
            }
            if (!SameName(recordName, name, s.caseSensitive) || (moduleOnly && module != where.module))
                return false;
            *handle = h;
            return true;
        });
    };
    if (where.module != kNone && search(true))
        return SYM_OK;
    return search(false) ? SYM_OK : SYM_E_NOT_FOUND;
}

Result<uint32_t> SymbolStore::FindSymbol(uint32_t scope, std::string_view name)
{
    uint32_t handle = 0;
    SymResult r = quinar::FindSymbol(TheStore(), scope, name, &handle, nullptr);
    return {r, r == SYM_OK ? handle : 0};
}

Result<SymSymbolInfo> SymbolStore::SymbolInfo(uint32_t handle)
{
    if (uint32_t id = 0; RegisterOf(handle, &id))
        return {SYM_OK, {SYM_KIND_REGISTER, {id, SYM_SPACE_REGISTER}, 0, 4, 0, 0}};
    auto d = TheStore().Details(handle);
    if (!d)
        return {d.status, {}};
    ADDR address{d->start, ADDR_SPACE_TARGET};
    if (d->kind == SYM_KIND_VARIABLE && (d->attribute == SYM_ATTR_FRAME || d->attribute == SYM_ATTR_REGISTER))
        address = {d->location, AddressSpaceOf(d->attribute)};
    return {SYM_OK, {d->kind, address, d->type, d->size, d->module, d->scope}};
}

Result<std::string> SymbolStore::SymbolName(uint32_t handle) const
{
    const Store& s = TheStore();
    uint32_t at = kNone;
    uint32_t id = 0;
    auto named = [](std::string_view name) { return Result<std::string>{SYM_OK, std::string(name)}; };
    const Result<std::string> bad{SYM_E_BAD_HANDLE, {}};
    switch (KindOf(handle)) {
    case SYM_KIND_REGISTER: return RegisterOf(handle, &id) ? named(RegisterName(id)) : bad;
    case SYM_KIND_MODULE: return (at = s.ModulePosition(handle)) == kNone ? bad : named(s.Modules()[at].name);
    case SYM_KIND_FUNCTION: return (at = s.FunctionPosition(handle)) == kNone ? bad : named(s.Functions()[at].name);
    case SYM_KIND_VARIABLE: return (at = s.VariablePosition(handle)) == kNone ? bad : named(s.Variables()[at].name);
    case SYM_KIND_LABEL: return (at = s.LabelPosition(handle)) == kNone ? bad : named(s.Labels()[at].name);
    case SYM_KIND_DATA_LABEL: return (at = s.DataLabelPosition(handle)) == kNone ? bad : named(s.DataLabels()[at].name);
    default: return bad;
    }
}

}  // namespace quinar

using namespace quinar;

extern "C" {

SymResult SymFindSymbolByName(uint32_t scope, const char* name, uint32_t* handle)
{
    if (!name || !handle)
        return SYM_E_ARGUMENT;
    auto r = Symbols().FindSymbol(scope, name);
    *handle = r.value;
    return r.status;
}

SymResult SymGetSymbolInfo(uint32_t handle, SymSymbolInfo* info)
{
    if (!info)
        return SYM_E_ARGUMENT;
    return Deliver(Symbols().SymbolInfo(handle), info);
}

SymResult SymGetSymbolName(uint32_t handle, char* buffer, uint32_t size)
{
    if (!buffer || size == 0)
        return SYM_E_ARGUMENT;
    buffer[0] = '\0';
    auto r = Symbols().SymbolName(handle);
    if (r)
        CopyText(buffer, size, r.value);
    return r.status;
}

}  // extern "C"
