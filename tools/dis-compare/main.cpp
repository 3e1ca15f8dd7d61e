// dis-compare [--objdump PROGRAM] [--show N] [FILE...]
//
// Checks the simulator's disassembler against objdump. Reads the listing of
// `arm-none-eabi-objdump -d -M reg-names-raw` from standard input, or runs
// objdump (-d -z -r -M reg-names-raw) on each FILE (objects, archives,
// executables). Every instruction word of the listing is disassembled by the
// simulator's disassembler at the same address, both texts are brought to
// one canonical spelling (text_rules.h, canonical_form.h) and compared.
// Prints the first N disagreements (default 20), the count of each known
// difference, and as its last line "N agree, K known differences, D
// disagree". Exit status 0 only when D is 0; 2 when objdump cannot be run.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "comparison.h"
#include "host_tools.h"
#include "objdump_listing.h"

using zk::tools::Compare;
using zk::tools::KnownDifference;
using zk::tools::ObjdumpLine;
using zk::tools::Outcome;
using zk::tools::Tally;

namespace {

struct Options {
    std::string objdump = "arm-none-eabi-objdump";
    size_t show = 20;
    std::vector<std::string> files;
};

int Usage()
{
    std::fprintf(stderr, "usage: dis-compare [--objdump PROGRAM] [--show N] [FILE...]\n");
    return 2;
}

void Check(const std::vector<ObjdumpLine>& lines, const Options& options, Tally& tally)
{
    for (const ObjdumpLine& line : lines) {
        const auto v = Compare(line);
        tally.Add(v);
        if (v.outcome != Outcome::Disagree || tally.disagree > options.show)
            continue;
        std::printf("disagree: %s 0x%x: %08x%s\n  ours:    %s\n  objdump: %s %s%s%s\n  canonical: \"%s\" / \"%s\"\n",
                    line.object.c_str(), line.address, line.word,
                    line.encoding == zk::tools::Encoding::Thumb32 ? " (32-bit Thumb)" : "", v.ours.c_str(),
                    line.mnemonic.c_str(), line.operands.c_str(), line.comment.empty() ? "" : " @ ",
                    line.comment.c_str(), v.oursCanonical.c_str(), v.objdumpCanonical.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--objdump" && i + 1 < argc) {
            options.objdump = argv[++i];
        } else if (a == "--show" && i + 1 < argc) {
            options.show = std::strtoul(argv[++i], nullptr, 0);
        } else if (!a.empty() && a[0] == '-') {
            return Usage();
        } else {
            options.files.push_back(a);
        }
    }

    Tally tally;
    if (options.files.empty()) {
        Check(zk::tools::ReadObjdumpListing(std::cin), options, tally);
    }
    for (const std::string& file : options.files) {
        const auto run = zk::test::RunProcess({options.objdump, "-d", "-z", "-r", "-M", "reg-names-raw", file}, {},
                                              std::chrono::minutes(10));
        if (run.exitStatus != 0) {
            std::fprintf(stderr, "dis-compare: %s failed on %s (status %d)\n%s", options.objdump.c_str(), file.c_str(),
                         run.exitStatus, run.err.c_str());
            return 2;
        }
        std::istringstream in(run.out);
        Check(zk::tools::ReadObjdumpListing(in), options, tally);
    }

    if (tally.disagree > options.show)
        std::printf("(%zu more disagreements not shown)\n", tally.disagree - options.show);
    std::printf("Known differences:\n");
    for (size_t k = 0; k < zk::tools::kKnownDifferenceCount; ++k) {
        std::printf("  %8zu  %s\n", tally.known[k],
                    std::string(zk::tools::KnownDifferenceName(static_cast<KnownDifference>(k))).c_str());
    }
    std::printf("%s\n", tally.Summary().c_str());
    return tally.disagree == 0 ? 0 : 1;
}
