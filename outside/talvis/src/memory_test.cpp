// The target memory test: a cell test over the range, a data bus test with
// walking ones and an address bus test at the power-of-two offsets. Every
// test puts back what the memory held.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ranges.h"
#include "talvis/talvis.h"

using namespace talvis;

namespace {

constexpr size_t TEXT_SIZE = 1024;
constexpr const char* PASSED = "Test Successful!";

class MemoryTest {
public:
    MemoryTest(ADDR start, uint32_t length, uint32_t unit, char* text)
        : start_(start), length_(length), unit_(unit), text_(text)
    {}

    // Each returns 0 when passed, MEM_TEST_FAILED with the failing address
    // in the text, or the result of a failed access.
    int Cells();
    int DataBus();
    int AddressBus();

private:
    ADDR At(uint32_t offset) const { return {start_.off + offset, start_.seg}; }
    int Read(uint32_t offset, uint8_t* bytes, uint32_t count);
    int Write(uint32_t offset, const uint8_t* bytes, uint32_t count);
    // Writes `expected` and reads it back.
    int WriteAndCheck(uint32_t offset, const std::vector<uint8_t>& expected);
    int Failed(uint32_t offset, const char* what);
    // One unit filled with `byte`.
    std::vector<uint8_t> Unit(uint8_t byte) const { return std::vector<uint8_t>(unit_, byte); }

    ADDR start_;
    uint32_t length_;
    uint32_t unit_;
    char* text_;
};

int MemoryTest::Read(uint32_t offset, uint8_t* bytes, uint32_t count)
{
    int r = MemReadBlock(bytes, At(offset), count);
    if (r != 0)
        std::snprintf(text_, TEXT_SIZE, "Memory access failed at 0x%08X", At(offset).off);
    return r;
}

int MemoryTest::Write(uint32_t offset, const uint8_t* bytes, uint32_t count)
{
    int r = MemWriteBlock(At(offset), bytes, count, static_cast<int>(unit_));
    if (r != 0)
        std::snprintf(text_, TEXT_SIZE, "Memory access failed at 0x%08X", At(offset).off);
    return r;
}

int MemoryTest::Failed(uint32_t offset, const char* what)
{
    std::snprintf(text_, TEXT_SIZE, "%s failed at 0x%08X", what, At(offset).off);
    return MEM_TEST_FAILED;
}

int MemoryTest::WriteAndCheck(uint32_t offset, const std::vector<uint8_t>& expected)
{
    const uint32_t n = static_cast<uint32_t>(expected.size());
    std::vector<uint8_t> back(n);
    int r = Write(offset, expected.data(), n);
    if (r == 0)
        r = Read(offset, back.data(), n);
    if (r != 0)
        return r;
    for (uint32_t i = 0; i < n; ++i) {
        if (back[i] != expected[i])
            return Failed(offset + i - i % unit_, "Memory test");
    }
    return 0;
}

// Per chunk: 0x55 and 0xAA in every byte, then every unit holding the low
// bytes of its own address (a cell that answers for another shows it).
int MemoryTest::Cells()
{
    std::vector<uint8_t> saved(TOOL_CHUNK);
    for (uint32_t offset = 0; offset < length_;) {
        const uint32_t n = std::min(TOOL_CHUNK, length_ - offset);
        int r = Read(offset, saved.data(), n);
        if (r != 0)
            return r;
        std::vector<uint8_t> own(n);
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t unitAddress = At(offset + i - i % unit_).off;
            own[i] = static_cast<uint8_t>(unitAddress >> (8 * (i % unit_)));
        }
        for (const std::vector<uint8_t>& pattern :
             {std::vector<uint8_t>(n, 0x55), std::vector<uint8_t>(n, 0xAA), own}) {
            r = WriteAndCheck(offset, pattern);
            if (r != 0)
                break;
        }
        const int restored = Write(offset, saved.data(), n);
        if (r != 0 || restored != 0)
            return r != 0 ? r : restored;
        offset += n;
    }
    return 0;
}

// One unit at the start: each data line alone set.
int MemoryTest::DataBus()
{
    std::vector<uint8_t> saved(unit_);
    int r = Read(0, saved.data(), unit_);
    if (r != 0)
        return r;
    for (uint32_t bit = 0; bit < 8 * unit_ && r == 0; ++bit) {
        std::vector<uint8_t> value = Unit(0);
        value[bit / 8] = static_cast<uint8_t>(1u << (bit % 8));
        r = WriteAndCheck(0, value);
        if (r == MEM_TEST_FAILED)
            std::snprintf(text_, TEXT_SIZE, "Data bus test failed at 0x%08X, bit %u", At(0).off, bit);
    }
    const int restored = Write(0, saved.data(), unit_);
    return r != 0 ? r : restored;
}

// A pattern at the start and at each power-of-two unit offset inside the
// range; the anti-pattern written at one of them must not show at another
// (an address line stuck or shorted).
int MemoryTest::AddressBus()
{
    std::vector<uint32_t> offsets{0};
    for (uint64_t o = unit_; o + unit_ <= length_; o *= 2)
        offsets.push_back(static_cast<uint32_t>(o));
    std::vector<std::vector<uint8_t>> saved(offsets.size(), Unit(0));
    int r = 0;
    size_t read = 0;
    for (; read < offsets.size() && r == 0; ++read)
        r = Read(offsets[read], saved[read].data(), unit_);
    const std::vector<uint8_t> pattern = Unit(0xAA);
    const std::vector<uint8_t> anti = Unit(0x55);
    for (uint32_t o : offsets) {
        if (r == 0)
            r = Write(o, pattern.data(), unit_);
    }
    for (size_t t = 0; t < offsets.size() && r == 0; ++t) {
        r = Write(offsets[t], anti.data(), unit_);
        for (size_t other = 0; other < offsets.size() && r == 0; ++other) {
            if (other == t)
                continue;
            std::vector<uint8_t> back = Unit(0);
            r = Read(offsets[other], back.data(), unit_);
            if (r == 0 && back != pattern)
                r = Failed(offsets[other], "Address bus test");
        }
        if (r == 0)
            r = Write(offsets[t], pattern.data(), unit_);
    }
    int restored = 0;
    for (size_t i = 0; i < read; ++i) {
        const int w = Write(offsets[i], saved[i].data(), unit_);
        restored = restored != 0 ? restored : w;
    }
    return r != 0 ? r : restored;
}

}  // namespace

extern "C" int MemTestRange(ADDR start, ADDR end, char* text, int kind, int width)
{
    if (!text)
        return MEM_LIBRARY_ERROR;
    std::strcpy(text, PASSED);
    uint32_t length = 0;
    if (kind < 0 || kind > 2 || width < 0 || width > 2 || !RangeLength(start, end, &length)) {
        std::strcpy(text, "Command Not Support!");
        return MEM_LIBRARY_ERROR;
    }
    // A range shorter than the width (the program's last block of a test cut
    // on 256-byte boundaries may be one byte) is tested in the widest
    // accesses that fit it, never past its end.
    uint32_t unit = 1u << width;
    while (unit > length)
        unit /= 2;
    MemoryTest test(start, length, unit, text);
    return kind == 0 ? test.Cells() : kind == 1 ? test.DataBus() : test.AddressBus();
}
