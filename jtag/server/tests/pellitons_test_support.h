// Sending packets to a probe server in tests: the reply is checked for its
// checksum and returned with its length.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "pellitons.h"

namespace peltest {

struct Reply {
    std::vector<uint8_t> bytes;  // up to the checksum, excluded
    int32_t result = 0;
    uint8_t flags() const { return bytes.at(2); }
    uint8_t status() const { return bytes.at(3); }
    uint32_t U32(size_t at) const
    {
        return uint32_t(bytes.at(at)) << 24 | uint32_t(bytes.at(at + 1)) << 16 | uint32_t(bytes.at(at + 2)) << 8 |
            bytes.at(at + 3);
    }
};

using DoCommand = std::function<int32_t(const uint8_t*, uint8_t*)>;

// The reply's length is found as the position whose byte is the checksum of
// what comes before it; `expected` picks it when given.
inline Reply Send(const DoCommand& doCommand, std::vector<uint8_t> packet, size_t expected = 0)
{
    packet.resize(std::max(packet.size(), PelPacketBytes(packet.data())), 0);
    std::vector<uint8_t> reply(kPelMaxReply + 1, 0xCC);
    Reply r;
    r.result = doCommand(packet.data(), reply.data());
    size_t length = expected;
    if (!length) {
        for (size_t n = 4; n <= kPelMaxReply && !length; ++n) {
            uint8_t sum = 0;
            for (size_t i = 1; i < n; ++i)
                sum = uint8_t(sum + reply[i]);
            if (uint8_t(sum + reply[n]) == 0 && (n + 1 > kPelMaxReply || reply[n + 1] == 0xCC))
                length = n;
        }
    }
    EXPECT_NE(length, 0u) << "no checksum in the reply";
    uint8_t sum = 0;
    for (size_t i = 1; i < length; ++i)
        sum = uint8_t(sum + reply[i]);
    EXPECT_EQ(uint8_t(sum + reply[length]), 0) << "checksum of a reply of " << length;
    r.bytes.assign(reply.begin(), reply.begin() + std::max<size_t>(length, 4));
    return r;
}

inline void Be16(std::vector<uint8_t>& p, uint16_t v)
{
    p.push_back(uint8_t(v >> 8));
    p.push_back(uint8_t(v));
}

inline void Be32(std::vector<uint8_t>& p, uint32_t v)
{
    Be16(p, uint16_t(v >> 16));
    Be16(p, uint16_t(v));
}

}  // namespace peltest
