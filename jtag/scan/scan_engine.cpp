#include "jtagscan/scan_engine.h"

#include <algorithm>

namespace jtag {

namespace {

constexpr uint8_t kRunTestIdle = 1;
constexpr uint8_t kShiftDr = 4;
constexpr uint8_t kShiftIr = 5;
constexpr uint8_t kUndetermined = 6;

bool Valid(uint8_t state)
{
    return state <= kShiftIr;
}

}  // namespace

bool ScanEngine::MoveTo(uint8_t target, bool tdi)
{
    if (!Valid(target))
        return false;
    if (state_ == kUndetermined) {
        // 0x3F leaves the TAP in Run-Test/Idle whatever state it was in; the
        // walk to the state asked for starts there.
        link_.WalkFromUndetermined();
        state_ = kRunTestIdle;
        if (target == kRunTestIdle)
            return true;
    }
    link_.Walk(state_, target, tdi, false);
    state_ = target;
    return true;
}

// Where a scan reads its bytes and in which order. With the word swap the
// data are copied word by word with their bytes exchanged (more than 8 bits;
// a single byte's word is copied as it is). Reverse order starts at the last
// byte: of the swapped words when both options are on, of the bit string
// when reverse is on alone. Every index stays inside the caller's buffer
// (2 x ceil(bits/16) bytes with the swap, ceil(bits/8) without).
ScanEngine::Walkway ScanEngine::Plan(uint16_t bits, const uint8_t* data)
{
    Walkway way;
    const int bytes = (bits + 7) / 8;
    const int words = (bits + 15) / 16;
    way.source = data;
    if (options_.wordSwap && data) {
        swapCopy_.assign(data, data + 2 * words);
        if (bits > 8) {
            for (int w = 0; w < words; ++w)
                std::swap(swapCopy_[2 * w], swapCopy_[2 * w + 1]);
        }
        way.source = swapCopy_.data();
    }
    if (options_.reverse) {
        way.step = -1;
        if (options_.wordSwap)
            way.start = bits > 8 ? 2 * words - 1 : 0;
        else
            way.start = bytes - 1;
    }
    return way;
}

void ScanEngine::SwapCapturedWords(uint16_t bits, uint8_t* capture) const
{
    if (!options_.wordSwap || !capture || bits <= 8)
        return;
    const int words = (bits + 15) / 16;
    for (int w = 0; w < words; ++w)
        std::swap(capture[2 * w], capture[2 * w + 1]);
}

uint8_t ScanEngine::LastByte(uint8_t out, unsigned k, bool capture, uint8_t endState)
{
    uint8_t captured = 0;
    if (k > 1)
        captured = link_.ShiftLast(out, k - 1, capture);
    const bool lastBit = (out >> (k - 1)) & 1;
    const bool tdo = link_.WalkOut(state_, endState, lastBit, capture);
    state_ = endState;
    if (!capture)
        return 0;
    // The walk's first clock shifted the last bit: its TDO completes the byte.
    return static_cast<uint8_t>(((tdo ? 0x80 : 0) | (captured >> 1)) >> (8 - k));
}

void ScanEngine::Scan(ScanKind kind, uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t* capture,
                      uint8_t endState)
{
    if (!Valid(endState))
        return;
    const bool wantCapture = kind != ScanKind::Out && capture;
    if (kind == ScanKind::In)
        data = nullptr;
    MoveTo(reg ? kShiftDr : kShiftIr);
    if (bits == 0) {
        MoveTo(endState);
        return;
    }
    const Walkway way = Plan(bits, data);
    const int bytes = (bits + 7) / 8;
    int index = way.start;
    for (int i = 0; i < bytes - 1; ++i, index += way.step) {
        const uint8_t captured = link_.ShiftByte(Out(way, index), wantCapture);
        if (wantCapture)
            capture[index] = captured;
    }
    const unsigned k = bits % 8 ? bits % 8 : 8;
    const uint8_t last = LastByte(Out(way, index), k, wantCapture, endState);
    if (wantCapture) {
        capture[index] = last;
        SwapCapturedWords(bits, capture);
    }
}

void ScanEngine::ScanOnly(uint16_t bits, const uint8_t* data, uint8_t* capture)
{
    if (bits == 0)
        return;
    const int bytes = (bits + 7) / 8;
    const int step = options_.reverse ? -1 : 1;
    int index = options_.reverse ? bytes - 1 : 0;
    auto out = [&](int i) { return data ? data[i] : options_.fill; };
    for (int i = 0; i < bytes - 1; ++i, index += step) {
        const uint8_t captured = link_.ShiftByte(out(index), capture != nullptr);
        if (capture)
            capture[index] = captured;
    }
    const unsigned k = bits % 8 ? bits % 8 : 8;
    const uint8_t captured = link_.ShiftLast(out(index), k, capture != nullptr);
    if (capture)
        capture[index] = static_cast<uint8_t>(captured >> (8 - k));
}

void ScanEngine::ScanPartial(uint8_t reg, uint16_t bits, uint16_t startBit, uint16_t bitsIn, const uint8_t* data,
                             uint8_t* capture, bool complete, uint8_t endState)
{
    if (!Valid(endState))
        return;
    MoveTo(reg ? kShiftDr : kShiftIr);
    const int bytes = (bits + 7) / 8;
    // The window: the byte holding the start bit and the bytes up to
    // ceil(bitsIn/8) on, one more when the start bit is inside its byte.
    const int first = startBit / 8;
    const int span = bitsIn == 0 ? 0 : (bitsIn + 7) / 8 + (startBit % 8 ? 1 : 0);
    const int last = std::min(bytes - 1, first + span - 1);
    const bool empty = span == 0 || first >= bytes || !capture;
    if (bits == 0 || (empty && !complete)) {
        MoveTo(endState);
        return;
    }
    const Walkway way = Plan(bits, data);
    int index = way.start;
    for (int i = 0; i < bytes; ++i, index += way.step) {
        const bool inWindow = !empty && i >= first && i <= last;
        if (i == bytes - 1) {
            const unsigned k = bits % 8 ? bits % 8 : 8;
            const uint8_t value = LastByte(Out(way, index), k, inWindow, endState);
            if (capture)
                capture[index] = inWindow ? value : 0x00;
            break;
        }
        const uint8_t captured = link_.ShiftByte(Out(way, index), inWindow);
        if (inWindow)
            capture[index] = captured;
        else if (options_.markOutsideWindow && capture)
            capture[index] = 0xCC;
        if (!complete && i == last) {
            // The window is in: leave the shift state at once.
            MoveTo(endState);
            break;
        }
    }
    SwapCapturedWords(bits, capture);
}

// ---- log -------------------------------------------------------------------

void DriverLog::On()
{
    if (!file_)
        file_ = std::fopen(fileName_, "w");
}

void DriverLog::Off()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

void DriverLog::Entry(const std::string& text)
{
    if (!file_)
        return;
    std::fputc('\n', file_);
    Append(text);
}

void DriverLog::Append(const std::string& text)
{
    if (!file_)
        return;
    std::fputs(text.c_str(), file_);
    std::fflush(file_);
}

}  // namespace jtag
