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
struct Stop {
    uint32_t pc = 0;
    Values values;  // the names gdb prints a number for
};

// gdb over qemu: a temporary breakpoint at every address; at each stop the
// PC and every name with a location that gdb prints as a number (not
// optimized out).
std::vector<Stop> GdbStops(const std::string& image, const std::vector<uint32_t>& addresses, std::string* output)
{
    char path[] = "/tmp/opt_values_XXXXXX.py";
    const int fd = mkstemps(path, 3);
    EXPECT_GE(fd, 0);
    close(fd);
    {
        std::ofstream py(path);
        py << "import gdb\npcs = set()\n";
        for (uint32_t a : addresses)
            py << "gdb.Breakpoint('*" << a << "', temporary=True)\npcs.add(" << a << ")\n";
        py << "names = [";
        for (const char* n : kNames)
            py << "'" << n << "',";
        py << "]\n"
              "while pcs:\n"
              "    gdb.execute('continue', to_string=True)\n"
              "    pc = int(gdb.parse_and_eval('$pc')) & 0xFFFFFFFE\n"
              "    if pc not in pcs:\n"
              "        break\n"
              "    pcs.discard(pc)\n"
              "    print('AT %x' % pc)\n"
              "    for n in names:\n"
              "        try:\n"
              // A constant (DW_AT_const_value) has no location.
              "            sym = gdb.lookup_symbol(n)[0]\n"
              "            if sym is None or sym.addr_class == gdb.SYMBOL_LOC_CONST:\n"
              "                continue\n"
              "            v = gdb.parse_and_eval(n)\n"
              "            if not v.is_optimized_out:\n"
              "                print('V %s %d' % (n, int(v)))\n"
              "        except Exception:\n"
              "            pass\n";
    }
    const zk::test::ProcessResult p = zk::test::RunGdbOnQemu(image, {std::string("source ") + path});
    std::remove(path);
    *output = p.out + p.err;
    std::vector<Stop> stops;
    std::istringstream lines(p.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string tag, name;
        if (!(in >> tag))
            continue;
        if (tag == "AT") {
            Stop s;
            in >> std::hex >> s.pc;
            stops.push_back(s);
        } else if (tag == "V" && !stops.empty() && in >> name) {
            int64_t v = 0;
            if (in >> v)
                stops.back().values[name] = v;
        }
    }
    return stops;
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
