// The line program of one unit of .debug_line (DWARF 2 and 3): its header
// and the state machine that turns its opcodes into rows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "byte_cursor.h"
#include "read_errors.h"

namespace tarnel {

struct LineFile {
    std::string_view name;
    uint64_t directory = 0;  // 0: the compilation directory; n: include directory n
};

struct LineProgramHeader {
    uint32_t offset = 0;      // of the program's unit (its length field) in .debug_line
    uint32_t unitLength = 0;  // the bytes after the length field
    uint16_t version = 0;
    uint8_t minimumInstructionLength = 1;
    bool defaultIsStmt = true;  // the is_stmt register's value at each sequence's start
    int8_t lineBase = 0;
    uint8_t lineRange = 1;
    uint8_t opcodeBase = 1;
    std::vector<uint8_t> standardOpcodeLengths;  // operands of opcodes 1 .. opcodeBase - 1
    std::vector<std::string_view> directories;   // include directory 1 first
    std::vector<LineFile> files;                 // file 1 first; DW_LNE_define_file adds to them

    // File n (1-based), or null when the table does not list it.
    const LineFile* File(uint64_t n) const { return n >= 1 && n <= files.size() ? &files[n - 1] : nullptr; }
    // File n's name after its include directory.
    std::string FilePath(uint64_t n) const;
};

enum class LineHeaderRead {
    Read,         // the header is read; the program's cursor stands at the first opcode
    SteppedOver,  // a unit of another version (DWARF 4 and 5 silently, others reported)
    Damaged,      // reported; the next unit may be read
    None,         // no unit read: a 64-bit unit stepped over, a unit longer than
                  // the section (reported), or the section's cursor failed
};

// Reads the line program unit at the section cursor's place: its unit
// length, its version (2 and 3 are read) and its header; the section cursor
// moves past the unit and `program` holds the rest of it. Damage (a unit
// longer than the section, a header cut short, a line range or opcode base
// of 0, a header length beyond the unit) is reported through `damage` with
// its offset. Standard opcodes whose declared operand counts differ from
// those the version defines are reported through the damage's handler, and
// the defined counts are used; this alone does not make the unit damaged.
LineHeaderRead ReadLineProgramHeader(ByteCursor& section, ReaderDamage& damage, LineProgramHeader& header,
                                     ByteCursor& program);

// The operands the standard opcodes of a line program version take:
// opcodes 1 to 9 in DWARF 2, 1 to 12 from DWARF 3 on.
std::span<const uint8_t> KnownOperandCounts(uint16_t version);

struct LineRegisters {
    uint32_t address = 0;
    uint32_t file = 1;
    uint32_t line = 1;
    uint32_t column = 0;
    // The row begins a statement: a place where a source step may stop.
    // Today's compilers clear it for rows inside a line's instructions.
    bool isStmt = true;
};

class LineRowSink {
public:
    virtual ~LineRowSink() = default;
    // A row (copy or special opcode). False stops the program.
    virtual bool Row(const LineRegisters& r) = 0;
    // DW_LNE_end_sequence: r.address is the first address after the
    // sequence. False stops the program.
    virtual bool EndSequence(const LineRegisters& r) = 0;
};

// Runs the opcodes from the cursor's place to its end, or until the sink
// stops it or the cursor fails. Standard opcodes that the program's header
// declares beyond the nine of DWARF 2 are stepped over by their operand
// counts; extended opcodes other than end_sequence, set_address and
// define_file by their length. Gives the registers at the end.
LineRegisters RunLineProgram(ByteCursor& program, LineProgramHeader& header, LineRowSink& sink);

}  // namespace tarnel
