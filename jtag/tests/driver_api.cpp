#include "driver_api.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

namespace {

// The service picks its back end at first use: before any test runs.
const bool kSimulated = [] {
    setenv("ZK_PORTIO", "sim", 1);
    return true;
}();

}  // namespace

JtagDriver::JtagDriver(const std::string& name)
{
    static std::atomic<int> serial{0};
    const std::string original = std::string(ZK_BIN_DIR) + "/lib" + name + ".so";
    copy_ = std::filesystem::temp_directory_path() /
        ("lib" + name + "-" + std::to_string(getpid()) + "-" + std::to_string(serial++) + ".so");
    std::filesystem::copy_file(original, copy_, std::filesystem::copy_options::overwrite_existing);
    handle_ = dlopen(copy_.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle_, nullptr) << dlerror();
#define BIND(f) f = reinterpret_cast<decltype(f)>(Symbol(#f))
    BIND(reset_tap);
    BIND(state_move);
    BIND(state_jump);
    BIND(scan_out);
    BIND(scan_in);
    BIND(scan_io);
    BIND(scan_only);
    BIND(scan_in_partial);
    BIND(init_jtag_controller);
    BIND(release_to_os);
    BIND(os_delay);
    BIND(write_outputs);
    BIND(write_pin);
    BIND(jtag_speed);
    BIND(read_inputs);
    BIND(jtag_trst);
    BIND(jtag_divisor);
    BIND(jtag_set_base_address);
    BIND(jtag_get_base_address);
    BIND(jtag_logging_on);
    BIND(jtag_logging_off);
    BIND(jtag_driver_configuration);
    BIND(jtag_io_error);
    BIND(jtag_driver_version);
    BIND(get_state);
#undef BIND
}

JtagDriver::~JtagDriver()
{
    if (handle_)
        dlclose(handle_);
    std::error_code ec;
    std::filesystem::remove(copy_, ec);
}

void* JtagDriver::Symbol(const char* name) const
{
    return handle_ ? dlsym(handle_, name) : nullptr;
}

portio::SimulatedPort& FreshPort(portio::DeviceKind kind, const portio::PortFeatures& features)
{
    portio::SimulatedPort* port = portio::Simulated();
    EXPECT_NE(port, nullptr);
    portio::UseBackend(nullptr);
    port->Reset(kind, features);
    return *port;
}

std::vector<uint8_t> Pattern(size_t n, uint8_t seed)
{
    std::vector<uint8_t> bytes(n);
    uint8_t v = seed;
    for (auto& b : bytes) {
        b = v;
        v = static_cast<uint8_t>(v * 7 + 0x3D);
    }
    return bytes;
}

std::string Ops(const std::vector<portio::PortOp>& trace)
{
    std::string text;
    char item[16];
    for (const portio::PortOp& op : trace) {
        if (op.write)
            std::snprintf(item, sizeof item, "%sW%X=%02X", text.empty() ? "" : " ", op.port, op.value);
        else
            std::snprintf(item, sizeof item, "%sR%X", text.empty() ? "" : " ", op.port);
        text += item;
    }
    return text;
}
