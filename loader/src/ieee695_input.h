// The bytes of an IEEE-695 module as its readers take them: a 4096-byte
// buffer with a push-back of one byte, numbers, names and the two-byte
// record pairs. Every read stays below a limit (the end of the part or
// block being read, never past the file); the first failure sticks and
// says where it happened, so a reader checks once per record.
//
//   number  a byte below 0x80 is the value; 0x80 + n is followed by n
//           bytes, most significant first (higher bytes than a field holds drop out)
//   name    a length byte, then the characters; a length byte of 0xDE or
//           above is followed by the length as a number
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "srec_text.h"

namespace quentor {

class Ieee695Input {
public:
    static constexpr size_t BUFFER = 4096;
    static constexpr size_t NAME_KEPT = 127;  // characters of a name that stay

    explicit Ieee695Input(ByteSource& source) : source_(source), size_(source.Size()), limit_(source.Size()) {}

    uint64_t FileSize() const { return size_; }
    // The file position of the next unread byte.
    uint64_t Position() const { return position_; }
    // Reads end here (at most the file's end).
    void SetLimit(uint64_t limit) { limit_ = limit < size_ ? limit : size_; }
    uint64_t Limit() const { return limit_; }
    bool AtLimit() const { return position_ >= limit_; }

    bool Seek(uint64_t position);
    // The next byte, or -1 at the limit (or after a failure).
    int Peek() { return Buffered() ? buffer_[at_] : PeekFilling(); }
    // Takes the next byte; false at the limit.
    bool Byte(uint8_t& b)
    {
        if (!Buffered())
            return ByteFilling(b);
        b = buffer_[at_++];
        ++position_;
        return true;
    }
    // Takes the next byte when it equals b.
    bool Accept(uint8_t b);
    // Takes the next two bytes when they are first, second.
    bool AcceptPair(uint8_t first, uint8_t second);
    // A number; 32-bit fields keep the low 32 bits, 16-bit the low 16.
    bool Number(uint32_t& value);
    bool Number16(uint16_t& value);
    // True when the next byte starts a number (not a record).
    bool NumberFollows();
    bool Name(std::string& name);
    // count bytes into out (which must hold them).
    bool Bytes(uint8_t* out, size_t count);
    bool Skip(uint64_t count);

    // The first failure: read error, end of the part, or what a reader named.
    bool Failed() const { return !fault_.empty(); }
    bool ReadError() const { return readError_; }
    const std::string& Fault() const { return fault_; }
    uint64_t FaultPosition() const { return faultAt_; }
    bool Fail(const std::string& what);
    void ClearFault()
    {
        fault_.clear();
        readError_ = false;
    }

private:
    // The next byte is in the buffer and may be read.
    bool Buffered() const { return at_ < filled_ && position_ < limit_ && fault_.empty(); }
    int PeekFilling();
    bool ByteFilling(uint8_t& b);
    bool Fill();

    ByteSource& source_;
    uint64_t size_;
    uint64_t limit_;
    uint64_t position_ = 0;  // of buffer_[at_]
    std::array<uint8_t, BUFFER> buffer_{};
    size_t at_ = 0;
    size_t filled_ = 0;
    std::string fault_;
    uint64_t faultAt_ = 0;
    bool readError_ = false;
};

}  // namespace quentor
