// The debug part of an IEEE-695 module: blocks of types, modules with their
// variables and functions, source lines and assembler modules, built into
// quinar in file order.
//
//   block      F8 type size name ... F9      (size 0: unknown, the block ends at its F9)
//   name       F0 index name
//   type       F2 index CE name-index letter parameters
//   attribute  F1 CE name-index type attribute parameters
//   assignment E2 CE name-index value
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ieee695_input.h"
#include "ldr_types.h"

namespace quentor {

struct DebugContext {
    uint64_t partStart = 0;
    uint64_t partEnd = 0;  // the data part's offset when it follows, else the file's end
    uint32_t toolKind = 0;
    bool cppNames = false;                        // the C++ compiler's names are reduced (tool kind 2)
    uint32_t flags = 0;                           // the load's flags (LOAD_ASM_MODULES)
    unsigned mode = 0;                            // the load's mode: 0 reads every source-line block
    const std::vector<int>* registers = nullptr;  // compiler register -> ARM register, -1 none
    uint32_t codeSection = 0;
    uint32_t dataSection = 0;
    bool bigEndian = false;  // the address descriptor's byte order (addresses in location expressions)
    // Receives {first, last} of every Thumb function (a code address with
    // bit 0 set); may be null.
    std::vector<uint32_t>* thumbCode = nullptr;
    // Damage of one record or block, at an offset into the part; the
    // reading goes on with the next record or block.
    std::function<void(uint64_t offset, const std::string& what)> message;
};

inline constexpr LdrResult LDR_E_REGISTER = 0x5000030D;
inline constexpr LdrResult LDR_E_LINE_TABLE = 0x5000031B;
inline constexpr LdrResult LDR_E_POINTER_TARGET = 0x50000414;
inline constexpr LdrResult LDR_E_FUNCTION = 0x40000250;
inline constexpr LdrResult LDR_E_ASM_MODULE = 0x1000024F;

// Blocks nest at most this deep; deeper ones are skipped whole.
inline constexpr unsigned MAX_BLOCK_DEPTH = 64;

// 0, LDR_E_USER_ABORT, LDR_E_READ or LDR_E_NO_MEMORY; every other damage
// goes to the context's message and is skipped.
LdrResult ReadDebugPart(Ieee695Input& in, const DebugContext& cx);

}  // namespace quentor
