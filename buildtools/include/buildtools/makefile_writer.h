// The generated makefile of a project: <project>.mak beside the project file,
// for GNU make and Debian's arm-none-eabi tool chain.
#pragma once

#include <string>
#include <vector>

#include "buildtools/module_state.h"
#include "compiler_info.h"

namespace fendrix {

// Option words that Debian's tools refuse or read otherwise are rewritten as
// the makefile is written (never in the stored texts); each change is noted.
std::string TranslateOptions(const std::string& options, bool bigEndian, std::vector<std::string>& notes);

// The makefile's text; `timeText` is the header's time line.
std::string MakefileText(const CompilerInfo& info, const ModuleState& state, const std::string& timeText);

// The makefile's path: the project file with the extension "mak".
std::string MakefilePath(const CompilerInfo& info);

// Writes the makefile (the old one stays whole when it cannot be written).
bool WriteMakefile(const CompilerInfo& info, const ModuleState& state);

// Replaces a file through a temporary file beside it and a rename.
bool ReplaceFile(const std::string& path, const std::string& text);

}  // namespace fendrix
