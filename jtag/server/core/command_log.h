// The server's command log "pellitons.log": a line per command with the
// milliseconds since the previous one, reply dumps, and the texts of the
// logging command.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace pellitons {

class CommandLog {
public:
    ~CommandLog() { Close(); }
    bool IsOpen() const { return file_ != nullptr; }
    // Creates the file anew ("w") or appends ("a"); false on a file error.
    bool Open(const std::string& path, bool append);
    void Close();
    void Line(const std::string& text);
    // "[n] " with the milliseconds since the previous command ("[00] " first),
    // then the name; a command without a name writes only the time.
    void Command(const char* name, uint64_t nowMs);
    // The first 21 bytes of a reply in hex, then "   <ms>".
    void Reply(const uint8_t* reply, bool withBytes, uint64_t elapsedMs);

    bool dumpReplies = true;

private:
    std::FILE* file_ = nullptr;
    bool first_ = true;
    uint64_t previousMs_ = 0;
};

}  // namespace pellitons
