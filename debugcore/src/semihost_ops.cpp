// The semihosting operation table. Lengths that come from the target are
// bounded by what the host takes (names by the host's path length, transfers
// in chunks); every failure gives -1 (SYS_READ and SYS_WRITE: the count of
// bytes not moved) and keeps the host errno for SYS_ERRNO.
#include "semihost_ops.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core.h"
#include "host_files.h"
#include "semihost_console.h"
#include "semihosting.h"
#include "target_access.h"

namespace sarvik {

namespace {

constexpr uint32_t kFail = 0xFFFFFFFFu;
constexpr uint32_t kMaxName = PATH_MAX;
constexpr uint32_t kChunk = 0x10000;
constexpr uint32_t kMaxWrite0 = 0x100000;
// The stack and the heap meet 8 KiB below the top of memory.
constexpr uint32_t kStackSize = 8192;
constexpr uint32_t kTickFrequency = 1000;

// The operation's argument: r1 and the four words of its parameter block.
struct Call {
    uint32_t r1;
    uint32_t p[4];
};

using Handler = SemihostAnswer (*)(const Call&);

SemihostAnswer Fail(int error)
{
    Core().semihost.lastErrno = error;
    return {kFail};
}

SemihostAnswer Result(uint32_t r0)
{
    return {r0};
}

// A name of `length` bytes at `address`, bounded by the host's path length.
bool ReadName(uint32_t address, uint32_t length, std::string& name, int& error)
{
    if (length >= kMaxName) {
        error = ENAMETOOLONG;
        return false;
    }
    if (!ReadTargetText(address, length, name)) {
        error = EFAULT;
        return false;
    }
    return true;
}

uint64_t MillisecondsSinceStart()
{
    const auto elapsed = std::chrono::steady_clock::now() - Core().semihost.programStart;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

SemihostAnswer Open(const Call& c)
{
    std::string name;
    int error = 0;
    if (!ReadName(c.p[0], c.p[2], name, error))
        return Fail(error);
    const int handle = Core().files.Open(name, c.p[1], error);
    return handle < 0 ? Fail(error) : Result(static_cast<uint32_t>(handle));
}

SemihostAnswer Close(const Call& c)
{
    int error = 0;
    return Core().files.Close(c.p[0], error) == 0 ? Result(0) : Fail(error);
}

SemihostAnswer WriteC(const Call& c)
{
    uint8_t ch = 0;
    if (c.r1 == 0 || ReadTargetBytes(c.r1, &ch, 1) != 0)
        return Fail(EFAULT);
    ConsoleWriteChar(ConsoleStream::Out, ch);
    return Result(0);
}

SemihostAnswer Write0(const Call& c)
{
    if (c.r1 == 0)
        return Fail(EFAULT);
    // Read 32 bytes at a time; each character goes out as one, a line feed
    // ends the string.
    for (uint32_t at = c.r1; at - c.r1 < kMaxWrite0; at += 32) {
        uint8_t block[32];
        if (ReadTargetBytes(at, block, sizeof block) != 0)
            break;
        bool end = false;
        for (uint8_t ch : block) {
            if (ch == 0) {
                end = true;
                break;
            }
            ConsoleWriteChar(ConsoleStream::Out, ch);
        }
        if (end)
            break;
    }
    ConsoleWriteChar(ConsoleStream::Out, '\n');
    return Result(0);
}

SemihostAnswer Write(const Call& c)
{
    const uint32_t handle = c.p[0];
    const uint32_t length = c.p[2];
    const HostStream kind = Core().files.Kind(handle);
    if (kind == HostStream::None)
        return Fail(EBADF);
    if (kind == HostStream::ConsoleIn || kind == HostStream::Features) {
        Core().semihost.lastErrno = EBADF;
        return Result(length);
    }
    std::vector<uint8_t> chunk;
    uint32_t done = 0;
    while (done < length) {
        const uint32_t n = length - done < kChunk ? length - done : kChunk;
        chunk.resize(n);
        if (ReadTargetBytes(c.p[1] + done, chunk.data(), n) != 0) {
            Core().semihost.lastErrno = EFAULT;
            break;
        }
        if (kind == HostStream::File) {
            int error = 0;
            const int64_t written = Core().files.Write(handle, chunk.data(), n, error);
            if (written > 0)
                done += static_cast<uint32_t>(written);
            if (written < static_cast<int64_t>(n)) {
                Core().semihost.lastErrno = error;
                break;
            }
        } else {
            ConsoleWrite(kind == HostStream::ConsoleErr ? ConsoleStream::Err : ConsoleStream::Out, chunk.data(), n);
            done += n;
        }
    }
    return Result(length - done);
}

SemihostAnswer Read(const Call& c)
{
    const uint32_t handle = c.p[0];
    const uint32_t length = c.p[2];
    const HostStream kind = Core().files.Kind(handle);
    if (kind == HostStream::None)
        return Fail(EBADF);
    if (kind == HostStream::ConsoleOut || kind == HostStream::ConsoleErr) {
        Core().semihost.lastErrno = EBADF;
        return Result(length);
    }
    std::vector<uint8_t> chunk;
    uint32_t done = 0;
    while (done < length) {
        const uint32_t want = length - done < kChunk ? length - done : kChunk;
        chunk.resize(want);
        size_t got = 0;
        if (kind == HostStream::ConsoleIn) {
            got = ConsoleRead(chunk.data(), want);
        } else {
            int error = 0;
            const int64_t n = Core().files.Read(handle, chunk.data(), want, error);
            if (n < 0) {
                Core().semihost.lastErrno = error;
                break;
            }
            got = static_cast<size_t>(n);
        }
        if (got > 0 && WriteTargetBytes(c.p[1] + done, chunk.data(), static_cast<uint32_t>(got)) != 0) {
            Core().semihost.lastErrno = EFAULT;
            break;
        }
        done += static_cast<uint32_t>(got);
        // A console read gives one line; a short file read is the end.
        if (kind == HostStream::ConsoleIn || got < want)
            break;
    }
    return Result(length - done);
}

SemihostAnswer ReadC(const Call&)
{
    uint8_t ch[4] = {};
    ConsoleRead(ch, 1);
    return Result(ch[0]);
}

SemihostAnswer IsError(const Call& c)
{
    return Result(static_cast<int32_t>(c.p[0]) < 0 ? 1 : 0);
}

SemihostAnswer IsTty(const Call& c)
{
    switch (Core().files.Kind(c.p[0])) {
    case HostStream::None: return Fail(EBADF);
    case HostStream::File:
    case HostStream::Features: return Result(0);
    default: return Result(1);
    }
}

SemihostAnswer Seek(const Call& c)
{
    int error = 0;
    return Core().files.Seek(c.p[0], c.p[1], error) == 0 ? Result(0) : Fail(error);
}

SemihostAnswer Flen(const Call& c)
{
    int error = 0;
    const int64_t length = Core().files.Length(c.p[0], error);
    if (length < 0)
        return Fail(error);
    if (length > INT32_MAX)
        return Fail(EOVERFLOW);
    return Result(static_cast<uint32_t>(length));
}

SemihostAnswer TmpNam(const Call& c)
{
    char name[64];
    const int n = std::snprintf(name, sizeof name, "%s/zk-semihost-%x-%02x", P_tmpdir, static_cast<unsigned>(getpid()),
                                c.p[1] & 0xFFu);
    if (n < 0 || static_cast<uint32_t>(n) + 1 > c.p[2])
        return Fail(ENAMETOOLONG);
    if (WriteTargetBytes(c.p[0], name, static_cast<uint32_t>(n) + 1) != 0)
        return Fail(EFAULT);
    return Result(0);
}

SemihostAnswer Remove(const Call& c)
{
    std::string name;
    int error = 0;
    if (!ReadName(c.p[0], c.p[1], name, error))
        return Fail(error);
    return std::remove(name.c_str()) == 0 ? Result(0) : Fail(errno);
}

SemihostAnswer Rename(const Call& c)
{
    std::string from, to;
    int error = 0;
    if (!ReadName(c.p[0], c.p[1], from, error) || !ReadName(c.p[2], c.p[3], to, error))
        return Fail(error);
    return std::rename(from.c_str(), to.c_str()) == 0 ? Result(0) : Fail(errno);
}

SemihostAnswer Clock(const Call&)
{
    return Result(static_cast<uint32_t>(MillisecondsSinceStart() / 10));
}

SemihostAnswer Time(const Call&)
{
    return Result(static_cast<uint32_t>(std::time(nullptr)));
}

// Host commands are not run for the target.
SemihostAnswer System(const Call& c)
{
    std::string command;
    int error = 0;
    if (!ReadName(c.p[0], c.p[1], command, error))
        return Fail(error);
    return Fail(ENOSYS);
}

SemihostAnswer Errno(const Call&)
{
    return Result(static_cast<uint32_t>(Core().semihost.lastErrno));
}

// The buffer receives the zero-terminated line and the block's second word
// its length, when the line fits.
SemihostAnswer GetCmdline(const Call& c)
{
    const std::string& line = Core().semihost.commandLine;
    const uint32_t size = static_cast<uint32_t>(line.size()) + 1;
    if (size > c.p[1])
        return Fail(EINVAL);
    if (WriteTargetBytes(c.p[0], line.c_str(), size) != 0)
        return Fail(EFAULT);
    const uint32_t length = size - 1;
    if (WriteTargetWords(c.r1 + 4, &length, 1) != 0)
        return Fail(EFAULT);
    return Result(0);
}

// r1 points to the address of a four-word block: heap base (0: the image's
// end), heap limit, stack base, stack limit.
SemihostAnswer HeapInfo(const Call& c)
{
    const uint32_t block = c.p[0];
    if (block == 0)
        return Fail(EFAULT);
    const uint32_t top = Core().config.topOfMemory;
    const uint32_t values[4] = {0, top - kStackSize, top, top - kStackSize};
    if (WriteTargetWords(block, values, 4) != 0)
        return Fail(EFAULT);
    SemihostAnswer a = Result(0);
    a.setR1 = true;
    a.r1 = block;
    return a;
}

SemihostAnswer EnterSvc(const Call&)
{
    SemihostAnswer a = Result(0);
    a.after = SemihostReturn::EnterSvc;
    return a;
}

SemihostAnswer Ended(uint32_t op, uint32_t reason, uint32_t status)
{
    SemihostState& s = Core().semihost;
    // Recorded before the console line, so that a window can tell the line
    // from the program's own output.
    s.exited = true;
    s.exitReason = reason;
    s.exitStatus = status;
    ConsoleWriteText(SemihostExitText(reason));
    SemihostAnswer a = Result(op);
    a.after = SemihostReturn::Exit;
    return a;
}

SemihostAnswer ReportException(const Call& c)
{
    return Ended(SYS_REPORTEXC, c.r1, 0);
}

SemihostAnswer ExitExtended(const Call& c)
{
    return Ended(SYS_EXIT_EXTENDED, c.p[0], c.p[1]);
}

// The elapsed ticks since the program started, 64 bits, low word first.
SemihostAnswer Elapsed(const Call& c)
{
    if (c.r1 == 0)
        return Fail(EFAULT);
    const uint64_t ticks = MillisecondsSinceStart() * kTickFrequency / 1000;
    const uint32_t words[2] = {static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
    return WriteTargetWords(c.r1, words, 2) == 0 ? Result(0) : Fail(EFAULT);
}

SemihostAnswer TickFreq(const Call&)
{
    return Result(kTickFrequency);
}

// How r1 is used.
enum class Arg {
    None,   // no argument
    Value,  // r1 itself (an address or a reason)
    Block,  // r1 points to the parameter block; 0 is refused
};

struct Operation {
    uint32_t op;
    Arg arg;
    Handler handler;
};

constexpr Operation kOperations[] = {
    {SYS_OPEN, Arg::Block, Open},
    {SYS_CLOSE, Arg::Block, Close},
    {SYS_WRITEC, Arg::Value, WriteC},
    {SYS_WRITE0, Arg::Value, Write0},
    {SYS_WRITE, Arg::Block, Write},
    {SYS_READ, Arg::Block, Read},
    {SYS_READC, Arg::None, ReadC},
    {SYS_ISERROR, Arg::Block, IsError},
    {SYS_ISTTY, Arg::Block, IsTty},
    {SYS_SEEK, Arg::Block, Seek},
    {SYS_FLEN, Arg::Block, Flen},
    {SYS_TMPNAM, Arg::Block, TmpNam},
    {SYS_REMOVE, Arg::Block, Remove},
    {SYS_RENAME, Arg::Block, Rename},
    {SYS_CLOCK, Arg::None, Clock},
    {SYS_TIME, Arg::None, Time},
    {SYS_SYSTEM, Arg::Block, System},
    {SYS_ERRNO, Arg::None, Errno},
    {SYS_GET_CMDLINE, Arg::Block, GetCmdline},
    {SYS_HEAPINFO, Arg::Block, HeapInfo},
    {SYS_ENTERSVC, Arg::None, EnterSvc},
    {SYS_REPORTEXC, Arg::Value, ReportException},
    {SYS_EXIT_EXTENDED, Arg::Block, ExitExtended},
    {SYS_ELAPSED, Arg::Value, Elapsed},
    {SYS_TICKFREQ, Arg::None, TickFreq},
};

}  // namespace

SemihostAnswer PerformSemihostCall(uint32_t op, uint32_t r1)
{
    for (const Operation& o : kOperations) {
        if (o.op != op)
            continue;
        Call call{r1, {}};
        if (o.arg == Arg::Block) {
            if (r1 == 0)
                return Fail(EFAULT);
            // A block shorter than four words near the end of memory: the
            // words that cannot be read stay 0.
            for (uint32_t i = 0; i < 4; ++i)
                ReadTargetWords(r1 + 4 * i, &call.p[i], 1);
        }
        return o.handler(call);
    }
    return {kFail};
}

}  // namespace sarvik

using namespace sarvik;

extern "C" const char* SemihostExitText(DWORD reason)
{
    static constexpr struct {
        uint32_t reason;
        const char* line;
    } kLines[] = {
        {0x20000, "Stop Emulation for Branch Through Zero!\n"},
        {0x20001, "Stop Emulation for Undefined Instruction!\n"},
        {0x20003, "Stop Emulation for Prefetch Abort!\n"},
        {0x20004, "Stop Emulation for Data Abort!\n"},
        {0x20005, "Stop Emulation for Address Exception!\n"},
        {0x20006, "Stop Emulation for IRQ!\n"},
        {0x20007, "Stop Emulation for FIQ!\n"},
        {0x20020, "Stop Emulation for Breakpoint Reached!\n"},
        {0x20021, "Stop Emulation for Watchpoint Accessed!\n"},
        {0x20022, "Stop Emulation for Finished In Step!\n"},
        {0x20025, "Stop Emulation for User Interrupt!\n"},
        {0x20026, "Stop Emulation for Application Exit!\n"},
        {0x20027, "Stop Emulation for Stack Overflow!\n"},
        {0x20028, "Stop Emulation for Division By Zero!\n"},
    };
    for (const auto& l : kLines) {
        if (l.reason == reason)
            return l.line;
    }
    return "Stop Emulation for Unhandled exception\n";
}
