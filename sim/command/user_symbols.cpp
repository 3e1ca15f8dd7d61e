#include "simcmd/user_symbols.h"

#include <algorithm>
#include <new>

#include "operand.h"
#include "simcmd/command_history.h"

namespace zk::sim {

UserSymbols::Symbol* UserSymbols::Find(std::string_view name)
{
    auto it = std::find_if(symbols_.begin(), symbols_.end(), [&](const Symbol& s) { return SameWord(s.name, name); });
    return it == symbols_.end() ? nullptr : &*it;
}

const UserSymbols::Symbol* UserSymbols::Find(std::string_view name) const
{
    return const_cast<UserSymbols*>(this)->Find(name);
}

UserSymbols::Creation UserSymbols::Create(std::string_view name, uint32_t value, bool builtIn)
{
    if (Find(name))
        return Creation::Exists;
    try {
        symbols_.push_back({std::string(name), value, builtIn});
    } catch (const std::bad_alloc&) {
        return Creation::OutOfMemory;
    }
    return Creation::Created;
}

UserSymbols::Removal UserSymbols::Remove(std::string_view name)
{
    Symbol* symbol = Find(name);
    if (!symbol)
        return Removal::Missing;
    if (symbol->builtIn)
        return Removal::BuiltIn;
    symbols_.erase(symbols_.begin() + (symbol - symbols_.data()));
    return Removal::Removed;
}

void CommandHistory::Record(std::string_view line)
{
    if (lines_.size() == kLines)
        lines_.pop_front();
    lines_.emplace_back(line.substr(0, kLineLength));
}

}  // namespace zk::sim
