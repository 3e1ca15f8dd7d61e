// The frame information of .debug_frame: every CIE and FDE as read, with
// its instructions kept as bytes, and for every function that quinar knows
// at an FDE's start the registers its frame instructions save.
//
// A stack walk needs the whole rule set of an address (CFA register and
// offset, where each register was saved); CfaReader decodes the kept
// instruction bytes one instruction at a time for it, as it does for the
// saved-register lists here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "byte_cursor.h"
#include "image_file.h"
#include "ldr_types.h"
#include "section_pass.h"
#include "tarnel.h"

namespace tarnel {

// Call-frame instruction opcodes (DWARF 2 to 4). The first three carry an
// operand in their low six bits.
enum CfaOpcode : uint8_t {
    DW_CFA_advance_loc = 0x40,
    DW_CFA_offset = 0x80,
    DW_CFA_restore = 0xC0,
    DW_CFA_nop = 0x00,
    DW_CFA_set_loc = 0x01,
    DW_CFA_advance_loc1 = 0x02,
    DW_CFA_advance_loc2 = 0x03,
    DW_CFA_advance_loc4 = 0x04,
    DW_CFA_offset_extended = 0x05,
    DW_CFA_restore_extended = 0x06,
    DW_CFA_undefined = 0x07,
    DW_CFA_same_value = 0x08,
    DW_CFA_register = 0x09,
    DW_CFA_remember_state = 0x0A,
    DW_CFA_restore_state = 0x0B,
    DW_CFA_def_cfa = 0x0C,
    DW_CFA_def_cfa_register = 0x0D,
    DW_CFA_def_cfa_offset = 0x0E,
    DW_CFA_def_cfa_expression = 0x0F,
    DW_CFA_expression = 0x10,
    DW_CFA_offset_extended_sf = 0x11,
    DW_CFA_def_cfa_sf = 0x12,
    DW_CFA_def_cfa_offset_sf = 0x13,
    DW_CFA_val_offset = 0x14,
    DW_CFA_val_offset_sf = 0x15,
    DW_CFA_val_expression = 0x16,
    DW_CFA_GNU_args_size = 0x2E,
    DW_CFA_GNU_negative_offset_extended = 0x2F,
};

// One decoded instruction. For the three high opcodes `opcode` is the
// opcode alone and the low six bits are operand1 (delta or register).
// Operands as stored: offsets and deltas are not yet multiplied by the
// CIE's alignment factors.
struct CfaInstruction {
    uint8_t opcode = 0;
    uint64_t operand1 = 0;                // register, delta, address or unsigned offset
    int64_t operand2 = 0;                 // offset (signed for the _sf forms)
    std::span<const uint8_t> expression;  // the block of the expression forms
};

class CfaReader {
public:
    CfaReader(std::span<const uint8_t> instructions, bool bigEndian) : cursor_(instructions, bigEndian, ".debug_frame")
    {}
    // The next instruction; false at the end, or at an opcode whose operands
    // cannot be known or read (Failed() then tells).
    bool Next(CfaInstruction& out);
    bool Failed() const { return failed_; }

private:
    // False, and failed from now on, when the instruction's operands ran past the end.
    bool Settle();

    ByteCursor cursor_;
    bool failed_ = false;
};

// A Common Information Entry.
struct FrameCie {
    uint32_t offset = 0;  // in .debug_frame
    uint8_t version = 0;
    std::string augmentation;
    uint64_t codeAlignment = 0;
    int64_t dataAlignment = 0;
    uint32_t returnAddressRegister = 0;
    std::vector<uint8_t> initialInstructions;
};

// A Frame Description Entry: [initialLocation, initialLocation +
// addressRange) and the instructions that describe it.
struct FrameFde {
    uint32_t offset = 0;
    uint32_t cieOffset = 0;
    int32_t cie = -1;  // index into FrameTable::cies, -1 when no CIE of the section is at cieOffset
    uint32_t initialLocation = 0;
    uint32_t addressRange = 0;
    std::vector<uint8_t> instructions;
};

struct FrameTable {
    bool present = false;  // the image read last has .debug_frame
    bool bigEndian = false;
    std::vector<FrameCie> cies;  // in section order
    std::vector<FrameFde> fdes;  // in section order
    // Function key (quinar's function handle) -> its saved registers; the
    // first FDE of a function wins. The nodes stay put: MapFuncToRegArr
    // hands out pointers into them.
    struct SavedRegisters {
        std::vector<uint32_t> registers;
        LdrSavedRegisters view{};
    };
    std::unordered_map<uint32_t, SavedRegisters> saved;
    std::vector<uint32_t> functions;  // every key that received an entry, in reading order

    void Clear();
};

FrameTable& LoadedFrames();

// The registers that DW_CFA_offset rules save, in the order the
// instructions name them.
std::vector<uint32_t> SavedRegistersOf(std::span<const uint8_t> instructions, bool bigEndian);

// Reads the .debug_frame section of the image into `frames` after the
// symbols are loaded. Always 0: damage ends the reading where it is found.
LdrResult ReadDebugFrame(const ImageFile& file, const NotedSection& section, bool bigEndian, FrameTable& frames);

}  // namespace tarnel
