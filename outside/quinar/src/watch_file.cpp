#include "watch_file.h"

#include <cstring>

namespace quinar {

namespace {

constexpr char kSignature[8] = {'Q', 'N', 'R', 'W', 'A', 'T', 'C', 'H'};

void PutWord(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t Offset() const { return at_; }
    size_t Left() const { return bytes_.size() - at_; }
    bool Word(uint32_t* v)
    {
        if (Left() < 4)
            return false;
        *v = uint32_t{bytes_[at_]} | uint32_t{bytes_[at_ + 1]} << 8 | uint32_t{bytes_[at_ + 2]} << 16 |
            uint32_t{bytes_[at_ + 3]} << 24;
        at_ += 4;
        return true;
    }
    const uint8_t* Take(size_t n)
    {
        const uint8_t* p = bytes_.data() + at_;
        at_ += n;
        return p;
    }

private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

}  // namespace

std::vector<uint8_t> EncodeWatchFile(const WatchLists& lists)
{
    std::vector<uint8_t> out(kSignature, kSignature + sizeof kSignature);
    PutWord(out, kWatchFileVersion);
    for (const auto& list : lists)
        PutWord(out, static_cast<uint32_t>(list.size()));
    for (const auto& list : lists) {
        for (const std::string& text : list) {
            PutWord(out, static_cast<uint32_t>(text.size()));
            out.insert(out.end(), text.begin(), text.end());
        }
    }
    return out;
}

bool DecodeWatchFile(std::span<const uint8_t> bytes, WatchLists* lists, WatchFileFault* fault)
{
    auto fail = [&](size_t offset, std::string what) {
        *fault = {offset, std::move(what)};
        return false;
    };
    if (bytes.size() < sizeof kSignature || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0)
        return fail(0, "not a watch file");
    Reader in(bytes.subspan(sizeof kSignature));
    const size_t base = sizeof kSignature;
    uint32_t version = 0;
    if (!in.Word(&version))
        return fail(base, "the file ends inside its header");
    if (version != kWatchFileVersion)
        return fail(base, "version " + std::to_string(version) + " is not known");
    std::array<uint32_t, kWatchListCount> counts{};
    for (uint32_t& count : counts) {
        const size_t at = base + in.Offset();
        if (!in.Word(&count))
            return fail(at, "the file ends inside its header");
        if (count > kMaxWatchTexts)
            return fail(at, "a list of " + std::to_string(count) + " texts");
    }
    WatchLists read;
    for (uint32_t list = 0; list < kWatchListCount; ++list) {
        for (uint32_t n = 0; n < counts[list]; ++n) {
            const size_t at = base + in.Offset();
            uint32_t length = 0;
            if (!in.Word(&length))
                return fail(at, "the file ends before text " + std::to_string(n) + " of list " + std::to_string(list));
            if (length > kMaxWatchTextLength)
                return fail(at, "a text of " + std::to_string(length) + " bytes");
            if (length > in.Left())
                return fail(at, "the file ends inside a text");
            const char* text = reinterpret_cast<const char*>(in.Take(length));
            if (std::memchr(text, '\0', length))
                return fail(at + 4, "a text holds a NUL byte");
            read[list].emplace_back(text, length);
        }
    }
    if (in.Left() != 0)
        return fail(base + in.Offset(), "bytes follow the last text");
    *lists = std::move(read);
    return true;
}

}  // namespace quinar
