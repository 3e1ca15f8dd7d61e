#include "semihost_console.h"

#include <cstring>
#include <vector>

#include "core.h"
#include "emu_messages.h"

namespace sarvik {

namespace {

constexpr size_t kTextChunk = 4096;

void Send(const std::vector<char>& buffer)
{
    SendToMain(WM_EMU_SEMIHOST_IO, 0, reinterpret_cast<LPARAM>(buffer.data()));
}

void SendText(BYTE kind, const uint8_t* data, size_t count)
{
    std::vector<char> buffer(count + 2, '\0');
    buffer[0] = static_cast<char>(kind);
    std::memcpy(buffer.data() + 1, data, count);
    Send(buffer);
}

}  // namespace

void ConsoleWriteChar(ConsoleStream stream, uint8_t c)
{
    const BYTE kind = stream == ConsoleStream::Out ? SEMIHOST_IO_CHAR : SEMIHOST_IO_ERROR_CHAR;
    Send({static_cast<char>(kind), static_cast<char>(c)});
}

void ConsoleWrite(ConsoleStream stream, const uint8_t* data, size_t count)
{
    const BYTE textKind = stream == ConsoleStream::Out ? SEMIHOST_IO_TEXT : SEMIHOST_IO_ERROR_TEXT;
    size_t i = 0;
    while (i < count) {
        if (data[i] == 0) {
            ConsoleWriteChar(stream, 0);
            ++i;
            continue;
        }
        size_t run = 0;
        while (i + run < count && data[i + run] != 0 && run < kTextChunk)
            ++run;
        SendText(textKind, data + i, run);
        i += run;
    }
}

void ConsoleWriteText(const char* text)
{
    ConsoleWrite(ConsoleStream::Out, reinterpret_cast<const uint8_t*>(text), std::strlen(text));
}

size_t ConsoleRead(uint8_t* buffer, size_t count)
{
    if (count == 0)
        return 0;
    const LRESULT copied = SendToMain(WM_EMU_SEMIHOST_IO, count, reinterpret_cast<LPARAM>(buffer));
    if (copied <= 0)
        return 0;
    return static_cast<size_t>(copied) < count ? static_cast<size_t>(copied) : count;
}

}  // namespace sarvik
