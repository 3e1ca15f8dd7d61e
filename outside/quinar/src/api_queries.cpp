// Entry points of the queries over lines, functions and modules.
#include <algorithm>

#include "store.h"

using namespace quinar;

namespace {

template <class T>
void Put(T* out, T value)
{
    if (out)
        *out = value;
}

// The ranges of a line of a key's source file; SYM_E_BAD_HANDLE for an
// unknown key, an empty span when the line has no code.
SymResult LineRanges(uint32_t key, uint32_t line, std::span<const uint32_t>* ranges)
{
    Store& s = TheStore();
    if (!s.IsModuleOrSourceKey(key))
        return SYM_E_BAD_HANDLE;
    uint32_t file = s.FileOfKey(key);
    *ranges = file == kNone ? std::span<const uint32_t>{} : s.Lines().RangesOf(file, line);
    return SYM_OK;
}

SymResult NthRange(uint32_t key, uint32_t line, uint32_t n, uint32_t* start, uint32_t* end)
{
    std::span<const uint32_t> ranges;
    if (SymResult r = LineRanges(key, line, &ranges); r != SYM_OK)
        return r;
    if (n >= ranges.size())
        return SYM_E_NOT_FOUND;
    const LineRange& range = TheStore().Lines().Range(ranges[n]);
    Put(start, range.start);
    Put(end, range.end);
    return SYM_OK;
}

}  // namespace

extern "C" {

SymResult SymAddrToSourceLine(uint32_t address, uint32_t* module, uint32_t* file, uint32_t* line, uint32_t* start,
                              uint32_t* end, uint32_t* column)
{
    Store& s = TheStore();
    const LineRange* r = s.Lines().At(address);
    if (!r)
        return SYM_E_NO_SOURCE;
    Put(module, s.Modules()[s.Files()[r->file].module].handle);
    Put(file, s.KeyOfFile(r->file));
    Put(line, r->line);
    Put(start, r->start);
    Put(end, r->end);
    Put(column, uint32_t{r->column});
    return SYM_OK;
}

SymResult SymSourceLineToAddr(uint32_t key, uint32_t line, uint32_t* address)
{
    if (!address)
        return SYM_E_ARGUMENT;
    std::span<const uint32_t> ranges;
    if (SymResult r = LineRanges(key, line, &ranges); r != SYM_OK)
        return r;
    if (ranges.empty())
        return SYM_NO_CODE;
    *address = TheStore().Lines().Range(ranges.front()).start;
    return SYM_OK;
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
    SymResult r = NthRange(key, line, *iterator, start, end);
    if (r == SYM_OK)
        ++*iterator;
    return r;
}

SymResult SymLineToAddrRange(uint32_t key, uint32_t line, ADDR* start, ADDR* end, int32_t)
{
    uint32_t first = 0, last = 0;
    SymResult r = NthRange(key, line, 0, &first, &last);
    if (r == SYM_E_NOT_FOUND)
        return SYM_LINE_NO_CODE;
    if (r != SYM_OK)
        return r;
    if (start)
        *start = {first, ADDR_SPACE_TARGET};
    if (end)
        *end = {last, ADDR_SPACE_TARGET};
    return SYM_OK;
}

SymResult SymGetAddrInfo(uint32_t mode, uint32_t address, uint32_t* module, uint32_t* kind, uint32_t* start,
                         uint32_t* end, uint32_t* handle, uint32_t* offset)
{
    Store& s = TheStore();
    auto moduleHandle = [&](uint32_t position) { return position == kNone ? 0u : s.Modules()[position].handle; };
    auto answer = [&](uint32_t k, uint32_t m, uint32_t first, uint32_t last, uint32_t h) {
        Put(module, moduleHandle(m));
        Put(kind, k);
        Put(start, first);
        Put(end, last);
        Put(handle, h);
        Put(offset, address - first);
        return SYM_OK;
    };
    uint32_t moduleHere = s.ModuleAt(address);
    if (mode == SYM_ADDR_DATA) {
        if (uint32_t v = s.VariableAt(address); v != kNone) {
            const Variable& var = s.Variables()[v];
            return answer(SYM_KIND_VARIABLE, var.module, var.start, var.end - 1, s.VariableHandle(v));
        }
        if (uint32_t d = s.DataLabelAt(address); d != kNone) {
            const DataLabel& label = s.DataLabels()[d];
            uint32_t size = s.Types().SizeOf(label.type);
            return answer(SYM_KIND_DATA_LABEL, label.module, label.address,
                          size != 0 ? label.address + size - 1 : label.address, s.DataLabelHandle(d));
        }
        return SYM_E_NOT_FOUND;
    }
    if (uint32_t f = s.FunctionAt(address); f != kNone) {
        const Function& fn = s.Functions()[f];
        return answer(SYM_KIND_FUNCTION, fn.module != kNone ? fn.module : moduleHere, fn.start, fn.end,
                      s.FunctionHandle(f));
    }
    if (uint32_t l = s.LabelAtOrBelow(address); l != kNone) {
        const Label& label = s.Labels()[l];
        // Only a label of the code this address belongs to names it.
        if (s.ModuleAt(label.value) == moduleHere)
            return answer(SYM_KIND_LABEL, label.module != kNone ? label.module : moduleHere, label.value, label.value,
                          s.LabelHandle(l));
    }
    if (moduleHere != kNone) {
        const Module& m = s.Modules()[moduleHere];
        return answer(SYM_KIND_MODULE, moduleHere, m.start, m.end, m.handle);
    }
    return SYM_E_NOT_FOUND;
}

SymResult SrcGetFuncRange(const char* name, ADDR* start, ADDR* end)
{
    if (!name)
        return SYM_E_ARGUMENT;
    Store& s = TheStore();
    uint32_t f = s.FindFunction(name);
    if (f == kNone)
        return SYM_E_NOT_FOUND;
    if (start)
        *start = {s.Functions()[f].start, ADDR_SPACE_TARGET};
    if (end)
        *end = {s.Functions()[f].end, ADDR_SPACE_TARGET};
    return SYM_OK;
}

SymResult SymCheckFunctionName(const char* name)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return TheStore().FindFunction(name) != kNone ? SYM_OK : SYM_E_NOT_FOUND;
}

