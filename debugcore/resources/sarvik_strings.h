// sarvik's string table (registered once, looked up by number).
#pragma once

#include <string>

namespace sarvik::res {

// Registers the strings and dialog templates of the library (idempotent).
void RegisterResources();
// A string of the table; registers the table first.
std::string String(unsigned id);

}  // namespace sarvik::res
