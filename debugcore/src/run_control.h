// Starting the target: shared by a go and by the stop entry's resume.
#pragma once

#include "sarvik.h"

namespace sarvik {

// Plants the break words and starts the target (emuGo). On a failure of
// the start the words come out again (the records stay) and the result is
// the failure.
EmuResult PlantAndGo();

// The target runs (the run state is asked of the target).
bool TargetRuns();

}  // namespace sarvik
