// Any bytes parsed as a settings file: the store writes back text that
// parses to the same store, a set key reads back as set (on one line), and a
// struct value read from it is only ever accepted with a right sum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ini_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    platform::IniStore store = platform::IniStore::Parse(text);
    const std::string once = store.Serialize();
    if (platform::IniStore::Parse(once).Serialize() != once)
        std::abort();

    const std::string key = text.substr(0, size % 7);
    store.Set("Current", "FlashFile", text.substr(size / 2));
    const std::optional<std::string> value = store.Get("current", "flashfile");
    if (!value || value->find('\n') != std::string::npos)
        std::abort();
    store.Set("current", key, "v");
    if (platform::IniStore::Parse(store.Serialize()).Get("CURRENT", "FLASHFILE") != value)
        std::abort();

    uint8_t record[8] = {};
    if (platform::DecodeStructValue(text, record, sizeof record) &&
        platform::EncodeStructValue(record, sizeof record).size() != text.size())
        std::abort();
    return 0;
}
