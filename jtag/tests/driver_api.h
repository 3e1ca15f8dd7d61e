// A fresh instance of a JTAG driver library for each test: the library file is
// copied under a new name and loaded, so its process-wide state starts as at
// load. Both drivers share the one simulated port of libportio.so.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "portio/sim_port.h"

struct JtagDriver {
    explicit JtagDriver(const std::string& name);  // "Rimbolt" or "Tessovar"
    ~JtagDriver();
    JtagDriver(const JtagDriver&) = delete;
    JtagDriver& operator=(const JtagDriver&) = delete;

    void* Symbol(const char* name) const;

    void (*reset_tap)(uint8_t, uint8_t) = nullptr;
    void (*state_move)(uint8_t) = nullptr;
    void (*state_jump)(uint8_t) = nullptr;
    void (*scan_out)(uint8_t, uint16_t, const uint8_t*, uint8_t) = nullptr;
    void (*scan_in)(uint8_t, uint16_t, uint8_t*, uint8_t) = nullptr;
    void (*scan_io)(uint8_t, uint16_t, const uint8_t*, uint8_t*, uint8_t) = nullptr;
    void (*scan_only)(uint16_t, const uint8_t*, uint8_t*) = nullptr;
    void (*scan_in_partial)(uint8_t, uint16_t, uint16_t, uint16_t, const uint8_t*, uint8_t*, uint8_t,
                            uint8_t) = nullptr;
    void (*init_jtag_controller)(uint16_t, int32_t) = nullptr;
    int32_t (*release_to_os)() = nullptr;
    void (*os_delay)(uint16_t) = nullptr;
    void (*write_outputs)(uint8_t) = nullptr;
    void (*write_pin)(uint8_t, uint8_t) = nullptr;
    void (*jtag_speed)(int32_t) = nullptr;
    uint8_t (*read_inputs)() = nullptr;
    void (*jtag_trst)(uint8_t) = nullptr;
    void (*jtag_divisor)(uint16_t) = nullptr;
    void (*jtag_set_base_address)(uint16_t) = nullptr;
    uint16_t (*jtag_get_base_address)() = nullptr;
    void (*jtag_logging_on)() = nullptr;
    void (*jtag_logging_off)() = nullptr;
    void (*jtag_driver_configuration)(uint32_t) = nullptr;
    uint8_t (*jtag_io_error)() = nullptr;
    uint16_t (*jtag_driver_version)() = nullptr;
    uint8_t (*get_state)() = nullptr;

private:
    std::string copy_;
    void* handle_ = nullptr;
};

// The process's simulated port with `kind` attached, a fresh TAP (IR length 4)
// and the trace cleared.
portio::SimulatedPort& FreshPort(portio::DeviceKind kind, const portio::PortFeatures& features = {});

// The device register the scan tests plug in, at this instruction.
inline constexpr uint32_t kTestInstruction = 0x5;

// `n` bytes of the pattern 0x5A, 0xC3, 0x96, ... for scans.
std::vector<uint8_t> Pattern(size_t n, uint8_t seed = 0x5A);

// The trace as "W37A=05 R379 ...": writes with their values, reads without
// (what a driver sends is fixed; what the lines answer is the device's).
std::string Ops(const std::vector<portio::PortOp>& trace);
