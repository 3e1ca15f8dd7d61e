#include "command_log.h"

namespace pellitons {

bool CommandLog::Open(const std::string& path, bool append)
{
    Close();
    file_ = std::fopen(path.c_str(), append ? "a" : "w");
    return file_ != nullptr;
}

void CommandLog::Close()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void CommandLog::Line(const std::string& text)
{
    if (!file_)
        return;
    std::fputs(text.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

void CommandLog::Command(const char* name, uint64_t nowMs)
{
    if (!file_)
        return;
    std::string line = first_ ? "[00] " : "[" + std::to_string(nowMs - previousMs_) + "] ";
    first_ = false;
    previousMs_ = nowMs;
    if (name)
        line += name;
    Line(line);
}

void CommandLog::Reply(const uint8_t* reply, bool withBytes, uint64_t elapsedMs)
{
    if (!file_ || !dumpReplies)
        return;
    std::string line;
    if (withBytes) {
        char hex[4];
        for (int i = 0; i < 21; ++i) {
            std::snprintf(hex, sizeof hex, "%02X ", reply[i]);
            line += hex;
        }
    }
    line += "   <" + std::to_string(elapsedMs) + ">";
    Line(line);
}

}  // namespace pellitons
