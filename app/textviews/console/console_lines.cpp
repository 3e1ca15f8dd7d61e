#include "console_lines.h"

#include "text_buffer.h"

namespace textconsole {

std::string_view ShownByte(unsigned char byte, char (&scratch)[2])
{
    if (byte == '\t' || (byte >= 0x20 && byte != 0x7F)) {
        scratch[0] = static_cast<char>(byte);
        return {scratch, 1};
    }
    scratch[0] = '^';
    scratch[1] = static_cast<char>(byte ^ 0x40);  // NUL -> '@', BEL -> 'G', DEL -> '?'
    return {scratch, 2};
}

void ConsoleLineWriter::Append(std::string_view text, textcore::TextBuffer& lines)
{
    // The line being built, and whether it is already the buffer's last line
    // (then it is written back in place).
    std::string line;
    bool inBuffer = false;
    if (open_ && lines.LineCount() > 0) {
        line = lines.Line(lines.LineCount() - 1);
        inBuffer = true;
    } else {
        open_ = false;
    }
    auto flush = [&] {
        if (inBuffer)
            lines.SetLine(lines.LineCount() - 1, line);
        else
            lines.AppendLine(line);
        inBuffer = true;
    };
    auto startLine = [&] {
        line.clear();
        inBuffer = false;
        open_ = true;
    };

    bool dirty = false;  // `line` holds bytes not yet written
    char scratch[2];
    for (const char c : text) {
        if (pendingEnd_) {
            const char previous = pendingEnd_;
            pendingEnd_ = 0;
            if ((c == '\r' || c == '\n') && c != previous)
                continue;
        }
        if (c == '\r' || c == '\n') {
            if (!open_)
                startLine();
            flush();
            dirty = false;
            open_ = false;
            pendingEnd_ = c;
            continue;
        }
        if (!open_)
            startLine();
        const std::string_view shown = ShownByte(static_cast<unsigned char>(c), scratch);
        if (line.size() + shown.size() > static_cast<size_t>(kConsoleLineLength)) {
            flush();
            startLine();
        }
        line.append(shown);
        dirty = true;
    }
    if (open_ && (dirty || !inBuffer))
        flush();
}

void ConsoleLineWriter::AfterTyping(bool open)
{
    open_ = open;
    pendingEnd_ = 0;
}

void ConsoleLineWriter::Reset()
{
    open_ = false;
    pendingEnd_ = 0;
}

}  // namespace textconsole
