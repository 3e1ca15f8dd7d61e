#include "ppc/ibm_access.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>

#include "jtag_driver.h"

namespace ppc {

JtagCalls RimboltCalls()
{
    JtagCalls calls;
    calls.scanOut = &::scan_out;
    calls.scanIo = &::scan_io;
    calls.writePin = &::write_pin;
    calls.initController = &::init_jtag_controller;
    calls.speed = &::jtag_speed;
    return calls;
}

namespace {

// Operation slots of the driver device.
enum Slot : unsigned {
    kSelectPort = 0,
    kAssertLine = 2,
    kNegateLine = 3,
    kWriteData = 4,
    kReadData = 5,
    kExchangeData = 6,
    kStatus = 8,
    kCommandNegated = 9,
    kCommandAsserted = 10,
    kInstruction5Negated = 11,
    kInstruction5Asserted = 12,
    kInstruction11 = 13,
    kInstruction7 = 14,
    kRequest16 = 16,
    kSpeed = 18,
    kByteExchange = 20,
};

constexpr uint16_t kDataRegisterBits = 33;
constexpr uint16_t kInstructionBits = 4;
constexpr uint8_t kResetLinePin = 0;

}  // namespace

IbmAccess::IbmAccess(const JtagCalls& calls, const std::string& devicePath) : calls_(calls)
{
    device_ = ::open(devicePath.c_str(), O_WRONLY | O_CLOEXEC);
}

IbmAccess::~IbmAccess()
{
    if (device_ >= 0)
        ::close(device_);
}

bool IbmAccess::Request(unsigned slot, const void* in, unsigned inSize, void* out, unsigned outSize)
{
    if (device_ < 0)
        return false;
    // One buffer carries the request's input and receives its output.
    uint8_t buffer[8] = {};
    std::memcpy(buffer, in, inSize > sizeof buffer ? sizeof buffer : inSize);
    ::ioctl(device_, DeviceRequestCode(slot), buffer);  // results are ignored, as the device reports none
    if (out)
        std::memcpy(out, buffer, outSize > sizeof buffer ? sizeof buffer : outSize);
    return true;
}

void IbmAccess::ScanIr(uint8_t instruction)
{
    const uint8_t data[1] = {instruction};
    calls_.scanOut(JTAG_SELECT_IR, kInstructionBits, data, JTAG_RUN_TEST_IDLE);
    ++scans_;
}

// The five-byte buffer: the word least significant byte first, bit 32 in byte 4.
void IbmAccess::ScanDr(uint32_t word, bool bit32, uint32_t* captured)
{
    uint8_t data[5] = {uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16), uint8_t(word >> 24),
        uint8_t(bit32 ? 1 : 0)};
    ++scans_;
    if (!captured) {
        calls_.scanOut(JTAG_SELECT_DR, kDataRegisterBits, data, JTAG_RUN_TEST_IDLE);
        return;
    }
    uint8_t capture[5] = {};
    calls_.scanIo(JTAG_SELECT_DR, kDataRegisterBits, data, capture, JTAG_RUN_TEST_IDLE);
    *captured = uint32_t(capture[0]) | uint32_t(capture[1]) << 8 | uint32_t(capture[2]) << 16 |
        uint32_t(capture[3]) << 24;
}

uint8_t IbmAccess::SelectPort(uint8_t value)
{
    if (Rimbolt()) {
        calls_.initController(value, 1);
        return 0;
    }
    uint8_t result = 0;
    Request(kSelectPort, &value, 1, &result, 1);
    return result;
}

void IbmAccess::AssertLine()
{
    if (Rimbolt())
        calls_.writePin(1, kResetLinePin);
    else
        Request(kAssertLine, nullptr, 0, nullptr, 0);
}

void IbmAccess::NegateLine()
{
    if (Rimbolt())
        calls_.writePin(0, kResetLinePin);
    else
        Request(kNegateLine, nullptr, 0, nullptr, 0);
}

void IbmAccess::WriteDataWord(uint32_t word)
{
    if (Rimbolt()) {
        NegateLine();
        ScanDr(word, true, nullptr);
        return;
    }
    Request(kWriteData, &word, 4, nullptr, 0);
}

uint32_t IbmAccess::ReadDataWord()
{
    uint32_t word = 0;
    if (Rimbolt()) {
        NegateLine();
        ScanDr(0, false, &word);
        return word;
    }
    Request(kReadData, nullptr, 0, &word, 4);
    return word;
}

uint32_t IbmAccess::ExchangeDataWord(uint32_t word)
{
    uint32_t result = 0;
    if (Rimbolt()) {
        ScanDr(word, true, &result);
        return result;
    }
    Request(kExchangeData, &word, 4, &result, 4);
    return result;
}

bool IbmAccess::ReadStatus(uint8_t value)
{
    if (Rimbolt()) {
        // The instruction register's capture is where 1149.1 devices report
        // their status: bit 1 set means busy.
        const uint8_t data[1] = {value};
        uint8_t capture[1] = {};
        calls_.scanIo(JTAG_SELECT_IR, kInstructionBits, data, capture, JTAG_RUN_TEST_IDLE);
        ++scans_;
        return (capture[0] & 0x02) == 0;
    }
    const uint32_t in = value;
    uint32_t out = 0;
    if (!Request(kStatus, &in, 4, &out, 4))
        return false;
    return (out & 0x02) == 0;
}

void IbmAccess::WriteCommandByte(uint8_t value, bool lineAsserted)
{
    if (Rimbolt()) {
        if (lineAsserted)
            AssertLine();
        else
            NegateLine();
        ScanDr(uint32_t(value) << 24, true, nullptr);
        return;
    }
    Request(lineAsserted ? kCommandAsserted : kCommandNegated, &value, 1, nullptr, 0);
}

void IbmAccess::Instruction5(bool lineAsserted)
{
    if (Rimbolt()) {
        if (lineAsserted)
            AssertLine();
        else
            NegateLine();
        ScanIr(5);
        return;
    }
    Request(lineAsserted ? kInstruction5Asserted : kInstruction5Negated, nullptr, 0, nullptr, 0);
}

void IbmAccess::Instruction11()
{
    if (Rimbolt()) {
        NegateLine();
        ScanIr(11);
        return;
    }
    Request(kInstruction11, nullptr, 0, nullptr, 0);
}

void IbmAccess::Instruction7()
{
    if (Rimbolt()) {
        NegateLine();
        ScanIr(7);
        return;
    }
    Request(kInstruction7, nullptr, 0, nullptr, 0);
}

void IbmAccess::DeviceRequest16()
{
    if (!Rimbolt())
        Request(kRequest16, nullptr, 0, nullptr, 0);
}

void IbmAccess::Speed(uint32_t value)
{
    if (Rimbolt()) {
        calls_.speed(int32_t(value));
        return;
    }
    Request(kSpeed, &value, 4, nullptr, 0);
}

uint8_t IbmAccess::DeviceByteExchange(uint8_t value)
{
    uint8_t result = 0;
    if (!Rimbolt())
        Request(kByteExchange, &value, 1, &result, 1);
    return result;
}

void IbmAccess::SetUp(uint16_t port, uint16_t parameter)
{
    SelectPort(uint8_t(port));
    DeviceRequest16();
    Speed(parameter);
}

}  // namespace ppc
