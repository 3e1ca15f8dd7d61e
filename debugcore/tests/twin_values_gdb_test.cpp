// The DWARF 1 and IEEE-695 twins of gcc's -O0 DWARF 2 images on the real
// simulator: at the statement rows of the program's functions (past each
// prologue), reached in the same order on both machines, the PC's line
// through the symbol library equals arm-none-eabi-addr2line's on the DWARF 2
// image, and every parameter, local and global that gdb-multiarch prints as
// a number over qemu-system-arm at the same PC evaluates to that number.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "host_tools.h"
#include "ieee695_debug_twin.h"
#include "ieee695_twin.h"
#include "program_facts.h"
#include "qemu_reference.h"
#include "quentor.h"
#include "quinar/symbol_store.h"
#include "sim_session.h"

namespace sarvik::test {
namespace {

using Stop = zk::test::GdbValueStop;

// Every name of the program's variables and parameters.
std::set<std::string> NamesOf(const zk::test::ProgramFacts& facts)
{
    std::set<std::string> names;
    auto scope = [&](const zk::test::FactScope& s, auto& self) -> void {
        for (const zk::test::FactVariable& v : s.variables)
            names.insert(v.name);
        for (const zk::test::FactScope& inner : s.scopes)
            self(inner, self);
    };
    for (const zk::test::FactUnit& u : facts.units) {
        for (const zk::test::FactVariable& v : u.globals)
            names.insert(v.name);
        for (const zk::test::FactFunction& f : u.functions) {
            for (const zk::test::FactVariable& p : f.parameters)
                names.insert(p.name);
            scope(f.body, scope);
        }
    }
    return names;
}

// The names a stop at `pc` sees: the globals and the variables of the
// functions around it (gdb also finds a member of `this` by its name alone).
bool InScope(const zk::test::ProgramFacts& facts, uint32_t pc, const std::string& name)
{
    bool found = false;
    auto scope = [&](const zk::test::FactScope& s, auto& self) -> void {
        for (const zk::test::FactVariable& v : s.variables)
            found = found || v.name == name;
        for (const zk::test::FactScope& inner : s.scopes)
            self(inner, self);
    };
    for (const zk::test::FactUnit& u : facts.units) {
        for (const zk::test::FactVariable& v : u.globals)
            found = found || v.name == name;
        for (const zk::test::FactFunction& f : u.functions) {
            if (pc < f.low || pc >= f.high)
                continue;
            for (const zk::test::FactVariable& p : f.parameters)
                found = found || p.name == name;
            scope(f.body, scope);
        }
    }
    return found;
}

// The rows of the C units inside their functions, past each function's
// first row (the prologue, where the frame pointer is not yet set).
std::vector<uint32_t> StatementAddresses(const zk::test::ProgramFacts& facts)
{
    std::set<uint32_t> rows;
    for (const zk::test::FactUnit& u : facts.units)
        for (const zk::test::FactFunction& f : u.functions)
            for (const tarnel::test::ReadelfRow& r : u.rows)
                if (!r.endOfSequence && r.line != 0 && r.address > f.low && r.address < f.high)
                    rows.insert(r.address);
    return {rows.begin(), rows.end()};
}

// gdb over qemu: a temporary breakpoint at every address; at each stop the
// PC and every name that gdb prints as a number (a float's int() is not its
// bits).
std::vector<Stop> GdbStops(const std::string& image, const std::vector<uint32_t>& addresses,
                           const std::set<std::string>& names, std::string* output)
{
    return zk::test::GdbValuesAt(image, addresses, {names.begin(), names.end()},
                                 "v.type.strip_typedefs().code in (gdb.TYPE_CODE_INT, gdb.TYPE_CODE_PTR, "
                                 "gdb.TYPE_CODE_ENUM, gdb.TYPE_CODE_BOOL, gdb.TYPE_CODE_CHAR)",
                                 output);
}

// addr2line's line of each address.
std::map<uint32_t, uint32_t> Addr2Lines(const std::string& image, const std::vector<Stop>& stops)
{
    std::vector<std::string> argv{"arm-none-eabi-addr2line", "-e", image};
    for (const Stop& s : stops) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", s.pc);
        argv.push_back(text);
    }
    std::istringstream out(zk::test::ToolOutput(argv));
    std::map<uint32_t, uint32_t> lines;
    size_t i = 0;
    for (std::string line; std::getline(out, line) && i < stops.size(); ++i) {
        const size_t colon = line.rfind(':');
        lines[stops[i].pc] = static_cast<uint32_t>(std::strtoul(line.c_str() + colon + 1, nullptr, 10));
    }
    return lines;
}

// A twin: the DWARF 1 image built next to the fixture ("d1_..."), or
// "ieee:" and the fixture whose IEEE-695 twin's symbols are loaded over
// the fixture's code.
class TwinValues : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    void TearDown() override
    {
        if (!twinPath_.empty())
            std::remove(twinPath_.c_str());
        SimSession::TearDown();
    }
    std::string twinPath_;
};

