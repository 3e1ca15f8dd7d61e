// Any bytes read as device.cfg: no crash, and every name the table holds is
// a piece of one line of the input (no line break, no NUL, no empty device).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mirobel/device_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const mirobel::DeviceTable table = mirobel::ParseDeviceTable(text);
    for (const mirobel::FlashMaker& maker : table.makers) {
        if (maker.name.find_first_of(std::string_view("\n\0", 2)) != std::string::npos)
            std::abort();
        for (const std::string& device : maker.devices)
            if (device.empty() || device.find_first_of(std::string_view("\n\0,", 3)) != std::string::npos ||
                text.find(device) == std::string_view::npos)
                std::abort();
    }
    return 0;
}
