#include "dwarf2_line_program.h"

#include <optional>
#include <string>

#include "dwarf2_constants.h"
#include "dwarf2_paths.h"
#include "dwarf_section_units.h"

namespace tarnel {

std::string LineProgramHeader::FilePath(uint64_t n) const
{
    const LineFile* f = File(n);
    if (!f)
        return {};
    const bool listed = f->directory >= 1 && f->directory <= directories.size();
    return JoinPath(listed ? directories[f->directory - 1] : std::string_view(), f->name);
}

std::span<const uint8_t> KnownOperandCounts(uint16_t version)
{
    // copy, advance_pc, advance_line, set_file, set_column, negate_stmt,
    // set_basic_block, const_add_pc, fixed_advance_pc; then DWARF 3's
    // set_prologue_end, set_epilogue_begin, set_isa.
    static constexpr uint8_t counts[] = {0, 1, 1, 1, 1, 0, 0, 0, 1, 0, 0, 1};
    return std::span<const uint8_t>(counts).first(version >= 3 ? 12 : 9);
}

namespace {

constexpr std::string_view LINE_SECTION = ".debug_line";

bool IsKnownLaterVersion(uint16_t version)
{
    return version == 4 || version == 5;
}

// The header's fields after the version. False when the cursor failed (a
// line range or opcode base of 0 fails it too).
bool ReadHeaderFields(ByteCursor& c, LineProgramHeader& h, const ReadErrors& errors)
{
    const uint32_t headerLength = c.U32();
    const uint64_t programStart = c.Offset() + headerLength;
    h.minimumInstructionLength = c.U8();
    h.defaultIsStmt = c.U8() != 0;
    h.lineBase = static_cast<int8_t>(c.U8());
    h.lineRange = c.U8();
    h.opcodeBase = c.U8();
    if (!c.Ok())
        return false;
    if (h.lineRange == 0) {
        c.Fail("line range of 0");
        return false;
    }
    if (h.opcodeBase == 0) {
        c.Fail("opcode base of 0");
        return false;
    }
    const std::span<const uint8_t> known = KnownOperandCounts(h.version);
    h.standardOpcodeLengths.resize(h.opcodeBase - 1u);
    for (size_t i = 0; i < h.standardOpcodeLengths.size(); ++i) {
        const uint64_t at = c.Offset();
        uint8_t& n = h.standardOpcodeLengths[i];
        n = c.U8();
        if (c.Ok() && i < known.size() && n != known[i]) {
            const std::string what = "standard opcode " + std::to_string(i + 1) + " declared with " +
                std::to_string(n) + " operands, read with " + std::to_string(known[i]);
            errors.At(LINE_SECTION, at, what);
            n = known[i];
        }
    }
    for (std::string_view d = c.CString(); c.Ok() && !d.empty(); d = c.CString())
        h.directories.push_back(d);
    for (std::string_view name = c.CString(); c.Ok() && !name.empty(); name = c.CString()) {
        LineFile f{name, c.ULeb128()};
        c.ULeb128();  // modification time
        c.ULeb128();  // length
        h.files.push_back(f);
    }
    if (!c.Ok())
        return false;
    if (programStart > c.Offset() + c.Remaining()) {
        c.Fail("header length beyond the line table");
        return false;
    }
    c.SeekTo(programStart);
    return c.Ok();
}

}  // namespace

LineHeaderRead ReadLineProgramHeader(ByteCursor& section, ReaderDamage& damage, LineProgramHeader& h,
                                     ByteCursor& program)
{
    std::optional<SectionUnit> unit = NextSectionUnit(section, damage);
    if (!unit)
        return LineHeaderRead::None;
    h.offset = unit->offset;
    h.unitLength = unit->length;
    program = unit->bytes;
    h.version = program.U16();
    if (program.Ok() && h.version != 2 && h.version != 3) {
        if (!IsKnownLaterVersion(h.version))
            damage.At(h.offset, "line table of unknown version stepped over");
        return LineHeaderRead::SteppedOver;
    }
    if (!ReadHeaderFields(program, h, damage.errors)) {
        damage.Failed(program);
        return LineHeaderRead::Damaged;
    }
    return LineHeaderRead::Read;
}

namespace {

// An extended opcode, its length already read into the sub-cursor `op`.
// False when the sink stopped the program.
bool Extended(ByteCursor& op, LineProgramHeader& h, LineRegisters& r, LineRowSink& sink)
{
    switch (op.U8()) {
    case DW_LNE_end_sequence: {
        const bool goOn = sink.EndSequence(r);
        r = LineRegisters{};
        r.isStmt = h.defaultIsStmt;
        return goOn;
    }
    case DW_LNE_set_address:
        r.address = static_cast<uint32_t>(op.Fixed(static_cast<unsigned>(op.Remaining())));
        return true;
    case DW_LNE_define_file: {
        LineFile f{op.CString(), op.ULeb128()};
        op.ULeb128();
        op.ULeb128();
        if (op.Ok())
            h.files.push_back(f);
        return true;
    }
    default:  // vendor and later opcodes, and an empty one
        return true;
    }
}

}  // namespace

LineRegisters RunLineProgram(ByteCursor& c, LineProgramHeader& h, LineRowSink& sink)
{
    LineRegisters r;
    r.isStmt = h.defaultIsStmt;
    const uint32_t minLength = h.minimumInstructionLength;
    while (c.Ok() && !c.AtEnd()) {
        const uint8_t opcode = c.U8();
        if (opcode >= h.opcodeBase) {
            // Special opcode: address and line advance in one byte, and a row.
            const unsigned adjusted = opcode - h.opcodeBase;
            r.address += (adjusted / h.lineRange) * minLength;
            r.line += static_cast<uint32_t>(h.lineBase + static_cast<int>(adjusted % h.lineRange));
            if (!sink.Row(r))
                break;
            continue;
        }
        switch (opcode) {
        case 0: {
            const uint64_t length = c.ULeb128();
            ByteCursor op = c.Split(length);
            if (!c.Ok() || length == 0)
                break;
            if (!Extended(op, h, r, sink))
                return r;
            if (!op.Ok())
                c.Fail(op.Error().what);
            break;
        }
        case DW_LNS_copy:
            if (!sink.Row(r))
                return r;
            break;
        case DW_LNS_advance_pc: r.address += static_cast<uint32_t>(c.ULeb128() * minLength); break;
        case DW_LNS_advance_line: r.line += static_cast<uint32_t>(c.SLeb128()); break;
        case DW_LNS_set_file: r.file = static_cast<uint32_t>(c.ULeb128()); break;
        case DW_LNS_set_column: r.column = static_cast<uint32_t>(c.ULeb128()); break;
        case DW_LNS_negate_stmt: r.isStmt = !r.isStmt; break;
        case DW_LNS_set_basic_block: break;
        case DW_LNS_const_add_pc: r.address += ((255u - h.opcodeBase) / h.lineRange) * minLength; break;
        case DW_LNS_fixed_advance_pc: r.address += c.U16(); break;
        default:
            // DWARF 3's prologue, epilogue and ISA opcodes and any later one.
            for (unsigned n = h.standardOpcodeLengths[opcode - 1u]; n > 0 && c.Ok(); --n)
                c.ULeb128();
            break;
        }
    }
    return r;
}

}  // namespace tarnel
