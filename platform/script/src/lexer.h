// Splits script text into tokens: names, numbers (&H and &O forms),
// strings, dates, operators and statement ends (line ends and ':'); line
// continuations, comments and Rem are dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ast.h"
#include "errors.h"

namespace zk::script {

enum class Tok : uint8_t { End, Eol, Name, Number, String, Date, Op };

struct Token {
    Tok kind = Tok::End;
    int line = 0, col = 0;
    std::string text;  // Name: as written; Op: the operator
    Value value;       // Number, String, Date
};

// Throws a compile ScriptError (1032, 1033) on text that is no token.
std::vector<Token> Tokenize(std::string_view text);

}  // namespace zk::script
