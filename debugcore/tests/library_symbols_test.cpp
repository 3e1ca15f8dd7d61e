// Symbols of the C library, which has no DWARF 2 of its own: errno and
// _impure_ptr are read by name in conditions and expressions (the word at
// nm's address), and "#exit" is exit's entry, as gdb finds them.
#include "dolmer/dolmer.h"
#include "host_tools.h"
#include "quinar/symbol_store.h"
#include "sim_session.h"
#include "talvis/talvis.h"

namespace sarvik::test {
namespace {

class LibrarySymbols : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    // Runs from the start with a breakpoint at exit under the condition;
    // true when the run stopped there (else the program ended).
    bool StopsAtExit(const char* condition)
    {
        Load(GetParam());
        const ADDR at{Symbol("exit") & ~1u, ADDR_SPACE_TARGET};
        EXPECT_EQ(BptSetBp(&at, condition, 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
        EXPECT_EQ(EmuRun(EMU_RUN_GO, {}), EMU_OK);
        EXPECT_TRUE(WaitForStop());
        const bool stopped = Pc() == at.off;
        EXPECT_EQ(BptClearBp(&at, 0), EMU_OK);
        return stopped;
    }
};

TEST_P(LibrarySymbols, ErrnoInConditionsAndExitByName)
{
    Load(GetParam());
    ADDR exitAt{};
    ASSERT_EQ(AdrTextToAddr("#exit", &exitAt, 1), 1);
    EXPECT_EQ(exitAt.off, Symbol("exit") & ~1u);

    // The library sets its per-program errno (the first word of its
    // reentrancy block); the global errno stays 0, as gdb reads it too.
    EXPECT_TRUE(StopsAtExit("errno == 0"));
    uint32_t word = 1;
    ASSERT_EQ(MemReadBlock(&word, {Symbol("errno"), ADDR_SPACE_TARGET}, 4), 0);
    const quinar::Result<SymExprValue> value = quinar::Symbols().Evaluate("errno");
    ASSERT_TRUE(value.ok());
    EXPECT_EQ(value->value, word);
    const quinar::Result<SymExprValue> reentrant = quinar::Symbols().Evaluate("*_impure_ptr");
    ASSERT_TRUE(reentrant.ok());
    EXPECT_EQ(reentrant->value, 34u) << "ERANGE";
    EXPECT_FALSE(StopsAtExit("errno != 0"));
    EXPECT_EQ(SemihostGetExit(nullptr, nullptr), 1) << "the program ran to its end";
}

INSTANTIATE_TEST_SUITE_P(Images, LibrarySymbols, ::testing::Values("errno_arm", "errno_thumb"));

}  // namespace
}  // namespace sarvik::test
