// A bounded reader over bytes of the image: fixed-width fields in the
// image's byte order, LEB128 numbers, NUL-terminated strings and blocks.
//
// The first failure sticks: the read that fails and every read after it
// give 0 (or an empty string or block), and the cursor keeps where it failed
// (section, offset in the section, what went wrong). Readers check Ok() once
// per record or batch instead of after every field.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarnel {

struct CursorError {
    std::string_view section;  // name of the section (or table) read
    uint64_t offset = 0;       // from the start of that section
    const char* what = nullptr;
};

// "<file>: <section>+0x1c: <what>" (file left out when empty, "image" for
// an unnamed section): the form of every message about damaged data.
std::string PlaceText(std::string_view file, std::string_view section, uint64_t offset, std::string_view what);

class ByteCursor {
public:
    ByteCursor() = default;
    // bytes: what may be read; origin: the offset of bytes[0] in its section
    // (a cursor over part of a section reports section offsets).
    ByteCursor(std::span<const uint8_t> bytes, bool bigEndian, std::string_view section = {}, uint64_t origin = 0)
        : bytes_(bytes), bigEndian_(bigEndian), section_(section), origin_(origin)
    {}

    // The fields of 1, 2 and 4 bytes read in place when they lie within the
    // bytes (the readers' hot path); else as Fixed reads them.
    uint8_t U8()
    {
        if (Ok() && Remaining() >= 1)
            return bytes_[position_++];
        return static_cast<uint8_t>(Fixed(1));
    }
    uint16_t U16()
    {
        if (Ok() && Remaining() >= 2) {
            const uint8_t* p = bytes_.data() + position_;
            position_ += 2;
            return static_cast<uint16_t>(bigEndian_ ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
        }
        return static_cast<uint16_t>(Fixed(2));
    }
    uint32_t U32()
    {
        if (Ok() && Remaining() >= 4) {
            const uint8_t* p = bytes_.data() + position_;
            position_ += 4;
            return bigEndian_ ? uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]
                              : uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
        }
        return static_cast<uint32_t>(Fixed(4));
    }
    uint64_t U64();
    // A field of 1, 2, 4 or 8 bytes.
    uint64_t Fixed(unsigned width);
    uint64_t ULeb128();
    int64_t SLeb128();
    // The bytes up to the next NUL (which is passed); an unterminated string
    // fails.
    std::string_view CString();
    std::span<const uint8_t> Block(uint64_t count);
    void Skip(uint64_t count);
    // To an offset of the section (origin included).
    void SeekTo(uint64_t sectionOffset);
    // The next `count` bytes as a cursor of their own; this one moves past them.
    ByteCursor Split(uint64_t count);

    uint64_t Offset() const { return origin_ + position_; }
    uint64_t Remaining() const { return bytes_.size() - position_; }
    bool AtEnd() const { return position_ >= bytes_.size(); }
    bool BigEndian() const { return bigEndian_; }
    std::string_view Section() const { return section_; }

    bool Ok() const { return error_.what == nullptr; }
    const CursorError& Error() const { return error_; }
    // Marks a failure found by the reader itself (a value out of range).
    void Fail(const char* what);
    // "<file>: <section>+0x1c: <what>" (file left out when empty).
    std::string ErrorText(std::string_view file = {}) const;

private:
    bool Take(uint64_t count, const uint8_t** at);
    // The payload bits of a LEB128 number, how many there are, and its last byte.
    bool Leb128(uint64_t& value, unsigned& bits, uint8_t& last);

    std::span<const uint8_t> bytes_;
    bool bigEndian_ = false;
    std::string_view section_;
    uint64_t origin_ = 0;
    uint64_t position_ = 0;
    CursorError error_;
};

}  // namespace tarnel
