// A target that plays a flash routine in C++: it reads the parameter block
// and chunk from its memory as the routine does (words byte-reversed),
// erases or programs its flash bytes, and writes the result word back. Runs
// can be told to hang, to stop away from the entry, or to answer a result;
// every call is recorded.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "mirobel/flash_target.h"

namespace mirobel::test {

class FakeFlashTarget : public FlashTarget {
public:
    struct Run {
        uint32_t operation;
        uint32_t destination;
        uint32_t length;
    };

    int WriteBlock(uint32_t address, const uint8_t* data, uint32_t size) override;
    int ReadBlock(uint32_t address, uint8_t* data, uint32_t size) override;
    int SetPc(uint32_t pc) override;
    int GetPc(uint32_t& pc) override;
    RunMark Mark() override;
    int GoTill(uint32_t address) override;
    bool Settled(const RunMark& mark) override;
    int Halt() override;

    // While a worker runs (the records below are read once it has ended).
    size_t RunCount() const;
    uint8_t Peek(uint32_t address) const;
    std::vector<uint8_t> PeekRange(uint32_t address, uint32_t size) const;
    void Poke(uint32_t address, const std::vector<uint8_t>& bytes);
    uint32_t BigEndianWord(uint32_t address) const;

    // Behaviour of the runs, from the first on (index = run number).
    bool hangFrom = false;  // runs from run `hangAt` on never come back
    size_t hangAt = 0;
    size_t answerAt = SIZE_MAX;  // that run answers `answer`
    uint32_t answer = 0;
    bool strayAt = false;  // runs stop at entry + 4
    int failReads = 0;     // result reads that fail first
    int readError = -27;
    int failWriteAt = -1;  // the n-th block write fails (0-based)

    // Recorded.
    std::vector<Run> runs;
    std::vector<uint32_t> writes;  // addresses of block writes
    int halts = 0;
    int reads = 0;
    int settledLooks = 0;

private:
    mutable std::mutex mutex_;
    std::map<uint32_t, uint8_t> memory_;
    uint32_t pc_ = 0;
    uint32_t ramStart_ = 0;
    bool running_ = false;
    uint32_t started_ = 0;
    uint32_t handled_ = 0;
};

}  // namespace mirobel::test
