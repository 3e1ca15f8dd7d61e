// libPellitons.so: the probe command server's two exports, over one server
// per process that drives the PowerPC 403 through libRimbolt.so.
#include <cstdio>
#include <string>

#include "pellitons.h"
#include "platform/modal_ui.h"
#include "server.h"

#define PEL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Library {
    Library() : server(ppc::RimboltCalls()) { server.Start("."); }
    ~Library() { server.UnloadLibraries(); }
    pellitons::ProbeServer server;
};

Library& TheLibrary()
{
    static Library library;
    return library;
}

// Loaded with the library, as the server's start-up does its work at load.
const bool kLoaded = (TheLibrary(), true);

}  // namespace

PEL_EXPORT int32_t do_command(const uint8_t* packet, uint8_t* reply)
{
    return TheLibrary().server.DoCommand(packet, reply);
}

PEL_EXPORT int32_t test_command(const uint8_t* packet, uint8_t* reply)
{
    static const char* const kLabels[5] = {"sync  -> 0x", "cmd   -> 0x", "data0 -> 0x", "data1 -> 0x", "data2 -> 0x"};
    std::string text;
    for (int i = 0; i < 5; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", packet[i]);
        text += std::string(kLabels[i]) + hex + "\r\n";
        reply[i] = uint8_t(~packet[i]);
    }
    platform::MessageBoxRequest box;
    box.text = text;
    box.caption = "test_command";
    box.type = MB_OK | MB_ICONINFORMATION;
    platform::ShowMessageBox(box);
    return -1;
}
