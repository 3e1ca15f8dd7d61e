#include "text_buffer.h"

#include <algorithm>
#include <cstring>

namespace textcore {

namespace {

constexpr std::size_t kBlockLines = 512;
constexpr std::size_t kBlockBytes = 16384;

// The deciding line of a block for the block-comment scan.
enum ScanAnswer : std::int8_t { ScanUnknown = -1, ScanNone = 0, ScanInside = 1, ScanOutside = 2 };

ScanAnswer LineScanAnswer(std::string_view text)
{
    if (text.size() < 2)
        return ScanNone;
    if (text.find("*/") != std::string_view::npos)
        return ScanOutside;
    const auto open = text.find("/*");
    if (open == std::string_view::npos)
        return ScanNone;
    const auto slashes = text.find("//");
    return (slashes == std::string_view::npos || slashes > open) ? ScanInside : ScanNone;
}

}  // namespace

struct TextBuffer::Block {
    std::shared_ptr<const std::string> shared;  // bytes of a bulk load, or null
    std::string own;                            // compact copy of the lines once edited
    std::vector<LineSpan> lines;
    mutable ScanAnswer scan = ScanUnknown;

    const char* Data() const { return shared ? shared->data() : own.data(); }
    std::string_view LineText(std::size_t i) const { return {Data() + lines[i].start, lines[i].length}; }
    std::size_t Bytes() const { return shared ? 0 : own.size(); }

    void MakeOwned()
    {
        scan = ScanUnknown;
        if (!shared)
            return;
        std::string copy;
        std::size_t total = 0;
        for (const LineSpan& span : lines)
            total += span.length;
        copy.reserve(total);
        for (LineSpan& span : lines) {
            const std::uint32_t start = static_cast<std::uint32_t>(copy.size());
            copy.append(shared->data() + span.start, span.length);
            span.start = start;
        }
        own = std::move(copy);
        shared.reset();
    }
    // Owned blocks are compact: line i+1 starts where line i ends.
    std::size_t OffsetOf(std::size_t i) const { return i < lines.size() ? lines[i].start : own.size(); }
    void Shift(std::size_t from, std::int64_t delta)
    {
        for (std::size_t i = from; i < lines.size(); ++i)
            lines[i].start = static_cast<std::uint32_t>(lines[i].start + delta);
    }
    void Insert(std::size_t at, const std::string_view* texts, std::size_t count)
    {
        MakeOwned();
        std::size_t offset = OffsetOf(at);
        std::size_t total = 0;
        for (std::size_t i = 0; i < count; ++i)
            total += texts[i].size();
        std::string joined;
        joined.reserve(total);
        std::vector<LineSpan> spans(count);
        for (std::size_t i = 0; i < count; ++i) {
            spans[i] = {static_cast<std::uint32_t>(offset + joined.size()),
                        static_cast<std::uint32_t>(texts[i].size())};
            joined.append(texts[i]);
        }
        own.insert(offset, joined);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), spans.begin(), spans.end());
        Shift(at + count, static_cast<std::int64_t>(total));
    }
    void Erase(std::size_t at, std::size_t count)
    {
        MakeOwned();
        const std::size_t from = OffsetOf(at);
        const std::size_t to = OffsetOf(at + count);
        own.erase(from, to - from);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at),
                    lines.begin() + static_cast<std::ptrdiff_t>(at + count));
        Shift(at, -static_cast<std::int64_t>(to - from));
    }
    void Set(std::size_t i, std::string_view text)
    {
        MakeOwned();
        const std::size_t from = lines[i].start;
        own.replace(from, lines[i].length, text);
        const std::int64_t delta = static_cast<std::int64_t>(text.size()) - lines[i].length;
        lines[i].length = static_cast<std::uint32_t>(text.size());
        Shift(i + 1, delta);
    }
    ScanAnswer Scan() const
    {
        if (scan == ScanUnknown) {
            scan = ScanNone;
            for (std::size_t i = lines.size(); i-- > 0;) {
                const ScanAnswer answer = LineScanAnswer(LineText(i));
                if (answer != ScanNone) {
                    scan = answer;
                    break;
                }
            }
        }
        return scan;
    }
};

TextBuffer::TextBuffer() = default;
TextBuffer::~TextBuffer() = default;

// The block index: a Fenwick tree over the blocks' line counts. A block whose
// count changes updates it in O(log B); adding or removing blocks (a split
// after hundreds of inserted lines, a merge) rebuilds it in O(B) at the next
// look-up.
void TextBuffer::RebuildIndex() const
{
    const std::size_t n = blocks_.size();
    tree_.assign(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        tree_[i] += blocks_[i - 1]->lines.size();
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n)
            tree_[parent] += tree_[i];
    }
    indexDirty_ = false;
}

void TextBuffer::Restructured()
{
    indexDirty_ = true;
    ++revision_;
}

