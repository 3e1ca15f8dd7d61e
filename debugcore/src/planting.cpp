#include "planting.h"

#include <vector>

#include "bp_list.h"
#include "core.h"
#include "exception_catch.h"
#include "falcrest.h"
#include "talvis/talvis.h"
#include "target_access.h"
#include "tarnel.h"
#include "watch_units.h"

namespace sarvik {

namespace {

// The break instruction's bytes at a site, in memory order from bit 0: the
// word (ARM) or halfword 0xFEDE (Thumb) in the target's byte order.
uint32_t BreakBytes(uint8_t size, bool bigEndian)
{
    const uint32_t value = size == 4 ? emuGetBkptCode(bigEndian ? 1 : 0) : EMU_BREAK_HALFWORD;
    if (!bigEndian)
        return value;
    uint32_t bytes = 0;
    for (uint8_t i = 0; i < size; ++i)
        bytes |= ((value >> (8 * (size - 1 - i))) & 0xFFu) << (8 * i);
    return bytes;
}

uint32_t Pack(const uint8_t* bytes, uint8_t size)
{
    uint32_t v = 0;
    for (uint8_t i = 0; i < size; ++i)
        v |= uint32_t{bytes[i]} << (8 * i);
    return v;
}

void Unpack(uint32_t v, uint8_t size, uint8_t* bytes)
{
    for (uint8_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(v >> (8 * i));
}

int WriteSite(uint32_t address, uint8_t size, uint32_t value)
{
    uint8_t bytes[4];
    Unpack(value, size, bytes);
    return MemWriteBlock({address, ADDR_SPACE_TARGET}, bytes, size, size);
}

bool Overlaps(uint32_t address, uint8_t size)
{
    const uint64_t first = address;
    for (const PlantedSite& s : Core().planted) {
        if (first < uint64_t{s.address} + s.size && s.address < first + size)
            return true;
    }
    return false;
}

// Takes out the sites planted after the first `keep` ones, newest first.
// A failed write ends the walk with its result; that site and the older
// ones stay planted.
int RestoreDownTo(size_t keep, int& restored)
{
    std::vector<PlantedSite>& sites = Core().planted;
    while (sites.size() > keep) {
        const PlantedSite& s = sites.back();
        const int r = WriteSite(s.address, s.size, s.saved);
        if (r != 0)
            return r;
        if (s.record)
            s.record->SetStatus(BKPT_STATUS_RESTORED);
        ++restored;
        sites.pop_back();
    }
    return 0;
}

enum class PlantOutcome { Planted, AlreadyThere, Dropped, ReadFailed, WriteFailed };

PlantOutcome Plant(CBpDataEx& record, bool bigEndian, int& lastResult)
{
    const PlantedSite site = SiteOf(record.GetAddr().off);
    if (Overlaps(site.address, site.size)) {
        // Another record of this address is planted already: the break is
        // in place and its bytes are known.
        record.SetStatus(BKPT_STATUS_PLANTED);
        return PlantOutcome::AlreadyThere;
    }
    uint8_t bytes[4] = {};
    lastResult = MemReadBlock(bytes, {site.address, ADDR_SPACE_TARGET}, site.size);
    if (lastResult != 0)
        return PlantOutcome::ReadFailed;
    const uint32_t current = Pack(bytes, site.size);
    const uint32_t breakBytes = BreakBytes(site.size, bigEndian);
    if (current == breakBytes)
        return PlantOutcome::Dropped;  // a break that is not ours: nothing to restore it to
    record.GetBkpt()->savedWord = current;
    lastResult = WriteSite(site.address, site.size, breakBytes);
    if (lastResult != 0) {
        WriteSite(site.address, site.size, current);  // no half-written break
        return PlantOutcome::WriteFailed;
    }
    record.SetStatus(BKPT_STATUS_PLANTED);
    Core().planted.push_back({site.address, site.size, current, &record});
    return PlantOutcome::Planted;
}

}  // namespace

PlantedSite SiteOf(uint32_t offset)
{
    if (LdrIsInThumbRange(offset))
        return {offset & ~1u, 2, 0, nullptr};
    return {offset & ~3u, 4, 0, nullptr};
}

EmuResult LoadBreakpoints()
{
    if (Core().run.freeRun)
        return EMU_OK;
    const bool bigEndian = BigEndianTarget();
    PlantCatchBreakpoints(false);
    PlantSemihostVectorBreakpoint();

    const size_t before = Core().planted.size();
    int attempted = 0;
    int lastResult = 0;
    std::vector<const CBpDataEx*> dropped;
    for (CBpDataEx* record : Core().breakpoints.Records()) {
        if (!record->IsEnable())
            continue;
        switch (Plant(*record, bigEndian, lastResult)) {
        case PlantOutcome::Dropped: dropped.push_back(record); break;
        case PlantOutcome::Planted:
        case PlantOutcome::WriteFailed: ++attempted; break;
        case PlantOutcome::AlreadyThere:
        case PlantOutcome::ReadFailed: break;
        }
    }
    for (const CBpDataEx* record : dropped)
        Core().breakpoints.Remove(record);

    const EmuResult result = attempted ? emuEnableSwBkpt() : lastResult;
    if (result != EMU_OK) {
        // The run will not start: nothing of this load stays in memory.
        int restored = 0;
        RestoreDownTo(before, restored);
    }
    return result;
}

EmuResult UnloadBreakpoints(bool dropTemporary)
{
    RunState& run = Core().run;
    if (run.freeRun) {
        run.freeRun = false;
        if (Core().planted.empty())
            return EMU_OK;
    }
    int restored = 0;
    const int result = RestoreDownTo(0, restored);
    if (result != 0)
        return result;

    for (CBpDataEx* record : Core().breakpoints.Records())
        record->SetStatus(BKPT_STATUS_RESTORED);
    if (dropTemporary)
        Core().breakpoints.RemoveIf([](const CBpDataEx& r) { return r.GetLife() == BPLIFE_TEMPORARY; });
    if (restored) {
        if (Core().units.Unit(1).used)
            Core().units.Reprogram(1);
        emuDisableSwBkpt();
    }
    return result;
}

void ForgetPlantedRecord(const CBpDataEx* record)
{
    for (PlantedSite& s : Core().planted) {
        if (s.record == record)
            s.record = nullptr;
    }
}

}  // namespace sarvik
