// The line assembler against arm-none-eabi-as: tables covering every ARM
// row kind and every Thumb format (conditions, S, each shifter operand,
// every addressing and write-back form, register lists, PSR transfers,
// swi, bx, bl, coprocessor forms) give gas's bytes for the same text at
// the same address.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm_tables.h"
#include "gas_reference.h"
#include "pirell/assembler.h"

namespace pirell::test {
namespace {

void ExpectGasBytes(const std::vector<std::string>& table, bool thumb)
{
    const std::vector<uint8_t> gas = GasCode(table, thumb, kBase);
    ASSERT_FALSE(gas.empty());
    uint32_t offset = 0;
    for (const std::string& line : table) {
        if (line[0] == '.')
            continue;
        const AssembledCode code = AssembleLine(line, kBase + offset, thumb, nullptr);
        ASSERT_EQ(code.error, AsmError::None) << line << ": " << AsmErrorName(code.error);
        ASSERT_LE(offset + code.length, gas.size()) << line;
        const auto bytes = code.Bytes(false);
        std::string ours, theirs;
        char hex[4];
        for (unsigned i = 0; i < code.length; ++i) {
            std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
            ours += hex;
            std::snprintf(hex, sizeof hex, "%02x", gas[offset + i]);
            theirs += hex;
        }
        EXPECT_EQ(ours, theirs) << line << " at 0x" << std::hex << kBase + offset;
        if (ours != theirs && code.length != (thumb ? 2u : 4u))
            return;  // the rest would be compared out of step
        offset += code.length;
    }
    EXPECT_EQ(offset, gas.size());
}

TEST(AssemblerAgainstGas, ArmTable)
{
    ExpectGasBytes(ArmTable(), false);
}

TEST(AssemblerAgainstGas, UnifiedSyntaxArmTable)
{
    ExpectGasBytes(UnifiedArmTable(), false);
}

TEST(AssemblerAgainstGas, ThumbTable)
{
    ExpectGasBytes(ThumbTable(), true);
}

}  // namespace
}  // namespace pirell::test
