// Any bytes parsed as a registry file: a clear error or a store that writes
// back to the same content, never a crash. Inputs starting with an even byte
// get a valid header and checksum, so that the line parser is reached.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/registry.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    if (size > 0 && data[0] % 2 == 0) {
        std::string body = "ZELKOR REGISTRY 1\n" + text.substr(1) + "\n";
        char end[24];
        std::snprintf(end, sizeof end, "END %08x\n", platform::test::Crc32(body));
        text = body + end;
    }
    platform::RegistryData parsed;
    std::string error;
    if (!platform::RegistryData::Parse(text, parsed, error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    platform::RegistryData again;
    if (!platform::RegistryData::Parse(parsed.Serialize(), again, error) || again.Serialize() != parsed.Serialize())
        std::abort();
    return 0;
}
