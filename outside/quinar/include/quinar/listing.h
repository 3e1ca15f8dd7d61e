// What the store holds, as text rows in the order the loaders added it, for
// the developer tools (ldrdump) and the loaders' tests. Not used by the
// program: its views read the store through the entry points of quinar.h.
#pragma once

#include <string>
#include <vector>

namespace quinar {

// "section <index> <name> attribute <n>", "module <first>-<last> <name>",
// "label <address> <name>", "data <address> <name>",
// "variable <address or location> <name> type <index>".
std::vector<std::string> ListSymbols();
// "<first>-<last> <name> module <module name>".
std::vector<std::string> ListFunctions();
// "<index> <code> size <bytes> <C text>", for the types the loaders stored.
std::vector<std::string> ListTypes();
// "<8-digit hex address> <file> <line>", one per line-table row.
std::vector<std::string> ListLines();

}  // namespace quinar
