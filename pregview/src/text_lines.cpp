#include "text_lines.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "halvek.h"

namespace halvek {

uint32_t LineReader::Read(char* buffer)
{
    if (!buffer)
        return PERI_NO_BUFFER;
    if (pos_ >= content_.size())
        return PERI_READ_FAILED;
    ++lines_;
    size_t n = 0;
    bool feed = false;
    while (n < kLineBuffer - 1 && pos_ < content_.size()) {
        const char c = content_[pos_++];
        if (c == '\n') {
            feed = true;
            break;
        }
        buffer[n++] = c;
    }
    if (feed && n > 0 && buffer[n - 1] == '\r')
        --n;
    buffer[n] = '\0';
    return 0;
}

uint32_t LineReader::ReadLine(std::string& line)
{
    char buffer[kLineBuffer];
    const uint32_t status = Read(buffer);
    if (status == 0)
        line.assign(buffer, std::strlen(buffer));
    return status;
}

uint32_t LineReader::ReadContentLine(std::string& line)
{
    for (;;) {
        if (const uint32_t status = ReadLine(line))
            return status;
        if (!IsBlankLine(line) && !IsCommentLine(line))
            return 0;
    }
}

uint32_t LineReader::ReadNonBlankLine(std::string& line)
{
    for (;;) {
        if (const uint32_t status = ReadLine(line))
            return status;
        if (!IsBlankLine(line))
            return 0;
    }
}

bool LineReader::ReadWord(std::string& word)
{
    while (pos_ < content_.size() && std::isspace(static_cast<unsigned char>(content_[pos_])))
        ++pos_;
    word.clear();
    while (pos_ < content_.size() && word.size() < kLineBuffer - 1 &&
           !std::isspace(static_cast<unsigned char>(content_[pos_])) && content_[pos_] != '\0')
        word += content_[pos_++];
    return !word.empty();
}

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\b';
}

bool IsBlankLine(std::string_view line)
{
    for (char c : line)
        if (!IsSeparator(c))
            return false;
    return true;
}

bool IsCommentLine(std::string_view line)
{
    size_t i = 0;
    while (i < line.size() && IsSeparator(line[i]))
        ++i;
    return line.substr(i, 2) == "//";
}

std::vector<std::string> Tokens(std::string_view line)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsSeparator(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsSeparator(line[i]))
            ++i;
        if (i > start)
            out.emplace_back(line.substr(start, i - start));
    }
    return out;
}

bool MatchesKeyword(std::string_view token, std::string_view keyword)
{
    if (token.size() < keyword.size())
        return false;
    if (keyword == "start_fields" || keyword == "end_reg")
        return token.substr(0, keyword.size()) == keyword;
    for (size_t i = 0; i < keyword.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(token[i])) != std::tolower(static_cast<unsigned char>(keyword[i])))
            return false;
    return true;
}

bool LineBeginsWith(std::string_view line, std::string_view keyword)
{
    const std::vector<std::string> tokens = Tokens(line);
    return !tokens.empty() && MatchesKeyword(tokens[0], keyword);
}

uint32_t UnsignedNumber(const std::string& token)
{
    return static_cast<uint32_t>(std::strtoul(token.c_str(), nullptr, 0));
}

long SignedNumber(const std::string& token)
{
    return std::strtol(token.c_str(), nullptr, 0);
}

bool QuotedText(std::string_view line, std::string& text)
{
    const size_t open = line.find('"');
    if (open == std::string_view::npos)
        return false;
    const size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos)
        return false;
    text.assign(line.substr(open + 1, close - open - 1));
    return true;
}

}  // namespace halvek
