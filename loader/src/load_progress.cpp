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

void SendPercent(HWND window, uint32_t percent)
{
    if (window)
        SendMessage(window, PBM_SETPOS, percent, 0);
}

}  // namespace

FrontEndState& FrontState()
{
    static FrontEndState state;
    return state;
}

void CheckEsc()
{
    if (GetAsyncKeyState(VK_ESCAPE) & 0x8001) {
        FrontState().escPressed = true;
        platform::DiscardKeyMessages();
    }
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
    uint64_t position = NextLoadPosition(r.filePosition, last.position, size);
    // While code and symbols both load, the bar stays below 80 % until the
    // store holds more items than modules.
    if (s.SymbolsWanted() && s.CodeWanted() && r.symbolItems <= r.symbolModules)
        position = std::min(position, size * 8 / 10);

    const bool quiet = r.symbolModules <= last.symbolModules && r.symbolItems <= last.symbolItems + 10 &&
        position <= last.position + 100 && r.codeBytes <= last.codeBytes + 100;
    if (quiet)
        return;
    const uint64_t percent = size == 0 ? 0 : std::min<uint64_t>(position * 100 / size, 100);
    SendPercent(s.progressWindow, static_cast<uint32_t>(percent));
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
    SendPercent(s.progressWindow, 100);
}

}  // namespace quentor
