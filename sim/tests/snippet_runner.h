// Runs labelled snippets of an assembled fixture on a fresh simulator.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "elf_image.h"
#include "simcore/simulator.h"

namespace zk::sim::test {

class SnippetImage {
public:
    // Reads build/fixtures/<fixture>.elf; a missing fixture fails the test.
    explicit SnippetImage(const std::string& fixture);
    uint32_t Symbol(const std::string& name) const;
    // A simulator with the image loaded and the PC at `label`.
    std::unique_ptr<Simulator> Start(const std::string& label) const;

private:
    tools::ElfImage image_;
};

// Runs to the normal end (at most `cap` instructions); returns the last code.
int RunToEnd(Simulator& sim, uint32_t cap = 100000);

// Register of the current mode (0-15).
uint32_t Reg(const Simulator& sim, unsigned n);

// Protection unit settings: region 0 over all memory with full access,
// both caches enabled, the instruction side cacheable, the data side with
// `dataPolicy`.
ProtectionSettings AllMemoryCached(Protection dataPolicy);
// Caches of four and eight lines (two ways): evictions and write-backs all
// the time.
void UseTinyCaches(Simulator& sim);
// Every line of both caches alike: validity, tag, age, dirty flag, words.
void ExpectSameCaches(const Simulator& a, const Simulator& b);

inline constexpr uint32_t kN = 0x80000000u, kZ = 0x40000000u, kC = 0x20000000u, kV = 0x10000000u;

}  // namespace zk::sim::test
