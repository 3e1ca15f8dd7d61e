#include "simcore/cpu_state.h"

namespace zk::sim {

namespace {

// Physical register of each logical register (r0-r15, CPSR, SPSR) per mode.
constexpr uint8_t kModeMap[8][18] = {
    // USER
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17},
    // FIQ
    {0, 1, 2, 3, 4, 5, 6, 7, 18, 19, 20, 21, 22, 23, 24, 15, 16, 25},
    // IRQ
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 32, 33, 15, 16, 34},
    // SVC
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 26, 27, 15, 16, 28},
    // ABORT
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 29, 30, 15, 16, 31},
    // UNDEF
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 35, 36, 15, 16, 37},
    // SYSTEM
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17},
    // invalid: the USER view
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17},
};

constexpr uint32_t LaneBits(unsigned lanes)
{
    uint32_t bits = 0;
    for (unsigned lane = 0; lane < 4; ++lane) {
        if (lanes & (1u << lane))
            bits |= 0xFFu << (8 * lane);
    }
    return bits;
}

}  // namespace

std::string_view ModeName(Mode mode)
{
    switch (mode) {
    case Mode::User: return "USER";
    case Mode::Fiq: return "FIQ";
    case Mode::Irq: return "IRQ";
    case Mode::Svc: return "SVC";
    case Mode::Abort: return "ABORT";
    case Mode::Undef: return "UNDEF";
    case Mode::System: return "SYSTEM";
    default: return "";
    }
}

unsigned PhysicalIndex(Mode m, unsigned logical)
{
    return kModeMap[static_cast<unsigned>(m)][logical];
}

void CpuState::Reset()
{
    phys_.fill(0);
    for (uint32_t& x : r)
        x = 0;
    mode = Mode::Svc;
    thumb = false;
    pc = 0;
    nextPc = 0;
    cpsr = kCpsrResetValue;
    for (unsigned p : {25u, 28u, 31u, 34u, 37u})
        phys_[p] = kSpsrResetValue;
    dirtyView = 0;
    dirtyPhys_ = 0;
    icount = 0;
}

void CpuState::SetPc(uint32_t v)
{
    pc = v;
    nextPc = v;
    r[kRegPc] = v;
    MarkDirty(kRegPc);
}

int CpuState::ActiveSlot(unsigned p) const
{
    if (p < 8 || p == kRegPc)
        return static_cast<int>(p);
    for (unsigned i = 8; i < 15; ++i) {
        if (kModeMap[static_cast<unsigned>(mode)][i] == p)
            return static_cast<int>(i);
    }
    return -1;
}

void CpuState::FoldDirty() const
{
    dirtyPhys_ = DirtyMask();
}

uint64_t CpuState::DirtyMask() const
{
    uint64_t m = dirtyPhys_;
    for (unsigned i = 0; i < 16; ++i) {
        if (dirtyView & (1u << i))
            m |= uint64_t{1} << kModeMap[static_cast<unsigned>(mode)][i];
    }
    return m;
}

bool CpuState::IsDirty(unsigned p) const
{
    return p < kPhysCount && (DirtyMask() >> p) & 1;
}

void CpuState::ClearDirty()
{
    dirtyView = 0;
    dirtyPhys_ = 0;
}

void CpuState::SwitchMode(Mode to)
{
    if (to == mode)
        return;
    FoldDirty();
    dirtyView = 0;
    const auto from = static_cast<unsigned>(mode);
    const auto next = static_cast<unsigned>(to);
    for (unsigned i = 8; i < 15; ++i) {
        phys_[kModeMap[from][i]] = r[i];
    }
    for (unsigned i = 8; i < 15; ++i) {
        r[i] = phys_[kModeMap[next][i]];
    }
    mode = to;
}

void CpuState::WriteCpsr(uint32_t v)
{
    cpsr = v;
    thumb = (v & kCpsrThumb) != 0;
    MarkDirty(kPhysCpsr);
    SwitchMode(ModeFromCpsr(v));
}