void TextBuffer::CountChanged(std::size_t block, std::ptrdiff_t delta)
{
    ++revision_;
    if (indexDirty_ || delta == 0)
        return;
    for (std::size_t i = block + 1; i < tree_.size(); i += i & (~i + 1))
        tree_[i] = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(tree_[i]) + delta);
}

std::size_t TextBuffer::FirstLineOf(std::size_t block) const
{
    if (indexDirty_)
        RebuildIndex();
    std::size_t sum = 0;
    for (std::size_t i = block; i > 0; i -= i & (~i + 1))
        sum += tree_[i];
    return sum;
}

TextBuffer::Location TextBuffer::Locate(std::size_t line) const
{
    if (indexDirty_)
        RebuildIndex();
    // Painting and searching walk lines in order: the previous block and its
    // successor answer most look-ups.
    if (cacheRevision_ == revision_ && lastBlock_ < blocks_.size()) {
        const std::size_t count = blocks_[lastBlock_]->lines.size();
        if (line >= lastFirst_ && line < lastFirst_ + count)
            return {lastBlock_, line - lastFirst_};
        const std::size_t next = lastBlock_ + 1;
        if (next < blocks_.size() && line >= lastFirst_ + count &&
            line < lastFirst_ + count + blocks_[next]->lines.size()) {
            lastFirst_ += count;
            lastBlock_ = next;
            return {next, line - lastFirst_};
        }
    }
    std::size_t step = 1;
    while (step * 2 <= blocks_.size())
        step *= 2;
    std::size_t pos = 0;
    std::size_t rest = line;
    for (; step > 0; step /= 2) {
        if (pos + step <= blocks_.size() && tree_[pos + step] <= rest) {
            pos += step;
            rest -= tree_[pos];
        }
    }
    lastBlock_ = pos;
    lastFirst_ = line - rest;
    cacheRevision_ = revision_;
    return {pos, rest};
}

std::string_view TextBuffer::Line(std::size_t index) const
{
    if (index >= lineCount_)
        return {};
    const Location at = Locate(index);
    return blocks_[at.block]->LineText(at.offset);
}

void TextBuffer::SetLine(std::size_t index, std::string_view text)
{
    if (index >= lineCount_)
        return;
    const Location at = Locate(index);
    blocks_[at.block]->Set(at.offset, text);
    CountChanged(at.block, 0);
    SplitIfLarge(at.block);
}

std::size_t TextBuffer::InsertBlock(std::size_t at)
{
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(at), std::make_unique<Block>());
    Restructured();
    return at;
}

void TextBuffer::SplitIfLarge(std::size_t b)
{
    Block& block = *blocks_[b];
    if (block.lines.size() <= kBlockLines && (block.Bytes() <= kBlockBytes || block.lines.size() < 2))
        return;
    // Halve the block (by lines); the halves split again when still large.
    const std::size_t keep = block.lines.size() / 2;
    std::vector<std::string_view> tail;
    for (std::size_t i = keep; i < block.lines.size(); ++i)
        tail.push_back(block.LineText(i));
    Block& next = *blocks_[InsertBlock(b + 1)];
    next.Insert(0, tail.data(), tail.size());
    blocks_[b]->Erase(keep, blocks_[b]->lines.size() - keep);
    Restructured();
    SplitIfLarge(b + 1);
    SplitIfLarge(b);
}

void TextBuffer::MergeIfSmall(std::size_t b)
{
    if (b >= blocks_.size())
        return;
    if (blocks_[b]->lines.empty()) {
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
        Restructured();
        return;
    }
    // A small block joins its successor when both fit in one.
    if (b + 1 < blocks_.size()) {
        Block& first = *blocks_[b];
        Block& second = *blocks_[b + 1];
        if (first.lines.size() + second.lines.size() <= kBlockLines / 2 &&
            first.Bytes() + second.Bytes() <= kBlockBytes / 2 && !first.shared && !second.shared) {
            std::vector<std::string_view> texts;
            for (std::size_t i = 0; i < second.lines.size(); ++i)
                texts.push_back(second.LineText(i));
            first.Insert(first.lines.size(), texts.data(), texts.size());
            blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b + 1));
            Restructured();
        }
    }
}

void TextBuffer::InsertLine(std::size_t at, std::string_view text)
{
    std::vector<std::string> one{std::string(text)};
    InsertLines(at, one);
}

