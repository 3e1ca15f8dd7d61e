#include "text_columns.h"

#include <algorithm>

namespace textcore {

namespace {

bool IsContinuation(unsigned char ch)
{
    return (ch & 0xC0) == 0x80;
}

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return 0;
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t need = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        need = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
        need = 2;
    else if (lead >= 0xF0 && lead <= 0xF4)
        need = 3;
    if (need == 0 || pos + need >= text.size())
        return 1;
    for (std::size_t i = 1; i <= need; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(text[pos + i])))
            return 1;
    }
    // Overlong three- and four-byte forms and code points past U+10FFFF are
    // no sequences: their lead byte stands alone.
    const auto second = static_cast<unsigned char>(text[pos + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 1;
    return need + 1;
}

std::size_t NextCharPos(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return text.size();
    return pos + CharLength(text, pos);
}

std::size_t AlignToChar(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return text.size();
    // A lead byte always starts a character; a continuation byte belongs to
    // the sequence of the lead up to 3 bytes before it, or stands alone.
    for (std::size_t back = 0; back <= 3 && back <= pos; ++back) {
        const std::size_t start = pos - back;
        if (!IsContinuation(static_cast<unsigned char>(text[start])))
            return start + CharLength(text, start) > pos ? start : pos;
    }
    return pos;
}

std::size_t PrevCharPos(std::string_view text, std::size_t pos)
{
    if (pos == 0)
        return 0;
    if (pos > text.size())
        return text.size();
    return AlignToChar(text, pos - 1);
}

int ColumnToCharCount(std::string_view text, int column)
{
    if (column <= 0)
        return 0;
    int count = 0;
    std::size_t pos = 0;
    const auto end = static_cast<std::size_t>(column);
    while (pos < end && pos < text.size()) {
        pos += CharLength(text, pos);
        ++count;
    }
    if (end > text.size())
        count += static_cast<int>(end - text.size());
    return count;
}

int CharCountToColumn(std::string_view text, int count)
{
    std::size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        if (pos >= text.size())
            return static_cast<int>(text.size()) + (count - i);
        pos += CharLength(text, pos);
    }
    return static_cast<int>(pos);
}

int CharCount(std::string_view text)
{
    int count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos))
        ++count;
    return count;
}

int TextLength(std::string_view text)
{
    const auto end = text.find_first_of(std::string_view("\r\n\0", 3));
    return static_cast<int>(end == std::string_view::npos ? text.size() : end);
}

int ColumnAfterText(std::string_view text, int column)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const char ch = text[pos];
        if (ch == '\r' || ch == '\n' || ch == '\0')
            break;
        column = ch == '\t' ? (column / kTabWidth + 1) * kTabWidth : column + 1;
        pos += CharLength(text, pos);
    }
    return column;
}

int TabbedWidth(std::string_view text)
{
    int width = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos))
        width += text[pos] == '\t' ? kTabWidth : 1;
    return width;
}

int CellOfColumn(std::string_view text, int column)
{
    int cell = 0;
    const std::size_t end = std::min<std::size_t>(static_cast<std::size_t>(std::max(column, 0)), text.size());
    for (std::size_t pos = 0; pos < end; pos += CharLength(text, pos))
        cell = text[pos] == '\t' ? (cell / kTabWidth + 1) * kTabWidth : cell + 1;
    if (column > 0 && static_cast<std::size_t>(column) > text.size())
        cell += column - static_cast<int>(text.size());
    return cell;
}

char GetClosingPair(int ch)
{
    switch (ch) {
    case '"': return '"';
    case '\'': return '\'';
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    default: return 0;
    }
}

bool IsWordChar(unsigned char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '_';
}

}  // namespace textcore
