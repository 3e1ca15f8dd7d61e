// The values of located variables in optimised code (-O1 and -O2, ARM and
// Thumb, inlined static functions, same names in several blocks, loop
// variables in registers): at each statement of the program, first reached
// in the same order on both machines, what the condition evaluator reads
// for a variable equals gdb-multiarch's value over qemu-system-arm stopped
// at the same PC.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "host_tools.h"
#include "qemu_reference.h"
#include "quinar/symbol_store.h"
#include "sim_session.h"

namespace sarvik::test {
namespace {

// The program's variable and parameter names.
const char* const kNames[] = {"acc", "seed",  "n", "i",     "k",     "t", "x",    "y",
                              "p",   "total", "v", "where", "value", "r", "round"};

// The statement rows of opt_program.c in the functions that have variables.
std::vector<uint32_t> StatementAddresses(const std::string& image)
{
    const auto dump = zk::test::RunProcess({"arm-none-eabi-readelf", "--debug-dump=decodedline", image});
    EXPECT_EQ(dump.exitStatus, 0) << dump.err;
    std::set<uint32_t> rows;
    std::istringstream lines(dump.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string file, number, address;
        if (in >> file >> number >> address && file == "opt_program.c" && address.rfind("0x", 0) == 0 &&
            number != "-" && line.back() == 'x')
            rows.insert(static_cast<uint32_t>(std::stoul(address, nullptr, 16)));
    }
    return {rows.begin(), rows.end()};
}

using Values = std::map<std::string, int64_t>;
using Stop = zk::test::GdbValueStop;

// gdb over qemu: a temporary breakpoint at every address; at each stop the
// PC and every name that gdb prints as a number (not optimized out), those
// kept only as constants (DW_AT_const_value) included.
std::vector<Stop> GdbStops(const std::string& image, const std::vector<uint32_t>& addresses, std::string* output)
{
    return zk::test::GdbValuesAt(image, addresses, {std::begin(kNames), std::end(kNames)},
                                 "gdb.lookup_symbol(n)[0] is not None", output);
}

class OptimisedValues : public SimSession, public ::testing::WithParamInterface<const char*> {};

TEST_P(OptimisedValues, LocatedVariablesReadAsGdbPrintsThem)
{
    const std::string image = zk::test::FixturePath(GetParam());
    const std::vector<uint32_t> addresses = StatementAddresses(image);
    ASSERT_GT(addresses.size(), 20u);
    std::string gdbOutput;
    const std::vector<Stop> stops = GdbStops(image, addresses, &gdbOutput);
    ASSERT_GT(stops.size(), 20u) << gdbOutput;

    Load(GetParam());
    size_t compared = 0;
    std::set<std::string> names;
    for (const Stop& stop : stops) {
        GoTillStop(stop.pc);
        if (HasFatalFailure())
            return;
        for (const auto& [name, expected] : stop.values) {
            const quinar::Result<SymExprValue> v = quinar::Symbols().Evaluate(name);
            EXPECT_TRUE(v.ok()) << name << " at 0x" << std::hex << stop.pc;
            if (!v.ok())
                continue;
            // gdb prints signed ints and pointers alike: compare the words.
            EXPECT_EQ(static_cast<uint32_t>(v->value), static_cast<uint32_t>(expected))
                << name << " at 0x" << std::hex << stop.pc;
            ++compared;
            names.insert(name);
        }
    }
    EXPECT_GT(compared, 30u);
    // Parameters, locals of blocks and of inlined functions (-O2 Thumb code
    // keeps its blocks' variables in scope for a few instructions only).
    EXPECT_GE(names.size(), 7u) << ::testing::PrintToString(names);
}

INSTANTIATE_TEST_SUITE_P(Images, OptimisedValues,
                         ::testing::Values("opt_arm_O1", "opt_arm_O2", "opt_thumb_O1", "opt_thumb_O2"));

}  // namespace
}  // namespace sarvik::test
