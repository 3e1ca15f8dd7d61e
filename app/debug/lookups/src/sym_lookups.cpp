#include "lookups/sym_lookups.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "links.h"
#include "quinar/symbol_store.h"

namespace lookups {

namespace {

template <class T>
void Put(T* out, T value)
{
    if (out)
        *out = value;
}

}  // namespace

ProgramLinks& Links()
{
    static ProgramLinks links;
    return links;
}

std::string LowerFileName(std::string_view path)
{
    size_t cut = path.find_last_of("\\/");
    std::string name(cut == std::string_view::npos ? path : path.substr(cut + 1));
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

ProgramLinks SetProgramLinks(ProgramLinks links)
{
    ProgramLinks previous = std::move(Links());
    Links() = std::move(links);
    return previous;
}

ModuleFinder SetLoadedModuleFinder(ModuleFinder finder)
{
    ModuleFinder previous = std::move(Links().moduleOfFile);
    Links().moduleOfFile = std::move(finder);
    return previous;
}

BOOL SymFindModuleOfFile(const char* fileName, int* module)
{
    Put(module, 0);
    if (!fileName || !*fileName)
        return FALSE;
    const std::string name = LowerFileName(fileName);
    if (name.empty())
        return FALSE;
    if (auto found = quinar::Symbols().FindModuleByFile(name, 0)) {
        Put(module, static_cast<int>(*found));
        return TRUE;
    }
    int listed = 0;
    if (Links().moduleOfFile && Links().moduleOfFile(name, listed) && listed != 0) {
        Put(module, listed);
        return TRUE;
    }
    return FALSE;
}

BOOL SymGetLineAddrRange(int line, ADDR* start, ADDR* end, int module, BOOL keepLine)
{
    Put(start, ADDR{0, ADDR_SPACE_TARGET});
    Put(end, ADDR{0, ADDR_SPACE_TARGET});
    if (line <= 0 || module == 0)
        return FALSE;
    auto range = quinar::Symbols().LineRange(static_cast<uint32_t>(module), static_cast<uint32_t>(line), 0);
    if (range) {
        Put(start, ADDR{range->start, ADDR_SPACE_TARGET});
        Put(end, ADDR{range->end, ADDR_SPACE_TARGET});
        return TRUE;
    }
    if (keepLine && range.status == SYM_E_NOT_FOUND) {
        // No code on the line: the source position itself.
        Put(start, ADDR{static_cast<uint32_t>(line), ADDR_SPACE_NONE});
        Put(end, ADDR{static_cast<uint32_t>(module), ADDR_SPACE_NONE});
        return TRUE;
    }
    return FALSE;
}

bool LineOfAddr(std::uint32_t address, std::uint32_t& module, std::uint32_t& line)
{
    auto found = quinar::Symbols().ModuleAt(address);
    if (!found) {
        module = 0;
        line = 0;
        return false;
    }
    module = found->module;
    line = found->line;
    return true;
}

BOOL SymGetModuleOfAddr(const ADDR* address, int* module, int* a, int* b)
{
    Put(module, -1);
    Put(a, -1);
    Put(b, -1);
    if (!address)
        return FALSE;
    auto found = quinar::Symbols().ModuleAt(address->off);
    if (!found)
        return FALSE;
    Put(module, static_cast<int>(std::min<uint32_t>(found->line, 0xFFFFu)));
    return TRUE;
}

}  // namespace lookups
