// libRimbolt.so: the JTAG driver for the EPP controller box. One driver state
// per process; every call runs on the caller's thread.
#include <string>

#include "box_link.h"
#include "jtag_driver.h"
#include "jtagscan/driver_support.h"
#include "jtagscan/port_codes.h"
#include "jtagscan/scan_engine.h"
#include "portio/port_service.h"

#define JTAG_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint32_t kKnownConfiguration = JTAG_CFG_REVERSE | JTAG_CFG_WORD_SWAP | JTAG_CFG_FILL | JTAG_CFG_ALT_WALKS;

struct Driver {
    rimbolt::BoxLink link;
    jtag::ScanEngine engine{link};
    jtag::DriverLog log{"jtag.log"};
    uint8_t outputs = 0x00;

    Driver() { engine.Options().markOutsideWindow = true; }

    void SetSpeed(int32_t speed) { link.speedIndex = jtag::SpeedIndex(speed); }
    void Trst(bool assert)
    {
        outputs = static_cast<uint8_t>(assert ? outputs | 0x80 : outputs & 0x7F);
        link.WriteOutputs(outputs);
    }
    void LogScan(const char* head, uint8_t reg, uint16_t bits, uint8_t endState)
    {
        log.Entry(std::string(head) + (reg ? "DR " : "IR ") + std::to_string(bits) + " bits and end in " +
                  jtag::StateName(endState));
    }
    void LogDataOut(uint16_t bits, const uint8_t* data)
    {
        if (bits <= 8 && data)
            log.Entry("Data out = 0x" + jtag::Hex(data[0], 8));
    }
};

Driver& D()
{
    static Driver driver;
    return driver;
}

}  // namespace

JTAG_EXPORT void reset_tap(uint8_t trst, uint8_t endState)
{
    Driver& d = D();
    d.log.Entry("RESET TAP ");
    d.log.Entry(std::string(trst ? "asserting TRST going to " : "no TRST ") + jtag::StateName(endState));
    d.Trst(trst != 0);
    d.engine.MoveTo(endState);
    d.Trst(false);
}

JTAG_EXPORT void state_move(uint8_t state)
{
    D().log.Entry(std::string("STATE MOVE to ") + jtag::StateName(state));
    D().engine.MoveTo(state);
}

JTAG_EXPORT void state_jump(uint8_t state)
{
    D().log.Entry(std::string("STATE JUMP to ") + jtag::StateName(state));
    D().engine.JumpTo(state);
}

JTAG_EXPORT void scan_out(uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t endState)
{
    Driver& d = D();
    d.LogScan("SCAN OUT to ", reg, bits, endState);
    d.LogDataOut(bits, data);
    d.engine.Scan(jtag::ScanKind::Out, reg, bits, data, nullptr, endState);
}

JTAG_EXPORT void scan_in(uint8_t reg, uint16_t bits, uint8_t* capture, uint8_t endState)
{
    Driver& d = D();
    d.LogScan("SCAN IN to ", reg, bits, endState);
    d.engine.Scan(jtag::ScanKind::In, reg, bits, nullptr, capture, endState);
}

JTAG_EXPORT void scan_io(uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t* capture, uint8_t endState)
{
    Driver& d = D();
    d.LogScan("SCAN IO to ", reg, bits, endState);
    d.LogDataOut(bits, data);
    d.engine.Scan(jtag::ScanKind::InOut, reg, bits, data, capture, endState);
}

JTAG_EXPORT void scan_only(uint16_t bits, const uint8_t* data, uint8_t* capture)
{
    D().log.Entry("SCAN ONLY " + std::to_string(bits));
    D().engine.ScanOnly(bits, data, capture);
}

JTAG_EXPORT void scan_in_partial(uint8_t reg, uint16_t bits, uint16_t startBit, uint16_t bitsIn, const uint8_t* data,
                                 uint8_t* capture, uint8_t complete, uint8_t endState)
{
    Driver& d = D();
    d.log.Entry(reg ? "SCAN PARTIAL to DR " : "SCAN PARTIAL to IR ");
    d.log.Append(std::to_string(bits) + " bits out and " + std::to_string(bitsIn) + " bits in starting at bit " +
                 std::to_string(startBit) + ", ending in " + jtag::StateName(endState));
    d.engine.ScanPartial(reg, bits, startBit, bitsIn, data, capture, complete != 0, endState);
}

