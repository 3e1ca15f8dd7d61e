// The program's console through the main window (WM_EMU_SEMIHOST_IO).
// Output buffers: byte 0 the kind, then a zero-terminated text (kinds 1
// and 3) or one character (kinds 2 and 4). Input: wParam the most bytes
// wanted, lParam the buffer; the window's answer is the number of bytes it
// copied (a typed line ends with a line feed).
#pragma once

#include <cstddef>
#include <cstdint>

namespace sarvik {

enum class ConsoleStream { Out, Err };

// Any bytes: text runs go as text messages of bounded size, zero bytes as
// single characters.
void ConsoleWrite(ConsoleStream stream, const uint8_t* data, size_t count);
void ConsoleWriteChar(ConsoleStream stream, uint8_t c);
void ConsoleWriteText(const char* text);
// At most `count` bytes of the next typed line; the number of bytes copied
// (0 when there is no input, or no main window).
size_t ConsoleRead(uint8_t* buffer, size_t count);

}  // namespace sarvik
