#include "buildtools/page_archive.h"

namespace fendrix {

void PageWriter::Word(uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PageWriter::Text(const std::string& text)
{
    const size_t n = text.size() < textLimit_ ? text.size() : textLimit_;
    Word(static_cast<uint32_t>(n));
    bytes_.insert(bytes_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
}

void PageWriter::List(const std::vector<std::string>& texts)
{
    const size_t n = texts.size() < listLimit_ ? texts.size() : listLimit_;
    Word(static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i)
        Text(texts[i]);
}

bool PageReader::Word(uint32_t& value)
{
    if (size_ - at_ < 4)
        return false;
    value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(bytes_[at_ + static_cast<size_t>(i)]) << (8 * i);
    at_ += 4;
    return true;
}

bool PageReader::Flag(int32_t& flag)
{
    uint32_t v = 0;
    if (!Word(v) || v > 1)
        return false;
    flag = static_cast<int32_t>(v);
    return true;
}

bool PageReader::Text(std::string& text)
{
    uint32_t n = 0;
    if (!Word(n) || n > size_ - at_)
        return false;
    text.assign(reinterpret_cast<const char*>(bytes_ + at_), n);
    at_ += n;
    return true;
}

bool PageReader::List(std::vector<std::string>& texts)
{
    uint32_t n = 0;
    if (!Word(n) || n > (size_ - at_) / 4)
        return false;
    std::vector<std::string> read(n);
    for (std::string& t : read)
        if (!Text(t))
            return false;
    texts = std::move(read);
    return true;
}

}  // namespace fendrix
