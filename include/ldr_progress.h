// The progress rule of the image loaders (tarnel's ELF load and the front
// end's S-record and IEEE-695 loads): how far the file position one report
// shows may move, the percentage it becomes, the Esc check and the bar's
// message. Header-only, so that both libraries use the one rule without
// linking each other.
#pragma once

#include <algorithm>
#include <cstdint>

#include <platform/messages.h>

#include "win_messages.h"

// Never behind the position shown last, at most a fifth of a small file
// (under 1000 bytes), a tenth of a middle one (under 10000) or a twentieth
// of a large one ahead of it, and never past the file's end.
inline uint64_t NextLoadPosition(uint64_t position, uint64_t previous, uint64_t size)
{
    const uint64_t step = size < 1000 ? size / 5 : size < 10000 ? size / 10 : size / 20;
    return std::min({std::max(position, previous), previous + step, size});
}

// What one report shows: the position (NextLoadPosition; held at 8/10 of
// the file while `holdBelowEightTenths`: code and symbols both load and the
// symbol table has not yet grown past the mark the loader watches) and its
// percentage of the file (0 for an empty file, at most 100).
struct LoadBarStep {
    uint64_t position = 0;
    uint32_t percent = 0;
};

inline LoadBarStep NextLoadBarStep(uint64_t position, uint64_t previous, uint64_t size, bool holdBelowEightTenths)
{
    LoadBarStep step;
    step.position = NextLoadPosition(position, previous, size);
    if (holdBelowEightTenths)
        step.position = std::min(step.position, size * 8 / 10);
    step.percent = size == 0 ? 0 : static_cast<uint32_t>(std::min<uint64_t>(step.position * 100 / size, 100));
    return step;
}

// Whether Esc is down (or was pressed since the last look); a pressed Esc's
// key messages are taken out of the queue, so that the key stroke reaches
// no window.
inline bool TakeEscPress()
{
    const bool pressed = (GetAsyncKeyState(VK_ESCAPE) & 0x8001) != 0;
    if (pressed)
        platform::DiscardKeyMessages();
    return pressed;
}

// PBM_SETPOS to the load's progress window, when it has one.
inline void SendLoadPercent(HWND window, uint32_t percent)
{
    if (window)
        SendMessage(window, PBM_SETPOS, percent, 0);
}
