// Temporary breakpoints of go-till and Step Over.
#include <algorithm>
#include <vector>

#include "bp_list.h"
#include "core.h"
#include "falcrest.h"
#include "watch_units.h"

using namespace sarvik;

namespace {

EmuResult AddTemporary(DWORD offset, DWORD space)
{
    // On a unit in hardware-breakpoint mode, when the target has units: the
    // simulator has none, and a unit that never fires would make the go-till
    // run on for ever.
    if (Core().config.hwBreakpoints && TargetHasWatchpointUnits())
        return Core().units.ProgramTemporary(offset);
    const ADDR at{offset, static_cast<uint16_t>(space)};
    CBpData* found = nullptr;
    switch (BptFindBp(&at, at, &found)) {
    case BPT_MARK_NONE: {
        const EmuResult r = BptSetBp(&at, "", 1, 0, 1, 0xFFFFFFFFu);
        if (r == EMU_OK)
            Core().breakpoints.Records().back()->SetLife(BPLIFE_TEMPORARY);
        return r;
    }
    case BPT_MARK_SW_DISABLED:
        found->SetLife(BPLIFE_ENABLED_ONCE);
        found->Enable(1);
        return EMU_OK;
    default: return EMU_OK;
    }
}

}  // namespace

extern "C" {

EmuResult AddTempBp(DWORD offset, DWORD space)
{
    const EmuResult r = AddTemporary(offset, space);
    if (r == EMU_OK) {
        RunState& run = Core().run;
        run.tillActive = true;
        run.tillOffset = offset;
    }
    return r;
}

EmuResult RemoveTempBp(ADDR)
{
    Core().run.tillActive = false;
    Core().units.ReleaseTemporary();
    // A temporary record goes alone where the user set a breakpoint at its
    // address while the go-till ran: clearing the address would take that
    // one too.
    std::vector<ADDR> temporary;
    for (const CBpDataEx* record : Core().breakpoints.Records()) {
        if (record->GetLife() == BPLIFE_TEMPORARY)
            temporary.push_back(record->GetAddr());
    }
    for (const ADDR& at : temporary) {
        const CBpList& records = Core().breakpoints.Records();
        const bool userThere = std::any_of(records.begin(), records.end(), [&at](const CBpDataEx* r) {
            return r->GetLife() != BPLIFE_TEMPORARY && r->GetAddr().off == at.off;
        });
        if (userThere)
            Core().breakpoints.RemoveIf(
                [&at](const CBpDataEx& r) { return r.GetLife() == BPLIFE_TEMPORARY && r.GetAddr().off == at.off; });
        else
            BptClearBp(&at, 0);
    }

    // The user's breakpoint goes back to disabled and permanent; its symbol,
    // count, condition, task qualifier and place in the list stay.
    EmuResult result = EMU_OK;
    for (CBpDataEx* record : Core().breakpoints.Records()) {
        if (record->GetLife() != BPLIFE_ENABLED_ONCE)
            continue;
        result = emuClrBp(record->GetAddr());
        if (result == EMU_OK) {
            record->Enable(0);
            record->SetLife(BPLIFE_PERMANENT);
        }
    }
    return result;
}

}  // extern "C"
