// A stand-in for one of the probe libraries the server loads at run time,
// built under that library's file name. Its `do_command`-style entry answers
// from the packet: byte 2 is the status it reports, 0xEE calls back into the
// server (which must refuse as busy), 0xEF throws; the reply carries one data
// byte, the number of calls so far. FAKE_ENTRY names the entry point; without
// it the library has none.
#include <dlfcn.h>

#include <cstdint>
#include <stdexcept>

namespace {
int g_calls = 0;
}

extern "C" __attribute__((visibility("default"))) int32_t fake_calls()
{
    return g_calls;
}

#ifdef FAKE_ENTRY
extern "C" __attribute__((visibility("default"))) int32_t FAKE_ENTRY(const uint8_t* packet, uint8_t* reply)
{
    ++g_calls;
    if (packet[2] == 0xEF)
        throw std::runtime_error("probe library failure");
    reply[2] = 0;
    reply[3] = packet[2];
    reply[4] = uint8_t(g_calls);
    if (packet[2] == 0xEE) {
        using Fn = int32_t (*)(const uint8_t*, uint8_t*);
        // The server's entry: a test's own, else libPellitons.so's (loaded
        // globally, so found before this library's own do_command).
        auto again = reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, "zk_test_do_command"));
        if (!again)
            again = reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, "do_command"));
        uint8_t inner[300] = {};
        const uint8_t nested[16] = {packet[0], 1};
        if (again)
            again(nested, inner);
        reply[3] = 0;
        reply[4] = inner[3];  // what the server answered the nested call
    }
    return packet[2] == 0xFD ? -1 : 5;  // -1: a command the library cannot serve
}
#endif
