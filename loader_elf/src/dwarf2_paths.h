// File names of the DWARF 2 readers: the unit names of UnitRangeTable and
// the files of the line programs, compared the way the readers find a
// module by name (without regard to case, either separator).
#pragma once

#include <string>
#include <string_view>

namespace tarnel {

// Equal names, where '/' and '\\' are the same and a leading "./" counts
// for nothing.
bool SamePath(std::string_view a, std::string_view b);
// A line-table file: its name after its directory; a name that is a full
// path already (a separator or a drive letter first) stands alone.
std::string JoinPath(std::string_view directory, std::string_view name);

}  // namespace tarnel
