// The generated GNU linker script: <project>.ld beside the project file.
#pragma once

#include <string>

namespace fendrix {

std::string LinkScriptText(const std::string& topOfMemory);
std::string LinkScriptPath(const std::string& projectPath);
bool WriteLinkScript(const std::string& projectPath, const std::string& topOfMemory);

}  // namespace fendrix