void CpuState::SetSpsr(uint32_t v)
{
    const unsigned p = PhysicalIndex(mode, kLogicalSpsr);
    phys_[p] = v;
    MarkDirty(p);
}

void CpuState::MsrCpsr(uint32_t value, unsigned lanes)
{
    if (mode == Mode::User)
        lanes &= kLaneFlags;
    const uint32_t bits = LaneBits(lanes);
    const bool wasThumb = thumb;
    WriteCpsr((cpsr & ~bits) | (value & bits));
    if (!wasThumb && thumb)
        nextPc = pc + 2;
}

void CpuState::MsrSpsr(uint32_t value, unsigned lanes)
{
    if (!HasSpsr(mode))
        lanes &= kLaneFlags;
    const uint32_t bits = LaneBits(lanes);
    SetSpsr((Spsr() & ~bits) | (value & bits));
}

uint32_t CpuState::ReadPhysical(unsigned p) const
{
    if (p >= kPhysCount)
        return 0;
    if (p == kPhysCpsr)
        return cpsr;
    const int slot = ActiveSlot(p);
    return slot >= 0 ? r[slot] : phys_[p];
}

void CpuState::Store(unsigned p, uint32_t value)
{
    if (p == kPhysCpsr) {
        WriteCpsr(value);
        return;
    }
    if (p == kRegPc) {
        SetPc(value);
        return;
    }
    const int slot = ActiveSlot(p);
    if (slot >= 0) {
        r[slot] = value;
    } else {
        phys_[p] = value;
    }
    MarkDirty(p);
}

void CpuState::WritePhysical(unsigned p, uint32_t value)
{
    if (p < kPhysCount)
        Store(p, value);
}

uint32_t CpuState::Read(unsigned logical, Mode m) const
{
    if (logical > kLogicalSpsr)
        return 0;
    const uint32_t v = ReadPhysical(PhysicalIndex(m, logical));
    if (logical == kRegPc)
        return v & (thumb ? ~1u : ~3u);
    return v;
}

void CpuState::Write(unsigned logical, Mode m, uint32_t value, unsigned lanes)
{
    if (logical > kLogicalSpsr)
        return;
    const unsigned p = PhysicalIndex(m, logical);
    if (!(lanes & kWholeWord)) {
        // The lane rules look at the current mode, whatever view is written.
        if (logical == kLogicalCpsr && mode == Mode::User)
            lanes &= kLaneFlags;
        if (logical == kLogicalSpsr && !HasSpsr(mode))
            lanes &= kLaneFlags;
        const uint32_t bits = LaneBits(lanes);
        value = (ReadPhysical(p) & ~bits) | (value & bits);
    }
    Store(p, value);
}

uint32_t CpuState::UserReg(unsigned i) const
{
    return ReadPhysical(PhysicalIndex(Mode::User, i));
}

void CpuState::SetUserReg(unsigned i, uint32_t v)
{
    if (i == kRegPc) {
        WritePc(v);
        return;
    }
    Store(PhysicalIndex(Mode::User, i), v);
}

void CpuState::EnterException(Exception e)
{
    struct Entry {
        uint32_t keep, set, vector;
    };
    // Low byte of the new CPSR: mode, I set, T cleared, F kept.
    static constexpr Entry kEntries[] = {
        {0xDB, 0x9B, 0x04},  // undefined instruction: UNDEF
        {0xD3, 0x93, 0x08},  // SWI: SVC
        {0xD7, 0x97, 0x0C},  // prefetch abort: ABORT
        {0xD7, 0x97, 0x10},  // data abort: ABORT
    };
    const Entry& entry = kEntries[static_cast<unsigned>(e)];
    const uint32_t old = cpsr;
    uint32_t link = nextPc;
    if (e == Exception::PrefetchAbort)
        link = pc + 4;
    if (e == Exception::DataAbort)
        link = pc + 8;
    WriteCpsr((old & ~0xFFu) | ((old & entry.keep) | entry.set));
    SetSpsr(old);
    SetReg(kRegLr, link);
    WritePc(vectorBase + entry.vector);
}

}  // namespace zk::sim
