#include "ppc/ppc403.h"

#include "ppc/ppc_words.h"

namespace ppc {

namespace {

constexpr unsigned kDataCacheClasses = 32;
constexpr unsigned kInstructionCacheClasses = 64;
constexpr uint32_t kCacheLine = 16;

}  // namespace

void Ppc403::Execute(uint32_t word)
{
    access_.Instruction7();
    for (int i = 0; i < kReadyPolls; ++i) {
        if ((access_.ReadDataWord() & 0x02) == 0)
            break;
    }
    access_.WriteDataWord(word);
}

uint32_t Ppc403::GetGpr(unsigned n)
{
    Execute(MoveGprToDbdr(n));
    access_.Instruction11();
    return access_.ReadDataWord();
}

void Ppc403::SetGpr(unsigned n, uint32_t value)
{
    access_.Instruction11();
    access_.WriteDataWord(value);
    Execute(MoveDbdrToGpr(n));
}

uint32_t Ppc403::ReadPc()
{
    const uint32_t lr = GetSpr(kSprLr);
    Execute(kBranchAndLinkNext);
    const uint32_t next = GetSpr(kSprLr);
    SetSpr(kSprLr, lr);
    return next - 4;
}

void Ppc403::WritePc(uint32_t value)
{
    const uint32_t lr = GetSpr(kSprLr);
    SetSpr(kSprLr, value);
    Execute(kBranchToLr);
    SetSpr(kSprLr, lr);
}

uint32_t Ppc403::RunStatus()
{
    return access_.ReadDataWord() & 1u;
}

bool Ppc403::Running()
{
    access_.Instruction5(false);
    return RunStatus() == 0;
}

bool Ppc403::Go()
{
    access_.Instruction5(false);
    access_.WriteCommandByte(0, false);
    return RunStatus() == 0;
}

bool Ppc403::Stop()
{
    access_.Instruction5(false);
    access_.WriteCommandByte(runControl_ & 0x83, false);
    return RunStatus() != 0;
}

bool Ppc403::Step()
{
    access_.Instruction5(false);
    access_.WriteCommandByte(runControl_, false);
    return RunStatus() != 0;
}

bool Ppc403::ResetAndRun()
{
    access_.Instruction5(false);
    access_.WriteCommandByte(0x98, false);
    return true;
}

bool Ppc403::ResetAndHalt()
{
    access_.AssertLine();
    access_.Instruction5(true);
    access_.WriteCommandByte(0x18, true);
    access_.Instruction5(true);
    access_.WriteCommandByte(0x80, true);
    access_.NegateLine();
    return true;
}

void Ppc403::BeforeWrite()
{
    dccr_ = GetSpr(kSprDccr);
    iccr_ = GetSpr(kSprIccr);
}

void Ppc403::MaintainCaches(uint32_t address)
{
    const uint32_t region = RegionBit(address);
    if (iccr_ & region)
        Execute(kIcacheBlockInvalidate);
    if (dccr_ & region)
        Execute(kDcacheBlockStore);
}

void Ppc403::AfterStore(uint32_t address, size_t written)
{
    if (written % kCacheLine == 0)
        MaintainCaches(address);
}

void Ppc403::AfterWrite(uint32_t address)
{
    MaintainCaches(address);
}

void Ppc403::InvalidateCaches()
{
    dccr_ = GetSpr(kSprDccr);
    iccr_ = GetSpr(kSprIccr);
    const uint32_t r1 = GetGpr(1);
    if (dccr_ != 0) {
        for (unsigned i = 0; i < kDataCacheClasses; ++i) {
            SetGpr(1, i * kCacheLine);
            Execute(kDcacheClassInvalidate);
        }
    }
    if (iccr_ != 0) {
        for (unsigned i = 0; i < kInstructionCacheClasses; ++i) {
            SetGpr(1, i * kCacheLine);
            Execute(kIcacheClassInvalidate);
        }
    }
    SetGpr(1, r1);
}

}  // namespace ppc
