// The stabs reader on images compiled by arm-none-eabi-gcc 12 with -gstabs
// and -gstabs+: function starts and ends against `objdump -G` and `nm -S`,
// every line row through quinar's address-to-line query, and next to the
// DWARF 2 build of the same code (`.text` equal byte for byte): the line
// `addr2line` gives on the DWARF 2 build (or another row readelf shows at
// that address), and the type texts of the globals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "arm_listings.h"
#include "host_tools.h"
#include "quinar/listing.h"
#include "quinar/symbol_store.h"
#include "readelf_dwarf.h"
#include "readelf_parse.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

using zk::test::FixturePath;
using zk::test::ToolOutput;

struct StabRow {
    std::string type;
    uint32_t desc = 0;
    uint32_t value = 0;
    std::string text;
};

// `objdump -G`: "12     FUN    0      11     00000080 631    add:F(0,12)".
std::vector<StabRow> ObjdumpStabs(const std::string& image)
{
    std::vector<StabRow> rows;
    std::istringstream in(ToolOutput({"arm-none-eabi-objdump", "-G", image}));
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> t = Tokens(line);
        if (t.size() < 6 || t[0] == "Symnum" || t[0] == "-1" || !std::isdigit(static_cast<unsigned char>(t[0][0])))
            continue;
        StabRow r;
        r.type = t[1];
        r.desc = static_cast<uint32_t>(std::stoul(t[3]));
        r.value = static_cast<uint32_t>(std::stoul(t[4], nullptr, 16));
        // The string follows the six columns; it may hold spaces.
        size_t at = 0;
        for (int column = 0; column < 6; ++column) {
            at = line.find_first_not_of(' ', at);
            at = line.find(' ', at);
        }
        if (at != std::string::npos && (at = line.find_first_not_of(' ', at)) != std::string::npos)
            r.text = line.substr(at);
        rows.push_back(r);
    }
    return rows;
}

// Code addresses of `nm -S` and their sizes.
std::map<uint32_t, uint32_t> NmSizes(const std::string& image)
{
    std::map<uint32_t, uint32_t> sizes;
    std::istringstream in(ToolOutput({"arm-none-eabi-nm", "-S", image}));
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> t = Tokens(line);
        if (t.size() == 4 && (t[2] == "T" || t[2] == "t" || t[2] == "W"))
            sizes[static_cast<uint32_t>(std::stoul(t[0], nullptr, 16)) & ~1u] =
                static_cast<uint32_t>(std::stoul(t[1], nullptr, 16));
    }
    return sizes;
}

// Every line row: its address (value + function start, the start reset at
// each source file) and the lines written for it.
std::map<uint32_t, std::set<uint32_t>> LineRows(const std::vector<StabRow>& stabs)
{
    std::map<uint32_t, std::set<uint32_t>> rows;
    uint32_t start = 0;
    for (const StabRow& r : stabs) {
        if (r.type == "SO")
            start = 0;
        else if (r.type == "FUN" && !r.text.empty())
            start = r.value & ~1u;
        else if (r.type == "SLINE" && r.desc != 0)
            rows[r.value + start].insert(r.desc);
    }
    return rows;
}

