// Find and replace in the text views: a literal text searched line by line
// from the caret, wrapping at the end (or the start) of the text.
#include <algorithm>
#include <array>
#include <cstring>

#include "text_columns.h"
#include "text_view_core.h"

namespace textcore {

namespace {

unsigned char Fold(unsigned char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? static_cast<unsigned char>(ch + 32) : ch;
}

bool EqualAt(const char* at, const std::string& text, bool matchCase)
{
    if (matchCase)
        return std::memcmp(at, text.data(), text.size()) == 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Fold(static_cast<unsigned char>(at[i])) != Fold(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

// Finds the text in a run of bytes: memmem when case matters, else a
// Horspool scan over ASCII-folded bytes.
class Finder {
public:
    Finder(const std::string& text, bool matchCase) : text_(text), matchCase_(matchCase)
    {
        skip_.fill(text.size());
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            const auto ch = static_cast<unsigned char>(text[i]);
            const std::size_t distance = text.size() - 1 - i;
            skip_[ch] = distance;
            if (!matchCase) {
                skip_[Fold(ch)] = distance;
                if (ch >= 'a' && ch <= 'z')
                    skip_[ch - 32] = distance;
            }
        }
    }
    // First match at or after `from` in [0, size); npos when none.
    std::size_t Find(const char* data, std::size_t size, std::size_t from) const
    {
        const std::size_t n = text_.size();
        if (n == 0 || size < n || from > size - n)
            return std::string::npos;
        if (matchCase_) {
            const void* hit = memmem(data + from, size - from, text_.data(), n);
            return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : std::string::npos;
        }
        for (std::size_t pos = from; pos + n <= size;) {
            if (EqualAt(data + pos, text_, false))
                return pos;
            pos += skip_[static_cast<unsigned char>(data[pos + n - 1])];
        }
        return std::string::npos;
    }

private:
    const std::string& text_;
    bool matchCase_;
    std::array<std::size_t, 256> skip_;
};

bool IsWholeWord(std::string_view line, std::size_t pos, std::size_t length)
{
    if (pos > 0 && IsWordChar(static_cast<unsigned char>(line[pos - 1])))
        return false;
    const std::size_t end = pos + length;
    return end >= line.size() || !IsWordChar(static_cast<unsigned char>(line[end]));
}

}  // namespace

bool TextViewCore::SelectionMatches(const std::string& text, bool matchCase) const
{
    if (!HasSelection() || selStart.line != selEnd.line || text.empty())
        return false;
    const int from = std::min(selStart.column, selEnd.column);
    const int to = std::max(selStart.column, selEnd.column);
    const std::string_view line = LineText(selStart.line);
    if (to > static_cast<int>(line.size()) || to - from != static_cast<int>(text.size()))
        return false;
    return EqualAt(line.data() + from, text, matchCase);
}

// Searches lines [firstLine, endLine) downwards, the first of them from
// `fromColumn`; the whole text of a block is scanned at once.
static bool FindDown(const TextBuffer& buffer, const std::string& text, bool matchCase, bool wholeWord, int firstLine,
                     int fromColumn, int endLine, TextPos& found)
{
    if (firstLine >= endLine)
        return false;
    const Finder finder(text, matchCase);
    std::size_t block = buffer.BlockIndexOf(static_cast<std::size_t>(firstLine));
    for (; block < buffer.BlockCount(); ++block) {
        const TextBuffer::BlockText bt = buffer.GetBlockText(block);
        if (bt.firstLine >= static_cast<std::size_t>(endLine))
            break;
        std::size_t first =
            static_cast<std::size_t>(std::max(firstLine, static_cast<int>(bt.firstLine))) - bt.firstLine;
        const std::size_t last = std::min(bt.count, static_cast<std::size_t>(endLine) - bt.firstLine);
        if (first >= last)
            continue;
        std::size_t scanFrom = bt.lines[first].start;
        if (bt.firstLine + first == static_cast<std::size_t>(firstLine))
            scanFrom += static_cast<std::size_t>(std::min<int>(fromColumn, static_cast<int>(bt.lines[first].length)));
        const std::size_t scanEnd = bt.lines[last - 1].start + bt.lines[last - 1].length;
        std::size_t line = first;
        while (true) {
            const std::size_t hit = finder.Find(bt.data, scanEnd, scanFrom);
            if (hit == std::string::npos)
                break;
            while (line + 1 < last && bt.lines[line + 1].start <= hit)
                ++line;
            const TextBuffer::LineSpan span = bt.lines[line];
            if (hit >= span.start && hit + text.size() <= span.start + span.length) {
                const std::string_view lineText(bt.data + span.start, span.length);
                const std::size_t column = hit - span.start;
                if (!wholeWord || IsWholeWord(lineText, column, text.size())) {
                    found = {static_cast<int>(bt.firstLine + line), static_cast<int>(column)};
                    return true;
                }
            }
            scanFrom = hit + 1;
        }
    }
    return false;
}

bool TextViewCore::SearchFrom(const std::string& text, bool down, bool matchCase, bool wholeWord, TextPos& found)
{
    const int lines = LineCount();
    if (text.empty() || lines == 0)
        return false;
    if (down) {
        TextPos start{caretLine, caretColumn};
        if (SelectionMatches(text, matchCase))
            start = std::max(selStart, selEnd);
        start.line = std::clamp(start.line, 0, lines - 1);
        if (FindDown(*buffer_, text, matchCase, wholeWord, start.line, start.column, lines, found))
            return true;
        return FindDown(*buffer_, text, matchCase, wholeWord, 0, 0, start.line, found);
    }
    int startLine = std::clamp(caretLine, 0, lines - 1);
    int startColumn = 0;
    if (caretColumn > 0) {
        startColumn = static_cast<int>(PrevCharPos(LineText(startLine), static_cast<std::size_t>(caretColumn)));
    } else {
        startLine = startLine > 0 ? startLine - 1 : lines - 1;
        startColumn = GetLineLength(startLine);
    }
    const int n = static_cast<int>(text.size());
    auto findInLine = [&](int line, int limit) {
        const std::string_view lineText = LineText(line);
        for (int pos = std::min(limit, static_cast<int>(lineText.size()) - n); pos >= 0; --pos) {
            if (EqualAt(lineText.data() + pos, text, matchCase) &&
                (!wholeWord || IsWholeWord(lineText, static_cast<std::size_t>(pos), text.size()))) {
                found = {line, pos};
                return true;
            }
        }
        return false;
    };
    if (findInLine(startLine, startColumn))
        return true;
    for (int line = startLine - 1;; --line) {
        if (line < 0)
            line = lines - 1;
        if (line == startLine)
            return false;
        if (findInLine(line, GetLineLength(line)))
            return true;
    }
}

void TextViewCore::SelectMatch(int line, int column, int length)
{
    ClearSelection(false);
    if (line < topLine || line >= topLine + linesPerPage)
        OnVScroll(SB_THUMBPOSITION, std::max(0, line - 1));
    const int cell = CellOfColumn(LineText(line), column);
    if (cell < firstColumn || cell >= firstColumn + columnsPerPage)
        OnHScroll(SB_THUMBPOSITION, std::max(0, cell - columnsPerPage / 2));
    caretLine = line;
    caretColumn = column;
    UpdateCaretPos();
    SetSelection(line, column, line, column + length, true);
}

bool TextViewCore::Search(const std::string& text, bool down, bool matchCase, bool wholeWord)
{
    // An empty text matches nowhere (Replace All would never end).
    if (text.empty())
        return false;
    if (caretLine == 0 && caretColumn == 0 && !down)
        return false;
    host_.BeginWaitCursor();
    TextPos found;
    const bool ok = SearchFrom(text, down, matchCase, wholeWord, found);
    host_.EndWaitCursor();
    if (!ok)
        return false;
    SelectMatch(found.line, found.column, static_cast<int>(text.size()));
    return true;
}

bool TextViewCore::FindNext(const std::string& text, bool down, bool matchCase, bool wholeWord)
{
    TextViewSearchState& state = SearchState();
    state.findText = text;
    state.searchDown = down;
    state.matchCase = matchCase;
    state.wholeWord = wholeWord;
    if (!text.empty())
        services_.AddFindText(text);
    if (Search(text, down, matchCase, wholeWord))
        return true;
    OnFindFailed(text);
    return false;
}

bool TextViewCore::ReplaceCurrent()
{
    const TextViewSearchState& state = SearchState();
    if (!HasSelection()) {
        if (!Search(state.findText, state.searchDown, state.matchCase, state.wholeWord)) {
            OnFindFailed(state.findText);
            return false;
        }
    }
    if (SelectionMatches(state.findText, state.matchCase))
        return true;
    if (Search(state.findText, state.searchDown, state.matchCase, state.wholeWord))
        return false;
    OnFindFailed(state.findText);
    return false;
}

bool TextViewCore::ReplaceNext(const std::string& text, bool down, bool matchCase, bool wholeWord,
                               const std::string& replacement)
{
    TextViewSearchState& state = SearchState();
    state.findText = text;
    state.replaceText = replacement;
    state.searchDown = down;
    state.matchCase = matchCase;
    state.wholeWord = wholeWord;
    if (!ReplaceCurrent())
        return false;
    if (!InsertText(replacement, 0))
        return false;
    return Search(state.findText, state.searchDown, state.matchCase, state.wholeWord);
}

bool TextViewCore::ReplaceAll(const std::string& text, const std::string& replacement, bool matchCase, bool wholeWord)
{
    TextViewSearchState& state = SearchState();
    state.findText = text;
    state.replaceText = replacement;
    state.matchCase = matchCase;
    state.wholeWord = wholeWord;
    state.searchDown = true;
    if (!ReplaceCurrent() && !SelectionMatches(text, matchCase))
        return false;
    caretLine = 0;
    UpdateCaretPos();
    while (true) {
        // A refused replacement (a line grown too long) ends the run.
        if (!InsertText(replacement, 0))
            return false;
        const int line = caretLine;
        if (!Search(text, true, matchCase, wholeWord))
            return false;
        if (caretLine < line)
            return true;
    }
}

bool TextViewCore::OnFindNextCommand()
{
    const std::string text = services_.GetFindText();
    if (text.empty())
        return false;
    const TextViewSearchState& state = SearchState();
    FindNext(text, state.searchDown, state.matchCase, state.wholeWord);
    return true;
}

}  // namespace textcore
