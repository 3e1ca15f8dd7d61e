// Little-endian byte records of the saved bar states and registry lists: a
// writer, and a reader whose first error sticks and keeps its offset.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace lathris {

class ByteWriter {
public:
    void U8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void U16(uint16_t v)
    {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v)
    {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void Tag(const char* tag) { out_.append(tag, 4); }
    void Text(const std::string& s)
    {
        U32(static_cast<uint32_t>(s.size()));
        out_ += s;
    }
    void Bytes(const std::string& s) { out_ += s; }
    size_t Size() const { return out_.size(); }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

class ByteReader {
public:
    explicit ByteReader(const std::string& data) : data_(data) {}
    bool Ok() const { return error_.empty(); }
    bool AtEnd() const { return pos_ == data_.size(); }
    size_t Offset() const { return pos_; }
    // The first failure: what went wrong and the offset where it did.
    const std::string& Error() const { return error_; }
    size_t ErrorOffset() const { return errorOffset_; }
    void Fail(const std::string& what)
    {
        if (error_.empty()) {
            error_ = what;
            errorOffset_ = pos_;
        }
    }
    void FailAt(size_t offset, const std::string& what)
    {
        if (error_.empty()) {
            error_ = what;
            errorOffset_ = offset;
        }
    }
    uint8_t U8()
    {
        if (!Need(1))
            return 0;
        return static_cast<uint8_t>(data_[pos_++]);
    }
    uint16_t U16()
    {
        uint16_t lo = U8();
        return static_cast<uint16_t>(lo | (U8() << 8));
    }
    uint32_t U32()
    {
        uint32_t lo = U16();
        return lo | (static_cast<uint32_t>(U16()) << 16);
    }
    void ExpectTag(const char* tag)
    {
        if (!Need(4))
            return;
        if (std::memcmp(data_.data() + pos_, tag, 4) != 0) {
            Fail(std::string("not a \"") + std::string(tag, 4) + "\" record");
            return;
        }
        pos_ += 4;
    }
    // A count of items of at least `minItemBytes` each that the rest can hold.
    uint32_t Count(size_t minItemBytes)
    {
        size_t at = pos_;
        uint32_t n = U32();
        if (Ok() && minItemBytes && n > (data_.size() - pos_) / minItemBytes) {
            pos_ = at;
            Fail("count " + std::to_string(n) + " beyond the record's end");
            return 0;
        }
        return n;
    }
    std::string Text()
    {
        size_t at = pos_;
        uint32_t n = U32();
        if (!Ok())
            return {};
        if (n > data_.size() - pos_) {
            pos_ = at;
            Fail("text length " + std::to_string(n) + " beyond the record's end");
            return {};
        }
        std::string s = data_.substr(pos_, n);
        pos_ += n;
        return s;
    }
    std::string Rest()
    {
        std::string s = data_.substr(pos_);
        pos_ = data_.size();
        return s;
    }

private:
    bool Need(size_t n)
    {
        if (!Ok())
            return false;
        if (data_.size() - pos_ < n) {
            Fail("record ends early");
            return false;
        }
        return true;
    }
    const std::string& data_;
    size_t pos_ = 0;
    std::string error_;
    size_t errorOffset_ = 0;
};

}  // namespace lathris
