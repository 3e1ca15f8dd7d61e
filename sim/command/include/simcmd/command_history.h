// The command history: a ring of the last 22 lines (each cut to 59
// characters), oldest first. The dispatcher records nothing into it; the
// "history" command lists, clears and re-runs what it holds.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace zk::sim {

class CommandHistory {
public:
    static constexpr size_t kLines = 22;
    static constexpr size_t kLineLength = 59;

    void Record(std::string_view line);
    void DropNewest()
    {
        if (!lines_.empty())
            lines_.pop_back();
    }
    void Clear() { lines_.clear(); }
    // Line n, counted from 1 (the oldest); null when there is none.
    const std::string* Line(size_t n) const { return n >= 1 && n <= lines_.size() ? &lines_[n - 1] : nullptr; }
    size_t Size() const { return lines_.size(); }

private:
    std::deque<std::string> lines_;
};

}  // namespace zk::sim
