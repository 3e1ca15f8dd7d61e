// A PowerPC core model for the probe layers' tests: it decodes and executes
// exactly the instruction words the layers feed a halted core, over 32 general
// registers, special, device control and floating-point registers, the time
// base and a big-endian byte memory, and records every word it executed.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace ppctest {

// What the model reads from an instruction word.
struct Decoded {
    std::string op;         // the mnemonic in its basic form: "mtspr", "lwzu", "addi", ...
    unsigned rd = 0;        // rD/rS/frD/frS
    unsigned ra = 0;        // rA
    unsigned rb = 0;        // rB
    uint32_t number = 0;    // SPR, TBR or DCR number; mtcrf/mtfsf field mask
    int32_t immediate = 0;  // displacement, immediate or branch offset
    bool link = false;
};
// op is empty for a word the model does not know.
Decoded Decode(uint32_t word);

class CoreModel {
public:
    uint32_t gpr[32] = {};
    uint64_t fpr[32] = {};
    uint32_t fpscr = 0;
    uint32_t msr = 0;
    uint32_t cr = 0;
    uint32_t pc = 0;
    uint64_t timeBase = 0;
    std::map<uint32_t, uint32_t> spr;
    std::map<uint32_t, uint32_t> dcr;
    std::map<uint32_t, uint8_t> memory;  // absent bytes read as 0
    std::set<uint32_t> readOnly;         // stores to these bytes are lost
    std::vector<uint32_t> executed;
    std::vector<std::string> unknown;  // words the model could not execute

    // Executes one word; false (and recorded in `unknown`) when not known.
    bool Execute(uint32_t word);

    uint8_t Byte(uint32_t address) const;
    void SetByte(uint32_t address, uint8_t value) { memory[address] = value; }
    uint32_t Load(uint32_t address, unsigned bytes) const;  // big-endian
    void Store(uint32_t address, unsigned bytes, uint32_t value);
    uint32_t Spr(uint32_t number) const;

    // Words executed whose basic mnemonic is `op`.
    size_t CountOf(const std::string& op) const;
};

}  // namespace ppctest
