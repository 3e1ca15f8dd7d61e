#include "appdebug/connection.h"

#include <cstdlib>
#include <strings.h>

#include "lathris/registry.h"
#include "platform/modal_ui.h"
#include "shell/settings.h"

namespace appdebug {

namespace {

// Texts longer than this are not connection values (a damaged or hostile
// store): the default is kept.
constexpr size_t kMaxValueLength = 260;
// The network address used when Net is set and Hostname is missing.
constexpr char kDefaultHost[] = "127.0.0.1";

bool ReadText(CRegistry& key, const char* name, std::string& value)
{
    std::string text;
    if (!key.Read(name, text) || text.size() > kMaxValueLength)
        return false;
    value = text;
    return true;
}

DWORD ParseNumber(const std::string& text, int base)
{
    return static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, base));
}

}  // namespace

std::string ConfigurationKeyPath()
{
    return "Software\\Zelkor\\" + platform::AppName() + "\\Configuration";
}

ConnectionSettings ReadConnectionValues(const std::string& keyPath)
{
    CRegistry key;
    if (!key.Open(keyPath))
        key.CreateKey(keyPath);
    ConnectionSettings s;
    s.portAddress = 57600;
    int net = 0;
    key.Read("Net", net);
    if (net != 0) {
        s.port = kDefaultHost;
        ReadText(key, "Hostname", s.port);
    } else if (ReadText(key, "Port", s.port)) {
        std::string number;
        if (s.port.find("COM") != std::string::npos) {
            ReadText(key, "BaudRate", number);
            s.portAddress = ParseNumber(number, 10);
        } else {
            ReadText(key, "PortAddr", number);
            s.portAddress = ParseNumber(number, 16);
        }
    } else {
        s.port = "LPT1";
        s.portAddress = 0x378;
    }
    s.targetCpu = "ARM7TDMI-KS32C50100";
    ReadText(key, "Target CPU", s.targetCpu);
    key.Read("Endian", s.endian);
    s.protocol = "Pelliton";
    ReadText(key, "Protocol", s.protocol);
    return s;
}

void WriteBaudRate(const std::string& keyPath, DWORD value)
{
    CRegistry key;
    if (!key.Open(keyPath) && !key.CreateKey(keyPath))
        return;
    key.Write("BaudRate", std::to_string(static_cast<long>(static_cast<int32_t>(value))));
}

uint32_t ProtocolIndex(const std::string& protocol)
{
    static const char* const kProtocols[] = {"Pelliton", "Tamber", "Angel", "Simulator"};
    uint32_t index = 0;
    for (uint32_t i = 0; i < 4; ++i)
        if (strcasecmp(protocol.c_str(), kProtocols[i]) == 0)
            index = i + 1;
    return index;
}

EMU_TARGET_CONFIG BuildTargetConfig(const shell::CDebuggerSettings& s)
{
    EMU_TARGET_CONFIG c{};
    c.options = (s.IgnoreBP ? EMU_CFG_BREAK_IN_STEPS : 0) | (s.DisableStepOver ? EMU_CFG_STEP_CALLS : 0) |
        (shell::CDebuggerSettings::UseWatchpointBP ? EMU_CFG_HW_BREAKPOINTS : 0) |
        (static_cast<uint32_t>(s.SemiHosting) << EMU_CFG_SEMIHOST_SHIFT);
    c.semihostVector = s.SemiHostVector;
    c.topOfMemory = s.TopMemory;
    c.protocol = ProtocolIndex(s.Protocol);
    c.exceptionCatch = s.Exceptions;
    return c;
}

}  // namespace appdebug
