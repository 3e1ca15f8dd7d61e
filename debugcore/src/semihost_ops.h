// The semihosting operations: r0 selects one, r1 is its argument (for most
// a parameter block of 32-bit words). Results follow the published
// semihosting conventions.
#pragma once

#include <cstdint>

namespace sarvik {

// How the target goes back to its caller after the operation.
enum class SemihostReturn {
    ToCaller,  // after the SWI, in the caller's mode and state
    Exit,      // the program ended: the PC stays on the SWI
    EnterSvc,  // after the SWI, in SVC mode with interrupts disabled
};

struct SemihostAnswer {
    uint32_t r0 = 0;
    SemihostReturn after = SemihostReturn::ToCaller;
    bool setR1 = false;  // heap information hands the block back in r1
    uint32_t r1 = 0;
};

// Semihosting operation numbers (r0).
enum SemihostOp : uint32_t {
    SYS_OPEN = 0x01,
    SYS_CLOSE = 0x02,
    SYS_WRITEC = 0x03,
    SYS_WRITE0 = 0x04,
    SYS_WRITE = 0x05,
    SYS_READ = 0x06,
    SYS_READC = 0x07,
    SYS_ISERROR = 0x08,
    SYS_ISTTY = 0x09,
    SYS_SEEK = 0x0A,
    SYS_FLEN = 0x0C,
    SYS_TMPNAM = 0x0D,
    SYS_REMOVE = 0x0E,
    SYS_RENAME = 0x0F,
    SYS_CLOCK = 0x10,
    SYS_TIME = 0x11,
    SYS_SYSTEM = 0x12,
    SYS_ERRNO = 0x13,
    SYS_GET_CMDLINE = 0x15,
    SYS_HEAPINFO = 0x16,
    SYS_ENTERSVC = 0x17,
    SYS_REPORTEXC = 0x18,
    SYS_EXIT_EXTENDED = 0x20,
    SYS_ELAPSED = 0x30,
    SYS_TICKFREQ = 0x31,
};

SemihostAnswer PerformSemihostCall(uint32_t op, uint32_t r1);

}  // namespace sarvik
