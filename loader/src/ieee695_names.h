// How IEEE-695 names become the store's names: the reductions of the C++
// compiler's encoded names (tool kind 2) and a module's name from its file.
#pragma once

#include <string>
#include <string_view>

namespace quentor::ieee695 {

// A code symbol: "__ct__4Node" -> "Node", "__dt__4Node" -> "~Node", any
// other name cut at its first "__" after the first character; a result
// that begins with "__sti" or "__std" starts at its first letter.
std::string CodeNameOf(std::string_view name);
// A data symbol: "__vtbl..." and "__ptbl..." start at their first letter;
// any name is cut at a "__" that is not at its start.
std::string DataNameOf(std::string_view name);
// A structure member: cut at its first "__" after the first character.
std::string MemberNameOf(std::string_view name);
// "c:\src\main.c" -> "main": the part after the last '/', ':' or '\', up to its last '.'.
std::string ModuleNameOf(std::string_view blockName);
// One leading '_' dropped.
std::string_view PlainName(std::string_view name);

}  // namespace quentor::ieee695
