// The line program's header and state machine, opcode by opcode, on
// programs written here.
#include <gtest/gtest.h>

#include <functional>
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

struct ProgramRun {
    LineProgramHeader header;
    std::vector<Recorded> rows;
    ByteCursor cursor;
};

// Reads the header and runs the program of `p`.
ProgramRun RunProgram(const LineProgramBytes& p)
{
    static std::vector<uint8_t> bytes;  // the cursor's and the header's names point into it
    bytes = p.Bytes();
    ProgramRun run;
    ByteCursor all(bytes, p.program.bigEndian, ".debug_line");
    all.U32();
    run.cursor = all.Split(all.Remaining());
    run.header.version = run.cursor.U16();
    EXPECT_TRUE(ReadLineProgramHeader(run.cursor, run.header)) << run.cursor.ErrorText();
    Recorder recorder;
    RunLineProgram(run.cursor, run.header, recorder);
    run.rows = recorder.rows;
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
    const ProgramRun run = RunProgram(p);
    EXPECT_EQ(run.rows,
              (std::vector<Recorded>{Row(0x8000, 1, 10), Row(0x8008, 1, 13), Row(0x8014, 1, 8, 7), Row(0x801a, 2, 9, 7),
                                     Row(0x801a + 17 * 4, 2, 9, 7), Row(0x8062, 2, 5, 7), End(0x8066, 2, 5, 7),
                                     Row(0x9000, 1, 1)}));
    EXPECT_TRUE(run.cursor.Ok());
    EXPECT_EQ(run.header.FilePath(1), "main.c");
    EXPECT_EQ(run.header.FilePath(2), "/src/include/util.h");
    EXPECT_EQ(run.header.FilePath(3), "");
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
    const ProgramRun run = RunProgram(p);
    EXPECT_EQ(run.rows, (std::vector<Recorded>{Row(0x102, 1, 3)}));
    EXPECT_TRUE(run.cursor.Ok());

    // With an opcode base of 4 the opcodes from 4 up are special ones.
    LineProgramBytes low({"b.s"});
    low.opcodeBase = 4;
    low.SetAddress(0x200).Special(1, 0);
    EXPECT_EQ(RunProgram(low).rows, (std::vector<Recorded>{Row(0x202, 1, 1)}));
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
    const ProgramRun run = RunProgram(p);
    EXPECT_EQ(run.rows, (std::vector<Recorded>{Row(0x400, 2, 1)}));
    EXPECT_EQ(run.header.FilePath(2), "x.inc");
    EXPECT_TRUE(run.cursor.Ok());
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
        const std::vector<uint8_t> bytes = p.Bytes();
        ByteCursor cursor(bytes, false, ".debug_line");
        cursor.U32();
        LineProgramHeader h;
        h.version = cursor.U16();
        EXPECT_FALSE(ReadLineProgramHeader(cursor, h)) << c.what;
        EXPECT_EQ(cursor.ErrorText(), c.text) << c.what;
    }

    // A header length beyond the unit.
    LineProgramBytes p({"a.c"});
    std::vector<uint8_t> bytes = p.Bytes();
    bytes[6] = 0xF0;
    ByteCursor cursor(bytes, false, ".debug_line");
    cursor.U32();
    LineProgramHeader h;
    h.version = cursor.U16();
    EXPECT_FALSE(ReadLineProgramHeader(cursor, h));
    EXPECT_NE(cursor.ErrorText().find("header length beyond the line table"), std::string::npos);
}

}  // namespace
}  // namespace tarnel::test
