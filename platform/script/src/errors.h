// Errors of the script language: compile errors (numbers from 1001) stop a
// text before any of it runs; run-time errors carry a number (or a member's
// HRESULT), a source and a description.
#pragma once

#include <cstdint>
#include <string>

namespace zk::script {

inline constexpr const char* kCompileSource = "VBScript compilation error";
inline constexpr const char* kRuntimeSource = "VBScript runtime error";

// The published text of a language error number ("" when unknown).
const char* ErrorText(int32_t number);
// The SCODE of an error number: 0x800A0000 | number for the language's own
// numbers, the number itself when it already is an HRESULT.
int32_t ErrorScode(int32_t number);

struct ScriptError {
    int32_t number = 0;  // Err.Number: the language's number or a member's HRESULT
    std::string source;
    std::string description;
    bool compile = false;
    int line = 0;    // 0-based line of the text
    int column = 0;  // 0-based character position in that line
    std::string lineText;
};

// Thrown by the interpreter; the statement that catches it adds the position.
struct RuntimeError {
    int32_t number;
    std::string source;
    std::string description;
    bool positioned = false;
    int line = 0, column = 0;
    const void* origin = nullptr;  // the program whose text holds the line
};

[[noreturn]] void Throw(int32_t number, std::string description = {});
// A member call's failure turned into the language's error.
[[noreturn]] void ThrowMember(int32_t hr, const std::string& source, const std::string& description);

// Raised when the script is interrupted; no On Error catches it.
struct Interrupted {};

}  // namespace zk::script
