// Symbols by name and names by address for the debugger's automation:
// AddressOf and NameOf of scripts.
#include <cstdio>

#include "boundary.h"
#include "quinar/quinar.h"
#include "quinar/symbol_store.h"

namespace quinar {

Result<uint32_t> SymbolStore::SymbolAddress(std::string_view name)
{
    if (const Result<uint32_t> address = AddressOfName(name))
        return address;
    const Result<uint32_t> handle = LookupNamedSymbol(0, name);
    if (!handle)
        return {SYM_E_NOT_FOUND, 0};
    const Result<SymSymbolInfo> info = SymbolInfo(*handle);
    if (!info || info->address.seg != ADDR_SPACE_TARGET)
        return {SYM_E_NOT_FOUND, 0};
    return {SYM_OK, info->address.off};
}

Result<std::string> SymbolStore::AddressSymbolName(uint32_t address, uint32_t mode)
{
    if (mode != SYM_NAME_CODE_OR_DATA && mode != SYM_NAME_WITH_OFFSET)
        return {SYM_E_ARGUMENT, {}};
    const Result<AddressInfo> code = CodeAt(address);
    const Result<AddressInfo> data = DataAt(address);
    // A function or a variable first, then a label; the assembler's mapping
    // symbols ("$a", "$d", "$t") and a module alone name nothing.
    const Result<AddressInfo>* order[] = {&code, &data, &code, &data};
    for (size_t i = 0; i < 4; ++i) {
        const Result<AddressInfo>& at = *order[i];
        if (!at || at->kind == SYM_KIND_MODULE)
            continue;
        const bool named = at->kind == SYM_KIND_FUNCTION || at->kind == SYM_KIND_VARIABLE;
        if (i < 2 && !named)
            continue;
        Result<std::string> name = SymbolName(at->handle);
        if (!name || name.value.empty() || name.value[0] == '$')
            continue;
        if (mode == SYM_NAME_WITH_OFFSET && at->offset != 0) {
            char offset[16];
            std::snprintf(offset, sizeof offset, "+0x%X", at->offset);
            name.value += offset;
        }
        return name;
    }
    return {SYM_E_NOT_FOUND, {}};
}

}  // namespace quinar

extern "C" {

SymResult SymGetAddrSymbolName(uint32_t address, char* buffer, uint32_t size, uint32_t mode)
{
    if (!buffer || size == 0)
        return SYM_E_ARGUMENT;
    buffer[0] = '\0';
    auto r = quinar::Symbols().AddressSymbolName(address, mode);
    if (r)
        quinar::CopyText(buffer, size, r.value);
    return r.status;
}

SymResult SymGetSymbolAddr(const char* name, uint32_t* address)
{
    if (!name || !address)
        return SYM_E_ARGUMENT;
    auto r = quinar::Symbols().SymbolAddress(name);
    if (r)
        *address = r.value;
    return r.status;
}

}  // extern "C"
