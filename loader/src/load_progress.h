// What the readers of the front end do before each record: keep the GUI
// thread's windows alive, notice Esc, move the progress bar. And the end of
// every load.
#pragma once

#include "front_state.h"

namespace quentor {

// Notes a pressed Esc in the load's flag and takes its key messages out of
// the queue, so that the key stroke reaches no window.
void CheckEsc();
// Pumps the pending messages, checks Esc and reports progress; true when
// Esc was pressed (the load ends with LDR_E_USER_ABORT).
bool BeforeRecord();
// Moves the bar when the load moved far enough since the last report.
void ReportProgress();
// At every end of a load: the start address and stack into the record,
// the symbol counts refreshed, the bar to 100.
void FinishProgress();

}  // namespace quentor
