#include "text_line_reader.h"

#include <cstring>
#include <vector>

namespace textcore {

TextLineReader::TextLineReader(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes))
{
    if (!bytes_)
        bytes_ = std::make_shared<const std::string>();
}

std::size_t TextLineReader::ReadLines(TextBuffer& buffer, std::size_t maxLines)
{
    const char* data = bytes_->data();
    const std::size_t size = bytes_->size();
    std::vector<TextBuffer::LineSpan> spans;
    spans.reserve(std::min<std::size_t>(maxLines, 4096));
    std::size_t read = 0;
    auto flush = [&] {
        buffer.AppendShared(bytes_, spans.data(), spans.size());
        spans.clear();
    };
    while (read < maxLines && pos_ < size) {
        const void* hit = std::memchr(data + pos_, '\n', size - pos_);
        const std::size_t end = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : size;
        std::size_t length = end - pos_;
        if (hit && length > 0 && data[end - 1] == '\r') {
            --length;
            if (!sawBreak_)
                crLf_ = true;
        }
        if (hit)
            sawBreak_ = true;
        spans.push_back({static_cast<std::uint32_t>(pos_), static_cast<std::uint32_t>(length)});
        pos_ = hit ? end + 1 : size;
        ++read;
        if (spans.size() == 4096)
            flush();
    }
    flush();
    return read;
}

void LoadText(TextBuffer& buffer, std::shared_ptr<const std::string> bytes, bool* endedWithBreak, bool* usedCrLf)
{
    buffer.Clear();
    TextLineReader reader(std::move(bytes));
    while (!reader.AtEnd())
        reader.ReadLines(buffer, static_cast<std::size_t>(-1));
    if (endedWithBreak)
        *endedWithBreak = reader.EndedWithLineBreak();
    if (usedCrLf)
        *usedCrLf = reader.UsedCrLf();
}

std::vector<std::string> SplitTextIntoLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find('\n', pos);
        std::size_t stop = end == std::string_view::npos ? text.size() : end;
        std::size_t length = stop - pos;
        if (end != std::string_view::npos && length > 0 && text[stop - 1] == '\r')
            --length;
        lines.emplace_back(text.substr(pos, length));
        pos = end == std::string_view::npos ? text.size() : end + 1;
    }
    return lines;
}

}  // namespace textcore
