// The breakpoint manager's exports: set, clear, enable, find and test
// breakpoints; planting around a run.
#include <platform/win32.h>

#include "bp_list.h"
#include "core.h"
#include "exception_catch.h"
#include "falcrest.h"
#include "planting.h"
#include "tarnel.h"
#include "watch_units.h"

using namespace sarvik;

namespace {

constexpr const char* kOutOfRangeQuestion = "The address is out of range,\n do you want to set it really?";

bool IsAll(const ADDR& a)
{
    return a.off == 0 && a.seg == ADDR_SPACE_NONE;
}

// The first record that matches, in list order.
CBpDataEx* FindRecord(const AddressQuery& query)
{
    for (CBpDataEx* record : Core().breakpoints.Records()) {
        if (query.Matches(record->GetAddr().off))
            return record;
    }
    return nullptr;
}

}  // namespace

namespace sarvik {

int CheckHit(const ADDR& pc, bool tillAddressHits)
{
    for (CBpDataEx* record : Core().breakpoints.Records()) {
        // A user's disabled breakpoint that a go-till enabled is that
        // go-till's target: it stops whatever its count or condition says.
        const bool tillTarget =
            record->GetLife() == BPLIFE_ENABLED_ONCE && record->IsEnable() && record->GetAddr().off == pc.off;
        if (tillTarget || record->BpHit(pc)) {
            ReportCaughtException(pc.off);
            return record->GetLife() == BPLIFE_PERMANENT ? BPT_HIT_PERMANENT : BPT_HIT_TEMPORARY;
        }
    }
    const WatchUnits& units = Core().units;
    const int u = units.Find(AddressQuery::Exact(pc));
    if (u >= 0)
        return units.MarkOf(u) == BPT_MARK_UNIT_ENABLED ? BPT_HIT_UNIT_ENABLED : BPT_HIT_UNIT_DISABLED;
    // A go-till (run to cursor) ends at its address even where a user's
    // breakpoint with a count or condition lets this pass go on.
    const RunState& run = Core().run;
    if (tillAddressHits && run.tillActive && pc.off == run.tillOffset)
        return BPT_HIT_TEMPORARY;
    return 0;
}

}  // namespace sarvik

extern "C" {

const CBpList* BptGetList(void)
{
    return &Core().breakpoints.Records();
}

EmuResult BptClearAll(void)
{
    const ADDR all{};
    return BptClearBp(&all, 0);
}

void BptDeleteAllObjects(void)
{
    Core().breakpoints.RemoveAll();
}

EmuResult BptClearBp(const ADDR* addr, int hwUnit)
{
    if (!addr)
        return EMU_REFUSED;
    const uint32_t offset = addr->off;
    const auto atOffset = [offset](const CBpDataEx& r) { return r.GetAddr().off == offset; };
    if (hwUnit) {
        const int u = Core().units.Find(AddressQuery::Exact(*addr));
        if (u < 0)
            return EMU_REFUSED;
        const EmuResult r = Core().units.Clear(u);
        if (r == EMU_OK)
            Core().breakpoints.RemoveIf(atOffset);
        return r;
    }
    // {0, 0} clears every breakpoint of the target and every record.
    const EmuResult r = emuClrBp(*addr);
    if (r == EMU_OK) {
        if (IsAll(*addr))
            Core().breakpoints.RemoveAll();
        else
            Core().breakpoints.RemoveIf(atOffset);
    }
    return r;
}

EmuResult BptSetBp(const ADDR* addr, const char* condition, UINT count, int hwUnit, int enable, DWORD accessAddr)
{
    if (!addr)
        return EMU_REFUSED;
    if (LdrIsInCode(addr->off) == 0 && AfxMessageBox(kOutOfRangeQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 1;
    if (hwUnit)
        return Core().units.SetBreakpoint(addr->off);
    if (Core().breakpoints.Full())
        return 1;
    if (enable) {
        const EmuResult r = emuSetBp(*addr);
        if (r != EMU_OK)
            return r;
    }
    const std::string text = condition ? condition : "";
    auto* record = new CBpDataEx(*addr, "", enable, 0, text, BP_NO_ACCESS_ADDR, "", 0);
    record->SetCount(count);
    if (accessAddr != 0xFFFFFFFFu && accessAddr != 0)
        record->SetAccessAddr({accessAddr, ADDR_SPACE_TARGET});
    if (!text.empty())
        record->SetBpType(1);
    Core().breakpoints.Append(record);
    return EMU_OK;
}

BPT_MARK BptFindBp(const ADDR* from, ADDR to, CBpData** found)
{
    if (!from)
        return BPT_MARK_NONE;
    const AddressQuery query = AddressQuery::Find(*from, to);
    if (CBpDataEx* record = FindRecord(query)) {
        if (found)
            *found = record;
        return record->IsEnable() ? BPT_MARK_SW_ENABLED : BPT_MARK_SW_DISABLED;
    }
    const int u = Core().units.Find(query);
    return u < 0 ? BPT_MARK_NONE : Core().units.MarkOf(u);
}

EmuResult BptResetHitCounts(void)
{
    for (CBpDataEx* record : Core().breakpoints.Records())
        record->ResetHitCount();
    return EMU_OK;
}

int BptCheckHit(const ADDR* pc)
{
    // Inside a step command the engine tests its own arrival.
    return pc ? CheckHit(*pc, Core().run.runCommandActive == 0) : 0;
}

EmuResult BptEnableBp(const ADDR* addr, int, int enable)
{
    if (!addr)
        return EMU_REFUSED;
    CBpData* record = nullptr;
    const BPT_MARK mark = BptFindBp(addr, *addr, &record);
    if (enable && mark == BPT_MARK_SW_DISABLED) {
        record->Enable(1);
        return emuSetBp(*addr);
    }
    if (!enable && mark == BPT_MARK_SW_ENABLED) {
        record->Enable(0);
        return emuClrBp(*addr);
    }
    if (!enable && mark == BPT_MARK_UNIT_ENABLED) {
        const int u = Core().units.Find(AddressQuery::Find(*addr, *addr));
        if (u >= 0)
            Core().units.Disable(u);
    }
    return EMU_OK;
}

EmuResult BptLoadBreakpoints(BYTE)
{
    return LoadBreakpoints();
}

EmuResult BptUnloadBreakpoints(void)
{
    return UnloadBreakpoints();
}

}  // extern "C"
