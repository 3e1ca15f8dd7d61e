#include "progress.h"

#include <algorithm>

#include <platform/messages.h>

#include "image_file.h"
#include "ldr_progress.h"
#include "load_state.h"
#include "quinar/symbol_store.h"
#include "vexlor/vexlor.h"

namespace tarnel {
namespace {

constexpr DWORD STACK_POINTER = 13;

void RefreshSymbolCounts(LoadProgressRecord& r)
{
    r.symbols = quinar::Symbols().Counts();
}

}  // namespace

void SendProgress(HWND window, uint32_t percent)
{
    SendLoadPercent(window, percent);
}

bool PollUserAbort()
{
    const bool pressed = TakeEscPress();
    platform::PumpPending();
    return pressed;
}

bool ReaderReached(ImageFile& file, uint64_t position)
{
    if (PollUserAbort())
        return true;
    file.SetPosition(position);
    State().record.filePosition = position;
    ReportLoadProgress();
    return false;
}

void ReportLoadProgress()
{
    ElfLoadState& s = State();
    LoadProgressRecord& r = s.record;
    ProgressMemory& m = s.progress;
    if (s.SymbolsWanted())
        RefreshSymbolCounts(r);

    const uint64_t size = r.imageSize;
    // While symbols and code both load, the reading stays below 80 % until
    // the symbol table's modules have passed its functions.
    const bool hold = (s.flags & LOAD_SYMBOLS) && (s.flags & LOAD_DOWNLOAD) && r.symbols.modules <= r.symbols.functions;
    const LoadBarStep step = NextLoadBarStep(r.filePosition, m.previousPosition, size, hold);
    const uint64_t position = step.position;
    const uint64_t percentRead = step.percent;

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
