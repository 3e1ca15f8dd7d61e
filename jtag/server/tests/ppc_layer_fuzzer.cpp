// Call sequences on the PowerPC layers with exactly sized buffers: addresses
// near the top of memory, lengths of 0 to 300 in every unit, port answers
// chosen by the input, the 403 behind the simulated box and TAP.
#include <cstdlib>
#include <vector>

#include "portio/port_service.h"
#include "portio/sim_port.h"
#include "ppc/ppc403.h"
#include "ppc/ppc8xx.h"
#include "ppc_debug_logic.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint32_t Take(unsigned bytes)
    {
        uint32_t value = 0;
        for (unsigned i = 0; i < bytes; ++i)
            value = value << 8 | (at < size ? data[at++] : 0);
        return value;
    }
    bool More() const { return at < size; }
};

// A port whose answers come from the input.
class FuzzPort : public ppctest::Ppc8xxPort {
public:
    explicit FuzzPort(Input& in) : in_(in) {}
    ppc::PortAnswer ExchangeData(uint32_t word) override
    {
        answerForever = uint8_t(in_.Take(1) & 3) == 3 ? uint8_t(in_.Take(1) & 3) : 0;
        return Ppc8xxPort::ExchangeData(word);
    }

private:
    Input& in_;
};

void Run(ppc::StuffedCore& core, Input& in)
{
    for (int step = 0; step < 16 && in.More(); ++step) {
        const unsigned op = in.Take(1) % 4;
        const uint32_t address = in.Take(4);
        const ppc::Unit unit = ppc::UnitOfAccessType(in.Take(1) % 5);
        const size_t length = in.Take(2) % 301;
        std::vector<uint8_t> buffer(length);
        switch (op) {
        case 0: core.ReadMemory(address, unit, buffer.data(), length); break;
        case 1: core.WriteMemory(address, unit, buffer.data(), length); break;
        case 2: core.FillMemory(address, unit, address, length); break;
        default: core.WriteSpr(address & 0x3FF, core.ReadSpr(address >> 22)); break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool simulated = [] {
        setenv("ZK_PORTIO", "sim", 1);
        return true;
    }();
    (void)simulated;
    Input in{data, size};
    if (in.Take(1) & 1) {
        FuzzPort port(in);
        ppc::Ppc8xx core(port);
        Run(core, in);
        return 0;
    }
    portio::SimulatedPort* sim = portio::Simulated();
    if (!sim)
        return 0;
    sim->Reset(in.Take(1) & 1 ? portio::DeviceKind::Box : portio::DeviceKind::Nothing);
    ppctest::Ppc403Logic logic(*sim);
    logic.busyReads = int(in.Take(1) % 8);
    ppc::IbmAccess access(ppc::RimboltCalls(), "/nonexistent/Qeld_IBM");
    access.SetMode(ppc::kModeRimbolt);
    access.SetUp(1, 0);
    ppc::Ppc403 core(access);
    Run(core, in);
    return 0;
}
