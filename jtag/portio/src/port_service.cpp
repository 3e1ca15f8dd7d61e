#include "portio/port_service.h"

#include <cstdlib>
#include <string>

#include "portio/ppdev_backend.h"
#include "portio/sim_port.h"

namespace portio {

namespace {

// The one port of the process and what the EPP switches changed on it.
struct Service {
    std::unique_ptr<PortBackend> chosen;
    std::unique_ptr<PortBackend> replacement;
    SimulatedPort* simulated = nullptr;
    bool ecrChanged = false;
    uint16_t ecrPort = 0;
    uint8_t savedEcr = 0;
    bool smcChanged = false;
    uint8_t savedSmc = 0;

    Service()
    {
        const char* env = std::getenv("ZK_PORTIO");
        const std::string choice = env ? env : "";
        if (choice.empty() || choice == "ppdev") {
            chosen = std::make_unique<PpdevBackend>(SystemPpdevDevice());
        } else if (choice == "sim" || choice == "sim-cable" || choice == "sim-none") {
            const DeviceKind kind = choice == "sim" ? DeviceKind::Box
                : choice == "sim-cable"             ? DeviceKind::Cable
                                                    : DeviceKind::Nothing;
            auto port = std::make_unique<SimulatedPort>(kind);
            simulated = port.get();
            chosen = std::move(port);
        } else if (choice == "none") {
            chosen = std::make_unique<NoPort>("no parallel-port service (ZK_PORTIO=none)");
        } else {
            chosen = std::make_unique<NoPort>("unknown ZK_PORTIO \"" + choice + "\"");
        }
    }

    // At unload the port is left as it was found.
    ~Service()
    {
        RestoreSmcNow();
        RestoreEcrNow();
    }

    PortBackend& Backend() { return replacement ? *replacement : *chosen; }

    void RestoreEcrNow()
    {
        if (ecrChanged)
            Backend().Write(ecrPort, savedEcr);
        ecrChanged = false;
    }

    void SmcEnter()
    {
        Backend().Write(kSmcIndexPort, 0x55);
        Backend().Write(kSmcIndexPort, 0x55);
        Backend().Write(kSmcIndexPort, 4);
    }

    void RestoreSmcNow()
    {
        if (!smcChanged)
            return;
        SmcEnter();
        Backend().Write(kSmcDataPort, savedSmc);
        Backend().Write(kSmcIndexPort, 0xAA);
        smcChanged = false;
    }
};

Service& TheService()
{
    static Service service;
    return service;
}

}  // namespace

void Write(uint16_t port, uint8_t value)
{
    TheService().Backend().Write(port, value);
}

uint8_t Read(uint16_t port)
{
    return TheService().Backend().Read(port);
}

bool OpenAccess(uint16_t port)
{
    return TheService().Backend().OpenAccess(port);
}

EcpProbe ProbeEcp(uint16_t base)
{
    const uint16_t ecrPort = static_cast<uint16_t>(base + kEcrOffset);
    EcpProbe probe;
    probe.firstEcr = Read(ecrPort);
    // FIFO empty (bit 0) and not full (bit 1): an ECR, unless the address
    // merely mirrors the control register, which the next two writes expose.
    auto answers = [&] { return (Read(ecrPort) & 0x03) == 0x01; };
    if ((probe.firstEcr & 0x03) != 0x01)
        return probe;
    Write(static_cast<uint16_t>(base + kControlOffset), 0x03);
    if (answers()) {
        Write(ecrPort, static_cast<uint8_t>(probe.firstEcr | 0x03));
        probe.found = answers();
    }
    Write(ecrPort, probe.firstEcr);
    return probe;
}

void SetEppThroughEcr(uint16_t base)
{
    Service& s = TheService();
    Write(static_cast<uint16_t>(base + kControlOffset), 0);
    s.ecrPort = static_cast<uint16_t>(base + kEcrOffset);
    s.savedEcr = Read(s.ecrPort);
    Write(s.ecrPort, 0x80);  // mode 100: EPP
    s.ecrChanged = true;
}

void RestoreEcr()
{
    TheService().RestoreEcrNow();
}

void SetEppThroughSmc()
{
    Service& s = TheService();
    s.SmcEnter();
    s.savedSmc = Read(kSmcDataPort);
    // Register 4, bits 0-1 = 01: the parallel port in EPP mode.
    Write(kSmcDataPort, static_cast<uint8_t>((s.savedSmc & 0xBC) + 1));
    Write(kSmcIndexPort, 0xAA);
    s.smcChanged = true;
}

void RestoreSmc()
{
    TheService().RestoreSmcNow();
}

SimulatedPort* Simulated()
{
    return TheService().simulated;
}

void UseBackend(std::unique_ptr<PortBackend> backend)
{
    TheService().replacement = std::move(backend);
}

}  // namespace portio
