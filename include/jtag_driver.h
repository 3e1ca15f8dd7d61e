// The JTAG driver interface shared by libRimbolt.so (EPP controller box) and
// libTessovar.so (passive bit-banged cable): plain C functions, one state per
// library, no threads.
//
// Scan buffers: a string of N bits occupies ceil(N/8) bytes, bit 0 of the
// first byte is shifted into TDI first, least significant bit first within a
// byte; captured TDO bits are stored the same way, the last byte's bits
// right-aligned. With the word-swap option the buffers are arrays of 16-bit
// words and hold 2 x ceil(N/16) bytes.
#pragma once

#include <cstdint>

// TAP controller states a caller can name. 6 is the state at load, before any
// walk: the driver does not know where the TAP is.
enum JtagTapState : uint8_t {
    JTAG_TEST_LOGIC_RESET = 0,
    JTAG_RUN_TEST_IDLE = 1,
    JTAG_PAUSE_DR = 2,
    JTAG_PAUSE_IR = 3,
    JTAG_SHIFT_DR = 4,
    JTAG_SHIFT_IR = 5,
    JTAG_STATE_UNDETERMINED = 6,
};

// First argument of every scan: which register the scan walks to.
inline constexpr uint8_t JTAG_SELECT_IR = 0;
inline constexpr uint8_t JTAG_SELECT_DR = 1;

// jtag_io_error codes.
inline constexpr uint8_t JTAG_OK = 0;
inline constexpr uint8_t JTAG_ERR_NO_CONTROLLER = 1;  // no box (Rimbolt), no cable loop-back (Tessovar)
inline constexpr uint8_t JTAG_ERR_NO_EPP = 2;         // box found, EPP cycles cannot be enabled
inline constexpr uint8_t JTAG_ERR_PLAIN_CABLE = 3;    // no box, but a bit-bang cable loops back
inline constexpr uint8_t JTAG_ERR_NOT_READY = 5;      // the box did not signal ready within the poll limit
inline constexpr uint8_t JTAG_ERR_BAD_CONFIG = 6;     // an undefined configuration bit was set

// jtag_driver_configuration flags.
inline constexpr uint32_t JTAG_CFG_REVERSE = 1u << 0;    // walk the buffer from its last byte
inline constexpr uint32_t JTAG_CFG_WORD_SWAP = 1u << 1;  // 16-bit words with their bytes exchanged
inline constexpr uint32_t JTAG_CFG_FILL = 1u << 2;       // Rimbolt: fill 0xFF; Tessovar: fill 0x00
inline constexpr uint32_t JTAG_CFG_ALT_WALKS = 1u << 3;  // Rimbolt: walks through a Pause state

// Port codes of init_jtag_controller; any other value is the base address.
inline constexpr uint16_t JTAG_PORT_LPT1 = 0x378;
inline constexpr uint16_t JTAG_PORT_LPT2 = 0x278;
inline constexpr uint16_t JTAG_PORT_LPT3 = 0x3BC;

extern "C" {
void reset_tap(uint8_t trst, uint8_t endState);
void state_move(uint8_t state);
void state_jump(uint8_t state);
void scan_out(uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t endState);
void scan_in(uint8_t reg, uint16_t bits, uint8_t* capture, uint8_t endState);
void scan_io(uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t* capture, uint8_t endState);
void scan_only(uint16_t bits, const uint8_t* data, uint8_t* capture);  // Rimbolt only
void scan_in_partial(uint8_t reg, uint16_t bits, uint16_t startBit, uint16_t bitsIn, const uint8_t* data,
                     uint8_t* capture, uint8_t complete, uint8_t endState);
void init_jtag_controller(uint16_t port, int32_t speed);
int32_t release_to_os();
void os_delay(uint16_t milliseconds);
void write_outputs(uint8_t value);
void write_pin(uint8_t assert, uint8_t pin);
uint8_t bdm_shift(uint8_t a, uint16_t b, uint32_t c, uint32_t d);
void jtag_speed(int32_t speed);
uint8_t read_inputs();
void jtag_discrete_io(uint8_t value);
void jtag_trst(uint8_t assert);
void jtag_divisor(uint16_t divisor);
void jtag_set_base_address(uint16_t base);
uint16_t jtag_get_base_address();
void scan_chain_position();
void jtag_logging_on();
void jtag_logging_off();
void jtag_driver_configuration(uint32_t flags);
uint8_t jtag_io_error();
uint16_t jtag_driver_version();
uint8_t get_state();  // Rimbolt only
}
