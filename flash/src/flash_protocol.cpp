#include "mirobel/flash_protocol.h"

#include <cstdio>

#include "mirobel/flash_record.h"

namespace mirobel {

namespace {

uint32_t Failure(int r)
{
    return static_cast<uint32_t>(r);
}

}  // namespace

FlashProtocol::FlashProtocol(FlashTarget& target, WaitFn wait, const FlashInfo& info, uint32_t operation)
    : target_(target), wait_(std::move(wait)), info_(info)
{
    info_.operation = operation;
}

uint32_t FlashProtocol::Prepare(const std::vector<uint8_t>& routine, std::string& error)
{
    const uint64_t entry = uint64_t{info_.ramStart} + kRoutineOffset;
    const uint64_t needed = entry + routine.size() - 1;
    if (routine.empty() || needed > info_.ramEnd) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "The flash routine does not fit in the RAM range: it needs RAM up to 0x%llX, the range ends at "
                      "0x%X.",
                      static_cast<unsigned long long>(needed), info_.ramEnd);
        error = text;
        return FLASH_REFUSED;
    }
    const FlashBytes block = ToTargetBlock(info_);
    int r = target_.WriteBlock(info_.ramStart, block.data(), static_cast<uint32_t>(block.size()));
    if (r == 0)
        r = target_.WriteBlock(static_cast<uint32_t>(entry), routine.data(), static_cast<uint32_t>(routine.size()));
    return Failure(r);
}

int FlashProtocol::WriteWord(uint32_t address, uint32_t value)
{
    const std::array<uint8_t, 4> word = ToTargetWord(value);
    return target_.WriteBlock(address, word.data(), 4);
}

uint32_t FlashProtocol::ReadResult()
{
    uint8_t word[4] = {};
    int r = 0;
    for (int attempt = 0; attempt < kResultReadAttempts; ++attempt) {
        r = target_.ReadBlock(info_.ramStart + kResultOffset, word, 4);
        if (r == 0)
            return FromTargetWord(word);
    }
    return Failure(r);
}

uint32_t FlashProtocol::RunRoutine(uint32_t limitMs)
{
    const uint32_t entry = info_.ramStart + kRoutineOffset;
    int r = target_.SetPc(entry);
    if (r != 0)
        return Failure(r);
    const RunMark mark = target_.Mark();
    r = target_.GoTill(entry);
    if (r != 0)
        return Failure(r);
    if (!wait_([&] { return target_.Settled(mark); }, limitMs)) {
        // The routine still runs: stop it, and let the stop's handling take
        // the go-till breakpoint out before anything else uses the target.
        target_.Halt();
        wait_([&] { return target_.Settled(mark); }, kHaltSettleMs);
        return FLASH_TIMED_OUT;
    }
    // Stopped elsewhere (a fault, a breakpoint inside the routine): the
    // result word still holds what was there before.
    uint32_t pc = 0;
    r = target_.GetPc(pc);
    if (r != 0)
        return Failure(r);
    if (pc != entry)
        return FLASH_NOT_BACK;
    return ReadResult();
}

uint32_t FlashProtocol::Erase()
{
    return RunRoutine(kEraseLimitMs);
}

uint32_t FlashProtocol::ProgramChunk(uint32_t fileOffset, const uint8_t* data, uint32_t size)
{
    const uint32_t destination = info_.flashOffset + fileOffset - info_.flashStart;
    int r = target_.WriteBlock(info_.ramStart + kChunkOffset, data, size);
    if (r == 0)
        r = WriteWord(info_.ramStart + kDestinationOffset, destination);
    if (r == 0)
        r = WriteWord(info_.ramStart + kLengthOffset, size);
    if (r != 0)
        return Failure(r);
    return RunRoutine(kChunkLimitMs);
}

}  // namespace mirobel
