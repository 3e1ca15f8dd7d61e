#include "ieee695_input.h"

#include <algorithm>

namespace quentor {

bool Ieee695Input::Fail(const std::string& what)
{
    if (fault_.empty()) {
        fault_ = what;
        faultAt_ = position_;
    }
    return false;
}

bool Ieee695Input::Fill()
{
    if (at_ < filled_)
        return true;
    size_t got = 0;
    if (!source_.Read(buffer_.data(), buffer_.size(), &got)) {
        readError_ = true;
        return Fail("read error");
    }
    at_ = 0;
    filled_ = got;
    return got != 0;
}

bool Ieee695Input::Seek(uint64_t position)
{
    if (position > size_ || !source_.Seek(position)) {
        readError_ = true;
        return Fail("seek past the end of the file");
    }
    position_ = position;
    at_ = filled_ = 0;
    return true;
}

int Ieee695Input::PeekFilling()
{
    if (Failed() || position_ >= limit_ || !Fill())
        return -1;
    return buffer_[at_];
}

bool Ieee695Input::ByteFilling(uint8_t& b)
{
    const int next = Peek();
    if (next < 0)
        return Fail("ends early");
    b = static_cast<uint8_t>(next);
    ++at_;
    ++position_;
    return true;
}

bool Ieee695Input::Accept(uint8_t b)
{
    if (Peek() != b)
        return false;
    ++at_;
    ++position_;
    return true;
}

bool Ieee695Input::AcceptPair(uint8_t first, uint8_t second)
{
    if (Peek() != first)
        return false;
    // The pair may straddle the buffer: take the first byte, look at the
    // second, and give the first back when the second does not match.
    const uint64_t back = position_;
    ++at_;
    ++position_;
    if (Peek() == second) {
        ++at_;
        ++position_;
        return true;
    }
    if (Failed())
        return false;
    if (at_ > 0) {
        --at_;
        --position_;
        return false;
    }
    Seek(back);
    return false;
}

bool Ieee695Input::NumberFollows()
{
    const int next = Peek();
    return next >= 0 && next <= 0x88;
}

bool Ieee695Input::Number(uint32_t& value)
{
    uint8_t b = 0;
    if (!Byte(b))
        return false;
    if (b < 0x80) {
        value = b;
        return true;
    }
    if (b > 0x88)
        return Fail("no number");
    value = 0;
    for (unsigned i = 0; i < b - 0x80u; ++i) {
        uint8_t d = 0;
        if (!Byte(d))
            return false;
        value = (value << 8) | d;
    }
    return true;
}

bool Ieee695Input::Number16(uint16_t& value)
{
    uint32_t v = 0;
    if (!Number(v))
        return false;
    value = static_cast<uint16_t>(v);
    return true;
}

bool Ieee695Input::Name(std::string& name)
{
    uint8_t b = 0;
    if (!Byte(b))
        return false;
    uint32_t length = b;
    if (b >= 0xDE && !Number(length))
        return false;
    if (length > limit_ - position_)
        return Fail("name past the end");
    name.clear();
    const size_t kept = std::min<size_t>(length, NAME_KEPT);
    name.resize(kept);
    if (!Bytes(reinterpret_cast<uint8_t*>(name.data()), kept))
        return false;
    return Skip(length - kept);
}

bool Ieee695Input::Bytes(uint8_t* out, size_t count)
{
    if (count > limit_ - std::min(limit_, position_))
        return Fail("data past the end");
    while (count > 0) {
        if (!Fill())
            return Fail("ends early");
        const size_t n = std::min(count, filled_ - at_);
        std::copy_n(buffer_.data() + at_, n, out);
        out += n;
        at_ += n;
        position_ += n;
        count -= n;
    }
    return true;
}

bool Ieee695Input::Skip(uint64_t count)
{
    if (count > limit_ - std::min(limit_, position_))
        return Fail("data past the end");
    if (count <= filled_ - at_) {
        at_ += static_cast<size_t>(count);
        position_ += count;
        return true;
    }
    return Seek(position_ + count);
}

}  // namespace quentor
