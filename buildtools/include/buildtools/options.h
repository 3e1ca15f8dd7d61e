// Option lines: the append rule, the option search and the translation of
// option words for Debian's tools.
#pragma once

#include <string>
#include <vector>

namespace fendrix {

std::string TrimLeadingBlanks(const std::string& text);
// Adds `option` as given, after one blank when the line is not empty and does
// not end with a blank; nothing when `option` is blank.
void AppendOption(std::string& line, const std::string& option);
// Only the first occurrence (ignoring case) counts, and only when it stands
// as a word between blanks or the ends of the text.
bool FindOption(const std::string& line, const std::string& option);
void AppendUnlessFound(std::string& line, const std::string& option);

}  // namespace fendrix
