// The "t" suffix of LDR/STR and the executor agree: the disassembler writes
// "t" for exactly the transfers that the executor checks with the
// permissions of USER mode.
#include <gtest/gtest.h>

#include "simcore/core.h"
#include "simcore/exec_codes.h"
#include "simdisasm/disassembler.h"

namespace zk::sim {
namespace {

// One region over all memory that only privileged modes may access: a
// transfer checked with the permissions of USER mode is refused.
ProtectionSettings PrivilegedOnly()
{
    ProtectionSettings s;
    s.enabled = true;
    s.regions[0] = {true, 0, uint64_t{1} << 32};
    for (auto& side : s.permission)
        side[0] = Permission::Privileged;
    return s;
}

TEST(UserModeTransfers, SuffixTMatchesTheExecutorsPermissionCheck)
{
    // LDR/STR/LDRB/STRB r0, [r1] in every I/P/U/B/W/L combination (bits
    // 20-25; offset #4 or r2), executed in SVC mode.
    int userForms = 0;
    for (uint32_t form = 0; form < 64; ++form) {
        const bool registerOffset = form & 32;
        const uint32_t word = 0xE4000000 | (form << 20) | (1u << 16) | (registerOffset ? 2u : 4u);
        Core core;
        core.mem.ConfigureProtection(PrivilegedOnly());
        core.cpu.r[1] = 0x1000;
        core.cpu.r[2] = 4;
        core.cpu.pc = 0x100;
        core.cpu.nextPc = 0x104;
        core.cpu.r[15] = 0x108;
        const int result = ExecuteArm(core, word);
        const std::string text = DisassembleArm(word, 0x100);
        const std::string mnemonic = text.substr(0, text.find(' '));
        const bool suffixT = mnemonic.back() == 't';
        EXPECT_EQ(suffixT, result == kDataAbort) << std::hex << word << " " << text;
        userForms += suffixT;
    }
    EXPECT_EQ(userForms, 16);  // P clear, W set
}

}  // namespace
}  // namespace zk::sim
