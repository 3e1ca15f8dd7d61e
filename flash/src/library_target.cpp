// The target as the program gives it: talvis for memory, vexlor for the PC,
// the run state and the run count, sarvik for the go till and the halt, and
// the main frame's stop handling for the count of stops it finished.
#include <platform/messages.h>

#include "mirobel/flash_target.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace mirobel {

namespace {

// The debugger core belongs to the GUI thread: its run commands go there
// from a worker, which waits for them (the GUI thread pumps meanwhile:
// the progress dialog's loop, or the cancel's wait).
int OnGuiThread(EmuResult (*call)())
{
    EmuResult r = EMU_REFUSED;
    if (!platform::InvokeOnGuiThread([&] { r = call(); }))
        return EMU_REFUSED;
    return r;
}

class Library : public FlashTarget {
public:
    int WriteBlock(uint32_t address, const uint8_t* data, uint32_t size) override
    {
        return MemWriteBlock(ADDR{address, ADDR_SPACE_TARGET}, data, size, 4);
    }
    int ReadBlock(uint32_t address, uint8_t* data, uint32_t size) override
    {
        return MemReadBlock(data, ADDR{address, ADDR_SPACE_TARGET}, size);
    }
    int SetPc(uint32_t pc) override { return CpuSetPC(pc); }
    int GetPc(uint32_t& pc) override
    {
        DWORD value = 0;
        const int r = CpuGetPC(&value);
        pc = value;
        return r;
    }
    RunMark Mark() override
    {
        const sarvik::RunMark mark = sarvik::MarkRuns();
        return {mark.stopsFinished, mark.runsStarted};
    }
    int GoTill(uint32_t address) override
    {
        EmuResult r = EMU_REFUSED;
        if (!platform::InvokeOnGuiThread([&] { r = EmuRun(EMU_RUN_GO_TILL, ADDR{address, ADDR_SPACE_TARGET}); }))
            return EMU_REFUSED;
        return r;
    }
    bool Settled(const RunMark& mark) override { return sarvik::RunsSettled({mark.stopsHandled, mark.runsStarted}); }
    int Halt() override { return OnGuiThread(&EmuHalt); }

    void SuspendBreakpoints(const std::vector<AddressRange>& ranges) override
    {
        // The debugger core adds breakpoints of its own (the semihosting
        // trap, the exception catches on the vectors) as it plants for a
        // go: planted and taken out again now, with no run between, they
        // are records that can be kept out like the user's (a flash at
        // address 0 holds the vectors).
        if (BptLoadBreakpoints(1) == EMU_OK)
            BptUnloadBreakpoints();
        const CBpList* list = BptGetList();
        if (!list)
            return;
        std::vector<ADDR> inside;
        for (const CBpDataEx* record : *list) {
            const ADDR at = record->GetAddr();
            if (!record->IsEnable() || record->GetLife() == BPLIFE_TEMPORARY || at.seg != ADDR_SPACE_TARGET)
                continue;
            // The widest break word: an ARM word at the aligned address.
            const uint32_t site = at.off & ~3u;
            for (const AddressRange& r : ranges)
                if (site < r.end && uint64_t{site} + 4 > r.first)
                    inside.push_back(at);
        }
        for (const ADDR& at : inside)
            if (BptEnableBp(&at, 0, 0) == EMU_OK)
                suspended_.push_back(at);
    }
    void ResumeBreakpoints() override
    {
        for (const ADDR& at : suspended_)
            BptEnableBp(&at, 0, 1);
        suspended_.clear();
    }

private:
    std::vector<ADDR> suspended_;
};

}  // namespace

FlashTarget& LibraryTarget()
{
    static Library target;
    return target;
}

}  // namespace mirobel
