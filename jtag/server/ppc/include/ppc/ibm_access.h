// The debug-port operations of IBM PowerPC 403 cores, carried out either by
// the driver device "Qeld_IBM" (one control request per operation) or by the
// JTAG driver Rimbolt with 4-bit instruction-register and 33-bit
// data-register scans. The server's mode byte picks the way: 0 the device,
// 2 Rimbolt. Every Rimbolt scan ends in Run-Test/Idle.
#pragma once

#include <cstdint>
#include <string>

namespace ppc {

// The JTAG driver entry points the layer uses (libRimbolt.so's exports).
struct JtagCalls {
    void (*scanOut)(uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t endState) = nullptr;
    void (*scanIo)(uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t* capture, uint8_t endState) = nullptr;
    void (*writePin)(uint8_t assert, uint8_t pin) = nullptr;
    void (*initController)(uint16_t port, int32_t speed) = nullptr;
    void (*speed)(int32_t speed) = nullptr;
};
// The Rimbolt this library is linked with.
JtagCalls RimboltCalls();

inline constexpr uint8_t kModeDevice = 0;
inline constexpr uint8_t kModeRimbolt = 2;

// The device's control request for an operation slot.
constexpr uint32_t DeviceRequestCode(unsigned slot)
{
    return 0x9C402400u + 4u * slot;
}
inline constexpr const char* kDevicePath = "/dev/Qeld_IBM";

class IbmAccess {
public:
    // Opens the driver device at `devicePath` once; Linux has no such driver,
    // so the open normally fails and the device operations do nothing.
    explicit IbmAccess(const JtagCalls& calls, const std::string& devicePath = kDevicePath);
    ~IbmAccess();
    IbmAccess(const IbmAccess&) = delete;
    IbmAccess& operator=(const IbmAccess&) = delete;

    void SetMode(uint8_t mode) { mode_ = mode; }
    uint8_t Mode() const { return mode_; }
    bool DeviceOpen() const { return device_ >= 0; }

    uint8_t SelectPort(uint8_t value);
    void AssertLine();
    void NegateLine();
    void WriteDataWord(uint32_t word);
    uint32_t ReadDataWord();
    uint32_t ExchangeDataWord(uint32_t word);
    // True when the status the scan captured has bit 1 clear.
    bool ReadStatus(uint8_t value);
    void WriteCommandByte(uint8_t value, bool lineAsserted);
    void Instruction5(bool lineAsserted);
    void Instruction11();
    void Instruction7();
    void DeviceRequest16();
    void Speed(uint32_t value);
    uint8_t DeviceByteExchange(uint8_t value);

    // Connection set-up of a 403 entry: select port, request 16, speed.
    void SetUp(uint16_t port, uint16_t parameter);

    // Scans done in Rimbolt mode since construction (for measurements).
    uint64_t Scans() const { return scans_; }

private:
    bool Rimbolt() const { return mode_ == kModeRimbolt; }
    // One device request; false when there is no device. `out` may be null.
    bool Request(unsigned slot, const void* in, unsigned inSize, void* out, unsigned outSize);
    void ScanIr(uint8_t instruction);
    void ScanDr(uint32_t word, bool bit32, uint32_t* captured);

    JtagCalls calls_;
    uint8_t mode_ = kModeDevice;
    int device_ = -1;
    uint64_t scans_ = 0;
};

}  // namespace ppc
