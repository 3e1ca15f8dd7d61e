// The program's host files for semihosting: 64 slots, each a C runtime
// stream, one of the console streams (":tt"), or the semihosting features
// file (":semihosting-features"). A handle is the slot number plus 1; 0 is
// never a handle. Every failure gives -1 and the host errno in `error`.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace sarvik {

inline constexpr int HOST_FILE_SLOTS = 64;
// Open modes 0 to 11: "r", "rb", "r+", "r+b", "w", "wb", "w+", "w+b", "a",
// "ab", "a+", "a+b".
inline constexpr uint32_t HOST_OPEN_MODES = 12;

enum class HostStream {
    None,        // a bad handle
    ConsoleIn,   // ":tt" opened for reading: the console's input
    ConsoleOut,  // ":tt" opened for writing: the console
    ConsoleErr,  // ":tt" opened for appending: the host's standard error
    File,
    Features,  // the read-only features file of semihosting version 2
};

class HostFiles {
public:
    HostFiles() = default;
    HostFiles(const HostFiles&) = delete;
    HostFiles& operator=(const HostFiles&) = delete;
    ~HostFiles() { CloseAll(); }

    int Open(const std::string& name, uint32_t mode, int& error);
    // Console streams stay open (their slot too, shared by the next open of
    // the same stream); 0, or -1.
    int Close(uint32_t handle, int& error);
    HostStream Kind(uint32_t handle) const;

    // Files and the features file. Bytes moved, or -1.
    int64_t Read(uint32_t handle, uint8_t* buffer, size_t count, int& error);
    int64_t Write(uint32_t handle, const uint8_t* data, size_t count, int& error);
    // The position from the start: 0 or -1.
    int Seek(uint32_t handle, uint32_t position, int& error);
    // The length; the position stays. -1 on failure.
    int64_t Length(uint32_t handle, int& error);

    // Closes every file (the console streams stay open) and frees every slot.
    void CloseAll();
    int OpenCount() const;

private:
    enum class LastOp : uint8_t { None, Read, Write };
    struct Slot {
        HostStream kind = HostStream::None;
        std::FILE* file = nullptr;
        bool binary = false;
        LastOp last = LastOp::None;
        uint32_t featurePos = 0;
    };

    Slot* Find(uint32_t handle, int& error);
    int Take(const Slot& slot, int& error);
    // A read after a write (or the other way round) needs a positioning call
    // in between, as the C runtime requires.
    static void Switch(Slot& s, LastOp to);

    Slot slots_[HOST_FILE_SLOTS];
};

}  // namespace sarvik
