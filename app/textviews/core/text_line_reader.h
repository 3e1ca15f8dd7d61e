// The bulk reader of a text: cuts bytes into lines by the archive line
// reader's rules (LF ends a line, a CR in front of it is dropped, a lone CR
// stays in the line; a last line without LF is a line too) and appends them to
// a buffer in batches, without copying the bytes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "text_buffer.h"

namespace textcore {

class TextLineReader {
public:
    explicit TextLineReader(std::shared_ptr<const std::string> bytes);

    // Appends up to `maxLines` lines; returns how many it appended.
    std::size_t ReadLines(TextBuffer& buffer, std::size_t maxLines);
    bool AtEnd() const { return pos_ >= bytes_->size(); }
    // Whether the bytes ended with a line break (true for no bytes at all), and
    // whether their first line break was CR LF. Final after AtEnd().
    bool EndedWithLineBreak() const { return bytes_->empty() || bytes_->back() == '\n'; }
    bool UsedCrLf() const { return crLf_; }
    std::size_t Position() const { return pos_; }

private:
    std::shared_ptr<const std::string> bytes_;
    std::size_t pos_ = 0;
    bool crLf_ = false;
    bool sawBreak_ = false;
};

// Reads all bytes into `buffer` (replacing its text and emptying its undo list).
void LoadText(TextBuffer& buffer, std::shared_ptr<const std::string> bytes, bool* endedWithBreak = nullptr,
              bool* usedCrLf = nullptr);

// `SplitTextIntoLines`: the same rules over a text, as strings.
std::vector<std::string> SplitTextIntoLines(std::string_view text);

}  // namespace textcore
