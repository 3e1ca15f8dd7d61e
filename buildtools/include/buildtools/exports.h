// The typed side of fendrix's entry points.
#pragma once

#include <functional>

#include "buildtools/paths.h"
#include "compiler_info.h"

namespace fendrix {

void HandleCompilerInfo(int op, void* a, void* b, int c);
// Refreshes the module state from the record, then writes the makefile and
// the link script unless the project uses its own. Always 1.
int UpdateLinkModules(CompilerInfo& info);
// The settings sheet behind `GetProjectSetting` is installed with
// SetSheetRun (buildtools/page_set.h).

}  // namespace fendrix
