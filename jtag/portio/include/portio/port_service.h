// Byte-wide access to the parallel port's I/O addresses for the JTAG drivers
// and the probe command server, and the two ways of putting an ECP-capable
// port into EPP mode (its extended control register, or the configuration
// registers of an SMC Super I/O chip).
//
// One process has one port: the service lives once, in libportio.so, which
// every user links. The back end is chosen when the service is first used,
// by ZK_PORTIO:
//   unset or "ppdev"  the kernel's parallel-port device (/dev/parportN)
//   "sim"             a simulated port with an EPP controller box behind it
//   "sim-cable"       a simulated port with a passive bit-bang cable
//   "sim-none"        a simulated port with nothing attached
//   "none"            no port: reads give 0xFF, writes are dropped
// A driver shipped to users never finds a simulated box on a real machine.
#pragma once

#include <cstdint>
#include <memory>

namespace portio {

// Port offsets from the base and the fixed addresses the service knows.
inline constexpr uint16_t kDataOffset = 0;
inline constexpr uint16_t kStatusOffset = 1;
inline constexpr uint16_t kControlOffset = 2;
inline constexpr uint16_t kEppAddressOffset = 3;
inline constexpr uint16_t kEppDataOffset = 4;
inline constexpr uint16_t kEcrOffset = 0x402;
inline constexpr uint16_t kSmcIndexPort = 0x3F0;
inline constexpr uint16_t kSmcDataPort = 0x3F1;

// What the service runs on.
class PortBackend {
public:
    virtual ~PortBackend() = default;
    virtual void Write(uint16_t port, uint8_t value) = 0;
    virtual uint8_t Read(uint16_t port) = 0;
    // Grants access to one port before its first use; false when the port
    // cannot be had (its reads then give 0xFF).
    virtual bool OpenAccess(uint16_t port) = 0;
};

class SimulatedPort;

void Write(uint16_t port, uint8_t value);
uint8_t Read(uint16_t port);
bool OpenAccess(uint16_t port);

// An ECP port answers at base + 0x402 with the FIFO-empty bits 01, and keeps
// answering so after the control register and the ECR itself were written.
struct EcpProbe {
    bool found = false;
    uint8_t firstEcr = 0;
};
EcpProbe ProbeEcp(uint16_t base);
// Control register 0, ECR saved, ECR mode EPP (0x80).
void SetEppThroughEcr(uint16_t base);
void RestoreEcr();
// Register 4 of the SMC chip's configuration space set to EPP.
void SetEppThroughSmc();
void RestoreSmc();

// Tests and tools: the simulated port when ZK_PORTIO chose one, else null.
SimulatedPort* Simulated();
// Tests: run the service on another back end from now on (a ppdev back end
// over a recording device, say); null restores the one ZK_PORTIO chose.
void UseBackend(std::unique_ptr<PortBackend> backend);

}  // namespace portio