void TextBuffer::InsertLines(std::size_t at, const std::vector<std::string>& lines)
{
    if (lines.empty())
        return;
    at = std::min(at, lineCount_);
    std::size_t b = 0;
    std::size_t offset = 0;
    if (blocks_.empty()) {
        InsertBlock(0);
    } else if (at == lineCount_) {
        b = blocks_.size() - 1;
        offset = blocks_[b]->lines.size();
    } else {
        const Location where = Locate(at);
        b = where.block;
        offset = where.offset;
    }
    std::vector<std::string_view> texts(lines.begin(), lines.end());
    if (texts.size() <= kBlockLines) {
        blocks_[b]->Insert(offset, texts.data(), texts.size());
        lineCount_ += texts.size();
        CountChanged(b, static_cast<std::ptrdiff_t>(texts.size()));
        SplitIfLarge(b);
        return;
    }
    // Many lines: split the block at the place and put new blocks between.
    std::vector<std::string_view> tail;
    for (std::size_t i = offset; i < blocks_[b]->lines.size(); ++i)
        tail.push_back(blocks_[b]->LineText(i));
    std::size_t next = b + 1;
    if (!tail.empty()) {
        Block& rest = *blocks_[InsertBlock(next)];
        rest.Insert(0, tail.data(), tail.size());
        blocks_[b]->Erase(offset, tail.size());
    }
    for (std::size_t i = 0; i < texts.size(); i += kBlockLines) {
        const std::size_t n = std::min(kBlockLines, texts.size() - i);
        const std::size_t before = blocks_.size();
        blocks_[InsertBlock(next)]->Insert(0, texts.data() + i, n);
        SplitIfLarge(next);
        next += blocks_.size() - before;
    }
    lineCount_ += texts.size();
    Restructured();
    MergeIfSmall(b);
}

void TextBuffer::RemoveLines(std::size_t at, std::size_t count)
{
    if (at >= lineCount_ || count == 0)
        return;
    count = std::min(count, lineCount_ - at);
    const Location where = Locate(at);
    std::size_t b = where.block;
    std::size_t offset = where.offset;
    std::size_t left = count;
    lineCount_ -= count;
    const std::size_t firstChanged = b;
    while (left > 0) {
        Block& block = *blocks_[b];
        const std::size_t n = std::min(left, block.lines.size() - offset);
        if (offset == 0 && n == block.lines.size()) {
            blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
            Restructured();
        } else {
            block.Erase(offset, n);
            CountChanged(b, -static_cast<std::ptrdiff_t>(n));
            ++b;
        }
        left -= n;
        offset = 0;
    }
    MergeIfSmall(firstChanged > 0 ? firstChanged - 1 : 0);
}

void TextBuffer::Clear()
{
    blocks_.clear();
    lineCount_ = 0;
    undo_.Clear();
    Restructured();
}

void TextBuffer::SetLines(const std::vector<std::string>& lines)
{
    Clear();
    InsertLines(0, lines);
}

void TextBuffer::AppendShared(const std::shared_ptr<const std::string>& bytes, const LineSpan* spans, std::size_t count)
{
    std::size_t i = 0;
    while (i < count) {
        // Fill the last block while it refers to the same bytes.
        Block* last = blocks_.empty() ? nullptr : blocks_.back().get();
        if (!last || last->shared != bytes || last->lines.size() >= kBlockLines) {
            blocks_.push_back(std::make_unique<Block>());
            last = blocks_.back().get();
            last->shared = bytes;
            Restructured();
        }
        const std::size_t n = std::min(count - i, kBlockLines - last->lines.size());
        last->lines.insert(last->lines.end(), spans + i, spans + i + n);
        last->scan = ScanUnknown;
        CountChanged(blocks_.size() - 1, static_cast<std::ptrdiff_t>(n));
        i += n;
    }
    lineCount_ += count;
}

std::string TextBuffer::Join(std::string_view lineBreak, bool finalBreak) const
{
    std::string out;
    for (const auto& block : blocks_) {
        for (std::size_t i = 0; i < block->lines.size(); ++i) {
            out.append(block->LineText(i));
            out.append(lineBreak);
        }
    }
    if (!finalBreak && lineCount_ > 0)
        out.resize(out.size() - lineBreak.size());
    return out;
}

TextBuffer::BlockText TextBuffer::GetBlockText(std::size_t block) const
{
    const Block& b = *blocks_[block];
    return {b.Data(), b.lines.data(), b.lines.size(), FirstLineOf(block)};
}

bool TextBuffer::IsInsideBlockCommentScan(std::size_t line) const
{
    if (line == 0 || line > lineCount_)
        return false;
    const Location at = Locate(line - 1);
    // The lines above `line` in its own block, one by one.
    const Block& block = *blocks_[at.block];
    for (std::size_t i = at.offset + 1; i-- > 0;) {
        const ScanAnswer answer = LineScanAnswer(block.LineText(i));
        if (answer != ScanNone)
            return answer == ScanInside;
    }
    // Whole blocks further up by their deciding line.
    for (std::size_t b = at.block; b-- > 0;) {
        const ScanAnswer answer = blocks_[b]->Scan();
        if (answer != ScanNone)
            return answer == ScanInside;
    }
    return false;
}

}  // namespace textcore
