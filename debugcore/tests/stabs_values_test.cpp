// Values of a stabs image (gcc 12, -gstabs, -O0, ARM and Thumb) on the real
// simulator against qemu-system-arm under gdb-multiarch: at the first
// statement of each function (its second line row), every parameter and
// the global evaluate through quinar to the value gdb prints on the DWARF 2
// build of the same code (gdb 13 reads no stabs locals of Thumb code or of
// functions in included files).
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "arm_listings.h"
#include "qemu_reference.h"
#include "quinar/quinar.h"
#include "sim_session.h"

namespace sarvik::test {
namespace {

struct Stop {
    std::string function;
    uint32_t address = 0;
    std::vector<std::string> names;  // parameters
};

// From `objdump -G`: each function's second line row and its parameters.
std::vector<Stop> StopsOf(const std::string& image)
{
    std::vector<Stop> stops;
    std::istringstream in(zk::test::ToolOutput({"arm-none-eabi-objdump", "-G", image}));
    uint32_t start = 0;
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string index, type, other, desc, value, strx, text;
        if (!(words >> index >> type >> other >> desc >> value >> strx))
            continue;
        words >> text;
        if (type == "FUN" && !text.empty()) {
            start = static_cast<uint32_t>(std::stoul(value, nullptr, 16)) & ~1u;
            rows = 0;
            stops.push_back({text.substr(0, text.find(':')), 0, {}});
        } else if (type == "PSYM" && !stops.empty()) {
            stops.back().names.push_back(text.substr(0, text.find(':')));
        } else if (type == "SLINE" && !stops.empty() && ++rows == 2) {
            stops.back().address = start + static_cast<uint32_t>(std::stoul(value, nullptr, 16));
        } else if (type == "SO") {
            start = 0;
        }
    }
    return stops;
}

class StabsValuesTest : public SimSession, public ::testing::WithParamInterface<const char*> {};

TEST_P(StabsValuesTest, ParametersAndGlobalsAreGdbsOverQemu)
{
    const std::string image = zk::test::FixturePath(GetParam());
    std::string dwarfName = GetParam();
    dwarfName.replace(0, 2, "d2");
    const std::string dwarfImage = zk::test::FixturePath(dwarfName);
    std::map<uint32_t, bool> seen;
    size_t compared = 0;
    for (const Stop& stop : StopsOf(image)) {
        if (stop.address == 0 || seen[stop.address])
            continue;
        seen[stop.address] = true;
        SCOPED_TRACE(stop.function);
        std::vector<std::string> names = stop.names;
        names.push_back("total");
        char where[32];
        std::snprintf(where, sizeof where, "*0x%x", stop.address);
        std::vector<std::string> commands{std::string("tbreak ") + where, "continue"};
        for (const std::string& n : names)
            commands.push_back("print/x " + n);
        const zk::test::ProcessResult gdb = zk::test::RunGdbOnQemu(dwarfImage, commands);
        std::vector<uint64_t> expected;
        std::istringstream out(gdb.out);
        for (std::string line; std::getline(out, line);)
            if (line.rfind("$", 0) == 0 && line.find(" = 0x") != std::string::npos)
                expected.push_back(std::stoull(line.substr(line.find(" = 0x") + 5), nullptr, 16));
        ASSERT_EQ(expected.size(), names.size()) << gdb.out << gdb.err;

        Load(GetParam());
        GoTillStop(stop.address);
        ASSERT_EQ(Pc(), stop.address);
        for (size_t i = 0; i < names.size(); ++i) {
            SymExprValue v{};
            ASSERT_EQ(SymEvaluateExpr(names[i].c_str(), &v), SYM_OK) << names[i];
            const uint64_t mask = v.size >= 8 ? ~0ull : (1ull << (8 * v.size)) - 1;
            EXPECT_EQ(v.value & mask, expected[i]) << names[i];
            ++compared;
        }
    }
    EXPECT_GT(compared, 5u);
}

INSTANTIATE_TEST_SUITE_P(Gcc12, StabsValuesTest, ::testing::Values("st_arm_o0", "st_thumb_o0"));

}  // namespace
}  // namespace sarvik::test
