// The port service on Linux's parallel-port device: /dev/parportN, chosen by
// the base address the first caller names (the kernel lists each port's base
// in /proc/sys/dev/parport/parportN/base-addr), claimed once. Data, status
// and control go through the ppdev register requests, EPP data through the
// EPP mode's reads and writes. The ECR and a Super I/O chip cannot be reached
// through ppdev: their reads give 0xFF, so the ECP probe finds none.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "portio/port_service.h"

namespace portio {

// The system calls made on one device file; tests record them.
class PpdevDevice {
public:
    virtual ~PpdevDevice() = default;
    virtual bool Open(const std::string& path) = 0;
    virtual int Ioctl(unsigned long request, void* arg) = 0;  // 0, or -1 on failure
    virtual long Write(const uint8_t* bytes, unsigned long count) = 0;
    virtual long Read(uint8_t* bytes, unsigned long count) = 0;
    virtual void Close() = 0;
    virtual std::string LastError() const = 0;
};
std::unique_ptr<PpdevDevice> SystemPpdevDevice();

// The first number of a base-addr file ("888\t1912\n" is 0x378).
std::optional<uint16_t> ParseBaseAddr(std::string_view text);

struct PpdevPaths {
    std::string proc = "/proc/sys/dev/parport";
    std::string dev = "/dev";
};
// "/dev/parportN" of the port at `base`, when the kernel lists one.
std::optional<std::string> FindParportDevice(uint16_t base, const PpdevPaths& paths = {});

class PpdevBackend : public PortBackend {
public:
    explicit PpdevBackend(std::unique_ptr<PpdevDevice> device, PpdevPaths paths = {});
    ~PpdevBackend() override;

    void Write(uint16_t port, uint8_t value) override;
    uint8_t Read(uint16_t port) override;
    // The first call names the base: the device is found and claimed then.
    bool OpenAccess(uint16_t port) override;

    bool Claimed() const { return state_ == State::Claimed; }

private:
    enum class State { Unclaimed, Claimed, Failed };
    bool Claim(uint16_t base);
    void Fail(const std::string& what);
    bool EnterEpp();
    std::optional<uint16_t> Offset(uint16_t port) const;

    std::unique_ptr<PpdevDevice> device_;
    PpdevPaths paths_;
    State state_ = State::Unclaimed;
    uint16_t base_ = 0;
    bool eppCapable_ = false;
    bool eppMode_ = false;
    bool reverse_ = false;  // data lines as inputs (control bit 5)
};

// No port at all: reads give 0xFF, writes are dropped.
class NoPort : public PortBackend {
public:
    explicit NoPort(std::string why) : why_(std::move(why)) {}
    void Write(uint16_t, uint8_t) override {}
    uint8_t Read(uint16_t) override { return 0xFF; }
    bool OpenAccess(uint16_t) override;

private:
    std::string why_;
    bool said_ = false;
};

}  // namespace portio
