#include "portio/ppdev_backend.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace portio {

namespace {

class SystemDevice : public PpdevDevice {
public:
    ~SystemDevice() override { Close(); }
    bool Open(const std::string& path) override
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        error_ = fd_ < 0 ? std::strerror(errno) : "";
        return fd_ >= 0;
    }
    int Ioctl(unsigned long request, void* arg) override
    {
        const int r = ::ioctl(fd_, request, arg);
        if (r < 0)
            error_ = std::strerror(errno);
        return r < 0 ? -1 : 0;
    }
    long Write(const uint8_t* bytes, unsigned long count) override { return ::write(fd_, bytes, count); }
    long Read(uint8_t* bytes, unsigned long count) override { return ::read(fd_, bytes, count); }
    void Close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    std::string LastError() const override { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

}  // namespace

std::unique_ptr<PpdevDevice> SystemPpdevDevice()
{
    return std::make_unique<SystemDevice>();
}

std::optional<uint16_t> ParseBaseAddr(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    uint32_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        value = value * 10 + static_cast<uint32_t>(text[i] - '0');
        if (value > 0xFFFF)
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

std::optional<std::string> FindParportDevice(uint16_t base, const PpdevPaths& paths)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(paths.proc, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("parport", 0) != 0)
            continue;
        std::ifstream in(entry.path() / "base-addr");
        std::stringstream text;
        text << in.rdbuf();
        if (ParseBaseAddr(text.str()) == base)
            return paths.dev + "/" + name;
    }
    return std::nullopt;
}

PpdevBackend::PpdevBackend(std::unique_ptr<PpdevDevice> device, PpdevPaths paths)
    : device_(std::move(device)), paths_(std::move(paths))
{}

PpdevBackend::~PpdevBackend()
{
    if (state_ == State::Claimed) {
        device_->Ioctl(PPRELEASE, nullptr);
        device_->Close();
    }
}

void PpdevBackend::Fail(const std::string& what)
{
    state_ = State::Failed;
    std::fprintf(stderr, "portio: %s: reads give 0xFF, writes are dropped\n", what.c_str());
}

bool PpdevBackend::Claim(uint16_t base)
{
    base_ = base;
    char where[32];
    std::snprintf(where, sizeof where, "0x%X", base);
    const std::optional<std::string> path = FindParportDevice(base, paths_);
    if (!path) {
        Fail(std::string("no parallel port at ") + where + " in " + paths_.proc);
        return false;
    }
    if (!device_->Open(*path)) {
        Fail(*path + ": " + device_->LastError());
        return false;
    }
    if (device_->Ioctl(PPCLAIM, nullptr) != 0) {
        Fail(*path + ": cannot claim the port: " + device_->LastError());
        device_->Close();
        return false;
    }
    unsigned int modes = 0;
    eppCapable_ = device_->Ioctl(PPGETMODES, &modes) == 0 && (modes & PARPORT_MODE_EPP);
    state_ = State::Claimed;
    return true;
}

bool PpdevBackend::OpenAccess(uint16_t port)
{
    if (state_ == State::Unclaimed)
        Claim(port);
    return state_ == State::Claimed && Offset(port).has_value();
}

std::optional<uint16_t> PpdevBackend::Offset(uint16_t port) const
{
    const uint16_t offset = static_cast<uint16_t>(port - base_);
    if (offset > kEppDataOffset)
        return std::nullopt;
    return offset;
}

bool PpdevBackend::EnterEpp()
{
    if (!eppCapable_)
        return false;
    if (!eppMode_) {
        int mode = IEEE1284_MODE_EPP;
        eppMode_ = device_->Ioctl(PPSETMODE, &mode) == 0;
    }
    return eppMode_;
}

void PpdevBackend::Write(uint16_t port, uint8_t value)
{
    if (state_ != State::Claimed)
        return;
    const std::optional<uint16_t> offset = Offset(port);
    if (!offset)
        return;
    unsigned char byte = value;
    switch (*offset) {
    case kDataOffset: device_->Ioctl(PPWDATA, &byte); break;
    case kControlOffset: {
        // Bit 5 turns the data lines around; ppdev keeps it apart.
        const bool reverse = value & 0x20;
        if (reverse != reverse_) {
            int direction = reverse ? 1 : 0;
            device_->Ioctl(PPDATADIR, &direction);
            reverse_ = reverse;
        }
        byte = static_cast<unsigned char>(value & ~0x20);
        device_->Ioctl(PPWCONTROL, &byte);
        break;
    }
    case kEppDataOffset:
        if (EnterEpp())
            device_->Write(&value, 1);
        break;
    default: break;  // status and EPP address are not written
    }
}

uint8_t PpdevBackend::Read(uint16_t port)
{
    if (state_ != State::Claimed)
        return 0xFF;
    const std::optional<uint16_t> offset = Offset(port);
    if (!offset)
        return 0xFF;
    unsigned char byte = 0xFF;
    switch (*offset) {
    case kDataOffset: device_->Ioctl(PPRDATA, &byte); break;
    case kStatusOffset: device_->Ioctl(PPRSTATUS, &byte); break;
    case kControlOffset:
        device_->Ioctl(PPRCONTROL, &byte);
        byte = static_cast<unsigned char>((byte & ~0x20) | (reverse_ ? 0x20 : 0));
        break;
    case kEppDataOffset:
        if (!EnterEpp() || device_->Read(&byte, 1) != 1)
            byte = 0xFF;
        break;
    default: break;
    }
    return byte;
}

bool NoPort::OpenAccess(uint16_t)
{
    if (!said_) {
        std::fprintf(stderr, "portio: %s: reads give 0xFF, writes are dropped\n", why_.c_str());
        said_ = true;
    }
    return false;
}

}  // namespace portio
