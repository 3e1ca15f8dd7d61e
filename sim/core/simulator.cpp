#include "simcore/simulator.h"

#include <cstdio>
#include <limits>

#include "alu.h"
#include "exec_tables.h"

namespace zk::sim {

void Simulator::FreeCachesAndBuffer()
{
    core_.mem.CacheOf(Side::Instruction).Free();
    core_.mem.CacheOf(Side::Data).Free();
    cp15_.Btb().Free();
}

bool Simulator::AllocateCachesAndBuffer()
{
    const char* failure = nullptr;
    if (!core_.mem.CacheOf(Side::Instruction).Allocate(geometry_[0])) {
        failure = "Can not allocate memory for simulator ICACHE!!!\n";
    } else if (!core_.mem.CacheOf(Side::Data).Allocate(geometry_[1])) {
        failure = "Can not allocate memory for simulator DCACHE!!!\n";
    } else if (!cp15_.Btb().Allocate()) {
        failure = "Can not allocate memory for simulator BTB!!!\n";
    }
    if (!failure)
        return true;
    // Reported whatever the print switches say.
    std::fputs(failure, stdout);
    std::fflush(stdout);
    return false;
}

bool Simulator::Initialise(bool secondCp15Reset)
{
    FreeCachesAndBuffer();
    core_.mem.Store().Clear();
    const bool allocated = AllocateCachesAndBuffer();
    if (allocated) {
        core_.mem.SelfModified().Clear();
        core_.history.Clear();
        core_.cpu.Reset();
        cp15_.Reset();
    }
    if (secondCp15Reset)
        cp15_.Reset();
    return allocated;
}

void Simulator::Close()
{
    FreeCachesAndBuffer();
    core_.mem.Store().Clear();
    core_.mem.SelfModified().Clear();
    core_.history.Clear();
}

bool Simulator::SetCacheGeometry(Side side, const CacheGeometry& geometry)
{
    if (!geometry.Valid())
        return false;
    geometry_[static_cast<unsigned>(side)] = geometry;
    return true;
}

bool Simulator::ReadCoprocessorRegister(unsigned crn, unsigned index, uint32_t& value)
{
    return cp15_.Read(0, crn, index, 0, core_.cpu.mode, value);
}

bool Simulator::WriteCoprocessorRegister(unsigned crn, unsigned index, uint32_t value)
{
    switch (cp15_.Write(0, crn, index, 0, core_.cpu.mode, value)) {
    case Cp15Write::Refused: return false;
    case Cp15Write::ResetRequested: Reset(); return true;
    default: return true;
    }
}

bool Simulator::ReadRegister(int number, uint32_t& value) const
{
    const CpuState& cpu = core_.cpu;
    if (number == 0) {
        value = cpu.cpsr;
    } else if (number >= 1 && number <= 16) {
        value = cpu.Read(static_cast<unsigned>(number - 1), cpu.mode);
    } else if (number == 17) {
        value = cpu.Read(kLogicalSpsr, cpu.mode);
    } else if (number >= 18 && number <= 37) {
        value = cpu.ReadPhysical(static_cast<unsigned>(number));
    } else {
        return false;
    }
    return true;
}

bool Simulator::WriteRegister(int number, uint32_t value)
{
    CpuState& cpu = core_.cpu;
    if (number == 0) {
        cpu.WriteCpsr(value);
    } else if (number >= 1 && number <= 16) {
        cpu.Write(static_cast<unsigned>(number - 1), cpu.mode, value);
    } else if (number == 17) {
        cpu.Write(kLogicalSpsr, cpu.mode, value);
    } else if (number >= 18 && number <= 37) {
        cpu.WritePhysical(static_cast<unsigned>(number), value);
    } else {
        return false;
    }
    return true;
}

bool Simulator::ReadMemory(uint32_t addr, AccessKind kind, unsigned width, uint32_t& value)
{
    return core_.mem.Read(addr, core_.cpu.mode, kind, width, value);
}

bool Simulator::WriteMemory(uint32_t addr, AccessKind kind, unsigned width, uint32_t value)
{
    return core_.mem.Write(addr, core_.cpu.mode, kind, width, value);
}

int Simulator::Run(uint32_t count)
{
    core_.cpu.ClearDirty();
    const uint64_t limit = count ? count : std::numeric_limits<uint64_t>::max();
    const int code = hook_ || core_.mem.SelfModifyCheck() ? RunLoop<true>(limit) : RunLoop<false>(limit);
    // Performed here, once the instruction that asked for it has finished.
    if (code == kReset)
        Reset();
    return code;
}

namespace {

// Fills a slot from the word (ARM) or halfword (Thumb) the store holds.
template <bool kThumb>
void DecodeInto(DecodedSlot& s, uint32_t word)
{
    s.word = word;
    if constexpr (kThumb) {
        s.handler = kThumbHandlers[armdecode::ThumbKey(word)];
        s.flags = ThumbSlotFlags(word);
    } else {
        s.handler = kArmHandlers[armdecode::ArmKey(word)];
        s.flags = ArmSlotFlags(word);
    }
}

}  // namespace

// The decoded slots of the page holding addr in the state; false when no
// memory could be had for them.
template <bool kThumb>
bool Simulator::EnterPage(uint32_t addr, DecodedSlot*& slots, uint32_t& pageNumber)
{
    DecodedPage* page = core_.mem.Store().Decoded(addr);
    if (!page) [[unlikely]]
        return false;
    slots = kThumb ? page->thumb : page->arm;
    pageNumber = addr >> SparseStore::kPageBits;
    return true;
}

// A run of instructions from the decoded slots in one state, while no hook
// or self-modify check is on; kThrough: every fetch goes through the
// protection unit and the instruction cache, else every access goes straight
// to the store. Slots not decoded yet are filled as the run reaches them.
// It ends before an instruction that may end the whole run or that a slot
// cannot serve (the full pass takes those), and after a change of state or
// access path, the limit, a reset request or a stop request; it follows
// branches and straight-line code into other pages. An instruction whose
// slot says it goes on with the next one moves the PC on without looking at
// the processor state; only the others, and a step into the next page, are
// followed by the checks for a change of state, page or access path and
// for a stop request. Inside the run the PC and the instruction count live in
// registers, and the history head follows from the count (one record per
// instruction); everything is back in the processor state before an
// exception is entered and when the run ends. True when the full pass is to
// go on, false when Run is to return `code`; `ran` tells whether any
// instruction executed.
template <bool kThumb, bool kThrough>
bool Simulator::RunDecoded(DecodedSlot* slots, uint32_t pageNumber, uint64_t limit, uint64_t& executed,
                           unsigned& headInOut, int& code, bool& ran)
{
    constexpr uint32_t kStep = kThumb ? 2 : 4;
    constexpr unsigned kSlotShift = kThumb ? 1 : 2;
    constexpr uint32_t kSlotMask = (kThumb ? DecodedPage::kThumbSlots : DecodedPage::kArmSlots) - 1;
    constexpr uint32_t kPageOffsetMask = (1u << SparseStore::kPageBits) - 1;
    CpuState& cpu = core_.cpu;
    History& history = core_.history;
    // One counter serves as the history head and the number of instructions
    // run: each instruction writes one record.
    const uint64_t first = headInOut;
    const uint64_t left = limit - executed;
    const uint64_t end =
        left > std::numeric_limits<uint64_t>::max() - first ? std::numeric_limits<uint64_t>::max() : first + left;
    uint64_t n = first;
    uint32_t at = cpu.pc;
    uint32_t aborted = 0;  // aborted instructions are not counted
    bool goOn = true;
    int result = 0;
    for (;;) {
        DecodedSlot& s = slots[(at >> kSlotShift) & kSlotMask];
        if constexpr (kThrough) {
            // The fetch goes through the protection unit and the instruction
            // cache as in the full pass; the slot serves when it holds the
            // fetched word. A refused fetch, a slot of another word (a stale
            // cache line) and a word whose slot cannot be filled from the
            // store are left to the full pass, whose repeated fetch finds the
            // same answer and changes no line.
            uint32_t fetched;
            if (!core_.mem.Fetch(at, cpu.mode, kStep, fetched)) [[unlikely]]
                break;
            if (s.word != fetched || !s.handler) [[unlikely]] {
                if (s.handler || core_.mem.Store().Read(at, kStep) != fetched)
                    break;
                DecodeInto<kThumb>(s, fetched);
            }
        }
        unsigned flags = s.flags;
        if (!flags) [[unlikely]] {
            // Not decoded yet, or a word the full pass takes.
            if (kThrough || s.handler)
                break;
            DecodeInto<kThumb>(s, core_.mem.Store().Read(at, kStep));
            flags = s.flags;
            if (!flags)
                break;
        }
        const InstructionHandler handler = s.handler;
        const uint32_t w = s.word;
        ++n;
        cpu.nextPc = at + kStep;
        cpu.r[kRegPc] = at + 2 * kStep;
        if constexpr (kThumb) {
            result = handler(core_, w);
        } else {
            const unsigned cond = w >> 28;
            result = cond == 0xE || ConditionPasses(cond, cpu.cpsr) ? handler(core_, w) : kConditionFailed;
        }
        // Nothing an instruction does reads the ring: its record is written
        // whole once it ran.
        history.Slot(static_cast<unsigned>(n)) = {at, w, result, true};
        // Thumb handlers never answer kConditionFailed.
        if (IsEvent(result) && (kThumb || result != kConditionFailed)) [[unlikely]] {
            cpu.pc = at;
            switch (result) {
            case kUndefined: cpu.EnterException(Exception::Undefined); break;
            case kSwi: cpu.EnterException(Exception::Swi); break;
            case kPrefetchAbort:
                cpu.EnterException(Exception::PrefetchAbort);
                ++aborted;
                break;
            case kDataAbort:
                cpu.EnterException(Exception::DataAbort);
                ++aborted;
                break;
            case kReset:
                // Run performs the reset; the PC stays at the instruction,
                // which is not counted.
                cpu.icount += static_cast<uint32_t>(n - first - 1 - aborted);
                headInOut = static_cast<unsigned>(n) & (History::kSize - 1);
                executed += n - first;
                code = result;
                ran = true;
                return false;
            default: break;
            }
        } else if (flags & kSlotStraight) [[likely]] {
            at += kStep;
            if (n >= end) [[unlikely]] {
                goOn = false;
                break;
            }
            if ((at & kPageOffsetMask) == 0) [[unlikely]] {
                if (stopRequest_.load(std::memory_order_relaxed)) {
                    stopRequest_.store(false, std::memory_order_relaxed);
                    goOn = false;
                    break;
                }
                if (!EnterPage<kThumb>(at, slots, pageNumber))
                    break;
            }
            continue;
        }
        const bool thumb = cpu.thumb;
        at = cpu.nextPc & (thumb ? ~1u : ~3u);
        if (n >= end) [[unlikely]] {
            goOn = false;
            break;
        }
        if (stopRequest_.load(std::memory_order_relaxed)) [[unlikely]] {
            stopRequest_.store(false, std::memory_order_relaxed);
            goOn = false;
            break;
        }
        if (thumb != kThumb || core_.mem.Direct() == kThrough) [[unlikely]]
            break;
        if ((at >> SparseStore::kPageBits) != pageNumber && !EnterPage<kThumb>(at, slots, pageNumber)) [[unlikely]]
            break;
    }
    const uint64_t done = n - first;
    cpu.pc = at;
    cpu.r[kRegPc] = at;
    cpu.icount += static_cast<uint32_t>(done - aborted);
    executed += done;
    headInOut = static_cast<unsigned>(n) & (History::kSize - 1);
    if (done)
        code = result;
    ran = done != 0;
    return goOn;
}

// One instruction per pass: fetch (or take the pre-decoded slot), test the normal-end words, execute, record
// the history, act on the result code, advance. kChecked adds the self-modify
// check and the instruction hook.
template <bool kChecked>
int Simulator::RunLoop(uint64_t limit)
{
    CpuState& cpu = core_.cpu;
    MemorySystem& mem = core_.mem;
    History& history = core_.history;
    // The newest history slot lives in a register while the loop runs.
    unsigned head = history.Head();
    struct HeadWriteBack {
        History& history;
        const unsigned& head;
        ~HeadWriteBack() { history.SetHead(head); }
    } writeBack{history, head};
    auto record = [&](uint32_t pc, uint32_t word, int code) {
        head = (head + 1) & (History::kSize - 1);
        history.Put(head, pc, word, code);
    };
    // Counts the instruction, enters the exception an event asks for and
    // moves to the next PC; false for a reset request.
    auto finish = [&cpu](int result) {
        if (IsEvent(result)) [[unlikely]] {
            switch (result) {
            case kUndefined:
                cpu.EnterException(Exception::Undefined);
                ++cpu.icount;
                break;
            case kSwi:
                cpu.EnterException(Exception::Swi);
                ++cpu.icount;
                break;
            case kPrefetchAbort: cpu.EnterException(Exception::PrefetchAbort); break;
            case kDataAbort: cpu.EnterException(Exception::DataAbort); break;
            case kReset: return false;
            default: ++cpu.icount; break;  // condition failed
            }
        } else {
            ++cpu.icount;
        }
        cpu.pc = cpu.nextPc & (cpu.thumb ? ~1u : ~3u);
        cpu.r[kRegPc] = cpu.pc;
        return true;
    };
    uint64_t executed = 0;
    int code;
    // The page of pre-decoded slots the PC is in.
    constexpr uint32_t kNoCodePage = ~0u;
    uint32_t codePageNumber = kNoCodePage;
    DecodedPage* codePage = nullptr;
    for (;;) {
        if constexpr (!kChecked) {
            // A run of instructions straight from the decoded slots of the
            // current page (see RunDecoded); the full pass below takes the
            // instruction that ended it.
            // A stop request made before the run is taken by the full pass
            // (after one instruction); the runs look at requests only after
            // instructions that may leave the straight line.
            // With the protection unit, the caches or a write observer on,
            // the run fetches every instruction through them.
            if (predecode_ && (cpu.pc >> SparseStore::kPageBits) != codePageNumber) {
                codePage = mem.Store().Decoded(cpu.pc);
                codePageNumber = codePage ? cpu.pc >> SparseStore::kPageBits : kNoCodePage;
            }
            if (codePage && (cpu.pc >> SparseStore::kPageBits) == codePageNumber && predecode_ &&
                !stopRequest_.load(std::memory_order_relaxed)) {
                bool ran = false;
                bool goOn;
                if (mem.Direct()) {
                    goOn = cpu.thumb
                        ? RunDecoded<true, false>(codePage->thumb, codePageNumber, limit, executed, head, code, ran)
                        : RunDecoded<false, false>(codePage->arm, codePageNumber, limit, executed, head, code, ran);
                } else {
                    goOn = cpu.thumb
                        ? RunDecoded<true, true>(codePage->thumb, codePageNumber, limit, executed, head, code, ran)
                        : RunDecoded<false, true>(codePage->arm, codePageNumber, limit, executed, head, code, ran);
                }
                if (!goOn)
                    return code;
                if (ran)
                    continue;
            }
        }
        const uint32_t pc = cpu.pc;
        if constexpr (kChecked) {
            if (mem.SelfModifyCheck() && mem.SelfModified().Contains(pc))
                return kSelfModify;
        }
        uint32_t word;
        // While every access goes straight to the store, the instruction
        // comes from its pre-decoded slot; the store empties a slot when its
        // word is written, so the slot always holds what a fetch would read.
        const DecodedSlot* slot = nullptr;
        if (predecode_ && mem.Direct()) [[likely]] {
            if ((pc >> SparseStore::kPageBits) != codePageNumber) [[unlikely]] {
                codePage = mem.Store().Decoded(pc);
                codePageNumber = codePage ? pc >> SparseStore::kPageBits : kNoCodePage;
            }
            if (codePage) [[likely]] {
                if (!cpu.thumb) {
                    DecodedSlot& s = codePage->arm[(pc >> 2) & (DecodedPage::kArmSlots - 1)];
                    if (!s.handler) [[unlikely]]
                        DecodeInto<false>(s, mem.Store().ReadWord(pc));
                    slot = &s;
                } else {
                    DecodedSlot& s = codePage->thumb[(pc >> 1) & (DecodedPage::kThumbSlots - 1)];
                    if (!s.handler) [[unlikely]]
                        DecodeInto<true>(s, mem.Store().Read(pc, 2));
                    slot = &s;
                }
            }
        }
        if (!cpu.thumb) {
            bool fetched = true;
            if (slot)
                word = slot->word;
            else
                fetched = mem.Fetch(pc, cpu.mode, 4, word);
            if (!fetched) {
                word = 0;
                code = kPrefetchAbort;
            } else if (word == kNormalEndWord || word == kBreakWord) {
                record(pc, word, kNormalEnd);
                return kNormalEnd;
            } else {
                cpu.nextPc = pc + 4;
                cpu.r[kRegPc] = pc + 8;
                const unsigned cond = word >> 28;
                if (cond == 0xE || ConditionPasses(cond, cpu.cpsr)) {
                    code = (slot ? slot->handler : kArmHandlers[armdecode::ArmKey(word)])(core_, word);
                } else {
                    code = kConditionFailed;
                }
            }
        } else {
            bool fetched = true;
            if (slot)
                word = slot->word;
            else
                fetched = mem.Fetch(pc, cpu.mode, 2, word);
            if (!fetched) {
                word = 0;
                code = kPrefetchAbort;
            } else {
                // 0xFEDE is the Thumb break halfword, but it is also the
                // second half of a BL whose offset low part is 0x6DE. It
                // continues a call when the instruction executed just before
                // it was the BL's first half at PC - 2.
                if (word == kBreakHalfword) {
                    const HistoryRecord& prev = history.At(head);
                    if (!(prev.valid && prev.code == kThumbBlFirst && prev.pc == pc - 2)) {
                        record(pc, word, kNormalEnd);
                        return kNormalEnd;
                    }
                }
                cpu.nextPc = pc + 2;
                cpu.r[kRegPc] = pc + 4;
                code = (slot ? slot->handler : kThumbHandlers[armdecode::ThumbKey(word)])(core_, word);
            }
        }
        record(pc, word, code);
        if (!finish(code))
            return code;
        if constexpr (kChecked) {
            if (hook_) {
                history.SetHead(head);
                hook_(hookContext_, history.Back(1));
                codePageNumber = kNoCodePage;  // the hook may have changed memory
            }
        }
        if (++executed >= limit)
            return code;
        if (stopRequest_.load(std::memory_order_relaxed)) [[unlikely]] {
            stopRequest_.store(false, std::memory_order_relaxed);
            return code;
        }
    }
}

}  // namespace zk::sim
