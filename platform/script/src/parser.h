// Parses script text into a Program. Any text gives either a program or
// one compile error (number, line, column); nesting deeper than
// kMaxNesting is a compile error too, so that no later walk runs out of stack.
#pragma once

#include <string_view>

#include "ast.h"

namespace zk::script {

inline constexpr int kMaxNesting = 200;

// Throws ScriptError (compile) on faulty text. `expression` parses one
// expression (a host's SCRIPTTEXT_ISEXPRESSION text) into a top-level
// Call statement whose value the caller reads.
std::unique_ptr<Program> Parse(std::string_view text, bool expression = false);

}  // namespace zk::script
