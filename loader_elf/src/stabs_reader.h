// The stabs reader (the `stabs` slot of the dispatch): the entries of
// .stab, with their strings in .stabstr, made into quinar modules (one per
// source file and one per included file with code), line tables,
// functions, variables and types (stabs_types.h).
//
// The reader reads what current gcc writes as well as the older compilers:
// line values count from the function's start (the start is reset at each
// source-file entry, so an assembler's absolute rows count from 0); a
// function ends at the size of the empty function entry that follows it,
// else at its outermost right bracket, else at its highest line address;
// Thumb functions carry bit 0 in their value. A function's entries are
// kept until its end is known and then handed over: the function, its
// parameters and locals, each with a location piece for quinar's
// evaluator (an offset from gcc's frame pointer, r11 in ARM code and r7 + 4
// in Thumb code; a register; an address).
//
// Damage (a string offset past .stabstr, a string without its NUL, a
// section size that is no multiple of 12, a type text the parser cannot
// read) is reported with its section and offset, and the rest is read.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "debug_dispatch.h"
#include "dwarf2_quinar.h"
#include "loader_tables.h"
#include "read_errors.h"

namespace tarnel {

inline constexpr size_t STAB_ENTRY_SIZE = 12;

// The stab entry types the reader acts on.
enum StabType : uint8_t {
    N_UNDF = 0x00,
    N_GSYM = 0x20,
    N_FUN = 0x24,
    N_STSYM = 0x26,
    N_LCSYM = 0x28,
    N_RSYM = 0x40,
    N_SLINE = 0x44,
    N_SO = 0x64,
    N_LSYM = 0x80,
    N_BINCL = 0x82,
    N_SOL = 0x84,
    N_PSYM = 0xA0,
    N_EINCL = 0xA2,
    N_LBRAC = 0xC0,
    N_RBRAC = 0xE0,
};

struct StabsContext {
    std::span<const uint8_t> stab;     // the .stab section
    std::span<const uint8_t> stabstr;  // the .stabstr section
    uint64_t stabFileOffset = 0;       // for the progress bar
    bool bigEndian = false;
    std::string imageDirectory;
    LoaderTables& tables;
    QuinarRecords& records;
    const ReadErrors& errors;
    // The sizes of the image's function symbols by code address: a
    // function without the empty entry of its size ends by its symbol's.
    std::unordered_map<uint32_t, uint32_t> functionSizes;
    // At each source file, with the file position reached: keeps the
    // windows alive and moves the bar; true when the user asked to stop.
    std::function<bool(uint64_t position)> moduleReached;
    // Functions and line rows handed to the store.
    uint32_t functions = 0;
    uint32_t lineRows = 0;
};

// Reads the sections of `cx`: LDR_OK, LDR_E_READ (damage stepped past),
// LDR_E_USER_ABORT, LDR_E_MODULE (a module could not be opened), or the
// store's result of reopening a module. New modules add to the call's
// module count.
LdrResult ReadStabsPass(ReaderCall& call, StabsContext& cx);

// The stabs reader slot: the pass over the load that runs (stabs_slot.cpp).
LdrResult ReadStabs(ReaderCall& call);

// Whether the file names after the last '/' or '\\' of two paths are equal
// without regard to case.
bool SameBaseName(std::string_view a, std::string_view b);

}  // namespace tarnel
