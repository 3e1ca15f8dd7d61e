// The source editor's questions about a name at a line of a source file:
// is it a variable there, and what is its value at the stop.
#include "boundary.h"
#include "expressions.h"
#include "store.h"
#include "value_text.h"

namespace quinar {

namespace {

// The stopped function when its source lines hold `line` (in the file of
// `key` when key is not 0); kNone otherwise. Stopped in code inlined into a
// function (a nested function record, in the same frame), the line may be
// one of the function around it: those are asked in turn, innermost first.
uint32_t StoppedFunctionAtLine(Store& s, uint32_t pc, uint32_t key, uint32_t line)
{
    for (uint32_t f = s.FunctionAt(pc); f != kNone; f = s.Functions()[f].parent) {
        const Function& function = s.Functions()[f];
        LineIndex::Span span{};
        if (!s.Lines().SpanWithin(function.start, function.end, &span))
            continue;
        if (key != 0 && s.FileOfKey(key) != span.file)
            continue;
        if (line >= span.first && line <= span.last)
            return f;
    }
    return kNone;
}

bool IsGlobalVariable(const Store& s, uint32_t handle)
{
    if (KindOf(handle) != SYM_KIND_VARIABLE)
        return false;
    const uint32_t at = s.VariablePosition(handle);
    return at != kNone && s.Variables()[at].storage == SYM_STORAGE_EXTERNAL && s.Variables()[at].function == kNone;
}

// A parameter, local or static of function f (or of a function around it),
// a static of its module, or a global.
bool IsVariableOf(const Store& s, uint32_t handle, uint32_t f)
{
    if (KindOf(handle) != SYM_KIND_VARIABLE)
        return false;
    const uint32_t at = s.VariablePosition(handle);
    if (at == kNone)
        return false;
    const Variable& v = s.Variables()[at];
    if (v.function == kNone)
        return v.storage == SYM_STORAGE_EXTERNAL || v.module == s.Functions()[f].module;
    for (uint32_t g = f; g != kNone; g = s.Functions()[g].parent) {
        if (g == v.function)
            return true;
    }
    return false;
}

// A global variable of that name anywhere in the store.
bool FindGlobal(Store& s, std::string_view name, uint32_t* handle)
{
    name = StripSymbolMark(name);
    return s.Names().FindIf(name, [&](NameRef ref) {
        if (ref.kind != SYM_KIND_VARIABLE || !SameName(s.Variables()[ref.position].name, name, s.caseSensitive))
            return false;
        const uint32_t h = s.VariableHandle(ref.position);
        if (!IsGlobalVariable(s, h))
            return false;
        *handle = h;
        return true;
    });
}

// A variable the line can name: a parameter, local or static of the stopped
// function f (or of a function around it), a static of `module` (kNone: of
// any module), a global; or a data label.
bool IsVisibleVariable(const Store& s, uint32_t handle, uint32_t f, uint32_t module)
{
    if (KindOf(handle) == SYM_KIND_DATA_LABEL)
        return true;
    if (f != kNone)
        return IsVariableOf(s, handle, f);
    if (KindOf(handle) != SYM_KIND_VARIABLE)
        return false;
    const uint32_t at = s.VariablePosition(handle);
    if (at == kNone || s.Variables()[at].function != kNone)
        return false;
    return s.Variables()[at].storage == SYM_STORAGE_EXTERNAL || module == kNone || s.Variables()[at].module == module;
}

}  // namespace

int SymbolStore::CheckVariableAtLine(std::string_view name, uint32_t line)
{
    Store& s = TheStore();
    uint32_t pc = 0;
    const int pcResult = ReadTargetPc(&pc);
    if (pcResult == EMU_TARGET_LOST)
        return EMU_TARGET_LOST;
    uint32_t handle = 0;
    if (pcResult == 0) {
        const uint32_t f = StoppedFunctionAtLine(s, pc, 0, line);
        if (f != kNone && quinar::FindSymbol(s, s.FunctionHandle(f), name, &handle, &pc) == SYM_OK &&
            IsVariableOf(s, handle, f))
            return SYM_OK;
    }
    return FindGlobal(s, name, &handle) ? SYM_OK : SYM_E_NOT_FOUND;
}

Result<std::string> SymbolStore::VariableValueText(uint32_t module, uint32_t line, std::string_view name)
{
    Store& s = TheStore();
    uint32_t pc = 0;
    const int pcResult = ReadTargetPc(&pc);
    if (pcResult == EMU_TARGET_LOST)
        return {EMU_TARGET_LOST, {}};
    // Only the stopped frame gives a local a value; elsewhere the module's
    // statics and the globals count.
    uint32_t scope = 0;
    const uint32_t* at = nullptr;
    uint32_t stopped = kNone;
    if (pcResult == 0) {
        if (uint32_t f = StoppedFunctionAtLine(s, pc, module, line); f != kNone) {
            scope = s.FunctionHandle(f);
            at = &pc;
            stopped = f;
        }
    }
    uint32_t ownModule = kNone;
    if (stopped != kNone) {
        ownModule = s.Functions()[stopped].module;
    } else if (module != 0) {
        const uint32_t file = s.FileOfKey(module);
        if (file == kNone)
            return {SYM_E_BAD_HANDLE, {}};
        ownModule = s.Files()[file].module;
        scope = s.Modules()[ownModule].handle;
    }
    uint32_t handle = 0;
    if (SymResult r = quinar::FindSymbol(s, scope, name, &handle, at); r != SYM_OK)
        return {r, {}};
    if (KindOf(handle) != SYM_KIND_VARIABLE && KindOf(handle) != SYM_KIND_DATA_LABEL)
        return {SYM_E_WRONG_TYPE, {}};
    // The name search ends anywhere in the store: a local or static of
    // another function, or another module's static, is not the variable on
    // this line (a local optimised away here must not show some other
    // function's variable of that name). Only a global stands in for it.
    if (!IsVisibleVariable(s, handle, stopped, ownModule) && !FindGlobal(s, name, &handle))
        return {SYM_E_NOT_FOUND, {}};
    Place place;
    uint32_t type = 0;
    if (SymResult r = PlaceOfSymbol(s, handle, at, &place, &type); r != SYM_OK)
        return {r, {}};
    ValueLayout layout;
    if (SymResult r = LayoutOf(s.Types(), type, &layout); r != SYM_OK)
        return {r, {}};
    uint64_t bits = 0;
    if (layout.size != 0) {
        if (SymResult r = ReadPlace(place, layout.size, &bits); r != SYM_OK)
            return {r, {}};
    }
    return {SYM_OK, FormatValue(s.Types(), layout, bits)};
}

Result<std::string> SymbolStore::ValueText(uint32_t type, uint64_t bits) const
{
    const TypeTable& types = TheStore().Types();
    ValueLayout layout;
    if (SymResult r = LayoutOf(types, type, &layout); r != SYM_OK)
        return {r, {}};
    return {SYM_OK, FormatValue(types, layout, bits)};
}

}  // namespace quinar

extern "C" {

int SymCheckVariableAtLine(const char* name, int32_t line)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return quinar::Symbols().CheckVariableAtLine(name, static_cast<uint32_t>(line));
}

int SymGetVariableValueText(uint32_t module, int32_t line, const char* name, ZkString* text)
{
    if (!name || !text)
        return SYM_E_ARGUMENT;
    auto r = quinar::Symbols().VariableValueText(module, static_cast<uint32_t>(line), name);
    if (r)
        *text = r.value;
    return r.status;
}

}  // extern "C"
