// Reference states from qemu-system-arm: the image runs under gdb-multiarch
// (qemu's gdb stub on a pipe) from its first instruction to a breakpoint,
// where gdb reads the registers and some words of memory.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host_tools.h"

namespace zk::test {

struct ArmState {
    uint32_t r[16] = {};  // r0-r15
    uint32_t cpsr = 0;
};

struct QemuStop {
    bool ok = false;
    std::string error;  // why not ok, with gdb's output
    ArmState atEntry;   // before the first instruction
    ArmState atStop;    // stopped at the location
    uint32_t wordsAddress = 0;
    std::vector<uint32_t> words;  // read at the stop
};

// location: a gdb breakpoint location ("*__normal_end", "checkpoint",
// "*0x8000"). wordsAt: a gdb address expression ("&result", "0x1516c") whose
// `count` words are read at the stop (empty: none). append: qemu's -append
// text (the program's arguments after the image's name).
QemuStop QemuStopAt(const std::string& image, const std::string& location, const std::string& wordsAt = {},
                    unsigned count = 0, const std::string& append = {});

// Stopped on the normal-end word (which qemu itself would execute as an
// ordinary SWI), with `count` words of the array `symbol`.
QemuStop QemuStateAtNormalEnd(const std::string& image, const std::string& symbol, unsigned count);

// gdb-multiarch in batch mode over qemu's stub, the image stopped before its
// first instruction: `commands` run in order (gdb command lines), bounded in
// time; gdb's output.
ProcessResult RunGdbOnQemu(const std::string& image, const std::vector<std::string>& commands,
                           const std::string& append = {});

// For each start address in turn: a temporary breakpoint there, continue,
// then `command` ("stepi", "nexti", "next", "finish"), and the PC after it.
// The starts must come in the order the program reaches them. False with
// gdb's output in `error` when a start is not reached or no PC is printed.
bool QemuPcsAfter(const std::string& image, const std::vector<uint32_t>& starts, const std::string& command,
                  std::vector<uint32_t>* pcs, std::string* error);

// A stop of `GdbValuesAt`: the PC and the names gdb printed a number for.
struct GdbValueStop {
    uint32_t pc = 0;
    std::map<std::string, int64_t> values;
};

// gdb over qemu: a temporary breakpoint at every address (in the order the
// program reaches them or not); at each stop the PC and the value of every
// name that gdb evaluates there, is not optimized out and passes `keep` (a
// Python condition on the name `n` and its gdb.Value `v`; empty: all). gdb's
// whole output in `output`.
std::vector<GdbValueStop> GdbValuesAt(const std::string& image, const std::vector<uint32_t>& addresses,
                                      const std::vector<std::string>& names, const std::string& keep,
                                      std::string* output);

// r0-r15 and the CPSR of both machines side by side, differences marked.
std::string SideBySide(const ArmState& qemu, const ArmState& sim);

// The CPSR bits both machines keep alike: NZCV, I, F, T and the mode (qemu
// sets bit 8, the ARMv6 A bit, which an ARMv4T core does not have).
inline constexpr uint32_t CPSR_COMPARED_BITS = 0xF00000FFu;

}  // namespace zk::test
