// Random call sequences on both JTAG drivers over the simulated port, with
// every buffer exactly as long as the call's bit count allows (ceil(bits/8)
// bytes, 2 x ceil(bits/16) with the word swap on): no access outside them, no
// crash, whatever the bit counts, port codes, states and configuration words.
#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "portio/sim_port.h"

namespace {

struct Reader {
    const uint8_t* p;
    size_t n;
    bool More() const { return n > 0; }
    uint8_t U8()
    {
        if (!n)
            return 0;
        --n;
        return *p++;
    }
    uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
    uint32_t U32() { return static_cast<uint32_t>(U16() | static_cast<uint32_t>(U16()) << 16); }
};

struct Driver {
    explicit Driver(const char* name, bool sticky) : stickyConfiguration(sticky)
    {
        handle = dlopen((std::string(ZK_BIN_DIR) + "/lib" + name + ".so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            std::abort();
    }
    template <typename F>
    F Get(const char* name) const
    {
        return reinterpret_cast<F>(dlsym(handle, name));
    }
    void* handle;
    bool stickyConfiguration;  // Tessovar: set bits only switch options on
    bool swap = false;
};

size_t BufferBytes(const Driver& d, uint16_t bits)
{
    return d.swap ? 2 * ((bits + 15) / 16) : (bits + 7) / 8;
}

uint16_t Bits(Reader& r)
{
    switch (r.U8() % 4) {
    case 0: return 0;
    case 1: return 65535;
    default: return static_cast<uint16_t>(r.U16() % 600);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool simulated = [] { return setenv("ZK_PORTIO", "sim", 1) == 0; }();
    static Driver rimbolt("Rimbolt", false);
    static Driver tessovar("Tessovar", true);
    (void)simulated;
    Reader r{data, size};
    Driver& d = (r.U8() & 1) ? rimbolt : tessovar;
    if (portio::Simulated())
        portio::Simulated()->ClearTrace();
    for (int ops = 0; r.More() && ops < 64; ++ops) {
        const uint8_t op = r.U8() % 11;
        const uint8_t reg = r.U8();
        const uint8_t end = r.U8() % 8;
        switch (op) {
        case 0: d.Get<void (*)(uint16_t, int32_t)>("init_jtag_controller")(r.U16(), static_cast<int8_t>(r.U8())); break;
        case 1: {
            const uint32_t flags = r.U32();
            d.Get<void (*)(uint32_t)>("jtag_driver_configuration")(flags);
            d.swap = d.stickyConfiguration ? (d.swap || (flags & 2)) : (flags & 2) != 0;
            break;
        }
        case 2: {
            const uint16_t bits = Bits(r);
            std::vector<uint8_t> out(BufferBytes(d, bits), 0x5A);
            d.Get<void (*)(uint8_t, uint16_t, const uint8_t*, uint8_t)>("scan_out")(reg, bits, out.data(), end);
            break;
        }
        case 3: {
            const uint16_t bits = Bits(r);
            std::vector<uint8_t> in(BufferBytes(d, bits));
            d.Get<void (*)(uint8_t, uint16_t, uint8_t*, uint8_t)>("scan_in")(reg, bits, in.data(), end);
            break;
        }
        case 4: {
            const uint16_t bits = Bits(r);
            std::vector<uint8_t> out(BufferBytes(d, bits), 0xA5), in(BufferBytes(d, bits));
            d.Get<void (*)(uint8_t, uint16_t, const uint8_t*, uint8_t*, uint8_t)>("scan_io")(reg, bits, out.data(),
                                                                                             in.data(), end);
            break;
        }
        case 5: {
            const uint16_t bits = Bits(r);
            const uint16_t start = r.U16(), count = r.U16();
            const uint8_t flags = r.U8();
            std::vector<uint8_t> out(BufferBytes(d, bits), 0x3C), in(BufferBytes(d, bits));
            d.Get<void (*)(uint8_t, uint16_t, uint16_t, uint16_t, const uint8_t*, uint8_t*, uint8_t, uint8_t)>(
                "scan_in_partial")(reg, bits, start, count, (flags & 1) ? out.data() : nullptr, in.data(), flags & 2,
                                   end);
            break;
        }
        case 6:
            if (auto scanOnly = d.Get<void (*)(uint16_t, const uint8_t*, uint8_t*)>("scan_only")) {
                const uint16_t bits = Bits(r);
                // scan_only walks the plain bit string: no word swap.
                std::vector<uint8_t> out((bits + 7) / 8, 0x69), in((bits + 7) / 8);
                scanOnly(bits, (reg & 1) ? out.data() : nullptr, (reg & 2) ? in.data() : nullptr);
            }
            break;
        case 7: d.Get<void (*)(uint8_t)>("state_move")(reg); break;
        case 8: d.Get<void (*)(uint8_t)>("state_jump")(reg); break;
        case 9: d.Get<void (*)(uint8_t, uint8_t)>("reset_tap")(reg & 1, end); break;
        default: d.Get<void (*)(uint8_t, uint8_t)>("write_pin")(reg & 1, end * 37); break;
        }
    }
    return 0;
}
