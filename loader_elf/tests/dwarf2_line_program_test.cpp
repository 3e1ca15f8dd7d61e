// The line program's header and state machine, opcode by opcode, on
// programs written here.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dwarf2_line_program.h"
#include "dwarf_writer.h"

namespace tarnel::test {
namespace {

struct Recorded {
    bool end;
    uint32_t address, file, line, column;
    bool operator==(const Recorded&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Recorded& r)
{
    return out << (r.end ? "end " : "row ") << std::hex << "0x" << r.address << std::dec << " file " << r.file
               << " line " << r.line << " column " << r.column;
}

class Recorder final : public LineRowSink {
public:
    bool Row(const LineRegisters& r) override
    {
        rows.push_back({false, r.address, r.file, r.line, r.column});
        return true;
    }
    bool EndSequence(const LineRegisters& r) override
    {
        rows.push_back({true, r.address, r.file, r.line, r.column});
        return true;
    }
    std::vector<Recorded> rows;
};

Recorded Row(uint32_t address, uint32_t file, uint32_t line, uint32_t column = 0)
{
    return {false, address, file, line, column};
}

Recorded End(uint32_t address, uint32_t file, uint32_t line, uint32_t column = 0)
{
    return {true, address, file, line, column};
}

// The header of a .debug_line section's first unit, read with a handler
// that keeps the messages. The header's and the cursors' views point into
// `bytes`, which the read owns.
struct HeaderRead {
    explicit HeaderRead(std::vector<uint8_t> section, bool bigEndian = false)
        : bytes(std::move(section)), lines(bytes, bigEndian, ".debug_line")
    {
        ReaderDamage damage{errors, ".debug_line"};
        read = ReadLineProgramHeader(lines, damage, header, program);
        result = damage.result;
    }
    HeaderRead(const HeaderRead&) = delete;
    HeaderRead& operator=(const HeaderRead&) = delete;

