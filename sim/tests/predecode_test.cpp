// Pre-decoded execution against fetching and decoding every instruction
// afresh: generated looping programs (fixed seeds) in ARM and Thumb state
// that store instructions into their own code, run in chunks of random
// length side by side; registers, flags, count, history and code must agree
// after every chunk; with the protection unit and small caches on, every
// cache line (contents, age, dirty) must agree too. Also the slots'
// invalidation by each kind of write.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "simcore/simulator.h"
#include "snippet_runner.h"

namespace zk::sim {
namespace {

constexpr uint32_t kCode = 0x8000;
constexpr uint32_t kPool = 0x9000;

struct Program {
    std::vector<uint32_t> units;  // words (ARM) or halfwords (Thumb) from kCode
    std::vector<uint32_t> pool;   // instructions the program stores into itself
    bool thumb = false;
    uint32_t loops = 1;
};

// Data-processing with an immediate on r0-r7, any condition; the tests and
// compares always set the flags.
uint32_t RandomArmOp(std::mt19937& rng)
{
    const uint32_t cond = rng() % 15, op = rng() % 16;
    const uint32_t s = (op >= 8 && op <= 11) ? 1 : rng() % 2;
    return (cond << 28) | (1u << 25) | (op << 21) | (s << 20) | ((rng() % 8) << 16) | ((rng() % 8) << 12) |
        ((rng() % 16) << 8) | (rng() % 256);
}

// MOV/CMP/ADD/SUB immediate and the ALU operations on r0-r3.
uint32_t RandomThumbOp(std::mt19937& rng)
{
    if (rng() % 2)
        return 0x2000u | ((rng() % 4) << 11) | ((rng() % 4) << 8) | (rng() % 256);
    return 0x4000u | ((rng() % 16) << 6) | ((rng() % 4) << 3) | (rng() % 4);
}

// r8 (ARM) / r6 (Thumb) hold the code's address, r11 / r5 the pool's, r9 / r7
// the loop count. A slot is an operation or a store of a pool entry over a
// later or earlier operation slot (never over a load, store or the loop end).
Program Generate(bool thumb, unsigned seed)
{
    std::mt19937 rng(seed);
    Program p;
    p.thumb = thumb;
    p.loops = 1 + rng() % 40;
    const unsigned slots = thumb ? 24 : 48;
    for (unsigned i = 0; i < 16; ++i)
        p.pool.push_back(thumb ? RandomThumbOp(rng) : RandomArmOp(rng));
    std::vector<bool> isOp;
    while (p.units.size() < slots) {
        if (rng() % 5 == 0 && p.units.size() + 2 <= slots) {
            const uint32_t k = rng() % p.pool.size();
            if (thumb) {
                p.units.push_back(0x8800u | (k << 6) | (5u << 3) | 4u);  // ldrh r4, [r5, #2k]
                p.units.push_back(0);                                    // strh r4, [r6, #off]: below
            } else {
                p.units.push_back(0xE59BA000u | (k * 4));  // ldr r10, [r11, #4k]
                p.units.push_back(0);                      // str r10, [r8, #off]: below
            }
            isOp.push_back(false);
            isOp.push_back(false);
        } else {
            p.units.push_back(thumb ? RandomThumbOp(rng) : RandomArmOp(rng));
            isOp.push_back(true);
        }
    }
    std::vector<uint32_t> targets;
    for (uint32_t i = 0; i < slots; ++i) {
        if (isOp[i])
            targets.push_back(i);
    }
    for (uint32_t i = 1; i < slots; ++i) {
        if (isOp[i] || isOp[i - 1] || p.units[i] != 0)
            continue;
        const uint32_t t = targets[rng() % targets.size()];
        p.units[i] = thumb ? 0x8000u | (t << 6) | (6u << 3) | 4u : 0xE588A000u | (t * 4);
    }
    // Loop end, then the normal end.
    const auto back = static_cast<int32_t>(slots + 1);
    if (thumb) {
        p.units.push_back(0x3F01u);                                                 // subs r7, #1
        p.units.push_back(0xD100u | (static_cast<uint32_t>(-(back + 2)) & 0xFFu));  // bne start
        p.units.push_back(kBreakHalfword);
    } else {
        p.units.push_back(0xE2599001u);                                                     // subs r9, r9, #1
        p.units.push_back(0x1A000000u | (static_cast<uint32_t>(-(back + 2)) & 0xFFFFFFu));  // bne start
        p.units.push_back(kNormalEndWord);
    }
    return p;
}

void SetRegisters(Simulator& sim, const Program& p);

void Load(Simulator& sim, const Program& p)
{
    SparseStore& store = sim.Memory().Store();
    const unsigned width = p.thumb ? 2 : 4;
    for (uint32_t i = 0; i < p.units.size(); ++i)
        store.Write(kCode + width * i, width, p.units[i]);
    for (uint32_t i = 0; i < p.pool.size(); ++i)
        store.Write(kPool + width * i, width, p.pool[i]);
    SetRegisters(sim, p);
}

// The program's start: mode, state, its registers and the PC.
void SetRegisters(Simulator& sim, const Program& p)
{
    if (p.thumb) {
        sim.WriteRegister(0, 0x30 | 0x20);  // User mode, Thumb state
        sim.WriteRegister(1 + 5, kPool);
        sim.WriteRegister(1 + 6, kCode);
        sim.WriteRegister(1 + 7, p.loops);
    } else {
        sim.WriteRegister(0, 0x10);
        sim.WriteRegister(1 + 11, kPool);
        sim.WriteRegister(1 + 8, kCode);
        sim.WriteRegister(1 + 9, p.loops);
    }
    sim.WriteRegister(16, kCode);
}

void ExpectSameState(Simulator& a, Simulator& b, const Program& p)
{
    for (int n = 0; n <= 16; ++n) {
        uint32_t va = 0, vb = 0;
        a.ReadRegister(n, va);
        b.ReadRegister(n, vb);
        ASSERT_EQ(va, vb) << "register " << n;
    }
    ASSERT_EQ(a.InstructionCount(), b.InstructionCount());
    for (unsigned back = 1; back <= History::kSize; ++back) {
        const HistoryRecord& ha = a.GetHistory().Back(back);
        const HistoryRecord& hb = b.GetHistory().Back(back);
        ASSERT_EQ(ha.valid, hb.valid) << "history " << back;
        ASSERT_EQ(ha.pc, hb.pc) << "history " << back;
        ASSERT_EQ(ha.word, hb.word) << "history " << back;
        ASSERT_EQ(ha.code, hb.code) << "history " << back;
    }
    const unsigned width = p.thumb ? 2 : 4;
    for (uint32_t i = 0; i < p.units.size(); ++i) {
        ASSERT_EQ(a.Memory().Store().Read(kCode + width * i, width), b.Memory().Store().Read(kCode + width * i, width))
            << "code unit " << i;
    }
    if (a.Memory().GetProtectionUnit().Enabled())
        test::ExpectSameCaches(a, b);
}

// Runs the program in both simulators in chunks of random length (after
// `prepare` on each) and compares the state after every chunk. With
// `aborts` (a program whose abort handler counts in r12) the count of
// handled aborts is returned there, and Run(N) is not held to N counted
// instructions (aborted ones are not counted).
template <typename Prepare>
void RunSideBySide(const Program& p, unsigned seed, Prepare prepare, uint32_t* aborts = nullptr)
{
    Simulator fast, fresh;
    fresh.SetPredecode(false);
    Load(fast, p);
    Load(fresh, p);
    prepare(fast);
    prepare(fresh);
    std::mt19937 chunks(seed * 7919u);
    int codeFast = 0, codeFresh = 0;
    for (int round = 0; round < 2000 && codeFast != kNormalEnd; ++round) {
        const uint32_t n = 1 + chunks() % 60;
        const uint32_t before = fast.InstructionCount();
        codeFast = fast.Run(n);
        codeFresh = fresh.Run(n);
        ASSERT_EQ(codeFast, codeFresh);
        if (codeFast != kNormalEnd && !aborts)
            ASSERT_EQ(fast.InstructionCount() - before, n) << "Run(N) executes exactly N";
        ExpectSameState(fast, fresh, p);
    }
    if (aborts)
        fast.ReadRegister(1 + 12, *aborts);
    EXPECT_EQ(codeFast, kNormalEnd);
}

TEST(Predecode, GeneratedSelfModifyingProgramsRunAsWhenDecodedAfresh)
{
    for (bool thumb : {false, true}) {
        for (unsigned seed = 1; seed <= 150; ++seed) {
            SCOPED_TRACE(::testing::Message() << (thumb ? "thumb" : "arm") << " seed " << seed);
            RunSideBySide(Generate(thumb, seed), seed, [](Simulator&) {});
        }
    }
}

// The protection unit with tiny caches (evictions and write-backs all the
// time): region 0 all memory, full access, cacheable on both sides with the
// given data policy; with `refusePool` the pool's page is privileged only,
// so the program's loads from it (in USER mode) take data aborts, which the
// vector at 0x10 counts in r12 and returns from past the load.
void ProtectWithTinyCaches(Simulator& sim, Protection dataPolicy, bool refusePool, bool thumb)
{
    ProtectionSettings s = test::AllMemoryCached(dataPolicy);
    if (refusePool) {
        s.regions[1] = {true, kPool, 0x1000};
        s.permission[0][1] = Permission::Full;
        s.permission[1][1] = Permission::Privileged;
        s.policy[0][1] = Protection::WriteBack;
        s.policy[1][1] = dataPolicy;
    }
    // An aborted load returns to the instruction after it (LR is the
    // load's address + 8).
    sim.Memory().Store().WriteWord(0x10, 0xE28CC001u);                        // add r12, r12, #1
    sim.Memory().Store().WriteWord(0x14, thumb ? 0xE25EF006u : 0xE25EF004u);  // subs pc, lr, #6 / #4
    test::UseTinyCaches(sim);
    sim.Memory().ConfigureProtection(s);
}

// With the protection unit and the caches on, a decoded run fetches every
// instruction through them and uses its slot only when the fetched word is
// the slot's: line ages, dirty lines, stale instruction lines after stores
// into the code, and data aborts all agree with decoding afresh.
TEST(Predecode, CachedAndProtectedRunsAgreeWithDecodingAfresh)
{
    struct Case {
        Protection dataPolicy;
        bool refusePool;
    } cases[] = {
        {Protection::WriteBack, false}, {Protection::WriteThrough, false}, {Protection::NonCacheable, false},
        {Protection::WriteBack, true},  {Protection::WriteThrough, true},
    };
    for (const Case& c : cases) {
        for (bool thumb : {false, true}) {
            uint32_t aborts = 0;
            for (unsigned seed = 1; seed <= 40; ++seed) {
                SCOPED_TRACE(::testing::Message()
                             << (thumb ? "thumb" : "arm") << " seed " << seed << " policy "
                             << static_cast<int>(c.dataPolicy) << " refused pool " << c.refusePool);
                uint32_t handled = 0;
                RunSideBySide(
                    Generate(thumb, seed), seed,
                    [&](Simulator& sim) { ProtectWithTinyCaches(sim, c.dataPolicy, c.refusePool, thumb); },
                    c.refusePool ? &handled : nullptr);
                if (::testing::Test::HasFatalFailure())
                    return;
                aborts += handled;
            }
            if (c.refusePool)
                EXPECT_GT(aborts, 0u) << "the refused loads abort";
        }
    }
}

// A slot decoded from the store while the instruction side was not cached,
// then a stale instruction line that still holds the word the store had
// before: the cached fetch gives the line's word, and the run executes
// that word, not the slot's.
TEST(Predecode, AStaleInstructionLineWinsOverItsSlot)
{
    const uint32_t movR0_1 = 0xE3A00001, movR0_2 = 0xE3A00002;
    for (bool predecode : {true, false}) {
        SCOPED_TRACE(predecode ? "pre-decoded" : "decoded afresh");
        Simulator sim;
        sim.SetPredecode(predecode);
        ProtectionSettings s = test::AllMemoryCached(Protection::WriteThrough);
        auto runFromCode = [&](uint32_t expected) {
            sim.WriteRegister(16, kCode);
            ASSERT_EQ(sim.Run(0), kNormalEnd);
            uint32_t r0 = 0;
            sim.ReadRegister(1, r0);
            EXPECT_EQ(r0, expected);
        };
        SparseStore& store = sim.Memory().Store();
        store.Write(kCode, 4, movR0_1);
        store.Write(kCode + 4, 4, kNormalEndWord);
        sim.Memory().ConfigureProtection(s);
        runFromCode(1);  // the line of kCode is in the instruction cache
        store.Write(kCode, 4, movR0_2);
        s.policy[0][0] = Protection::NonCacheable;
        sim.Memory().ConfigureProtection(s);
        runFromCode(2);  // fetched from the store: the slot holds mov r0, #2
        s.policy[0][0] = Protection::WriteBack;
        sim.Memory().ConfigureProtection(s);
        runFromCode(1);  // the stale line's mov r0, #1
        EXPECT_EQ(sim.GetHistory().Back(2).word, movR0_1);
    }
}

// A run without a limit goes to the normal end whatever the history head
// was when it started (the decoded runs count from the head).
TEST(Predecode, RunWithoutALimitGoesToTheEndFromEveryHistoryHead)
{
    Program arm, thumb;
    arm.loops = thumb.loops = 50;
    arm.units = {0xE3A00001u, 0xE2800001u, 0xE2599001u, 0x1AFFFFFBu, kNormalEndWord};
    thumb.thumb = true;
    thumb.units = {0x2001u, 0x3001u, 0x3F01u, 0xD1FBu, kBreakHalfword};
    for (const Program* p : {&arm, &thumb}) {
        for (unsigned steps = 0; steps < History::kSize; ++steps) {
            SCOPED_TRACE(::testing::Message() << (p->thumb ? "thumb" : "arm") << ", " << steps << " steps first");
            Simulator fast, fresh;
            fresh.SetPredecode(false);
            for (Simulator* sim : {&fast, &fresh}) {
                // A first run decodes the slots; the second starts on them.
                Load(*sim, *p);
                ASSERT_EQ(sim->Run(0), kNormalEnd);
                SetRegisters(*sim, *p);
                for (unsigned i = 0; i < steps; ++i)
                    sim->Run(1);
            }
            EXPECT_EQ(fresh.Run(0), kNormalEnd);
            EXPECT_EQ(fast.Run(0), kNormalEnd);
            ExpectSameState(fast, fresh, *p);
        }
    }
}

// Exceptions entered in the middle of straight-line code (a SWI, an undefined
// word, a condition that fails) and returned from: the PC, count and history
// around each entry agree with decoding afresh.
TEST(Predecode, ExceptionsInsideARunAgreeWithDecodingAfresh)
{
    Program p;
    p.loops = 25;
    p.units = {
        0xE3A00001u,  // mov r0, #1
        0xEF000005u,  // swi 5
        0xE2800001u,  // add r0, r0, #1
        0xE7F000F0u,  // undefined
        0x03A01007u,  // moveq r1, #7 (fails while Z is clear)
        0xE2800002u,  // add r0, r0, #2
        0xE2599001u,  // subs r9, r9, #1
        0x1AFFFFF7u,  // bne start
        kNormalEndWord,
    };
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        RunSideBySide(p, seed, [](Simulator& sim) {
            // The undefined and SWI vectors return to the next instruction.
            sim.Memory().Store().WriteWord(0x4, 0xE1B0F00Eu);  // movs pc, lr
            sim.Memory().Store().WriteWord(0x8, 0xE1B0F00Eu);
        });
    }
}

// Each way a word can change under a decoded slot: a data store by the
// program, a write through the memory system (downloads, break words), a
// store write of bytes (getfile) and a reset.
TEST(Predecode, EveryWriteReachingTheWordEmptiesItsSlot)
{
    Simulator sim;
    SparseStore& store = sim.Memory().Store();
    const uint32_t movR0_1 = 0xE3A00001, movR0_2 = 0xE3A00002;
    auto runOnce = [&](uint32_t expected) {
        sim.WriteRegister(16, kCode);
        store.Write(kCode + 4, 4, kNormalEndWord);
        ASSERT_EQ(sim.Run(0), kNormalEnd);
        uint32_t r0 = 0;
        sim.ReadRegister(1, r0);
        EXPECT_EQ(r0, expected);
    };
    store.Write(kCode, 4, movR0_1);
    runOnce(1);
    ASSERT_TRUE(sim.WriteMemory(kCode, AccessKind::InvalidateBoth, 4, movR0_2));
    runOnce(2);
    const uint8_t bytes[] = {0x01, 0x00, 0xA0, 0xE3};
    ASSERT_TRUE(store.WriteBytes(kCode, bytes, sizeof bytes));
    runOnce(1);
    ASSERT_TRUE(sim.WriteMemory(kCode, AccessKind::StoreOnly, 4, kBreakWord));
    sim.WriteRegister(16, kCode);
    EXPECT_EQ(sim.Run(0), kNormalEnd);
    EXPECT_EQ(sim.Cpu().pc, kCode) << "a planted break word ends the run at once";
    ASSERT_TRUE(sim.WriteMemory(kCode, AccessKind::StoreOnly, 4, movR0_2));
    runOnce(2);
    sim.Reset();
    store.Write(kCode, 4, movR0_1);
    runOnce(1);
}

}  // namespace
}  // namespace zk::sim