SymResult SymFindModuleByIndex(const char* fileName, uint32_t index, uint32_t* module)
{
    if (!fileName)
        return SYM_E_ARGUMENT;
    return TheStore().FindModuleByFile(fileName, index, module);
}

SymResult SymFindModuleByName(const char* name, uint32_t* module)
{
    if (!name)
        return SYM_E_ARGUMENT;
    return TheStore().FindModuleByFile(name, 0, module);
}

SymResult SymAddrToModule(uint32_t address, uint32_t* position, uint32_t* module)
{
    Store& s = TheStore();
    Put(position, 0u);
    Put(module, 0u);
    const LineRange* line = s.Lines().At(address);
    // The module of the address's source line, else the innermost module range.
    uint32_t m = line ? s.Files()[line->file].module : s.ModuleAt(address);
    if (m == kNone)
        return SYM_E_NOT_FOUND;
    uint32_t lineNumber = line ? std::min<uint32_t>(line->line, 0xFFFF) : 0;
    Put(position, ((std::min<uint32_t>(m + 1, 0xFFFF)) << 16) | lineNumber);
    Put(module, s.Modules()[m].handle);
    return SYM_OK;
}

SymResult SymGetModuleCount(uint32_t* count)
{
    if (!count)
        return SYM_E_ARGUMENT;
    *count = static_cast<uint32_t>(TheStore().Modules().size());
    return SYM_OK;
}

SymResult SymGetModuleHandle(uint32_t ordinal, uint32_t* handle)
{
    if (!handle)
        return SYM_E_ARGUMENT;
    *handle = 0;
    const auto& modules = TheStore().Modules();
    if (ordinal >= modules.size())
        return SYM_E_NOT_FOUND;
    *handle = modules[ordinal].handle;
    return SYM_OK;
}

SymResult FreeModuleDescMap()
{
    TheStore().FreeDerived();
    return SYM_OK;
}

SymResult SymNotifyTargetHalted()
{
    ++TheStore().haltCount;
    return SYM_OK;
}

SymResult SymSetCaseSensitive(int32_t flag)
{
    TheStore().caseSensitive = flag != 0;
    return SYM_OK;
}

}  // extern "C"
