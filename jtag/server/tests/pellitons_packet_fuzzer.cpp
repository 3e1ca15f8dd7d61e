// Packets of the largest readable size from the input into the server, with
// the stand-in probe libraries and the 403 logic behind the simulated box:
// no crash, and every reply ends within 291 bytes with a valid checksum.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pellitons.h"
#include "platform/modules.h"
#include "portio/port_service.h"
#include "portio/sim_port.h"
#include "ppc_debug_logic.h"
#include "server.h"

namespace {

struct World {
    World()
    {
        setenv("ZK_PORTIO", "sim", 1);
        platform::SetModuleFolder(PEL_MODULES);
        server.LoadLibraries();
        server.SetDevPortCable(&devPort);
        server.SetLogFolder("/nonexistent");
    }
    pellitons::ProbeServer server{ppc::RimboltCalls(), "/nonexistent/Qeld_IBM"};
    ppctest::Ppc8xxPort devPort;
};

bool ValidReply(const uint8_t* reply)
{
    for (size_t n = 4; n <= kPelMaxReply; ++n) {
        uint8_t sum = 0;
        for (size_t i = 1; i <= n; ++i)
            sum = uint8_t(sum + reply[i]);
        if (sum == 0)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static World* world = new World;
    portio::SimulatedPort* port = portio::Simulated();
    if (!port)
        return 0;
    port->Reset(portio::DeviceKind::Box);
    ppctest::Ppc403Logic logic(*port);
    // Several packets from one input: each takes as many bytes as its own
    // count fields say (zero-padded when the input runs out).
    size_t at = 0;
    for (int command = 0; command < 8 && at < size; ++command) {
        uint8_t head[16] = {};
        std::memcpy(head, data + at, std::min<size_t>(16, size - at));
        if (head[1] == 52)
            head[10] = head[11] = head[12] = 0;  // fills of at most 64 KiB
        if (head[1] == 72)
            head[2] = 0;  // at most 255 steps
        const size_t bytes = PelPacketBytes(head);
        std::vector<uint8_t> packet(bytes, 0);
        std::memcpy(packet.data(), data + at, std::min(bytes, size - at));
        std::memcpy(packet.data(), head, 16);
        at += bytes;
        std::vector<uint8_t> reply(kPelMaxReply + 1, 0);
        world->server.DoCommand(packet.data(), reply.data());
        if (packet[1] != 176 && packet[1] != 254 && !ValidReply(reply.data()))
            __builtin_trap();
    }
    return 0;
}
