#include "byte_cursor.h"

#include <cstdio>

namespace tarnel {

bool ByteCursor::Take(uint64_t count, const uint8_t** at)
{
    if (!Ok())
        return false;
    if (count > Remaining()) {
        Fail("read past the end");
        return false;
    }
    *at = bytes_.data() + position_;
    position_ += count;
    return true;
}

void ByteCursor::Fail(const char* what)
{
    if (!Ok())
        return;
    error_ = CursorError{section_, Offset(), what};
    position_ = bytes_.size();
}

uint64_t ByteCursor::Fixed(unsigned width)
{
    if (width != 1 && width != 2 && width != 4 && width != 8) {
        Fail("unsupported field width");
        return 0;
    }
    const uint8_t* p = nullptr;
    if (!Take(width, &p))
        return 0;
    uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) {
        const unsigned shift = bigEndian_ ? 8 * (width - 1 - i) : 8 * i;
        value |= static_cast<uint64_t>(p[i]) << shift;
    }
    return value;
}

uint64_t ByteCursor::U64()
{
    return Fixed(8);
}

bool ByteCursor::Leb128(uint64_t& value, unsigned& bits, uint8_t& last)
{
    value = 0;
    for (bits = 0;; bits += 7) {
        const uint8_t* p = nullptr;
        if (!Take(1, &p))
            return false;
        // Bits beyond 64 are dropped; a number longer than 10 bytes is damage.
        if (bits < 64)
            value |= static_cast<uint64_t>(*p & 0x7F) << bits;
        if (!(*p & 0x80)) {
            last = *p;
            bits += 7;
            return true;
        }
        if (bits >= 63) {
            Fail("LEB128 number longer than 64 bits");
            return false;
        }
    }
}

uint64_t ByteCursor::ULeb128()
{
    uint64_t value;
    unsigned bits;
    uint8_t last;
    return Leb128(value, bits, last) ? value : 0;
}

int64_t ByteCursor::SLeb128()
{
    uint64_t value;
    unsigned bits;
    uint8_t last;
    if (!Leb128(value, bits, last))
        return 0;
    if (bits < 64 && (last & 0x40))
        value |= ~uint64_t{0} << bits;
    return static_cast<int64_t>(value);
}

std::string_view ByteCursor::CString()
{
    if (!Ok())
        return {};
    const uint8_t* begin = bytes_.data() + position_;
    for (uint64_t n = 0; n < Remaining(); ++n) {
        if (begin[n] == 0) {
            position_ += n + 1;
            return {reinterpret_cast<const char*>(begin), static_cast<size_t>(n)};
        }
    }
    Fail("string without its terminating NUL");
    return {};
}

std::span<const uint8_t> ByteCursor::Block(uint64_t count)
{
    const uint8_t* p = nullptr;
    if (!Take(count, &p))
        return {};
    return {p, static_cast<size_t>(count)};
}

void ByteCursor::Skip(uint64_t count)
{
    const uint8_t* p = nullptr;
    Take(count, &p);
}

void ByteCursor::SeekTo(uint64_t sectionOffset)
{
    if (!Ok())
        return;
    if (sectionOffset < origin_ || sectionOffset - origin_ > bytes_.size()) {
        Fail("seek outside the data");
        return;
    }
    position_ = sectionOffset - origin_;
}

ByteCursor ByteCursor::Split(uint64_t count)
{
    const uint64_t at = Offset();
    const uint8_t* p = nullptr;
    if (!Take(count, &p)) {
        ByteCursor failed({}, bigEndian_, section_, at);
        failed.error_ = error_;
        return failed;
    }
    return ByteCursor({p, static_cast<size_t>(count)}, bigEndian_, section_, at);
}

std::string PlaceText(std::string_view file, std::string_view section, uint64_t offset, std::string_view what)
{
    char at[32];
    std::snprintf(at, sizeof at, "+0x%llx", static_cast<unsigned long long>(offset));
    std::string text;
    if (!file.empty())
        text.append(file).append(": ");
    text.append(section.empty() ? std::string_view("image") : section);
    text.append(at).append(": ").append(what);
    return text;
}

std::string ByteCursor::ErrorText(std::string_view file) const
{
    if (Ok())
        return {};
    return PlaceText(file, error_.section, error_.offset, error_.what);
}

}  // namespace tarnel
