// The connection values of the registry key ...\Configuration and the
// target configuration record sent to the debugger core library.
#pragma once

#include <string>

#include "emu_types.h"
#include "win_types.h"

namespace shell {
class CDebuggerSettings;
}

namespace appdebug {

// The key under HKEY_CURRENT_USER.
std::string ConfigurationKeyPath();

struct ConnectionSettings {
    std::string port;
    DWORD portAddress = 0;
    std::string targetCpu;
    int endian = 0;
    std::string protocol;
};

// Reads the values (the key is created when it cannot be opened); a value
// that is missing, of another type or of absurd length takes its default.
ConnectionSettings ReadConnectionValues(const std::string& keyPath);
// "BaudRate" = the value as decimal text; nothing else is written.
void WriteBaudRate(const std::string& keyPath, DWORD value);

// The protocol index: the 1-based position of the name in "Pelliton",
// "Tamber", "Angel", "Simulator" ignoring case; 0 when none matches.
uint32_t ProtocolIndex(const std::string& protocol);

// The five words from the settings record: word 0 bit 0 IgnoreBP, bit 1
// DisableStepOver, bit 2 the watchpoint-breakpoint option, bits 8 and up
// SemiHosting; then SemiHostVector, TopMemory, the protocol index,
// Exceptions. The option pages send the same record.
EMU_TARGET_CONFIG BuildTargetConfig(const shell::CDebuggerSettings& settings);

}  // namespace appdebug
