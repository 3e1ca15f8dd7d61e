#include "progress.h"

#include <algorithm>

#include <platform/messages.h>

#include "ldr_progress.h"
#include "load_state.h"
#include "quinar/quinar.h"
#include "vexlor/vexlor.h"

namespace tarnel {
namespace {

constexpr DWORD STACK_POINTER = 13;

void RefreshSymbolCounts(LoadProgressRecord& r)
{
    SymGetLoadCounts(&r.countA, &r.countB, &r.countC, &r.countD);
}

}  // namespace

void SendProgress(HWND window, uint32_t percent)
{
    if (window)
        SendMessage(window, PBM_SETPOS, percent, 0);
}

bool EscPressed()
{
    const bool pressed = (GetAsyncKeyState(VK_ESCAPE) & 0x8001) != 0;
    if (pressed)
        platform::DiscardKeyMessages();
    return pressed;
}

bool PollUserAbort()
{
    const bool pressed = EscPressed();
    platform::PumpPending();
    return pressed;
}

void ReportLoadProgress()
{
    ElfLoadState& s = State();
    LoadProgressRecord& r = s.record;
    ProgressMemory& m = s.progress;
    if (s.SymbolsWanted())
        RefreshSymbolCounts(r);

    const uint64_t size = r.imageSize;
    uint64_t position = NextLoadPosition(r.filePosition, m.previousPosition, size);
    // While symbols and code both load, the reading stays below 80 % until
    // the symbol table has grown past its functions.
    if ((s.flags & LOAD_SYMBOLS) && (s.flags & LOAD_DOWNLOAD) && r.countB < uint64_t{r.countC} + 1)
        position = std::min(position, size * 8 / 10);
    const uint64_t percentRead = size == 0 ? 0 : std::min<uint64_t>(position * 100 / size, 100);

    uint32_t value;
    if (r.downloadedBytes == 0) {
        value = static_cast<uint32_t>(percentRead * 40 / 100);
    } else {
        if (!m.downloadSeen) {
            m.downloadSeen = true;
            m.stillToDownload = size - position;
        }
        // Nothing left to read when the download began: the download share is full.
        const uint64_t share =
            m.stillToDownload == 0 ? 100 : std::min<uint64_t>(r.downloadedBytes * 100 / m.stillToDownload, 100);
        value = std::max(static_cast<uint32_t>(30 + share * 7 / 10), m.lastSent);
    }
    SendProgress(s.progressWindow, value);
    m.lastSent = value;
    m.previousPosition = position;
}

void FinishLoadProgress(LdrResult)
{
    ElfLoadState& s = State();
    s.progress = ProgressMemory{};
    s.record.startPC = s.startPC;
    // Without a stack of its own the image runs on the stack the target's
    // stack pointer sets up, with the default size.
    if (!s.stack.found) {
        s.stack.size = DEFAULT_STACK_SIZE;
        DWORD sp = 0;
        s.stack.base = CpuGetRegister(STACK_POINTER, &sp) == 0 ? sp : 0;
    }
    s.record.stackBase = s.stack.base;
    s.record.stackSize = s.stack.size;
    if (s.SymbolsWanted())
        RefreshSymbolCounts(s.record);
    SendProgress(s.progressWindow, 100);
}

}  // namespace tarnel
