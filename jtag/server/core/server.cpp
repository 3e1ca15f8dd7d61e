#include "server.h"

#include <filesystem>

#include "call.h"
#include "platform/clock.h"

namespace pellitons {

namespace {

struct NamedCommand {
    uint8_t code;
    const char* name;
};

// Codes the server knows; a null name is a command the log names not.
constexpr NamedCommand kCommands[] = {{0, nullptr},
                                      {1, "get_version"},
                                      {2, "set_baud_rate"},
                                      {16, "initialize_target"},
                                      {17, "set_speed"},
                                      {20, "set_function_code"},
                                      {21, "set_control_flags"},
                                      {22, "set_register_buffer_address"},
                                      {25, nullptr},
                                      {26, nullptr},
                                      {32, "run_target_from_pc"},
                                      {33, "run_from_address"},
                                      {34, "stop_target"},
                                      {35, "reset_and_run"},
                                      {36, "reset_and_halt"},
                                      {37, "single_step"},
                                      {48, "read_register"},
                                      {49, "write_register"},
                                      {50, "read_memory"},
                                      {51, "write_memory"},
                                      {52, "fill_memory"},
                                      {53, "move_memory"},
                                      {54, nullptr},
                                      {55, "write_memory"},
                                      {56, "read_state_and_registers"},
                                      {57, "set_scatter_registers"},
                                      {58, "read_scatter_registers"},
                                      {59, "write_scatter_registers"},
                                      {60, "single_step"},
                                      {64, "write_large_memory"},
                                      {65, "read_large_memory"},
                                      {72, "single_step_with_count"},
                                      {176, nullptr},
                                      {224, "processor specific misc"},
                                      {240, "set_connection"},
                                      {241, "set_logging"},
                                      {242, nullptr},
                                      {254, nullptr},
                                      {255, nullptr}};

bool Known(uint8_t code)
{
    for (const NamedCommand& c : kCommands)
        if (c.code == code)
            return true;
    return false;
}

uint8_t Checksum(const uint8_t* reply, size_t length)
{
    uint8_t sum = 0;
    for (size_t i = 1; i < length; ++i)
        sum = uint8_t(sum + reply[i]);
    return uint8_t(-sum);
}

}  // namespace

const char* ProbeServer::CommandName(uint8_t code)
{
    for (const NamedCommand& c : kCommands)
        if (c.code == code)
            return c.name;
    return nullptr;
}

ProbeServer::ProbeServer(const ppc::JtagCalls& calls, const std::string& devicePath)
    : access_(calls, devicePath), family403_(access_)
{}

ProbeServer::~ProbeServer()
{
    if (bbLog_)
        std::fclose(bbLog_);
}

void ProbeServer::Start(const std::string& folder)
{
    namespace fs = std::filesystem;
    logFolder_ = folder;
    std::error_code ec;
    if (fs::exists(fs::path(folder) / "log.on", ec) && log_.Open((fs::path(folder) / "pellitons.log").string(), false))
        log_.Line("STARTUP LOG");
    // The bit-banged cable's port log: opened, the cable layer writes to it.
    if (fs::exists(fs::path(folder) / "bb_log.on", ec))
        bbLog_ = std::fopen((fs::path(folder) / "bbfile.log").string().c_str(), "w");
    LoadLibraries();
}

bool ProbeServer::TemplateFamily(uint16_t family)
{
    switch (family) {
    case 7:
    case 8:
    case 9:
    case 12:
    case 13:
    case 21:
    case 40:
    case 80:
    case 81:
    case 82:
    case 83:
    case 90:
    case 93:
    case 100: return true;
    default: return false;
    }
}

bool ProbeServer::FamilyReady(uint16_t family) const
{
    switch (family) {
    case kPelNoFamily:
    case kPelFamilyCpu32:
    case kPelFamilyColdFire:
    case 1: return false;
    case kPelFamilyPpc8xx: return set8xx_;
    // Rimbolt mode needs no driver device.
    case kPelFamilyPpc403: return variant_ == 2 || access_.DeviceOpen();
    case kPelFamilySerialIce: return libs_.SerialIceLoaded();
    default: return TemplateFamily(family) ? libs_.TemplateLoaded() : true;
    }
}

uint8_t ProbeServer::NotReadyStatus(uint16_t family) const
{
    switch (family) {
    case kPelNoFamily: return PEL_NO_CONNECTION;
    case kPelFamilyPpc403: return PEL_NO_DEVICE;
    case kPelFamilySerialIce: return PEL_NO_SERIAL_ICE;
    case 1: return PEL_NO_ENET;
    default: return TemplateFamily(family) ? PEL_NO_TEMPLATE : PEL_NOT_SET_UP;
    }
}

TargetFamily* ProbeServer::Layer()
{
    switch (family_) {
    case kPelFamilyPpc403: return FamilyReady(family_) ? &family403_ : nullptr;
    case kPelFamilyPpc8xx: return family8xx_.get();
    case kPelFamilySerialIce: return libs_.SerialIceLoaded() ? serialIce_.get() : nullptr;
    default: return nullptr;
    }
}

bool ProbeServer::TargetCheck()
{
    if (family_ != kPelFamilyPpc403)
        return true;
    switch (variant_) {
    case 0: return (access_.DeviceByteExchange(1) & 0x10) != 0;
    case 2: return true;
    default: return false;
    }
}

void ProbeServer::PlaceStatusAndFlags(Call& c)
{
    if (family_ == kPelNoFamily || mode_ == 11) {
        c.Status(PEL_NO_CONNECTION);
        c.Flags(kPelFlagRefused);
        return;
    }
    uint8_t status = PEL_OK;
    uint8_t flags = 0;
    const bool checked = TargetCheck();
    if (family_ == kPelFamilyPpc8xx && (variant_ == 1 || variant_ == 2) && !set8xx_)
        status = PEL_NOT_DEBUG_MODE;
    else if (family_ == kPelFamilySerialIce && !libs_.SerialIceLoaded())
        status = PEL_NO_SERIAL_ICE;
    else if (!checked && !targetCheckOff_)
        status = PEL_TARGET_CHECK;
    if (!checked && !targetCheckOff_)
        flags |= kPelFlagTargetFault;
    if (TargetFamily* layer = Layer(); layer && status == PEL_OK && !layer->Running())
        flags |= kPelFlagHalted;
    c.Status(status);
    c.Flags(flags);
}

void ProbeServer::ChangeConnection(uint8_t sync)
{
    const Connection entry = table_[sync];
    log_.Line(" Changing to PORT -> " + std::to_string(entry.port) + ", " + " to processor -> " +
              std::to_string(entry.parameter));
    sync_ = sync;
    family_ = entry.kind;
    port_ = entry.port;
    Call none{nullptr, nullptr};
    SetUpFamily(none, entry.kind, entry.port, entry.parameter);
}

bool ProbeServer::SetUpFamily(Call&, uint16_t family, uint16_t port, uint16_t parameter)
{
    switch (family) {
    case kPelFamilyPpc403:
        access_.SetMode(variant_ == 2 ? ppc::kModeRimbolt : ppc::kModeDevice);
        if (!FamilyReady(family))
            return false;
        access_.SelectPort(uint8_t(port));
        access_.DeviceRequest16();
        access_.Speed(parameter);
        family403_.Core().SetRunControlByte(0xA0);
        return true;
    case kPelFamilyPpc8xx:
        if (!devPort_)
            return false;
        if (!family8xx_ || lastCablePort_ != port)
            family8xx_ = std::make_unique<Family8xx>(*devPort_, log_);
        lastCablePort_ = port;
        set8xx_ = true;
        return family8xx_->Core().Halted();
    case kPelFamilySerialIce:
        if (!libs_.SerialIceLoaded())
            return false;
        if (!serialIce_)
            serialIce_ = std::make_unique<FamilySerialIce>(libs_.ice);
        libs_.ice.control(2, 0, 0);
        libs_.ice.control(4, port, parameter);
        return true;
    default: return false;
    }
}

void ProbeServer::Forward(Call& c, DoCommandFn fn, uint8_t missingStatus, bool refusedFlag)
{
    if (!fn) {
        c.Status(missingStatus);
        if (refusedFlag)
            c.Flags(kPelFlagRefused);
        return;
    }
    // The library fills the reply as the server lays it out and returns its
    // length; anything out of range leaves the bare header.
    const int32_t length = fn(c.packet, c.reply);
    c.length = (length >= 4 && size_t(length) <= kPelMaxReply) ? size_t(length) : 4;
}

// Forwarding modes; true when the command was dealt with.
bool ProbeServer::Forwarding(Call& c)
{
    const uint8_t code = c.Code();
    const bool selectsHp = code == 240 && c.packet[2] >= 0xA0 && c.packet[2] <= 0xAF;
    if (selectsHp) {
        SetConnection(c);  // mode 10, its port and texts
    } else if (mode_ == 11) {
        if (code == 21 || code == 240 || code == 241)
            return false;
        c.Flags(kPelFlagRefused);
        c.Status(PEL_NO_CONNECTION);
        return true;
    }
    if (mode_ == 10) {
        if (!selectsHp && (code == 240 || code == 241))
            return false;
        if (!libs_.HpLoaded()) {
            c.Status(PEL_NO_HP);
            return true;
        }
        const int32_t result = libs_.hpCommand(c.packet, c.reply);
        if (result < 0) {
            c.Flags(15);
            c.Status(PEL_HP_FAILED);
        } else {
            c.length = size_t(result) >= 4 && size_t(result) <= kPelMaxReply ? size_t(result) : 4;
        }
        return true;
    }
    if (code == 240 || code == 241)
        return false;
    if (mode_ == 3) {
        Forward(c, libs_.usbCommand, PEL_NO_USB, true);
        return true;
    }
    if (mode_ == 4) {
        Forward(c, libs_.enetCommand, PEL_NO_ENET, true);
        return true;
    }
    return false;
}

void ProbeServer::Handle(Call& c)
{
    const uint8_t code = c.Code();
    log_.Command(CommandName(code), platform::NowMs());
    if (Forwarding(c))
        return;
    if (mode_ == 0 && code != 240 && code != 241 && c.packet[0] != sync_) {
        ChangeConnection(c.packet[0]);
        const uint16_t kind = table_[c.packet[0]].kind;
        if (kind != 0 && kind != 2 && kind != 3 && kind != 4 && kind != 5) {
            c.Status(PEL_NOT_SERVED);
            return;
        }
    }
    if (!Known(code)) {
        c.Status(PEL_NOT_SERVED);
        return;
    }
    const bool beforeSetUp = code == 0 || code == 1 || code == 16 || code == 26 || code >= 240;
    if (!FamilyReady(family_) && !beforeSetUp) {
        c.Status(NotReadyStatus(family_));
        if (family_ == kPelNoFamily)
            c.Flags(kPelFlagRefused);
        return;
    }
    if (TemplateFamily(family_) && code != 16 && code != 26 && code < 240) {
        Forward(c, libs_.templateCommand, PEL_NO_TEMPLATE, false);
        return;
    }
    if (FamilyReady(family_) && code != 240 && code != 241)
        PlaceStatusAndFlags(c);
    Dispatch(c);
}

int32_t ProbeServer::DoCommand(const uint8_t* packet, uint8_t* reply)
{
    if (busy_.test_and_set()) {
        reply[0] = packet[0];
        reply[1] = packet[1];
        reply[2] = 0;
        reply[3] = PEL_BUSY;
        reply[4] = Checksum(reply, 4);
        if (log_.IsOpen())
            log_.Line("DLL IN USE!!!");
        return 0;
    }
    errorFlag_ = false;
    faultFlag_ = false;
    const uint8_t code = packet[1];
    if (code == PEL_LOGIC_ANALYSER) {
        reply[0] = packet[0];
        reply[1] = code;
        reply[2] = 0;
        reply[3] = PEL_NO_LA;
        size_t length = 4;
        if (libs_.LaLoaded()) {
            try {
                const int32_t n = libs_.laCommand(packet, reply);
                length = n >= 4 && size_t(n) <= kPelMaxReply ? size_t(n) : 4;
            } catch (...) {
                reply[2] = 0;
                reply[3] = PEL_EXCEPTION;
            }
        }
        reply[length] = Checksum(reply, length);
        busy_.clear();
        return 0;
    }
    const uint64_t started = platform::NowMs();
    Call c{packet, reply};
    reply[2] = 0;
    reply[3] = 0;
    try {
        Handle(c);
        if (c.notServed)
            c.Status(PEL_NOT_SERVED);
    } catch (...) {
        c.length = 4;
        c.Status(PEL_EXCEPTION);
    }
    if (c.length > kPelMaxReply)
        c.length = 4;
    reply[0] = packet[0];
    reply[1] = code;
    reply[c.length] = Checksum(reply, c.length);
    try {
        log_.Reply(reply, code != 0 && code != 38, platform::NowMs() - started);
    } catch (...) {
        reply[3] = PEL_EXCEPTION;
        reply[c.length] = Checksum(reply, c.length);
    }
    busy_.clear();
    return code == PEL_RETURN_ZERO ? 0 : -1;
}

}  // namespace pellitons
