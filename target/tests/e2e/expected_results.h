// What falcrest_e2e.c leaves in its result buffer, computed on the host.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace falcrest_e2e {

inline constexpr unsigned RESULT_WORDS = 16;
inline constexpr const char* E2E_FIXTURE = "falcrest_e2e";

inline std::vector<uint32_t> ExpectedResults()
{
    std::vector<uint32_t> r(RESULT_WORDS);
    int32_t values[8] = {42, -7, 1000, 3, -300, 77, 0, 5};
    std::sort(values, values + 8);
    for (int i = 0; i < 8; ++i)
        r[i] = static_cast<uint32_t>(values[i]);
    const char* text = "The quick brown fox jumps over the lazy dog";
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < std::strlen(text); ++i) {
        crc ^= static_cast<uint8_t>(text[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    r[8] = ~crc;
    r[9] = 610;  // fib(15)
    const uint64_t product = uint64_t{r[8]} * 0x9ABCDEF0u;
    r[10] = static_cast<uint32_t>(product >> 32);
    r[11] = static_cast<uint32_t>(product);
    r[12] = 1000000007u / 13u;
    r[13] = 1000000007u % 13u;
    uint32_t x = r[8];
    for (uint32_t i = 0; i < 5; ++i)
        x = (x << 3 | x >> 29) ^ (r[9] + i);
    r[14] = x;
    uint32_t sum = 0;
    for (unsigned i = 0; i < RESULT_WORDS - 1; ++i)
        sum = sum * 31 + r[i];
    r[15] = sum;
    return r;
}

}  // namespace falcrest_e2e
