// SymbolStore's queries over lines, functions and modules by address.
#include <algorithm>

#include "quinar/symbol_store.h"
#include "store.h"

namespace quinar {

Result<SourceLine> SymbolStore::SourceLineAt(uint32_t address)
{
    Store& s = TheStore();
    const quinar::LineRange* r = s.Lines().At(address);
    if (!r)
        return {SYM_E_NO_SOURCE, {}};
    return {SYM_OK,
            {s.Modules()[s.Files()[r->file].module].handle, s.KeyOfFile(r->file), r->line, r->start, r->end,
             uint32_t{r->column}, r->statement}};
}

Result<CodeRange> SymbolStore::LineRange(uint32_t key, uint32_t line, uint32_t n)
{
    Store& s = TheStore();
    if (!s.IsModuleOrSourceKey(key))
        return {SYM_E_BAD_HANDLE, {}};
    const uint32_t file = s.FileOfKey(key);
    const std::span<const uint32_t> ranges =
        file == kNone ? std::span<const uint32_t>{} : s.Lines().RangesOf(file, line);
    if (n >= ranges.size())
        return {SYM_E_NOT_FOUND, {}};
    const quinar::LineRange& range = s.Lines().Range(ranges[n]);
    return {SYM_OK, {range.start, range.end}};
}

namespace {

uint32_t ModuleHandleOf(const Store& s, uint32_t position)
{
    return position == kNone ? 0u : s.Modules()[position].handle;
}

Result<AddressInfo> Found(const Store& s, uint32_t address, SymKind kind, uint32_t module, uint32_t first,
                          uint32_t last, uint32_t handle)
{
    return {SYM_OK, {kind, ModuleHandleOf(s, module), first, last, handle, address - first}};
}

}  // namespace

Result<AddressInfo> SymbolStore::DataAt(uint32_t address)
{
    Store& s = TheStore();
    if (uint32_t v = s.VariableAt(address); v != kNone) {
        const Variable& var = s.Variables()[v];
        return Found(s, address, SYM_KIND_VARIABLE, var.module, var.start, var.end - 1, s.VariableHandle(v));
    }
    if (uint32_t d = s.DataLabelAt(address); d != kNone) {
        const DataLabel& label = s.DataLabels()[d];
        const uint32_t size = s.Types().SizeOf(label.type);
        return Found(s, address, SYM_KIND_DATA_LABEL, label.module, label.address,
                     size != 0 ? label.address + size - 1 : label.address, s.DataLabelHandle(d));
    }
    return {SYM_E_NOT_FOUND, {}};
}

Result<AddressInfo> SymbolStore::CodeAt(uint32_t address)
{
    Store& s = TheStore();
    const uint32_t moduleHere = s.ModuleAt(address);
    if (uint32_t f = s.FunctionAt(address); f != kNone) {
        const Function& fn = s.Functions()[f];
        return Found(s, address, SYM_KIND_FUNCTION, fn.module != kNone ? fn.module : moduleHere, fn.start, fn.end,
                     s.FunctionHandle(f));
    }
    if (uint32_t l = s.LabelAtOrBelow(address); l != kNone) {
        const Label& label = s.Labels()[l];
        // Only a label of the code this address belongs to names it.
        if (s.ModuleAt(label.value) == moduleHere)
            return Found(s, address, SYM_KIND_LABEL, label.module != kNone ? label.module : moduleHere, label.value,
                         label.value, s.LabelHandle(l));
    }
    if (moduleHere != kNone) {
        const Module& m = s.Modules()[moduleHere];
        return Found(s, address, SYM_KIND_MODULE, moduleHere, m.start, m.end, m.handle);
    }
    return {SYM_E_NOT_FOUND, {}};
}

Result<AddressModule> SymbolStore::ModuleAt(uint32_t address)
{
    Store& s = TheStore();
    const quinar::LineRange* line = s.Lines().At(address);
    // The module of the address's source line, else the innermost module range.
    const uint32_t m = line ? s.Files()[line->file].module : s.ModuleAt(address);
    if (m == kNone)
        return {SYM_E_NOT_FOUND, {}};
    return {SYM_OK, {s.Modules()[m].handle, m + 1, line ? line->line : 0}};
}

}  // namespace quinar
