// Twins of gcc's DWARF 2 images in other debug formats, written from the
// program facts readelf gives (program_facts.h): ldrdump's lines, functions
// and types (with --type-text) of a twin equal those of the DWARF 2 image
// except what the twin's format cannot carry, each listed once below.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "host_tools.h"
#include "ieee695_debug_twin.h"
#include "ieee695_twin.h"
#include "listing_compare.h"
#include "program_facts.h"

namespace tarnel::test {
namespace {

using zk::test::FixturePath;
using zk::test::RunProcess;

const std::string LDRDUMP = std::string(ZK_BIN_DIR) + "/ldrdump";

// What both listings drop: rows that end a sequence (line 0), which the
// twins' line tables end without a row.
const ListingRewrite COMMON[] = {
    {"line-0 rows", "^  [0-9a-f]{8} .* 0$", nullptr, nullptr},
};

// What an IEEE-695 debug part cannot carry.
const ListingRewrite IEEE695[] = {
    {"frame bases: automatics count from the frame pointer", "^    frame base ", nullptr, nullptr},
    {"location descriptions: one piece over all addresses", nullptr, " list .*$", ""},
    {"frame offsets: from the frame pointer, not from the frame base", nullptr, "frame[-+][0-9]+", "frame"},
    {"module names: the file name without its extension", nullptr, " module ([^ .]+)\\.[A-Za-z]+ ", " module $1 "},
    {"the file of a row: every row of a unit is the unit's", nullptr, "^  ([0-9a-f]{8}) .* ([0-9]+)$", "  $1 $2"},
};

// What an IEEE-695 debug part cannot carry of C++ classes: a class is a
// structure of its data members (no access, no member functions), and a
// reference a pointer.
const ListingRewrite IEEE695_CLASSES[] = {
    {"member functions of classes", "^    slot [a-z]+ [A-Za-z_:~]+ code ", nullptr, nullptr},
    {"classes: structures", nullptr, "\\bclass ", "struct "},
    {"member access", nullptr, "^    slot [a-z]+ ", "    member "},
    {"references: pointers", nullptr, " reference size 4 (.*) & ", " pointer size 4 $1 * "},
    {"reference texts: pointer texts", nullptr, " &", " *"},
    {"bits of class members: given only by their bit-field type", nullptr, " bits [0-9]+:[0-9]+$", ""},
};

// What the DWARF 1 twin does not carry.
const ListingRewrite DWARF1[] = {
    {"frame bases: locals count from the frame pointer", "^    frame base ", nullptr, nullptr},
    {"variables whose place changes with the address: left out", "^    local .* list (none|\\[(?!.*fbreg))", nullptr,
     nullptr},
    {"parameters without one place: kept for the function's type, without a place", "^    local (?!.* list )", nullptr,
     nullptr},
    {"location descriptions: one piece over all addresses", nullptr, " list .*$", ""},
    {"frame offsets: from the frame pointer, not from the frame base", nullptr, "frame[-+][0-9]+", "frame"},
    {"the file of a row: every row of a unit is the unit's", nullptr, "^  ([0-9a-f]{8}) .* ([0-9]+)$", "  $1 $2"},
};

template <size_t N>
std::vector<ListingRewrite> Rewrites(const ListingRewrite (&own)[N])
{
    std::vector<ListingRewrite> all(std::begin(COMMON), std::end(COMMON));
    all.insert(all.end(), std::begin(own), std::end(own));
    return all;
}

std::string Listing(const std::vector<std::string>& options, const std::string& image)
{
    std::vector<std::string> argv{LDRDUMP, "--lines", "--functions", "--types", "--type-text"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(image);
    const zk::test::ProcessResult r = RunProcess(argv);
    EXPECT_EQ(r.exitStatus, 0) << image << "\n" << r.err;
    return r.out;
}

class Ieee695TwinListingTest : public ::testing::TestWithParam<const char*> {};

TEST_P(Ieee695TwinListingTest, LinesFunctionsAndTypesAreTheDwarf2Images)
{
    const std::string elf = FixturePath(GetParam());
    const quentor::test::ElfFacts facts = quentor::test::FactsOf(elf);
    zk::test::Ieee695ModuleDesc twin = quentor::test::TwinOf(elf, facts);
    twin.debug = quentor::test::DebugTwin(zk::test::ProgramFactsOf(elf, facts.bigEndian), facts.symbols).Write();
    const std::string path =
        ::testing::TempDir() + "ldrdump_twin_" + std::to_string(::getpid()) + "_" + GetParam() + ".695";
    ASSERT_TRUE(zk::test::WriteBytesFile(path, zk::test::WriteIeee695(twin)));

    std::vector<ListingRewrite> rewrites = Rewrites(IEEE695);
    rewrites.insert(rewrites.end(), std::begin(IEEE695_CLASSES), std::end(IEEE695_CLASSES));
    const ListingParts expected = ListingPartsOf(Listing({}, elf), rewrites);
    const ListingParts got = ListingPartsOf(Listing({"--mode=0"}, path), rewrites);
    std::remove(path.c_str());
    ExpectSameListing(expected, got);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Ieee695TwinListingTest,
                         ::testing::Values("d2_arm_o0", "d2_thumb_o0", "d2_types_o0", "d2_class_o0"));

class Dwarf1TwinListingTest : public ::testing::TestWithParam<const char*> {};

// The twins are built next to the fixtures (d1_* of d2_*). Both load with
// mode 0, which reads the DWARF 1 line tables.
TEST_P(Dwarf1TwinListingTest, LinesFunctionsAndTypesAreTheDwarf2Images)
{
    std::string twin = GetParam();
    const std::string elf = FixturePath("d2" + twin.substr(2));
    twin = FixturePath(twin);
    const std::vector<ListingRewrite> rewrites = Rewrites(DWARF1);
    // Pointer types are made per use of a modifier, not per entry; an
    // enumeration's constants are added in DWARF 1's stored (reverse) order.
    const ListingOptions options{true, true};
    ExpectSameListing(ListingPartsOf(Listing({"--mode=0"}, elf), rewrites, options),
                      ListingPartsOf(Listing({"--mode=0"}, twin), rewrites, options));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Dwarf1TwinListingTest,
                         ::testing::Values("d1_arm_o0", "d1_arm_o2", "d1_thumb_o0", "d1_thumb_o2", "d1_be_o1",
                                           "d1_types_o0"));

}  // namespace
}  // namespace tarnel::test
