// The probe command server: one command packet at a time from `do_command`,
// dispatched by the connection the sync byte names to the family's layer, or
// forwarded whole to a probe library.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "command_log.h"
#include "families.h"
#include "pellitons.h"
#include "ppc/ibm_access.h"
#include "probe_libraries.h"

namespace pellitons {

struct Connection {
    uint16_t port = 0;
    uint16_t kind = 0;
    uint16_t parameter = 0;
};

class ProbeServer {
public:
    // `calls` drives the 403's JTAG side (Rimbolt); `devicePath` the driver device.
    explicit ProbeServer(const ppc::JtagCalls& calls, const std::string& devicePath = ppc::kDevicePath);
    ~ProbeServer();

    // At library load: "log.on" and "bb_log.on" in `folder`, then the probe libraries.
    void Start(const std::string& folder);
    void LoadLibraries() { libs_.LoadAtStart(); }
    void UnloadLibraries() { libs_.Unload(); }

    int32_t DoCommand(const uint8_t* packet, uint8_t* reply);

    // Tests: the cable of the 8xx development port (none exists here).
    void SetDevPortCable(ppc::DevPortCable* cable) { devPort_ = cable; }
    // Where "pellitons.log" is written (the current folder by default).
    void SetLogFolder(const std::string& folder) { logFolder_ = folder; }

    const Connection& Entry(uint8_t sync) const { return table_[sync]; }
    uint16_t Family() const { return family_; }
    uint8_t Mode() const { return mode_; }
    uint8_t Variant() const { return variant_; }
    uint16_t Port() const { return port_; }
    const std::string& Text(int which) const { return texts_[which]; }
    ProbeLibraries& Libraries() { return libs_; }
    ppc::IbmAccess& Access() { return access_; }

    static const char* CommandName(uint8_t code);

private:
    struct Call;  // one command's packet, reply and length

    void Handle(Call& c);
    void Forward(Call& c, DoCommandFn fn, uint8_t missingStatus, bool refusedFlag);
    bool Forwarding(Call& c);
    void ChangeConnection(uint8_t sync);
    bool FamilyReady(uint16_t family) const;
    uint8_t NotReadyStatus(uint16_t family) const;
    static bool TemplateFamily(uint16_t family);
    void PlaceStatusAndFlags(Call& c);
    bool TargetCheck();
    TargetFamily* Layer();
    void Dispatch(Call& c);
    bool SetUpFamily(Call& c, uint16_t family, uint16_t port, uint16_t parameter);
    void SendTemplateSelector();

    // Handlers.
    void Version(Call& c);
    void InitializeTarget(Call& c);
    void SetSpeed(Call& c);
    void SetRegisterBuffer(Call& c);
    void SelectTemplate(Call& c);
    void RunFrom(Call& c, bool fromAddress);
    void SimpleRun(Call& c);
    void SingleStep(Call& c, bool withState, unsigned count);
    void ReadRegisters(Call& c, const std::vector<uint16_t>& numbers);
    void ReadRegisterRange(Call& c);
    void WriteRegisters(Call& c);
    void ReadMemory(Call& c, int variant);
    void WriteMemory(Call& c, int variant);
    void FillMemory(Call& c);
    void ReadState(Call& c);
    void SetScatter(Call& c);
    void WriteScatter(Call& c);
    void Misc(Call& c);
    void SetConnection(Call& c);
    void SetLogging(Call& c);
    void Identity(Call& c);

    // Stop-around: stops a running target of families 0, 2 and 3 for `access`.
    template <typename F>
    void StopAround(F access);

    ProbeLibraries libs_;
    CommandLog log_;
    std::string logFolder_ = ".";
    ppc::IbmAccess access_;
    Family403 family403_;
    ppc::DevPortCable* devPort_ = nullptr;
    std::unique_ptr<Family8xx> family8xx_;
    std::unique_ptr<FamilySerialIce> serialIce_;

    std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
    std::array<Connection, 256> table_{};
    int sync_ = -1;
    uint16_t family_ = kPelNoFamily;
    uint8_t mode_ = 11;
    uint8_t selector_ = 0;
    uint8_t variant_ = 0;
    uint16_t port_ = 0;
    uint16_t lastCablePort_ = 0xFFFF;
    std::array<uint16_t, 3> firstSeen_ = {0xFFFF, 0xFFFF, 0xFFFF};  // kind, parameter, port
    std::vector<uint16_t> scatter_;
    uint8_t functionCode_ = 0;
    uint8_t portMode8xx_ = 0;
    bool targetCheckOff_ = false;
    bool set8xx_ = false;
    bool registerBufferSet_ = false;
    bool errorFlag_ = false;
    bool faultFlag_ = false;
    std::string texts_[2];
    std::FILE* bbLog_ = nullptr;
};

}  // namespace pellitons
