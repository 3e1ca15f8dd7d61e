// libTessovar.so: the JTAG driver for a passive cable, clocked by software.
// The same interface as libRimbolt.so without scan_only and get_state; it
// logs nothing (its log file is only opened and closed).
#include "cable_link.h"
#include "jtag_driver.h"
#include "jtagscan/driver_support.h"
#include "jtagscan/port_codes.h"
#include "jtagscan/scan_engine.h"
#include "platform/clock.h"

#define JTAG_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint8_t kTrstNegated = 0x10;  // data bit 4; TRST is active low

struct Driver {
    tessovar::CableLink link;
    jtag::ScanEngine engine{link};
    jtag::DriverLog log{"eppfile.log"};
    uint8_t error = 0;
    uint16_t calibrated = 1;  // 1: not calibrated yet

    Driver() { engine.Options().fill = 0xFF; }

    void SetSpeed(int32_t speed)
    {
        if (speed == 8) {
            if (calibrated == 1)
                calibrated = Calibrate();
            link.delayCount = calibrated;
            return;
        }
        // 0 becomes 1; so does a negative speed, which would otherwise count
        // four billion iterations per clock edge.
        link.delayCount = speed <= 0 ? 1 : static_cast<uint32_t>(speed);
    }

    // Finds the delay count at which 1000 rounds of two data writes, each
    // followed by the delay loop, take just over 130 ms.
    uint16_t Calibrate()
    {
        uint32_t lower = 10;
        uint32_t upper = 150;
        uint32_t trial = (lower + upper) / 2;
        for (;;) {
            link.delayCount = trial;
            const uint64_t start = platform::NowMs();
            for (int i = 0; i < 1000; ++i) {
                link.WriteData(link.image);
                link.Spin();
                link.WriteData(link.image);
                link.Spin();
            }
            const uint64_t elapsed = platform::NowMs() - start;
            if (elapsed > 130 && elapsed < 133)
                break;
            if (elapsed >= 133) {
                if (trial == upper)
                    break;
                upper = trial;
                trial = (trial + lower) / 2;
            } else {
                if (trial == lower)
                    break;
                lower = trial;
                trial = (trial + upper) / 2;
            }
        }
        return static_cast<uint16_t>(trial);
    }

    void Trst(bool assert)
    {
        link.image = static_cast<uint8_t>(assert ? link.image & ~kTrstNegated : link.image | kTrstNegated);
        link.image |= 0x80;
        link.WriteImage();
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
    if (trst) {
        d.Trst(true);
        d.engine.MoveTo(endState);
        d.Trst(false);
    }
    d.engine.MoveTo(endState);
}

JTAG_EXPORT void state_move(uint8_t state)
{
    D().engine.MoveTo(state);
}

JTAG_EXPORT void state_jump(uint8_t state)
{
    D().engine.JumpTo(state);
}

JTAG_EXPORT void scan_out(uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t endState)
{
    D().engine.Scan(jtag::ScanKind::Out, reg, bits, data, nullptr, endState);
}

JTAG_EXPORT void scan_in(uint8_t reg, uint16_t bits, uint8_t* capture, uint8_t endState)
{
    D().engine.Scan(jtag::ScanKind::In, reg, bits, nullptr, capture, endState);
}

JTAG_EXPORT void scan_io(uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t* capture, uint8_t endState)
{
    D().engine.Scan(jtag::ScanKind::InOut, reg, bits, data, capture, endState);
}

JTAG_EXPORT void scan_in_partial(uint8_t reg, uint16_t bits, uint16_t startBit, uint16_t bitsIn, const uint8_t* data,
                                 uint8_t* capture, uint8_t complete, uint8_t endState)
{
    D().engine.ScanPartial(reg, bits, startBit, bitsIn, data, capture, complete != 0, endState);
}

JTAG_EXPORT void init_jtag_controller(uint16_t port, int32_t speed)
{
    Driver& d = D();
    d.link.base = jtag::BaseOfPortCode(port);
    if (!jtag::OpenPorts(d.link.base, 3) || !jtag::CableLoopsBack(d.link.base))
        d.error = JTAG_ERR_NO_CONTROLLER;
    d.SetSpeed(speed);
    d.engine.JumpTo(JTAG_TEST_LOGIC_RESET);
    d.link.image = 0x90;
}

JTAG_EXPORT int32_t release_to_os()
{
    return jtag::MessageWaiting();
}

JTAG_EXPORT void os_delay(uint16_t milliseconds)
{
    jtag::Delay(milliseconds);
}

JTAG_EXPORT void write_outputs(uint8_t value)
{
    // TCK high with the byte; bit 7 is always driven high.
    D().link.WriteData(static_cast<uint8_t>(((value + 4) & 0xFF) | 0x80));
}

JTAG_EXPORT void write_pin(uint8_t assert, uint8_t pin)
{
    tessovar::CableLink& link = D().link;
    link.image = jtag::WithPin(link.image, pin, assert != 0) | 0x80;
    link.WriteImage();
}

JTAG_EXPORT uint8_t bdm_shift(uint8_t a, uint16_t, uint32_t, uint32_t)
{
    return a;
}

JTAG_EXPORT void jtag_speed(int32_t speed)
{
    D().SetSpeed(speed);
}

JTAG_EXPORT uint8_t read_inputs()
{
    return D().link.Status();
}

JTAG_EXPORT void jtag_discrete_io(uint8_t) {}

JTAG_EXPORT void jtag_trst(uint8_t assert)
{
    D().Trst(assert != 0);
}

JTAG_EXPORT void jtag_divisor(uint16_t divisor)
{
    D().SetSpeed(divisor);
}

JTAG_EXPORT void jtag_set_base_address(uint16_t base)
{
    D().link.base = base;
}

JTAG_EXPORT uint16_t jtag_get_base_address()
{
    return D().link.base;
}

JTAG_EXPORT void scan_chain_position() {}

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
    // Only set bits act; clear bits leave an option as it is.
    jtag::ScanOptions& o = D().engine.Options();
    if (flags & JTAG_CFG_REVERSE)
        o.reverse = true;
    if (flags & JTAG_CFG_WORD_SWAP)
        o.wordSwap = true;
    if (flags & JTAG_CFG_FILL)
        o.fill = 0x00;
}

JTAG_EXPORT uint8_t jtag_io_error()
{
    const uint8_t error = D().error;
    D().error = JTAG_OK;
    return error;
}

JTAG_EXPORT uint16_t jtag_driver_version()
{
    return 1;
}
