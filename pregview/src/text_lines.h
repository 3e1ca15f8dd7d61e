// The text layer of the description files: lines read into a 256-byte
// buffer with a 16-bit line counter, tokens, C-notation numbers, keywords
// matched by prefix and quoted texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace halvek {

inline constexpr size_t kLineBuffer = 256;

class LineReader {
public:
    explicit LineReader(std::string content) : content_(std::move(content)) {}

    // Reads the line at the current position into `buffer` (kLineBuffer
    // bytes): up to and including the first line feed, at most 255
    // characters (the rest of a longer line is the next line). The line feed
    // and a carriage return just before it are dropped. PERI_READ_FAILED at
    // the end of the file, PERI_NO_BUFFER without a buffer.
    uint32_t Read(char* buffer);
    // Read into a string (cut at a NUL byte, as the buffer's text ends there).
    uint32_t ReadLine(std::string& line);
    // The next line that is neither blank nor a "//" comment.
    uint32_t ReadContentLine(std::string& line);
    // The next line that is not blank (comments are returned).
    uint32_t ReadNonBlankLine(std::string& line);
    // The first word of the file: leading white space skipped, at most 255
    // characters, ended by white space. False when there is none.
    bool ReadWord(std::string& word);
    // Lines read so far (16 bits, wrapping).
    uint16_t LineCount() const { return lines_; }

private:
    std::string content_;
    size_t pos_ = 0;
    uint16_t lines_ = 0;
};

bool IsSeparator(char c);
// Only blanks, tabs, carriage returns, line feeds and backspaces.
bool IsBlankLine(std::string_view line);
// The first non-blank characters are "//".
bool IsCommentLine(std::string_view line);
std::vector<std::string> Tokens(std::string_view line);
// The token begins with the keyword: case ignored except for "start_fields"
// and "end_reg".
bool MatchesKeyword(std::string_view token, std::string_view keyword);
// The line's first token matches the keyword.
bool LineBeginsWith(std::string_view line, std::string_view keyword);
// C notation: decimal, "0x" hexadecimal, leading "0" octal.
uint32_t UnsignedNumber(const std::string& token);
long SignedNumber(const std::string& token);
// The text between the first two double quotes; false when the line has no
// two quotes.
bool QuotedText(std::string_view line, std::string& text);

}  // namespace halvek
