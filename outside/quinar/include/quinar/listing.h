// What the store holds, as text rows in the order the loaders added it, for
// the developer tools (ldrdump) and the loaders' tests. Not used by the
// program: its views read the store through quinar/symbol_store.h.
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
// The rows of ListTypes, each followed by the type's items:
// "  member <name> type <index> offset <n>[ bits <offset>:<size>]",
// "  enumerator <name> <value>", "  param type <index>",
// "  slot <access> <name> type <index> offset <n>" (data members) and
// "  slot <access> <name> code <first>-<last>" (member functions); bit
// fields add " bits <offset>:<size> of <index>", arrays " bound <n> of <index>",
// pointers, references and typedefs " to <index>".
std::vector<std::string> ListTypesWithItems();
// The rows of ListFunctions, each followed by the function's frame base
// ("  frame base <location>") and its variables in the order added
// ("  <storage> <name> type <index> <location words>[ list <location>]").
// A location prints piece by piece: "[<low>-<high>) <operations>; ...".
std::vector<std::string> ListFunctionsWithVariables();
// "<8-digit hex address> <file> <line>", one per line-table row.
std::vector<std::string> ListLines();

}  // namespace quinar
