// Any bytes from the program, cut into pieces at the bytes' own choosing,
// through the console's line assembler: no line holds a line end or a
// control byte other than tab, none is longer than a console line, and the
// assembler never reaches into lines it no longer owns.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "console_lines.h"
#include "text_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    textcore::TextBuffer lines;
    textconsole::ConsoleLineWriter writer;
    size_t at = 0;
    while (at < size) {
        // The first byte of each piece gives its length (0: one character).
        const size_t length = data[at] % 64;
        ++at;
        const size_t take = length == 0 ? 1 : length;
        const size_t n = take < size - at ? take : size - at;
        writer.Append(std::string_view(reinterpret_cast<const char*>(data + at), n), lines);
        if (n > 0 && data[at] == 0x7F)
            writer.AfterTyping(true);
        at += n;
    }
    for (size_t i = 0; i < lines.LineCount(); ++i) {
        const std::string_view line = lines.Line(i);
        if (line.size() > static_cast<size_t>(textconsole::kConsoleLineLength))
            std::abort();
        for (const char c : line)
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
                std::abort();
    }
    return 0;
}