    std::vector<uint8_t> bytes;
    std::vector<std::string> messages;
    ReadErrors errors{"", [this](std::string text) { messages.push_back(std::move(text)); }};
    ByteCursor lines;
    LineProgramHeader header;
    ByteCursor program;
    LineHeaderRead read = LineHeaderRead::None;
    LdrResult result = LDR_OK;
};

struct ProgramRun {
    explicit ProgramRun(const LineProgramBytes& p) : unit(p.Bytes(), p.program.bigEndian) {}
    HeaderRead unit;
    std::vector<Recorded> rows;
    LineProgramHeader& header = unit.header;
    ByteCursor& cursor = unit.program;
};

// Reads the header and runs the program of `p`.
std::unique_ptr<ProgramRun> RunProgram(const LineProgramBytes& p)
{
    auto run = std::make_unique<ProgramRun>(p);
    EXPECT_EQ(run->unit.read, LineHeaderRead::Read) << run->cursor.ErrorText();
    Recorder recorder;
    RunLineProgram(run->cursor, run->header, recorder);
    run->rows = recorder.rows;
    return run;
}

TEST(Dwarf2LineProgram, StandardAndSpecialOpcodesMoveTheRegisters)
{
    LineProgramBytes p({"main.c", "1:util.h"});
    p.directories = {"/src/include"};
    p.minimumInstructionLength = 4;
    p.SetAddress(0x8000).AdvanceLine(9).Copy();          // 0x8000 line 10
    p.Special(2, 3);                                     // 0x8008 line 13
    p.SetColumn(7).AdvancePc(3).AdvanceLine(-5).Copy();  // 0x8014 line 8 column 7
    p.FixedAdvancePc(6).SetFile(2).Special(0, 1);        // 0x801a file 2 line 9
    p.ConstAddPc().Special(0, 0);                        // const_add_pc: (255 - 10) / 14 = 17 instructions
    p.Op(6).Op(7).Special(1, -4);                        // negate_stmt, basic_block: no row
    p.AdvancePc(1).EndSequence();
    p.SetAddress(0x9000).Copy();  // the registers start again
    const auto run = RunProgram(p);
    EXPECT_EQ(run->rows,
              (std::vector<Recorded>{Row(0x8000, 1, 10), Row(0x8008, 1, 13), Row(0x8014, 1, 8, 7), Row(0x801a, 2, 9, 7),
                                     Row(0x801a + 17 * 4, 2, 9, 7), Row(0x8062, 2, 5, 7), End(0x8066, 2, 5, 7),
                                     Row(0x9000, 1, 1)}));
    EXPECT_TRUE(run->cursor.Ok());
    EXPECT_EQ(run->header.FilePath(1), "main.c");
    EXPECT_EQ(run->header.FilePath(2), "/src/include/util.h");
    EXPECT_EQ(run->header.FilePath(3), "");
}

// DWARF 3 headers declare opcodes 10 to 12 (prologue end, epilogue begin,
// set ISA with one operand): stepped over by their operand counts, and
// special opcodes begin at 13.
TEST(Dwarf2LineProgram, OpcodesBelowTheOpcodeBaseAreSteppedOverByTheirOperandCounts)
{
    LineProgramBytes p({"a.s"});
    p.version = 3;
    p.opcodeBase = 13;
    p.SetAddress(0x100).Op(10).Op(11).Op(12).program.ULeb(300);
    p.Special(1, 2);
    const auto run = RunProgram(p);
    EXPECT_EQ(run->rows, (std::vector<Recorded>{Row(0x102, 1, 3)}));
    EXPECT_TRUE(run->cursor.Ok());

    // With an opcode base of 4 the opcodes from 4 up are special ones.
    LineProgramBytes low({"b.s"});
    low.opcodeBase = 4;
    low.SetAddress(0x200).Special(1, 0);
    EXPECT_EQ(RunProgram(low)->rows, (std::vector<Recorded>{Row(0x202, 1, 1)}));
}

TEST(Dwarf2LineProgram, ExtendedOpcodesAreSteppedOverByTheirLength)
{
    LineProgramBytes p({"a.c"});
    p.SetAddress(0x400);
    // A vendor opcode whose length takes two LEB128 bytes.
    p.program.U8(0).ULeb(129).U8(0x80);
    p.program.bytes.resize(p.program.bytes.size() + 128, 0x01);
    // define_file makes file 2.
    p.program.U8(0).ULeb(1 + 6 + 3).U8(3).Str("x.inc").ULeb(0).ULeb(0).ULeb(0);
    p.SetFile(2).Copy();
    const auto run = RunProgram(p);
    EXPECT_EQ(run->rows, (std::vector<Recorded>{Row(0x400, 2, 1)}));
    EXPECT_EQ(run->header.FilePath(2), "x.inc");
    EXPECT_TRUE(run->cursor.Ok());
}

TEST(Dwarf2LineProgram, DamagedHeadersFail)
{
    struct Case {
        const char* what;
        std::function<void(LineProgramBytes&)> damage;
        const char* text;
    };
    const Case cases[] = {
        {"line range 0", [](LineProgramBytes& p) { p.lineRange = 0; }, ".debug_line+0xf: line range of 0"},
        {"opcode base 0", [](LineProgramBytes& p) { p.opcodeBase = 0; }, ".debug_line+0xf: opcode base of 0"},
    };
    for (const Case& c : cases) {
        LineProgramBytes p({"a.c"});
        c.damage(p);
        const HeaderRead h(p.Bytes());
        EXPECT_EQ(h.read, LineHeaderRead::Damaged) << c.what;
        EXPECT_EQ(h.program.ErrorText(), c.text) << c.what;
        EXPECT_EQ(h.messages, std::vector<std::string>{c.text}) << c.what;
        EXPECT_EQ(h.result, LDR_E_READ) << c.what;
    }

    // A header length beyond the unit.
    LineProgramBytes p({"a.c"});
    std::vector<uint8_t> bytes = p.Bytes();
    bytes[6] = 0xF0;
    const HeaderRead h(bytes);
    EXPECT_EQ(h.read, LineHeaderRead::Damaged);
    EXPECT_NE(h.program.ErrorText().find("header length beyond the line table"), std::string::npos);
}

// The header reads its unit's length and version: the section cursor
// moves past the unit, units of versions 4 and 5 are stepped over quietly,
// others with a message.
TEST(Dwarf2LineProgram, TheHeaderReadsItsUnitLengthAndVersion)
{
    LineProgramBytes first({"a.c"});
    first.SetAddress(0x10).Copy();
    std::vector<uint8_t> section = first.Bytes();
    const size_t firstSize = section.size();
    LineProgramBytes second({"b.c"});
    const std::vector<uint8_t> more = second.Bytes();
    section.insert(section.end(), more.begin(), more.end());

    const HeaderRead h(section);
    ASSERT_EQ(h.read, LineHeaderRead::Read);
    EXPECT_EQ(h.header.offset, 0u);
    EXPECT_EQ(h.header.unitLength, firstSize - 4);
    EXPECT_EQ(h.header.version, 2);
    EXPECT_EQ(h.lines.Offset(), firstSize);
    EXPECT_EQ(h.program.Remaining(), first.program.Size());

    struct Case {
        uint16_t version;
        LineHeaderRead read;
        const char* message;  // null: none
    };
    const Case cases[] = {
        {3, LineHeaderRead::Read, nullptr},
        {4, LineHeaderRead::SteppedOver, nullptr},
        {5, LineHeaderRead::SteppedOver, nullptr},
        {1, LineHeaderRead::SteppedOver, ".debug_line+0x0: line table of unknown version stepped over"},
        {0x102, LineHeaderRead::SteppedOver, ".debug_line+0x0: line table of unknown version stepped over"},
    };
    for (const Case& c : cases) {
        LineProgramBytes p({"a.c"});
        p.version = c.version;
        const HeaderRead v(p.Bytes());
        EXPECT_EQ(v.read, c.read) << c.version;
        EXPECT_TRUE(v.lines.AtEnd()) << c.version;
        EXPECT_EQ(v.messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{})
            << c.version;
    }

    // A unit longer than the section: reported, nothing read.
    std::vector<uint8_t> cut = first.Bytes();
    cut.resize(cut.size() - 3);
    const HeaderRead c(cut);
    EXPECT_EQ(c.read, LineHeaderRead::None);
    EXPECT_EQ(c.messages, std::vector<std::string>{".debug_line+0x0: unit longer than the rest of the section"});
    EXPECT_EQ(c.result, LDR_E_READ);
}

// Declared operand counts of the standard opcodes that differ from those
// of the version are reported at their place in the header, and the known
// counts are used: a version 3 program that declares two operands for
// set_isa still reads one. Opcodes beyond the version's keep theirs.
TEST(Dwarf2LineProgram, DeclaredOperandCountsAreCheckedAgainstTheKnownOnes)
{
    LineProgramBytes p({"a.s"});
    p.version = 3;
    p.opcodeBase = 14;
    p.declaredOperands = {{2, 3}, {12, 2}, {13, 1}};
    p.SetAddress(0x100).Op(12).program.ULeb(300);  // set_isa with its one operand
    p.Op(13).program.ULeb(7);                      // a vendor opcode of one operand
    p.AdvancePc(2).Copy();
    const auto run = RunProgram(p);
    // Opcode n's count is at 4 (length) + 2 (version) + 4 (header length) +
    // 5 (fields) + n - 1.
    EXPECT_EQ(run->unit.messages,
              (std::vector<std::string>{
                  ".debug_line+0x10: standard opcode 2 declared with 3 operands, read with 1",
                  ".debug_line+0x1a: standard opcode 12 declared with 2 operands, read with 1",
              }));
    EXPECT_EQ(run->unit.result, LDR_OK);
    EXPECT_EQ(run->header.standardOpcodeLengths, (std::vector<uint8_t>{0, 1, 1, 1, 1, 0, 0, 0, 1, 0, 0, 1, 1}));
    EXPECT_EQ(run->rows, (std::vector<Recorded>{Row(0x104, 1, 1)}));
    EXPECT_TRUE(run->cursor.Ok());

    // In a version 2 program opcodes 10 to 12 are not standard: declared
    // counts stand.
    LineProgramBytes v2({"b.s"});
    v2.opcodeBase = 13;
    v2.declaredOperands = {{12, 2}};
    v2.SetAddress(0x200).Op(12).program.ULeb(1).ULeb(2);
    v2.Copy();
    const auto old = RunProgram(v2);
    EXPECT_TRUE(old->unit.messages.empty());
    EXPECT_EQ(old->rows, (std::vector<Recorded>{Row(0x200, 1, 1)}));
}

}  // namespace
}  // namespace tarnel::test
