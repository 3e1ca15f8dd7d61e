// The record's operations behind `TCHandleCompilerInfo`: copy, the
// "Compiler:" block of the project file, and the reset to defaults.
#pragma once

#include "compiler_info.h"
#include "platform/archive.h"

namespace fendrix {

inline constexpr const char* kDefaultCompilerOptions = "-w  -O0 -g -gdwarf-2 -marm";
inline constexpr const char* kDefaultAssemblerOptions = "-x assembler-with-cpp -Wa,--gstabs";
inline constexpr const char* kDefaultLinkerOptions = "-EL -e_start -static -g -n -N";

// Copies every stored text, the page states and the custom-build flag; the
// destination then shares the source's module entries. `projectType` and
// `useDefaults` stay.
void CopyCompilerInfo(const CompilerInfo& from, CompilerInfo& to);

// Stores the whole block, or loads the part that project file version
// `version` has. A load of a damaged block keeps what was read before the
// damage and reports false (the archive's exception is dropped); storing
// lets the archive's exceptions pass.
bool SerializeCompilerInfo(CompilerInfo& info, CArchive& ar, int version);

// The defaults of a new project; `projectPath` replaces the record's when given.
void ResetCompilerInfo(CompilerInfo& info, const char* projectPath);

}  // namespace fendrix
