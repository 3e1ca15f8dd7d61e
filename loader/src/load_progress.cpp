#include "load_progress.h"

#include <algorithm>

#include <platform/messages.h>

#include "ldr_progress.h"
#include "quinar/symbol_store.h"

namespace quentor {
namespace {

void RefreshSymbolCounts(LoadProgressRecord& r)
{
    const quinar::LoadCounts counts = quinar::Symbols().Counts();
    r.symbolItems = counts.items;
    r.symbolModules = counts.modules;
}

}  // namespace

FrontEndState& FrontState()
{
    static FrontEndState state;
    return state;
}

void CheckEsc()
{
    if (TakeEscPress())
        FrontState().escPressed = true;
}

bool BeforeRecord()
{
    platform::PumpPending();
    CheckEsc();
    if (FrontState().escPressed)
        return true;
    ReportProgress();
    return false;
}

void ReportProgress()
{
    FrontEndState& s = FrontState();
    LoadProgressRecord& r = s.record;
    LastReport& last = s.last;
    if (s.SymbolsWanted())
        RefreshSymbolCounts(r);

    const uint64_t size = r.fileSize;
    // While code and symbols both load, the bar stays below 80 % until the
    // store holds more items than modules.
    const bool hold = s.SymbolsWanted() && s.CodeWanted() && r.symbolItems <= r.symbolModules;
    const LoadBarStep step = NextLoadBarStep(r.filePosition, last.position, size, hold);
    const uint64_t position = step.position;

    const bool quiet = r.symbolModules <= last.symbolModules && r.symbolItems <= last.symbolItems + 10 &&
        position <= last.position + 100 && r.codeBytes <= last.codeBytes + 100;
    if (quiet)
        return;
    SendLoadPercent(s.progressWindow, step.percent);
    last = {position, r.codeBytes, r.symbolItems, r.symbolModules};
}

void FinishProgress()
{
    FrontEndState& s = FrontState();
    s.record.startAddress = s.startAddress;
    if (s.stackKnown) {
        s.record.stackBase = s.stackBase;
        s.record.stackSize = s.stackSize;
    }
    if (s.SymbolsWanted())
        RefreshSymbolCounts(s.record);
    SendLoadPercent(s.progressWindow, 100);
}

}  // namespace quentor
