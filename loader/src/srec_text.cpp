#include "srec_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <platform/paths.h>

namespace quentor {
namespace {

class FileSource : public ByteSource {
public:
    FileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    ~FileSource() override { ::close(fd_); }

    bool Read(uint8_t* buffer, size_t count, size_t* got) override
    {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, count);
            if (n >= 0) {
                *got = static_cast<size_t>(n);
                return true;
            }
            if (errno != EINTR)
                return false;
        }
    }
    uint64_t Size() const override { return size_; }
    bool Seek(uint64_t position) override
    {
        return position <= size_ && ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) >= 0;
    }

private:
    int fd_;
    uint64_t size_;
};

class BytesSource : public ByteSource {
public:
    explicit BytesSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool Read(uint8_t* buffer, size_t count, size_t* got) override
    {
        *got = std::min(count, bytes_.size() - at_);
        std::copy_n(bytes_.begin() + static_cast<ptrdiff_t>(at_), *got, buffer);
        at_ += *got;
        return true;
    }
    uint64_t Size() const override { return bytes_.size(); }
    bool Seek(uint64_t position) override
    {
        if (position > bytes_.size())
            return false;
        at_ = static_cast<size_t>(position);
        return true;
    }

private:
    std::vector<uint8_t> bytes_;
    size_t at_ = 0;
};

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimEnd(std::string_view text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Address bytes of each record type; S4 is reserved and has none.
constexpr unsigned ADDRESS_BYTES[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path)
{
    const int fd = ::open(platform::ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileSource>(fd, static_cast<uint64_t>(st.st_size));
}

std::unique_ptr<ByteSource> MemorySource(std::vector<uint8_t> bytes)
{
    return std::make_unique<BytesSource>(std::move(bytes));
}

bool LineReader::Fill()
{
    if (failed_)
        return false;
    size_t got = 0;
    if (!source_.Read(buffer_.data(), buffer_.size(), &got)) {
        failed_ = true;
        return false;
    }
    at_ = 0;
    filled_ = got;
    return got > 0;
}

bool LineReader::Next(std::string& line)
{
    line.clear();
    for (;;) {
        if (at_ == filled_ && !Fill())
            return !line.empty();
        const char c = static_cast<char>(buffer_[at_]);
        if (c == '\r' || c == '\n') {
            ++at_;
            ++position_;
            if (!line.empty())
                return true;
            continue;
        }
        if (line.size() == MAX_LINE)
            return true;
        line.push_back(c);
        ++at_;
        ++position_;
    }
}

LineKind KindOfLine(std::string_view line)
{
    switch (line.empty() ? '\0' : line[0]) {
    case 'S': return LineKind::Data;
    case '$': return LineKind::Module;
    case ' ': return LineKind::Symbol;
    default: return LineKind::Other;
    }
}

RecordFault DecodeRecord(std::string_view line, DataRecord& out)
{
    line = TrimEnd(line);
    if (line.size() < 2 || line[0] != 'S' || line[1] < '0' || line[1] > '9')
        return RecordFault::BadType;
    out.type = line[1];
    const std::string_view hex = line.substr(2);
    if (hex.size() % 2)
        return RecordFault::OddLength;
    std::vector<uint8_t> bytes(hex.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexValue(hex[2 * i]), low = HexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return RecordFault::BadDigit;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    const unsigned addressBytes = ADDRESS_BYTES[out.type - '0'];
    // The count covers address, data and checksum.
    if (bytes.empty() || bytes[0] != bytes.size() - 1 || bytes[0] < addressBytes + 1)
        return RecordFault::BadCount;
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        sum += bytes[i];
    if (static_cast<uint8_t>(~sum) != bytes.back())
        return RecordFault::BadChecksum;
    out.address = 0;
    for (unsigned i = 0; i < addressBytes; ++i)
        out.address = out.address << 8 | bytes[1 + i];
    out.data.assign(bytes.begin() + 1 + addressBytes, bytes.end() - 1);
    if (!out.data.empty() && uint64_t{out.address} + out.data.size() - 1 > 0xFFFFFFFFu)
        return RecordFault::PastTop;
    return RecordFault::None;
}

const char* FaultText(RecordFault fault)
{
    switch (fault) {
    case RecordFault::None: return "none";
    case RecordFault::BadType: return "no record type";
    case RecordFault::BadDigit: return "not a hexadecimal digit";
    case RecordFault::OddLength: return "half a byte";
    case RecordFault::BadCount: return "count does not match";
    case RecordFault::BadChecksum: return "checksum does not match";
    case RecordFault::PastTop: return "data past 0xFFFFFFFF";
    }
    return "?";
}

std::string ModuleName(std::string_view line)
{
    size_t first = 0;
    while (first < line.size() && !std::isalpha(static_cast<unsigned char>(line[first])))
        ++first;
    return std::string(TrimEnd(line.substr(first)));
}

bool ParseSymbolLine(std::string_view line, std::vector<SymbolEntry>& out)
{
    size_t at = 0;
    while (at < line.size() && !std::isalpha(static_cast<unsigned char>(line[at])) && line[at] != '_')
        ++at;
    auto nextWord = [&]() -> std::string_view {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        const size_t start = at;
        while (at < line.size() && !IsBlank(line[at]))
            ++at;
        return line.substr(start, at - start);
    };
    for (;;) {
        std::string_view name = nextWord();
        const std::string_view word = nextWord();
        if (name.empty() || word.empty())
            return true;
        if (name[0] == '_')
            name.remove_prefix(1);
        std::string_view digits = word[0] == '$' ? word.substr(1) : word;
        if (digits.empty() || digits.size() > 8)
            return false;
        uint32_t address = 0;
        for (char c : digits) {
            const int v = HexValue(c);
            if (v < 0)
                return false;
            address = address << 4 | static_cast<uint32_t>(v);
        }
        out.push_back({std::string(name), address});
    }
}

}  // namespace quentor
