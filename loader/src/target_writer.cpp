#include "target_writer.h"

namespace quentor {

int TargetWriter::Flush()
{
    if (buffer_.empty())
        return 0;
    const int r = write_(start_, buffer_.data(), static_cast<uint32_t>(buffer_.size()));
    buffer_.clear();
    return r;
}

int TargetWriter::Put(uint32_t address, std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return 0;
    const bool follows = uint64_t{start_} + buffer_.size() == address;
    if (!buffer_.empty() && (!follows || buffer_.size() + bytes.size() > CAPACITY)) {
        if (int r = Flush(); r != 0)
            return r;
    }
    if (bytes.size() > CAPACITY)
        return write_(address, bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (buffer_.empty())
        start_ = address;
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    return 0;
}

}  // namespace quentor
