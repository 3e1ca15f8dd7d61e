// The PowerPC 8xx over its serial development port: the cable sends an
// instruction for the halted core to execute, or exchanges a data word with
// the development port data register (special register 630) and reports the
// port's answer (0 valid data; 1 to 3 the port's other answers).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ppc/stuffed_core.h"

namespace ppc {

struct PortAnswer {
    uint8_t status = 0;
    uint32_t data = 0;
};

// What a development-port cable offers the command layer.
class DevPortCable {
public:
    virtual ~DevPortCable() = default;
    virtual void SendInstruction(uint32_t word) = 0;
    virtual PortAnswer ExchangeData(uint32_t word) = 0;
};

class Ppc8xx : public StuffedCore {
public:
    explicit Ppc8xx(DevPortCable& cable) : cable_(cable) {}

    // The cable log: each operation writes its name before and "END" after it.
    using LogSink = std::function<void(const std::string&)>;
    void SetLog(LogSink sink) { log_ = std::move(sink); }

    // Target memory used as scratch for floating-point transfers.
    void SetRegisterBuffer(uint32_t address) { registerBuffer_ = address; }
    uint32_t RegisterBuffer() const { return registerBuffer_; }

    // Raised after a port answer stayed other than valid for 5 exchanges.
    bool Error() const { return error_; }
    void ClearError() { error_ = false; }
    uint8_t LastStatus() const { return lastStatus_; }
    static constexpr int kExchangeAttempts = 5;

    uint32_t ReadPc();
    void WritePc(uint32_t value);
    uint32_t ReadMsr8xx();
    void WriteMsr8xx(uint32_t value);

    bool Go();
    bool Step();
    // True when the core is (or came to be) stopped; logs "  Already stopped"
    // when it was stopped before.
    bool Stop();
    // True when the core answers a data exchange with valid data (debug mode).
    bool Halted();

    uint64_t ReadFpr(unsigned n);
    void WriteFpr(unsigned n, uint64_t value);
    uint32_t ReadFpscr();
    void WriteFpscr(uint32_t value);

    uint32_t ReadWord(uint32_t address);
    void WriteWord(uint32_t address, uint32_t value);
    void ReadBlock(uint32_t address, Unit unit, uint8_t* buffer, size_t length);
    void WriteBlock(uint32_t address, Unit unit, const uint8_t* buffer, size_t length);
    void Fill(uint32_t address, Unit unit, uint32_t value, size_t length);

    // A cable with a faster path for large word writes hooks it here; without
    // a hook the block is written word by word.
    using FastDownloadHook = std::function<bool(uint32_t address, const uint8_t* data, size_t length)>;
    void SetFastDownload(FastDownloadHook hook) { fastDownload_ = std::move(hook); }
    bool FastDownload(uint32_t address, const uint8_t* data, size_t length);

protected:
    void Execute(uint32_t word) override;
    uint32_t GetGpr(unsigned n) override;
    void SetGpr(unsigned n, uint32_t value) override;
    void Begin(const std::string& text) override;
    void End() override;

private:
    PortAnswer Exchange(uint32_t word);
    void Log(const std::string& text);
    void EnableFloatingPoint(uint32_t& savedMsr);
    uint64_t GetFpr(unsigned n);
    void SetFpr(unsigned n, uint64_t value);

    DevPortCable& cable_;
    LogSink log_;
    FastDownloadHook fastDownload_;
    uint32_t registerBuffer_ = 0;
    uint8_t lastStatus_ = 0;
    bool error_ = false;
};

}  // namespace ppc
