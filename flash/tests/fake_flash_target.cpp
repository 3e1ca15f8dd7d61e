#include "fake_flash_target.h"

#include "mirobel/flash_protocol.h"

namespace mirobel::test {

int FakeFlashTarget::WriteBlock(uint32_t address, const uint8_t* data, uint32_t size)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const int index = static_cast<int>(writes.size());
    writes.push_back(address);
    if (index == failWriteAt)
        return -27;
    for (uint32_t i = 0; i < size; ++i)
        memory_[address + i] = data[i];
    return 0;
}

int FakeFlashTarget::ReadBlock(uint32_t address, uint8_t* data, uint32_t size)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++reads;
    if (failReads > 0) {
        --failReads;
        return readError;
    }
    for (uint32_t i = 0; i < size; ++i) {
        const auto it = memory_.find(address + i);
        data[i] = it == memory_.end() ? 0 : it->second;
    }
    return 0;
}

int FakeFlashTarget::SetPc(uint32_t pc)
{
    std::lock_guard<std::mutex> lock(mutex_);
    pc_ = pc;
    ramStart_ = pc - kRoutineOffset;
    return 0;
}

int FakeFlashTarget::GetPc(uint32_t& pc)
{
    std::lock_guard<std::mutex> lock(mutex_);
    pc = pc_;
    return 0;
}

RunMark FakeFlashTarget::Mark()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return {handled_, started_};
}

size_t FakeFlashTarget::RunCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return runs.size();
}

uint8_t FakeFlashTarget::Peek(uint32_t address) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = memory_.find(address);
    return it == memory_.end() ? 0 : it->second;
}

std::vector<uint8_t> FakeFlashTarget::PeekRange(uint32_t address, uint32_t size) const
{
    std::vector<uint8_t> bytes;
    for (uint32_t i = 0; i < size; ++i)
        bytes.push_back(Peek(address + i));
    return bytes;
}

void FakeFlashTarget::Poke(uint32_t address, const std::vector<uint8_t>& bytes)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < bytes.size(); ++i)
        memory_[address + static_cast<uint32_t>(i)] = bytes[i];
}

uint32_t FakeFlashTarget::BigEndianWord(uint32_t address) const
{
    return uint32_t{Peek(address)} << 24 | uint32_t{Peek(address + 1)} << 16 | uint32_t{Peek(address + 2)} << 8 |
        Peek(address + 3);
}

int FakeFlashTarget::GoTill(uint32_t address)
{
    const uint32_t r = ramStart_;
    const uint32_t start = BigEndianWord(r + 0);
    const uint32_t size = BigEndianWord(r + 4);
    const Run run{BigEndianWord(r + 24), BigEndianWord(r + kDestinationOffset), BigEndianWord(r + kLengthOffset)};
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t index = runs.size();
    runs.push_back(run);
    ++started_;
    if (hangFrom && index >= hangAt) {
        running_ = true;
        pc_ = address + 4;
        return 0;
    }
    uint32_t result = 0;
    if (run.operation == 0) {
        for (uint32_t i = 0; i < size; ++i)
            memory_[start + i] = 0xFF;
    } else if (uint64_t{run.destination} + run.length > size) {
        result = 1;
    } else {
        for (uint32_t i = 0; i < run.length; ++i)
            memory_[start + run.destination + i] = memory_[r + kChunkOffset + i];
    }
    if (index == answerAt)
        result = answer;
    for (int b = 0; b < 4; ++b)
        memory_[r + kResultOffset + b] = static_cast<uint8_t>(result >> (24 - 8 * b));
    pc_ = strayAt ? address + 4 : address;
    ++handled_;
    return 0;
}

bool FakeFlashTarget::Settled(const RunMark& mark)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++settledLooks;
    return !running_ && handled_ - mark.stopsHandled >= started_ - mark.runsStarted;
}

int FakeFlashTarget::Halt()
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++halts;
    if (running_) {
        running_ = false;
        ++handled_;
    }
    return 0;
}

}  // namespace mirobel::test
