// The "t" suffix of LDR/STR and the executor agree: the disassembler writes
// "t" for exactly the transfers that the executor checks with the
// permissions of USER mode.
#include <gtest/gtest.h>

#include "simcore/core.h"
#include "simdisasm/disassembler.h"

namespace zk::sim {
namespace {

// Records the mode of every protection check.
class ModeRecorder : public ProtectionUnit {
public:
    Protection Check(Side, uint32_t, Mode mode, bool) override {
        last = mode;
        return Protection::NonCacheable;
    }
    Mode last = Mode::Invalid;
};

TEST(UserModeTransfers, SuffixTMatchesTheExecutorsPermissionCheck) {
    // LDR/STR/LDRB/STRB r0, [r1] in every I/P/U/B/W/L combination (bits
    // 20-25; offset #4 or r2), executed in SVC mode.
    int userForms = 0;
    for (uint32_t form = 0; form < 64; ++form) {
        const bool registerOffset = form & 32;
        const uint32_t word = 0xE4000000 | (form << 20) | (1u << 16) | (registerOffset ? 2u : 4u);
        Core core;
        ModeRecorder recorder;
        core.mem.SetProtectionUnit(&recorder);
        core.cpu.r[1] = 0x1000;
        core.cpu.r[2] = 4;
        core.cpu.pc = 0x100;
        core.cpu.nextPc = 0x104;
        core.cpu.r[15] = 0x108;
        ExecuteArm(core, word);
        const std::string text = DisassembleArm(word, 0x100);
        const std::string mnemonic = text.substr(0, text.find(' '));
        const bool suffixT = mnemonic.back() == 't';
        EXPECT_EQ(suffixT, recorder.last == Mode::User) << std::hex << word << " " << text;
        userForms += suffixT;
    }
    EXPECT_EQ(userForms, 16);  // P clear, W set
}

}  // namespace
}  // namespace zk::sim