TEST_P(TwinValues, LinesAndValuesAtStatementsAreTheDwarf2ImagesOnQemu)
{
    const std::string param = GetParam();
    const bool ieee = param.rfind("ieee:", 0) == 0;
    const std::string fixture = ieee ? param.substr(5) : "d2" + param.substr(2);
    const std::string elf = zk::test::FixturePath(fixture);
    const zk::test::ProgramFacts facts = zk::test::ProgramFactsOf(elf);
    const std::vector<uint32_t> addresses = StatementAddresses(facts);
    ASSERT_GT(addresses.size(), 12u);
    std::string gdbOutput;
    const std::vector<Stop> stops = GdbStops(elf, addresses, NamesOf(facts), &gdbOutput);
    ASSERT_GT(stops.size(), 12u) << gdbOutput;
    const std::map<uint32_t, uint32_t> lines = Addr2Lines(elf, stops);

    if (ieee) {
        Load(fixture);
        const quentor::test::ElfFacts elfFacts = quentor::test::FactsOf(elf);
        zk::test::Ieee695ModuleDesc twin = quentor::test::TwinOf(elf, elfFacts);
        twin.debug = quentor::test::DebugTwin(facts, elfFacts.symbols).Write();
        twinPath_ = ::testing::TempDir() + "twin_values_" + std::to_string(::getpid()) + "_" + fixture + ".695";
        ASSERT_TRUE(zk::test::WriteBytesFile(twinPath_, zk::test::WriteIeee695(twin)));
        ASSERT_EQ(LdrLoadWin(twinPath_.c_str(), 0, LDR_LOAD_SYMBOLS, nullptr), LDR_OK);
    } else {
        // Mode 0 reads the DWARF 1 line tables.
        Load(param);
        ASSERT_EQ(LdrLoadWin(zk::test::FixturePath(param).c_str(), 0, LDR_LOAD_SYMBOLS, nullptr), LDR_OK);
    }
    size_t compared = 0;
    std::set<std::string> names;
    for (const Stop& stop : stops) {
        GoTillStop(stop.pc);
        if (HasFatalFailure())
            return;
        uint32_t module = 0, file = 0, line = 0, start = 0, end = 0, column = 0;
        EXPECT_EQ(SymAddrToSourceLine(stop.pc, &module, &file, &line, &start, &end, &column), SYM_OK);
        EXPECT_EQ(line, lines.at(stop.pc)) << "at 0x" << std::hex << stop.pc;
        for (const auto& [name, expected] : stop.values) {
            if (!InScope(facts, stop.pc, name))
                continue;
            const quinar::Result<SymExprValue> v = quinar::Symbols().Evaluate(name);
            EXPECT_TRUE(v.ok()) << name << " at 0x" << std::hex << stop.pc;
            if (!v.ok())
                continue;
            const uint64_t mask = v->size >= 8 ? ~0ull : (1ull << (8 * v->size)) - 1;
            EXPECT_EQ(v->value & mask, static_cast<uint64_t>(expected) & mask)
                << name << " at 0x" << std::hex << stop.pc;
            ++compared;
            names.insert(name);
        }
    }
    EXPECT_GT(compared, 30u);
    EXPECT_GE(names.size(), 6u) << ::testing::PrintToString(names);
}

INSTANTIATE_TEST_SUITE_P(Images, TwinValues,
                         ::testing::Values("d1_arm_o0", "d1_thumb_o0", "d1_types_o0", "ieee:d2_arm_o0",
                                           "ieee:d2_thumb_o0", "ieee:d2_types_o0", "ieee:d2_class_o0"),
                         [](const ::testing::TestParamInfo<const char*>& i) {
                             std::string name = i.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

}  // namespace
}  // namespace sarvik::test