std::vector<uint8_t> TextSection(const std::string& image)
{
    const std::string out = ::testing::TempDir() + "stabs_text_" + std::to_string(::getpid()) + "_" +
        std::to_string(std::hash<std::string>{}(image));
    ToolOutput({"arm-none-eabi-objcopy", "-O", "binary", "-j", ".text", image, out});
    std::ifstream f(out, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::remove(out.c_str());
    return bytes;
}

class StabsImageTest : public ::testing::TestWithParam<const char*>, protected LoadSurroundings {
protected:
    void SetUp() override { BeginLoads(); }
    void TearDown() override { EndLoads(); }

    void Load(const std::string& image)
    {
        ASSERT_EQ(LdrLoadWinElf(image.c_str(), 1, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
        for (const std::string& m : LoadMessages())
            EXPECT_EQ(m.find(".stab"), std::string::npos) << m;
    }

    static quinar::SymbolStore& Store() { return quinar::Symbols(); }
};

TEST_P(StabsImageTest, FunctionsAndLinesAreThoseOfObjdump)
{
    const std::string image = FixturePath(GetParam());
    Load(image);
    const std::vector<StabRow> stabs = ObjdumpStabs(image);
    ASSERT_FALSE(stabs.empty());
    const std::map<uint32_t, uint32_t> sizes = NmSizes(image);

    size_t functions = 0;
    for (const StabRow& r : stabs) {
        if (r.type != "FUN" || r.text.empty())
            continue;
        ++functions;
        const uint32_t start = r.value & ~1u;
        SCOPED_TRACE(r.text);
        const quinar::Result<quinar::AddressInfo> at = Store().CodeAt(start);
        ASSERT_TRUE(at.ok());
        EXPECT_EQ(at->kind, SYM_KIND_FUNCTION);
        EXPECT_EQ(at->start, start);
        auto size = sizes.find(start);
        ASSERT_NE(size, sizes.end());
        EXPECT_EQ(at->end, start + size->second - 1);
        EXPECT_EQ(Store().SymbolName(at->handle).value, r.text.substr(0, r.text.find(':')));
    }
    EXPECT_GT(functions, 0u);

    for (const auto& [address, lines] : LineRows(stabs)) {
        const quinar::Result<quinar::SourceLine> line = Store().SourceLineAt(address);
        ASSERT_TRUE(line.ok()) << std::hex << address;
        EXPECT_EQ(lines.count(line->line), 1u) << std::hex << address << std::dec << " line " << line->line;
    }
}

// Every load empties quinar: a second load of the image makes its modules
// anew and reads all of it again.
TEST_P(StabsImageTest, ASecondLoadReadsTheSame)
{
    const std::string image = FixturePath(GetParam());
    Load(image);
    const std::vector<std::string> modules = quinar::ListSymbols();
    const quinar::LoadCounts counts = Store().Counts();
    Load(image);
    EXPECT_EQ(quinar::ListSymbols(), modules);
    EXPECT_EQ(Store().Counts().lineRows, counts.lineRows);
    EXPECT_EQ(Store().Counts().functions, counts.functions);
}

INSTANTIATE_TEST_SUITE_P(Gcc12, StabsImageTest,
                         ::testing::Values("st_arm_o0", "st_arm_o2", "st_thumb_o0", "st_thumb_o2", "st_be_o1",
                                           "st_types_o0", "st_types_o2", "st_class_o0", "st_asm"));

// What gdb-multiarch's `info scope *ADDRESS` says of a function's symbols:
// "frame -16", "reg 4" or "addr 0x208" by name.
std::map<std::string, std::string> GdbScope(const std::string& text)
{
    std::map<std::string, std::string> symbols;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> t = Tokens(line);
        if (t.size() < 4 || t[0] != "Symbol")
            continue;
        std::string where;
        if (const size_t at = line.find("frame offset "); at != std::string::npos)
            where = "frame " + std::to_string(std::atoi(line.c_str() + at + 13));
        else if (const size_t r = line.find("register $r"); r != std::string::npos)
            where = "reg " + std::to_string(std::atoi(line.c_str() + r + 11));
        else if (const size_t a = line.find("at address 0x"); a != std::string::npos)
            where = "addr " + std::to_string(std::stoul(line.substr(a + 11, 10), nullptr, 16));
        symbols[t[1]] = where;
    }
    return symbols;
}

// The same words from the location piece quinar holds for a variable.
std::string WhereOf(uint32_t handle, bool bigEndian)
{
    const quinar::Result<SymLocationPiece> p = quinar::Symbols().LocationPiece(handle, 0);
    if (!p || p->length == 0)
        return "none";
    const uint8_t* e = p->expr;
    if (e[0] >= 0x70 && e[0] <= 0x8F) {  // breg: an SLEB128 offset
        int32_t v = 0;
        int shift = 0;
        uint32_t i = 1;
        uint8_t b = 0;
        do {
            b = e[i++];
            v |= int32_t(b & 0x7F) << shift;
            shift += 7;
        } while ((b & 0x80) && i < p->length);
        if (shift < 32 && (b & 0x40))
            v |= -(1 << shift);
        return "frame " + std::to_string(v);
    }
    if (e[0] >= 0x50 && e[0] <= 0x6F)
        return "reg " + std::to_string(e[0] - 0x50);
    if (e[0] == 0x03 && p->length == 5) {
        const uint32_t a = bigEndian ? uint32_t(e[1]) << 24 | uint32_t(e[2]) << 16 | uint32_t(e[3]) << 8 | e[4]
                                     : uint32_t(e[4]) << 24 | uint32_t(e[3]) << 16 | uint32_t(e[2]) << 8 | e[1];
        return "addr " + std::to_string(a);
    }
    return "other";
}

// Every parameter and local gdb-multiarch finds in a function's scope has
// the frame offset, register or address quinar's location piece gives it.
// (gdb 13 reads no locals of Thumb functions from stabs: ARM images only.)
class StabsScopeTest : public StabsImageTest {};

TEST_P(StabsScopeTest, LocationsAreThoseOfGdbInfoScope)
{
    const std::string image = FixturePath(GetParam());
    Load(image);
    std::vector<std::string> argv{"gdb-multiarch", "-batch", "-nx"};
    std::vector<uint32_t> starts;
    for (const StabRow& r : ObjdumpStabs(image)) {
        if (r.type != "FUN" || r.text.empty())
            continue;
        char ex[48];
        std::snprintf(ex, sizeof ex, "info scope *0x%x", r.value & ~1u);
        argv.insert(argv.end(), {"-ex", "echo @@\\n", "-ex", ex});
        starts.push_back(r.value & ~1u);
    }
    argv.push_back(image);
    // One part of the output per function, each after a line "@@".
    std::vector<std::string> parts;
    std::istringstream in(ToolOutput(argv));
    for (std::string line; std::getline(in, line);) {
        if (line == "@@")
            parts.emplace_back();
        else if (!parts.empty())
            parts.back() += line + "\n";
    }
    ASSERT_EQ(parts.size(), starts.size());
    size_t compared = 0;
    for (size_t n = 0; n < starts.size(); ++n) {
        const quinar::Result<quinar::AddressInfo> f = Store().CodeAt(starts[n]);
        ASSERT_TRUE(f.ok());
        std::map<std::string, std::string> ours;
        for (uint32_t i = 0;; ++i) {
            const quinar::Result<quinar::FunctionVariable> v = Store().FunctionVariableAt(f->handle, i);
            if (!v)
                break;
            ours[v->name] = WhereOf(v->handle, State().bigEndian);
        }
        for (const auto& [name, where] : GdbScope(parts[n])) {
            SCOPED_TRACE(Store().SymbolName(f->handle).value + " " + name);
            ASSERT_EQ(ours.count(name), 1u);
            EXPECT_EQ(ours[name], where);
            ++compared;
        }
    }
    EXPECT_GT(compared, 5u);
}

INSTANTIATE_TEST_SUITE_P(Gcc12, StabsScopeTest, ::testing::Values("st_arm_o0", "st_types_o0", "st_class_o0"));

// The stabs build next to the DWARF 2 build of the same code.
class StabsNextToDwarf2Test : public StabsImageTest {
protected:
    // The type text of every global and static variable, by name.
    std::map<std::string, std::string> VariableTypes(const std::string& image)
    {
        std::map<std::string, std::string> types;
        std::istringstream in(ToolOutput({"arm-none-eabi-nm", image}));
        for (std::string line; std::getline(in, line);) {
            const std::vector<std::string> t = Tokens(line);
            if (t.size() != 3 || std::string("bBdDrR").find(t[1]) == std::string::npos ||
                t[2].find('.') != std::string::npos)
                continue;
            const quinar::Result<uint32_t> h = Store().LookupNamedSymbol(0, t[2]);
            if (!h)
                continue;
            const quinar::Result<quinar::SymbolDetails> d = Store().Details(*h);
            if (d && d->kind == SYM_KIND_VARIABLE)
                types[t[2]] = Store().TypeText(d->type).value;
        }
        return types;
    }
};

TEST_P(StabsNextToDwarf2Test, LinesAndTypesAreTheDwarf2Builds)
{
    const std::string stabsImage = FixturePath(GetParam());
    std::string dwarfName = GetParam();
    dwarfName.replace(0, 2, "d2");
    const std::string dwarfImage = FixturePath(dwarfName);
    ASSERT_EQ(TextSection(stabsImage), TextSection(dwarfImage)) << "the two builds' code differs";

    Load(dwarfImage);
    const std::map<std::string, std::string> dwarfTypes = VariableTypes(dwarfImage);
    // The same process loads the stabs build after it.
    Load(stabsImage);
    const std::map<std::string, std::string> stabsTypes = VariableTypes(stabsImage);
    EXPECT_FALSE(dwarfTypes.empty());
    EXPECT_EQ(stabsTypes, dwarfTypes);

    const std::map<uint32_t, std::set<uint32_t>> rows = LineRows(ObjdumpStabs(stabsImage));
    std::vector<std::string> argv{"arm-none-eabi-addr2line", "-e", dwarfImage};
    std::vector<uint32_t> addresses;
    for (const auto& [address, lines] : rows) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%x", address);
        argv.push_back(hex);
        addresses.push_back(address);
    }
    // gcc gives a DWARF 2 address several rows (views) where stabs has one:
    // any row of the DWARF 2 build at the address counts.
    std::map<uint32_t, std::set<uint32_t>> dwarfRows;
    for (const ReadelfLineTable& table : ReadelfDwarfOf(dwarfImage).tables)
        for (const ReadelfRow& row : table.rows)
            if (!row.endOfSequence)
                dwarfRows[row.address].insert(row.line);
    std::istringstream in(ToolOutput(argv));
    size_t n = 0;
    for (std::string line; std::getline(in, line) && n < addresses.size(); ++n) {
        const uint32_t address = addresses[n];
        const size_t colon = line.rfind(':');
        ASSERT_NE(colon, std::string::npos) << line;
        const uint32_t dwarfLine = static_cast<uint32_t>(std::atoi(line.c_str() + colon + 1));
        if (dwarfLine == 0)
            continue;  // no DWARF 2 row (start-up code)
        const uint32_t stabsLine = Store().SourceLineAt(address).value.line;
        if (stabsLine != dwarfLine)
            EXPECT_EQ(dwarfRows[address].count(stabsLine), 1u)
                << std::hex << address << " " << line << std::dec << ": line " << stabsLine;
    }
    EXPECT_EQ(n, addresses.size());
}

INSTANTIATE_TEST_SUITE_P(Gcc12, StabsNextToDwarf2Test,
                         ::testing::Values("st_arm_o0", "st_arm_o2", "st_thumb_o0", "st_thumb_o2", "st_be_o1",
                                           "st_types_o0", "st_types_o2"));

}  // namespace
}  // namespace tarnel::test