JTAG_EXPORT void init_jtag_controller(uint16_t port, int32_t speed)
{
    Driver& d = D();
    d.log.Entry("INIT JTAG CONTROLLER port " + std::to_string(port) + " speed = " + std::to_string(speed));
    rimbolt::BoxLink& link = d.link;
    link.base = jtag::BaseOfPortCode(port);
    link.epp = false;
    if (!jtag::OpenPorts(link.base, 5)) {
        // No port service: nothing that answers can be told from garbage.
        link.pollLimit = 5;
        link.error = JTAG_ERR_NO_CONTROLLER;
        return;
    }
    if (!link.DetectBox()) {
        link.pollLimit = 5;
        link.error = JTAG_ERR_NO_CONTROLLER;
        if (jtag::CableLoopsBack(link.base))
            link.error = JTAG_ERR_PLAIN_CABLE;
        return;
    }
    link.pollLimit = 1800;
    link.EnableEpp();
    d.SetSpeed(speed);
    portio::Write(static_cast<uint16_t>(link.base + portio::kControlOffset), 5);
    link.Command(0x38);
    link.Command(0xB8);
}

JTAG_EXPORT int32_t release_to_os()
{
    D().log.Entry("RELEASE TO OS");
    return jtag::MessageWaiting();
}

JTAG_EXPORT void os_delay(uint16_t milliseconds)
{
    D().log.Entry("Delay " + std::to_string(milliseconds) + " mSecs.");
    jtag::Delay(milliseconds);
}

JTAG_EXPORT void write_outputs(uint8_t value)
{
    Driver& d = D();
    d.log.Entry("WRITE OUTPUTS 0x" + jtag::Hex(value, 8));
    d.outputs = value;
    d.link.WriteOutputs(value);
}

JTAG_EXPORT void write_pin(uint8_t assert, uint8_t pin)
{
    Driver& d = D();
    d.log.Entry(std::string(assert ? "WRITE PIN (assert) " : "WRITE PIN (negate) ") + std::to_string(pin));
    d.outputs = jtag::WithPin(d.outputs, pin, assert != 0);
    d.link.WriteOutputs(d.outputs);
}

JTAG_EXPORT uint8_t bdm_shift(uint8_t a, uint16_t, uint32_t, uint32_t)
{
    D().log.Entry("BDM SHIFT");
    return a;
}

JTAG_EXPORT void jtag_speed(int32_t speed)
{
    Driver& d = D();
    d.log.Entry("JTAG SPEED " + std::to_string(speed));
    d.SetSpeed(speed);
    d.link.Command(0xB8);
}

JTAG_EXPORT uint8_t read_inputs()
{
    D().log.Entry("READ INPUTS");
    return D().link.ReadInputs();
}

JTAG_EXPORT void jtag_discrete_io(uint8_t value)
{
    D().log.Entry("JTAG DISCRETE IO " + std::to_string(value));
}

JTAG_EXPORT void jtag_trst(uint8_t assert)
{
    D().log.Entry(assert ? "TRST ASSERT" : "TRST NEGATE");
    D().Trst(assert != 0);
}

JTAG_EXPORT void jtag_divisor(uint16_t divisor)
{
    Driver& d = D();
    d.log.Entry("JTAG DIVISOR " + std::to_string(divisor));
    d.SetSpeed(divisor);
    d.link.Command(0xB8);
}

JTAG_EXPORT void jtag_set_base_address(uint16_t base)
{
    D().log.Entry("JTAG SET BASE ADDRESS 0x" + jtag::Hex(base, 4));
    D().link.base = base;
}

JTAG_EXPORT uint16_t jtag_get_base_address()
{
    D().log.Entry("JTAG GET BASE ADDRESS ");
    return D().link.base;
}

JTAG_EXPORT void scan_chain_position()
{
    D().log.Entry("JTAG SCAN CHAIN POSITION ");
}

JTAG_EXPORT void jtag_logging_on()
{
    D().log.On();
}

JTAG_EXPORT void jtag_logging_off()
{
    D().log.Off();
}

JTAG_EXPORT void jtag_driver_configuration(uint32_t flags)
{
    Driver& d = D();
    d.log.Entry("JTAG DRIVER CONFIGURATION " + jtag::Hex(flags, 8));
    jtag::ScanOptions& o = d.engine.Options();
    o.reverse = flags & JTAG_CFG_REVERSE;
    o.wordSwap = flags & JTAG_CFG_WORD_SWAP;
    o.fill = (flags & JTAG_CFG_FILL) ? 0xFF : 0x00;
    d.link.altWalks = flags & JTAG_CFG_ALT_WALKS;
    if (flags & ~kKnownConfiguration)
        d.link.error = JTAG_ERR_BAD_CONFIG;
}

JTAG_EXPORT uint8_t jtag_io_error()
{
    const uint8_t error = D().link.error;
    D().link.error = JTAG_OK;
    return error;
}

JTAG_EXPORT uint16_t jtag_driver_version()
{
    return 1;
}

JTAG_EXPORT uint8_t get_state()
{
    return D().engine.State();
}
