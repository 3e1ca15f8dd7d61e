// The progress bar of a load, the Esc poll and the end of every load.
#pragma once

#include <cstdint>

#include "ldr_types.h"
#include "win_types.h"

namespace tarnel {

// Whether Esc was pressed (TakeEscPress of ldr_progress.h), then the calling
// thread's pending messages are dispatched, so that the windows stay alive
// during a load.
bool PollUserAbort();

class ImageFile;

// A debug reader reached a new place in the file (a unit, a module): Esc is
// polled, the file and the load's record take the position and the bar
// moves on. True when the user asked to stop.
bool ReaderReached(ImageFile& file, uint64_t position);

// Between phases and after every downloaded chunk: one PBM_SETPOS to the
// load's progress window. Reading fills 0 to 40 %, the download 30 to 100 %.
void ReportLoadProgress();

// At every end of a load: settles the stack, copies the start PC, stack and
// symbol counts into the record and sets the bar to 100.
void FinishLoadProgress(LdrResult result);

void SendProgress(HWND window, uint32_t percent);

}  // namespace tarnel
