// Reads the description of a processor's peripherals: the CFG file with the
// groups, then each group's PCF file with its registers and fields. Every
// failure leaves its status and one message; the groups and registers read
// before it stay.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "description.h"

namespace halvek {

struct LoadContext {
    // The configured processor's name: the CFG file's first word must be it.
    std::string processorName;
    // The CFG file's name ("PCF\PERI<name>.CFG" once the processor is put in).
    std::string cfgName;
    // The whole content of a named file; false when it cannot be found.
    std::function<bool(const std::string& name, std::string& content)> open;
    // The target access library is told the file's base (current, reset, flag, mask).
    std::function<void(uint32_t current, uint32_t reset, int flag, uint32_t mask)> setBase;
};

// Frees the previous tree, reads the files and sets the loaded mark when
// every file was read. Returns 0 or the load's status.
uint32_t LoadDescription(Description& d, const LoadContext& context);

}  // namespace halvek
