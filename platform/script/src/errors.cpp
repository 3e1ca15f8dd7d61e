#include "errors.h"

#include <utility>

namespace zk::script {

const char* ErrorText(int32_t number)
{
    switch (number) {
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 10: return "This array is fixed or temporarily locked";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 14: return "Out of string space";
    case 28: return "Out of stack space";
    case 35: return "Sub or Function not defined";
    case 48: return "Error in loading DLL";
    case 51: return "Internal error";
    case 91: return "Object variable not set";
    case 92: return "For loop not initialized";
    case 94: return "Invalid use of Null";
    case 424: return "Object required";
    case 429: return "ActiveX component can't create object";
    case 438: return "Object doesn't support this property or method";
    case 445: return "Object doesn't support this action";
    case 449: return "Argument not optional";
    case 450: return "Wrong number of arguments or invalid property assignment";
    case 451: return "Object not a collection";
    case 500: return "Variable is undefined";
    case 501: return "Illegal assignment";
    case 502: return "Object not safe for scripting";
    case 1001: return "Out of memory";
    case 1002: return "Syntax error";
    case 1003: return "Expected ':'";
    case 1005: return "Expected '('";
    case 1006: return "Expected ')'";
    case 1010: return "Expected identifier";
    case 1011: return "Expected '='";
    case 1012: return "Expected 'If'";
    case 1013: return "Expected 'To'";
    case 1014: return "Expected 'End'";
    case 1015: return "Expected 'Function'";
    case 1016: return "Expected 'Sub'";
    case 1017: return "Expected 'Then'";
    case 1018: return "Expected 'Wend'";
    case 1019: return "Expected 'Loop'";
    case 1020: return "Expected 'Next'";
    case 1021: return "Expected 'Case'";
    case 1022: return "Expected 'Select'";
    case 1023: return "Expected expression";
    case 1024: return "Expected statement";
    case 1025: return "Expected end of statement";
    case 1026: return "Expected integer constant";
    case 1027: return "Expected 'While', 'Until' or end of statement";
    case 1028: return "Expected 'While', 'Until' or end of statement";
    case 1032: return "Invalid character";
    case 1033: return "Unterminated string constant";
    case 1037: return "Invalid use of 'Me' keyword";
    case 1038: return "'loop' without 'do'";
    case 1039: return "Invalid 'exit' statement";
    case 1040: return "Invalid 'for' loop control variable";
    case 1041: return "Name redefined";
    case 1042: return "Must be first statement on the line";
    case 1044: return "Cannot use parentheses when calling a Sub";
    case 1045: return "Expected literal constant";
    case 1046: return "Expected 'In'";
    case 1052: return "Cannot have multiple default property/method in a Class";
    case 1053: return "Class initialize or terminate do not have arguments";
    default: return "";
    }
}

int32_t ErrorScode(int32_t number)
{
    if (number < 0)
        return number;
    return static_cast<int32_t>(0x800A0000u | (static_cast<uint32_t>(number) & 0xFFFF));
}

void Throw(int32_t number, std::string description)
{
    if (description.empty())
        description = ErrorText(number);
    throw RuntimeError{number, kRuntimeSource, std::move(description)};
}

void ThrowMember(int32_t hr, const std::string& source, const std::string& description)
{
    throw RuntimeError{hr, source, description};
}

}  // namespace zk::script
