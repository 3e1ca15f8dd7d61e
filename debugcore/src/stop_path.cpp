// The stop entry: every stop of the target passes here before anything
// reads target memory.
#include "core.h"
#include "planting.h"
#include "run_control.h"
#include "semihosting.h"

namespace sarvik {

namespace {

int Entry(bool serveSemihosting)
{
    // A stop announced late, after the target was started again.
    if (TargetRuns())
        return EMU_STOP_RESUMED;
    const EmuResult restored = UnloadBreakpoints(false);
    if (restored != EMU_OK)
        return restored;
    // A halt stops whatever the target was doing, a semihosting call too.
    if (Core().run.haltAction || !serveSemihosting)
        return EMU_STOP_HALTED;
    int state = SEMIHOST_NOT_SERVED;
    const unsigned halts = Core().run.halts;
    HandleSemiHosting(&state);
    if (state == SEMIHOST_EXITED)
        return EMU_STOP_EXITED;
    if (state != SEMIHOST_SERVED)
        return EMU_STOP_HALTED;
    // A halt given while the call waited (a console read) keeps the target
    // stopped after it.
    if (Core().run.halts != halts)
        return EMU_STOP_HALTED;
    return PlantAndGo() == EMU_OK ? EMU_STOP_RESUMED : EMU_STOP_HALTED;
}

}  // namespace

int TargetStopped(bool serveSemihosting)
{
    const int stopped = Entry(serveSemihosting);
    // The stops of a step command are its own: it tells of its end. A stop
    // whose break words could not come out is a stop too.
    if (stopped != EMU_STOP_RESUMED && !Core().run.runCommandActive)
        Core().NoteStopped(stopped == EMU_STOP_EXITED ? EMU_STOP_EXITED : EMU_STOP_HALTED);
    return stopped;
}

}  // namespace sarvik

extern "C" int EmuTargetStopped(void)
{
    return sarvik::TargetStopped(true);
}
