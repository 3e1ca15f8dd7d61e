// The directory and macro lists of the application, kept as values of the
// key registry path + "\Settings", and the tool-chain defaults that fill
// INCLUDE, LIB and BIN from the installed ARM compiler on a first start.
#pragma once

#include <string>

#include "shell/reg_key.h"

namespace shell {

struct DirectoryLists {
    CStringArray include;     // "INCLUDE"
    CStringArray lib;         // read as "LIB", written as "Lib"
    CStringArray bin;         // "BIN"
    CStringArray src;         // "SRC"
    CStringArray ext;         // "EXT"
    CStringArray macroFiles;  // read as "MACRO", written as "Macro"
    int loadMacroOnStart = 0;
};

// Reads every list that is present (a missing or damaged value leaves its
// list as it was), the macro list and the load-macros-on-start flag.
void LoadDirectoryLists(DirectoryLists& lists, const std::string& keyPath);
// Writes INCLUDE, Lib, BIN, SRC and EXT (the key is created when missing).
void SaveDirectoryLists(const DirectoryLists& lists, const std::string& keyPath);
// Writes "Macro" and "LoadMacroOnStart" (the main frame's close).
void SaveMacroSettings(const DirectoryLists& lists, const std::string& keyPath);

// What the tool chain answers for the defaults.
struct ToolChainAnswers {
    bool found = false;    // make and the compiler are both on PATH
    CStringArray bin;      // the folder of the compiler, then make's when another
    CStringArray include;  // the compiler's include search list for C
    CStringArray lib;      // folders of libc.a and of libgcc
};

inline constexpr char kArmCompiler[] = "arm-none-eabi-gcc";

// The first folder of `path` (a PATH-style list) holding an executable
// `program`; empty when none.
std::string FindOnPath(const std::string& program, const std::string& path);
// Asks the compiler (by its full file name) for its include search list and
// its library files; folders normalised ("a/b/../c" -> "a/c").
ToolChainAnswers AskToolChain(const std::string& path);
// When INCLUDE, LIB and BIN are all empty and make and the compiler are on
// `path`, fills the three from the compiler's answers; true when it did.
bool AddToolChainDefaults(DirectoryLists& lists, const std::string& path);

}  // namespace shell
