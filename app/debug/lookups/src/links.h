// The look-ups' shared helpers: the program's links and the file-name rule.
#pragma once

#include <string>
#include <string_view>

#include "lookups/sym_lookups.h"

namespace lookups {

ProgramLinks& Links();
// The file name after the last '\' or '/', lower-cased (ASCII).
std::string LowerFileName(std::string_view path);

}  // namespace lookups
