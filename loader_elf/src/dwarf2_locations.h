// DWARF 2 location descriptions: the words the variable records keep
// (DecodeLocation) and the whole description as the image gives it, one
// expression or a location list of .debug_loc, kept beside them in quinar
// for the variable views (QuinarRecords::SetLocation).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "dwarf2_forms.h"
#include "dwarf2_unit.h"

namespace tarnel {

// What one location expression gives the variable and member records.
// Operations in order, each setting the value (and flag) it gives:
// DW_OP_addr (address), DW_OP_plus_uconst (member offset), DW_OP_reg0..31
// and DW_OP_regx (register), DW_OP_breg11 (offset from the frame pointer,
// taken as a frame offset), the other DW_OP_breg (register; its offset
// dropped), DW_OP_fbreg (frame offset); any other operation ends it.
struct LocationWords {
    uint32_t value = 0;
    bool isRegister = false;
    bool isAddress = false;
};
LocationWords DecodeLocation(const Dwarf2Unit& unit, std::span<const uint8_t> expr);

// Code addresses [low, high).
struct CodeRange {
    uint32_t low = 0;
    uint32_t high = 0xFFFFFFFF;  // reaching 0xFFFFFFFF: up to the last address
};

// Code addresses [low, high) at which an expression holds.
struct LocationPiece {
    uint32_t low = 0;
    uint32_t high = 0xFFFFFFFF;
    std::span<const uint8_t> expr;
};

// A location attribute's pieces: a block is one piece over every address;
// a constant (data4 in DWARF 2) is the offset of a location list of
// .debug_loc, whose (begin, end) pairs count from the unit's base address
// (a pair beginning with the largest address sets a new base) and end at
// (0, 0). A list outside the section or cut short gives the pieces read,
// with a message.
//
// `code` is the code of the function the list belongs to. gcc's strict
// DWARF 2 units whose code lies in more than one section (C++ inline
// members in sections of their own) keep the low_pc of .text, yet write
// their lists with absolute addresses: a list that lies outside its
// function with the unit's base and inside it without is read without.
std::vector<LocationPiece> LocationPieces(const Dwarf2Unit& unit, const FormValue& value, CodeRange code = {});

}  // namespace tarnel
