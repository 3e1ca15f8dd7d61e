// A small ELF32 reader for the developer tools and tests: the PT_LOAD
// segments of a little-endian ARM executable, loaded into a simulator.
// (The project's ELF loader, with debug information, is a deliverable of its
// own; this is only what a lockstep run or a benchmark needs.)
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zk::sim {
class Simulator;
}

namespace zk::tools {

struct ElfSegment {
    uint32_t address = 0;  // physical address (where qemu loads it too)
    std::vector<uint8_t> bytes;
    uint32_t memSize = 0;
};

struct ElfImage {
    uint32_t entry = 0;
    std::vector<ElfSegment> segments;
    std::map<std::string, uint32_t> symbols;  // .symtab names and values
};

// Reads the image; false with a message in `error` when the file is not a
// little-endian 32-bit ARM executable.
bool ReadElfImage(const std::string& path, ElfImage& image, std::string& error);

// Writes every segment into the simulator's store (zero fill is implicit:
// unwritten memory reads 0) and sets the PC to the entry point.
void LoadElfImage(const ElfImage& image, sim::Simulator& simulator);

// Reads and loads in one step; false with a message when the file is bad.
bool LoadElfFile(const std::string& path, sim::Simulator& simulator, std::string& error);

}  // namespace zk::tools
