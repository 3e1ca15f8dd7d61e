#include "ppc/ppc8xx.h"

#include "ppc/ppc_words.h"

namespace ppc {

namespace {

constexpr uint32_t kMsrFloatingPoint = 0x2000;
constexpr uint32_t kSrr1SingleStep = 0x400;
constexpr uint32_t kDebugMsr = 0x3002;  // machine state while the debug port runs the core

}  // namespace

void Ppc8xx::Log(const std::string& text)
{
    if (log_)
        log_(text);
}

void Ppc8xx::Begin(const std::string& text)
{
    Log(text);
}

void Ppc8xx::End()
{
    Log("END");
}

PortAnswer Ppc8xx::Exchange(uint32_t word)
{
    PortAnswer answer;
    for (int attempt = 0; attempt < kExchangeAttempts; ++attempt) {
        answer = cable_.ExchangeData(word);
        if (answer.status == 0)
            break;
    }
    lastStatus_ = answer.status;
    if (answer.status != 0) {
        error_ = true;
        Log("BDM RETURN STATUS = " + std::to_string(answer.status));
    }
    return answer;
}

void Ppc8xx::Execute(uint32_t word)
{
    cable_.SendInstruction(word);
}

uint32_t Ppc8xx::GetGpr(unsigned n)
{
    cable_.SendInstruction(MoveGprToDpdr(n));
    return Exchange(kNoOperation).data;
}

void Ppc8xx::SetGpr(unsigned n, uint32_t value)
{
    cable_.SendInstruction(MoveDpdrToGpr(n));
    Exchange(value);
}

uint32_t Ppc8xx::ReadPc()
{
    Begin("READ PC COMMAND");
    const uint32_t value = GetSpr(kSprSrr0);
    End();
    return value;
}

void Ppc8xx::WritePc(uint32_t value)
{
    Begin("WRITE PC COMMAND");
    SetSpr(kSprSrr0, value);
    End();
}

uint32_t Ppc8xx::ReadMsr8xx()
{
    Begin("READ MSR COMMAND");
    const uint32_t value = GetSpr(kSprSrr1);
    End();
    return value;
}

void Ppc8xx::WriteMsr8xx(uint32_t value)
{
    Begin("WRITE MSR COMMAND");
    SetSpr(kSprSrr1, value);
    End();
}

bool Ppc8xx::Go()
{
    Begin("RUN COMMAND");
    const uint32_t r1 = GetGpr(1);
    SetSpr(kSprSrr1, GetSpr(kSprSrr1) & ~kSrr1SingleStep);
    SetGpr(1, kDebugMsr);
    Execute(kMoveToMsr);
    GetSpr(kSprIcr);
    SetGpr(1, r1);
    Execute(kReturnFromInterrupt);
    End();
    return !error_;
}

bool Ppc8xx::Step()
{
    Begin("STEP COMMAND");
    SetSpr(kSprSrr1, GetSpr(kSprSrr1) | kSrr1SingleStep);
    GetSpr(kSprIcr);
    Execute(kReturnFromInterrupt);
    End();
    return !error_;
}

bool Ppc8xx::Stop()
{
    Begin("STOP COMMAND");
    // A core in debug mode answers a data exchange with valid data.
    const PortAnswer first = cable_.ExchangeData(kNoOperation);
    bool stopped = first.status == 0;
    if (stopped) {
        Log("  Already stopped");
    } else {
        stopped = Exchange(kNoOperation).status == 0;
    }
    End();
    return stopped;
}

bool Ppc8xx::Halted()
{
    return cable_.ExchangeData(kNoOperation).status == 0;
}

void Ppc8xx::EnableFloatingPoint(uint32_t& savedMsr)
{
    savedMsr = GetThroughR1(kMoveFromMsr);
    if (!(savedMsr & kMsrFloatingPoint))
        SetThroughR1(kMoveToMsr, savedMsr | kMsrFloatingPoint);
}

uint64_t Ppc8xx::GetFpr(unsigned n)
{
    const uint32_t r0 = GetGpr(0);
    const uint32_t r1 = GetGpr(1);
    SetGpr(1, registerBuffer_);
    Execute(StoreDouble(n));
    Execute(kLoadWord);
    const uint32_t high = GetGpr(0);
    SetGpr(1, registerBuffer_ + 4);
    Execute(kLoadWord);
    const uint32_t low = GetGpr(0);
    SetGpr(0, r0);
    SetGpr(1, r1);
    return uint64_t(high) << 32 | low;
}

void Ppc8xx::SetFpr(unsigned n, uint64_t value)
{
    const uint32_t r0 = GetGpr(0);
    const uint32_t r1 = GetGpr(1);
    SetGpr(1, registerBuffer_);
    LoadR0(uint32_t(value >> 32), Unit::Word);
    Execute(kStoreWord);
    SetGpr(1, registerBuffer_ + 4);
    LoadR0(uint32_t(value), Unit::Word);
    Execute(kStoreWord);
    SetGpr(1, registerBuffer_);
    Execute(LoadDouble(n));
    SetGpr(0, r0);
    SetGpr(1, r1);
}

uint64_t Ppc8xx::ReadFpr(unsigned n)
{
    Begin("READ FPREG COMMAND");
    uint32_t msr = 0;
    EnableFloatingPoint(msr);
    const uint64_t value = GetFpr(n);
    if (!(msr & kMsrFloatingPoint))
        SetThroughR1(kMoveToMsr, msr);
    End();
    return value;
}

void Ppc8xx::WriteFpr(unsigned n, uint64_t value)
{
    Begin("WRITE FPREG COMMAND");
    uint32_t msr = 0;
    EnableFloatingPoint(msr);
    SetFpr(n, value);
    if (!(msr & kMsrFloatingPoint))
        SetThroughR1(kMoveToMsr, msr);
    End();
}

uint32_t Ppc8xx::ReadFpscr()
{
    Begin("READ FPSCR COMMAND");
    uint32_t msr = 0;
    EnableFloatingPoint(msr);
    const uint64_t f1 = GetFpr(1);
    Execute(kMoveFromFpscr);
    const uint32_t value = uint32_t(GetFpr(1));
    SetFpr(1, f1);
    if (!(msr & kMsrFloatingPoint))
        SetThroughR1(kMoveToMsr, msr);
    End();
    return value;
}

void Ppc8xx::WriteFpscr(uint32_t value)
{
    Begin("WRITE FPSCR COMMAND");
    uint32_t msr = 0;
    EnableFloatingPoint(msr);
    const uint64_t f1 = GetFpr(1);
    SetFpr(1, value);
    Execute(kMoveToFpscr);
    SetFpr(1, f1);
    if (!(msr & kMsrFloatingPoint))
        SetThroughR1(kMoveToMsr, msr);
    End();
}

uint32_t Ppc8xx::ReadWord(uint32_t address)
{
    Begin("READ 1 LONG COMMAND");
    const uint32_t r0 = GetGpr(0);
    const uint32_t r1 = GetGpr(1);
    SetGpr(1, address);
    Execute(kLoadWord);
    const uint32_t value = GetGpr(0);
    SetGpr(0, r0);
    SetGpr(1, r1);
    End();
    return value;
}

void Ppc8xx::WriteWord(uint32_t address, uint32_t value)
{
    const uint32_t r0 = GetGpr(0);
    const uint32_t r1 = GetGpr(1);
    SetGpr(1, address);
    LoadR0(value, Unit::Word);
    Execute(kStoreWord);
    SetGpr(0, r0);
    SetGpr(1, r1);
}

namespace {

const char* ReadBlockText(Unit unit)
{
    switch (unit) {
    case Unit::Byte: return "READ BUFFER BYTE COMMAND";
    case Unit::Half: return "READ BUFFER HALF COMMAND";
    case Unit::Word: break;
    }
    return "READ BUFFER WORD COMMAND";
}

const char* WriteBlockText(Unit unit)
{
    switch (unit) {
    case Unit::Byte: return "WRITE BYTE ARRAY COMMAND";
    case Unit::Half: return "WRITE HALF ARRAY COMMAND";
    case Unit::Word: break;
    }
    return "WRITE WORD ARRAY COMMAND";
}

}  // namespace

void Ppc8xx::ReadBlock(uint32_t address, Unit unit, uint8_t* buffer, size_t length)
{
    Begin(ReadBlockText(unit));
    ReadMemory(address, unit, buffer, length);
    End();
}

void Ppc8xx::WriteBlock(uint32_t address, Unit unit, const uint8_t* buffer, size_t length)
{
    Begin(WriteBlockText(unit));
    WriteMemory(address, unit, buffer, length);
    End();
}

void Ppc8xx::Fill(uint32_t address, Unit unit, uint32_t value, size_t length)
{
    Begin("FILL MEM COMMAND");
    FillMemory(address, unit, value, length);
    End();
}

bool Ppc8xx::FastDownload(uint32_t address, const uint8_t* data, size_t length)
{
    Log("FAST DOWNLOAD");
    bool done = false;
    if (fastDownload_) {
        done = fastDownload_(address, data, length);
    } else {
        WriteMemory(address, Unit::Word, data, length);
        done = !error_;
    }
    Log("END Fast Download");
    return done;
}

}  // namespace ppc
