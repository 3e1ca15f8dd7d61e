// Source steps over optimised code (-O1 and -O2, ARM and Thumb): today's
// compilers give rows inside a statement's instructions (is_stmt cleared);
// a step stops only where readelf's decoded line table marks a statement.
#include <set>
#include <sstream>

#include "host_tools.h"
#include "sim_session.h"

namespace sarvik::test {
namespace {

// The addresses of the rows that readelf marks as statements, and the
// count of those it does not mark.
struct StatementRows {
    std::set<uint32_t> statements;
    size_t others = 0;
};

StatementRows ReadelfStatements(const std::string& image)
{
    const auto dump = zk::test::RunProcess({"arm-none-eabi-readelf", "--debug-dump=decodedline", image});
    EXPECT_EQ(dump.exitStatus, 0) << dump.err;
    StatementRows rows;
    std::istringstream lines(dump.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string file, number, address, last;
        if (!(in >> file >> number >> address) || address.rfind("0x", 0) != 0 || number == "-")
            continue;
        // "View" and "Stmt" columns follow; a statement ends with "x".
        const bool statement = line.back() == 'x';
        const uint32_t at = static_cast<uint32_t>(std::stoul(address, nullptr, 16));
        if (statement)
            rows.statements.insert(at);
        else
            rows.others += file == "opt_program.c";
    }
    return rows;
}

class StatementSteps : public SimSession, public ::testing::WithParamInterface<const char*> {};

TEST_P(StatementSteps, SourceStepsStopOnlyAtStatements)
{
    const StatementRows rows = ReadelfStatements(zk::test::FixturePath(GetParam()));
    ASSERT_GT(rows.others, 10u) << "the compiler marks rows inside statements";
    for (const int mode : {EMU_STEP_OVER, EMU_STEP_INTO}) {
        SCOPED_TRACE(mode == EMU_STEP_OVER ? "step over" : "step into");
        Load(GetParam());
        GoTillStop(Symbol("compute") & ~1u);
        std::set<uint32_t> seen;
        for (int n = 0; n < 60; ++n) {
            ASSERT_EQ(EmuStep(mode, 1), EMU_OK);
            const uint32_t pc = Pc();
            EXPECT_TRUE(rows.statements.count(pc))
                << std::hex << "a stop at 0x" << pc << " after step " << std::dec << n + 1;
            seen.insert(pc);
        }
        EXPECT_GT(seen.size(), 8u) << "the steps went through the function";
    }
}

INSTANTIATE_TEST_SUITE_P(Images, StatementSteps,
                         ::testing::Values("opt_arm_O1", "opt_arm_O2", "opt_thumb_O1", "opt_thumb_O2"));

}  // namespace
}  // namespace sarvik::test
