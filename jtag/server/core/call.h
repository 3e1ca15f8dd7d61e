// One command in the server: its packet, its reply and the reply's length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pellitons.h"
#include "server.h"

namespace pellitons {

struct ProbeServer::Call {
    const uint8_t* packet;
    uint8_t* reply;
    size_t length = 4;
    bool notServed = false;   // status 13, placed last
    bool textsTaken = false;  // a connection's texts are appended once per command

    uint8_t Code() const { return packet[1]; }
    uint16_t U16(size_t at) const { return uint16_t(packet[at] << 8 | packet[at + 1]); }
    uint32_t U32(size_t at) const
    {
        return uint32_t(packet[at]) << 24 | uint32_t(packet[at + 1]) << 16 | uint32_t(packet[at + 2]) << 8 |
            packet[at + 3];
    }
    void Status(uint8_t status) { reply[3] = status; }
    void Flags(uint8_t flags) { reply[2] = flags; }
    // False (status 14, nothing written) when `bytes` more would pass the largest reply.
    bool Room(size_t bytes)
    {
        if (length + bytes <= kPelMaxReply)
            return true;
        Status(PEL_TOO_LONG);
        return false;
    }
    void Put8(uint8_t value) { reply[length++] = value; }
    void Put16(uint16_t value)
    {
        Put8(uint8_t(value >> 8));
        Put8(uint8_t(value));
    }
    void Put32(uint32_t value)
    {
        Put16(uint16_t(value >> 16));
        Put16(uint16_t(value));
    }
};

}  // namespace pellitons
