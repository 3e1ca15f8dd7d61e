// The byte form of the option pages' saved states: little-endian 32-bit words
// and texts as a 32-bit length and the bytes. The reader never reads past the
// end it was given; the writer cuts texts and lists at its limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fendrix {

class PageWriter {
public:
    // Texts longer than `textLimit` bytes and lists longer than `listLimit`
    // entries are cut.
    PageWriter(size_t textLimit, size_t listLimit) : textLimit_(textLimit), listLimit_(listLimit) {}
    void Word(uint32_t value);
    void Text(const std::string& text);
    void List(const std::vector<std::string>& texts);
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    size_t textLimit_;
    size_t listLimit_;
    std::vector<uint8_t> bytes_;
};

class PageReader {
public:
    PageReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    bool Word(uint32_t& value);
    bool Flag(int32_t& flag);  // a word that must be 0 or 1
    bool Text(std::string& text);
    bool List(std::vector<std::string>& texts);
    size_t Offset() const { return at_; }
    void Seek(size_t at) { at_ = at < size_ ? at : size_; }

private:
    const uint8_t* bytes_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace fendrix
