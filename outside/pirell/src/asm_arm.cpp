// ARM (32-bit) instructions from text: one reader per row kind of the
// encoding table, the fields placed through the row's layout.
#include <array>
#include <bit>
#include <cctype>
#include <string>

#include "asm_encode.h"
#include "asm_text.h"

namespace pirell {

namespace {

using namespace as;

using Word = std::optional<uint32_t>;

struct Context {
    OperandCursor& c;
    const MnemonicReading& m;
    uint32_t address;
    const SymbolResolver& symbols;
};

// Data-processing opcodes by name.
constexpr std::array<std::string_view, 16> kDataProcessing = {"and", "eor", "sub", "rsb", "add", "adc", "sbc", "rsc",
                                                              "tst", "teq", "cmp", "cmn", "orr", "mov", "bic", "mvn"};
constexpr unsigned kOpSub = 2, kOpAdd = 4, kOpAdc = 5, kOpSbc = 6, kOpCmp = 10, kOpCmn = 11, kOpMov = 13, kOpBic = 14,
                   kOpMvn = 15, kOpAnd = 0;

bool IsTest(unsigned op)
{
    return op >= 8 && op <= 11;
}

// A shift of a register operand.
struct Shift {
    uint32_t type = 0;  // LSL, LSR, ASR, ROR
    uint32_t amount = 0;
    bool byRegister = false;
    unsigned rs = 0;
};

// ", lsl #n", ", rrx", ", asr rs": after the comma. Immediate amounts as the
// encoding holds them: LSR and ASR #32 are encoded as #0, ROR #0 is RRX, so
// LSL #32 and ROR #32 cannot be written; a shift by #0 is no shift.
Shift ReadShift(OperandCursor& c, bool registerAllowed)
{
    Shift s;
    if (c.TakeKeyword("rrx")) {
        s.type = 3;
        return s;
    }
    static constexpr std::array<std::string_view, 5> kNames = {"lsl", "lsr", "asr", "ror", "asl"};
    bool found = false;
    for (unsigned i = 0; i < kNames.size() && !found; ++i) {
        if (c.TakeKeyword(kNames[i])) {
            s.type = i == 4 ? 0 : i;
            found = true;
        }
    }
    if (!found) {
        c.Fail(AsmError::Syntax);
        return s;
    }
    if (!c.Peek('#')) {
        if (const auto rs = c.TryRegister(); rs && registerAllowed) {
            s.byRegister = true;
            s.rs = *rs;
            return s;
        }
    }
    const int64_t n = c.Immediate(false);
    if (n == 0) {
        s.type = 0;
    } else if (n < 0 || n > 32 || (n == 32 && (s.type == 0 || s.type == 3))) {
        c.Fail(AsmError::Immediate);
    } else {
        s.amount = n == 32 ? 0 : static_cast<uint32_t>(n);
    }
    return s;
}

// The second operand of a data-processing instruction.
struct Operand2 {
    bool immediate = false;
    uint32_t value = 0;
    unsigned rm = 0;
    Shift shift;
};

bool AtShiftName(OperandCursor& c)
{
    for (std::string_view name : {"lsl", "lsr", "asr", "ror", "asl", "rrx"}) {
        OperandCursor probe = c;
        if (probe.TakeKeyword(name))
            return true;
    }
    return false;
}

// "#imm", or "rm" with an optional ", shift".
Operand2 ReadOperand2(OperandCursor& c)
{
    Operand2 op;
    if (!c.Peek('#')) {
        if (const auto rm = c.TryRegister()) {
            op.rm = *rm;
            if (c.Take(','))
                op.shift = ReadShift(c, true);
            return op;
        }
    }
    op.immediate = true;
    op.value = static_cast<uint32_t>(c.Immediate());
    return op;
}

// The immediate of an instruction, or that of its complementary one (MOV
// and MVN, AND and BIC, ADC and SBC take the inverted value; ADD and SUB,
// CMP and CMN the negated one), as the assembler of the toolchain does.
std::optional<std::pair<unsigned, RotatedImmediate>> ImmediateFor(unsigned op, uint32_t value)
{
    if (const auto r = EncodeRotated(value))
        return std::pair{op, *r};
    struct Pair {
        unsigned a, b;
        bool negate;
    };
    static constexpr std::array<Pair, 5> kPairs = {{{kOpMov, kOpMvn, false},
                                                    {kOpAnd, kOpBic, false},
                                                    {kOpAdc, kOpSbc, false},
                                                    {kOpAdd, kOpSub, true},
                                                    {kOpCmp, kOpCmn, true}}};
    for (const Pair& p : kPairs) {
        if (op != p.a && op != p.b)
            continue;
        const uint32_t other = p.negate ? 0u - value : ~value;
        if (const auto r = EncodeRotated(other))
            return std::pair{op == p.a ? p.b : p.a, *r};
    }
    return std::nullopt;
}

Word DataProcessingWord(Context& x, unsigned op, bool s, unsigned rd, unsigned rn, const Operand2& op2)
{
    if (!x.c.Ok())
        return std::nullopt;
    if (op2.immediate) {
        const auto imm = ImmediateFor(op, op2.value);
        if (!imm) {
            x.c.Fail(AsmError::Immediate);
            return std::nullopt;
        }
        return EncodeArm(ArmKind::DataProcessing,
                         {{FieldId::Cond, x.m.cond},
                          {FieldId::ImmediateForm, 1},
                          {FieldId::Opcode, imm->first},
                          {FieldId::SetFlags, s},
                          {FieldId::Rn, rn},
                          {FieldId::Rd, rd},
                          {FieldId::Rotate, imm->second.rotate},
                          {FieldId::Imm, imm->second.imm8}});
    }
    if (op2.shift.byRegister) {
        return EncodeArm(ArmKind::DataProcessing,
                         {{FieldId::Cond, x.m.cond},
                          {FieldId::Opcode, op},
                          {FieldId::SetFlags, s},
                          {FieldId::Rn, rn},
                          {FieldId::Rd, rd},
                          {FieldId::Rs, op2.shift.rs},
                          {FieldId::ShiftType, op2.shift.type},
                          {FieldId::RegisterShift, 1},
                          {FieldId::Rm, op2.rm}});
    }
    return EncodeArm(ArmKind::DataProcessing,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::Opcode, op},
                      {FieldId::SetFlags, s},
                      {FieldId::Rn, rn},
                      {FieldId::Rd, rd},
                      {FieldId::ShiftAmount, op2.shift.amount},
                      {FieldId::ShiftType, op2.shift.type},
                      {FieldId::Rm, op2.rm}});
}

Word DataProcessing(Context& x, unsigned op)
{
    OperandCursor& c = x.c;
    const bool s = x.m.suffix == "s" || IsTest(op);  // the tests always set the flags
    unsigned rd = 0, rn = 0;
    Operand2 op2;
    if (op == kOpMov || op == kOpMvn || IsTest(op)) {
        (IsTest(op) ? rn : rd) = c.Register();
        c.Expect(',');
        op2 = ReadOperand2(c);
    } else {
        // "add rd, rn, op2", or the two-operand "add rd, op2" with rn = rd.
        rd = c.Register();
        c.Expect(',');
        rn = rd;
        OperandCursor probe = c;
        const auto first = probe.Peek('#') ? std::nullopt : probe.TryRegister();
        if (first && probe.Ok() && probe.Take(',') && !AtShiftName(probe)) {
            c = probe;
            rn = *first;
        }
        op2 = ReadOperand2(c);
    }
    c.ExpectEnd();
    return DataProcessingWord(x, op, s, rd, rn, op2);
}

// The shift names as instructions: LSL rd, rm, #n | rs (and LSR, ASR, ROR,
// RRX rd, rm) are MOV rd, rm with that shift.
Word ShiftAlias(Context& x, uint32_t type, bool rrx)
{
    OperandCursor& c = x.c;
    const unsigned rd = c.Register();
    c.Expect(',');
    Operand2 op2;
    op2.rm = c.Register();
    if (rrx) {
        op2.shift.type = 3;
    } else {
        c.Expect(',');
        if (const auto rs = c.Peek('#') ? std::nullopt : c.TryRegister()) {
            op2.shift = {type, 0, true, *rs};
        } else {
            static constexpr std::array<std::string_view, 4> kNames = {"lsl", "lsr", "asr", "ror"};
            const std::string text = std::string(kNames[type]) + " #" + std::to_string(c.Immediate());
            OperandCursor shift(text);
            op2.shift = ReadShift(shift, false);
            if (!shift.Ok())
                c.Fail(shift.Error());
        }
    }
    c.ExpectEnd();
    return DataProcessingWord(x, kOpMov, x.m.suffix == "s", rd, 0, op2);
}

// MUL rd, rm, rs; MLA rd, rm, rs, rn.
Word Multiply(Context& x, bool accumulate)
{
    OperandCursor& c = x.c;
    const unsigned rd = c.Register();
    c.Expect(',');
    const unsigned rm = c.Register();
    c.Expect(',');
    const unsigned rs = c.Register();
    unsigned rn = 0;
    if (accumulate) {
        c.Expect(',');
        rn = c.Register();
    }
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    return EncodeArm(ArmKind::Multiply,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::Accumulate, accumulate},
                      {FieldId::SetFlags, x.m.suffix == "s"},
                      {FieldId::Rd, rd},
                      {FieldId::Rn, rn},
                      {FieldId::Rs, rs},
                      {FieldId::Rm, rm}});
}

// UMULL/UMLAL/SMULL/SMLAL rdlo, rdhi, rm, rs.
Word MultiplyLong(Context& x, bool isSigned, bool accumulate)
{
    OperandCursor& c = x.c;
    unsigned r[4];
    for (int i = 0; i < 4; ++i) {
        if (i)
            c.Expect(',');
        r[i] = c.Register();
    }
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    return EncodeArm(ArmKind::MultiplyLong,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::Signed, isSigned},
                      {FieldId::Accumulate, accumulate},
                      {FieldId::SetFlags, x.m.suffix == "s"},
                      {FieldId::RdLo, r[0]},
                      {FieldId::RdHi, r[1]},
                      {FieldId::Rm, r[2]},
                      {FieldId::Rs, r[3]}});
}

Word Swap(Context& x)
{
    OperandCursor& c = x.c;
    const unsigned rd = c.Register();
    c.Expect(',');
    const unsigned rm = c.Register();
    c.Expect(',');
    c.Expect('[');
    const unsigned rn = c.Register();
    c.Expect(']');
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    return EncodeArm(ArmKind::Swap,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::Byte, x.m.suffix == "b"},
                      {FieldId::Rn, rn},
                      {FieldId::Rd, rd},
                      {FieldId::Rm, rm}});
}

// The address operand of a single or halfword transfer.
struct TransferAddress {
    unsigned rn = 15;
    bool pre = true;
    bool up = true;
    bool writeBack = false;
    bool immediate = true;
    uint32_t offset = 0;
    unsigned rm = 0;
    Shift shift;
    bool shifted = false;
};

// "[rn]", "[rn, #+-imm]{!}", "[rn, +-rm{, shift}]{!}", "[rn], #+-imm",
// "[rn], +-rm{, shift}", or an address text (PC-relative: "#0x8010").
// `maxOffset`: the largest immediate offset.
TransferAddress ReadTransferAddress(Context& x, uint32_t maxOffset, bool shiftAllowed)
{
    OperandCursor& c = x.c;
    TransferAddress a;
    auto offsetOperand = [&] {
        OperandCursor registerProbe = c;
        registerProbe.Take('-') || registerProbe.Take('+');
        if (c.Take('#') || !registerProbe.TryRegister()) {
            // "#-0" is a down offset of zero.
            OperandCursor probe = c;
            const bool minus = probe.Take('-');
            const int64_t n = c.Number();
            a.up = !(minus || n < 0);
            const int64_t magnitude = n < 0 ? -n : n;
            if (magnitude > maxOffset)
                c.Fail(AsmError::Immediate);
            a.offset = static_cast<uint32_t>(magnitude);
            return;
        }
        a.immediate = false;
        if (c.Take('-'))
            a.up = false;
        else
            c.Take('+');
        a.rm = c.Register();
        if (c.Take(',')) {
            if (!shiftAllowed) {
                c.Fail(AsmError::Syntax);
                return;
            }
            a.shift = ReadShift(c, false);
            a.shifted = true;
        }
    };
    if (!c.Take('[')) {
        // PC-relative: the target's distance from the instruction + 8.
        const auto target = AddressOperand(c, x.symbols);
        if (!target)
            return a;
        const auto distance = static_cast<int32_t>(*target - (x.address + 8));
        a.up = distance >= 0;
        const uint32_t magnitude = distance >= 0 ? uint32_t(distance) : 0u - uint32_t(distance);
        if (magnitude > maxOffset)
            c.Fail(AsmError::Range);
        a.offset = magnitude;
        return a;
    }
    a.rn = c.Register();
    if (c.Take(']')) {
        if (c.Take(',')) {
            a.pre = false;
            a.writeBack = true;  // post-indexed: the base is always written back
            offsetOperand();
        } else {
            a.writeBack = c.Take('!');
        }
        return a;
    }
    c.Expect(',');
    offsetOperand();
    c.Expect(']');
    a.writeBack = c.Take('!');
    return a;
}

// LDR/STR{B}{T}, LDRH/STRH, LDRSB/LDRSH.
Word Transfer(Context& x, bool load)
{
    OperandCursor& c = x.c;
    const std::string& sfx = x.m.suffix;
    const bool halfword = sfx == "h" || sfx == "sb" || sfx == "sh";
    const bool user = sfx == "t" || sfx == "bt";
    const unsigned rd = c.Register();
    c.Expect(',');
    TransferAddress a = ReadTransferAddress(x, halfword ? 255 : 4095, !halfword);
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if (halfword) {
        // Post-indexed halfword transfers have W clear: the base is written back anyway.
        const bool w = a.pre && a.writeBack;
        const uint32_t sh = sfx == "h" ? 1 : sfx == "sb" ? 2 : 3;
        if (a.immediate) {
            return EncodeArm(ArmKind::HalfwordImm,
                             {{FieldId::Cond, x.m.cond},
                              {FieldId::PreIndex, a.pre},
                              {FieldId::Up, a.up},
                              {FieldId::ImmediateForm, 1},
                              {FieldId::WriteBack, w},
                              {FieldId::Load, load},
                              {FieldId::Rn, a.rn},
                              {FieldId::Rd, rd},
                              {FieldId::ImmHigh, a.offset >> 4},
                              {FieldId::SignedHalf, sh},
                              {FieldId::ImmLow, a.offset & 15}});
        }
        return EncodeArm(ArmKind::HalfwordReg,
                         {{FieldId::Cond, x.m.cond},
                          {FieldId::PreIndex, a.pre},
                          {FieldId::Up, a.up},
                          {FieldId::WriteBack, w},
                          {FieldId::Load, load},
                          {FieldId::Rn, a.rn},
                          {FieldId::Rd, rd},
                          {FieldId::SignedHalf, sh},
                          {FieldId::Rm, a.rm}});
    }
    // LDRT and the like: post-indexed with W set ("[rn]" alone is "[rn], #0").
    if (user) {
        if (a.pre && (a.writeBack || a.offset != 0 || !a.immediate || a.rn == 15)) {
            c.Fail(AsmError::Syntax);
            return std::nullopt;
        }
        a.pre = false;
    }
    const bool w = a.pre ? a.writeBack : user;
    const bool byte = sfx == "b" || sfx == "bt";
    if (a.immediate) {
        return EncodeArm(ArmKind::SingleTransferImm,
                         {{FieldId::Cond, x.m.cond},
                          {FieldId::PreIndex, a.pre},
                          {FieldId::Up, a.up},
                          {FieldId::Byte, byte},
                          {FieldId::WriteBack, w},
                          {FieldId::Load, load},
                          {FieldId::Rn, a.rn},
                          {FieldId::Rd, rd},
                          {FieldId::Imm, a.offset}});
    }
    return EncodeArm(ArmKind::SingleTransferReg,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::ImmediateForm, 1},
                      {FieldId::PreIndex, a.pre},
                      {FieldId::Up, a.up},
                      {FieldId::Byte, byte},
                      {FieldId::WriteBack, w},
                      {FieldId::Load, load},
                      {FieldId::Rn, a.rn},
                      {FieldId::Rd, rd},
                      {FieldId::ShiftAmount, a.shift.amount},
                      {FieldId::ShiftType, a.shift.type},
                      {FieldId::Rm, a.rm}});
}

// P and U of a block transfer's addressing mode ("ia", "fd" ...).
std::optional<std::pair<bool, bool>> BlockMode(std::string_view sfx, bool load)
{
    if (sfx.empty() || sfx == "ia")
        return std::pair{false, true};
    if (sfx == "ib")
        return std::pair{true, true};
    if (sfx == "da")
        return std::pair{false, false};
    if (sfx == "db")
        return std::pair{true, false};
    // Stack forms: full/empty, descending/ascending; a load pops, a store pushes.
    const bool full = sfx[0] == 'f', descending = sfx[1] == 'd';
    const bool up = load ? descending : !descending;
    const bool pre = load ? !full : full;
    if (sfx != "fd" && sfx != "ed" && sfx != "fa" && sfx != "ea")
        return std::nullopt;
    return std::pair{pre, up};
}

Word BlockWord(Context& x, bool load, bool pre, bool up, bool user, bool writeBack, unsigned rn, uint32_t list)
{
    return EncodeArm(ArmKind::BlockTransfer,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::PreIndex, pre},
                      {FieldId::Up, up},
                      {FieldId::SetFlags, user},
                      {FieldId::WriteBack, writeBack},
                      {FieldId::Load, load},
                      {FieldId::Rn, rn},
                      {FieldId::RegisterList, list}});
}

Word BlockTransfer(Context& x, bool load)
{
    OperandCursor& c = x.c;
    const auto mode = BlockMode(x.m.suffix, load);
    const unsigned rn = c.Register();
    const bool writeBack = c.Take('!');
    c.Expect(',');
    const uint32_t list = c.RegisterList();
    const bool user = c.Take('^');
    c.ExpectEnd();
    if (!c.Ok() || !mode)
        return std::nullopt;
    return BlockWord(x, load, mode->first, mode->second, user, writeBack, rn, list);
}

// PUSH and POP: STMDB/LDMIA r13!; a single register goes as STR/LDR with
// write-back, as the toolchain's assembler writes it.
Word PushPop(Context& x, bool load)
{
    OperandCursor& c = x.c;
    const uint32_t list = c.RegisterList();
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if (std::has_single_bit(list)) {
        const auto rd = static_cast<uint32_t>(std::countr_zero(list));
        return EncodeArm(ArmKind::SingleTransferImm,
                         {{FieldId::Cond, x.m.cond},
                          {FieldId::PreIndex, !load},
                          {FieldId::Up, load},
                          {FieldId::WriteBack, !load},
                          {FieldId::Load, load},
                          {FieldId::Rn, 13},
                          {FieldId::Rd, rd},
                          {FieldId::Imm, 4}});
    }
    return BlockWord(x, load, !load, load, false, true, 13, list);
}

// The distance of a branch target from the instruction + 8, checked
// against the offset's reach (24 bits of words).
Word Branch(Context& x, bool link)
{
    OperandCursor& c = x.c;
    const auto target = AddressOperand(c, x.symbols);
    c.ExpectEnd();
    if (!c.Ok() || !target)
        return std::nullopt;
    const auto distance = static_cast<int32_t>(*target - (x.address + 8));
    if (distance % 4 != 0) {
        c.Fail(AsmError::Alignment);
        return std::nullopt;
    }
    if (distance < -(1 << 25) || distance > (1 << 25) - 4) {
        c.Fail(AsmError::Range);
        return std::nullopt;
    }
    return EncodeArm(ArmKind::Branch,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::Link, link},
                      {FieldId::Imm, static_cast<uint32_t>(distance >> 2) & 0xFFFFFF}});
}

Word Bx(Context& x)
{
    const unsigned rm = x.c.Register();
    x.c.ExpectEnd();
    if (!x.c.Ok())
        return std::nullopt;
    return EncodeArm(ArmKind::Bx, {{FieldId::Cond, x.m.cond}, {FieldId::Rm, rm}});
}

Word Swi(Context& x)
{
    const int64_t n = x.c.Immediate();
    x.c.ExpectEnd();
    if (!x.c.Ok())
        return std::nullopt;
    if (n < 0 || n > 0xFFFFFF) {
        x.c.Fail(AsmError::Immediate);
        return std::nullopt;
    }
    return EncodeArm(ArmKind::Swi, {{FieldId::Cond, x.m.cond}, {FieldId::Imm, static_cast<uint32_t>(n)}});
}

// "cpsr" or "spsr": 1 for the SPSR; nothing for another name.
std::optional<bool> PsrName(std::string_view name)
{
    std::string lower;
    for (char ch : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (lower == "cpsr" || lower == "cpsr_all")
        return false;
    if (lower == "spsr" || lower == "spsr_all")
        return true;
    return std::nullopt;
}

Word Mrs(Context& x)
{
    OperandCursor& c = x.c;
    const unsigned rd = c.Register();
    c.Expect(',');
    const auto spsr = PsrName(c.Name());
    c.ExpectEnd();
    if (!spsr)
        c.Fail(AsmError::Syntax);
    if (!c.Ok())
        return std::nullopt;
    return EncodeArm(ArmKind::Mrs, {{FieldId::Cond, x.m.cond}, {FieldId::Spsr, *spsr}, {FieldId::Rd, rd}});
}

// "cpsr_fc" and the like: the PSR and the lanes written (c x s f = bits 0-3).
// "cpsr" alone and "cpsr_all" write the control and flag lanes, "_flg" the
// flags, "_ctl" the control lane.
std::optional<std::pair<bool, uint32_t>> MsrTarget(std::string name)
{
    for (char& ch : name)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (name.size() < 4)
        return std::nullopt;
    const std::string psr = name.substr(0, 4);
    if (psr != "cpsr" && psr != "spsr")
        return std::nullopt;
    const bool spsr = psr == "spsr";
    if (name.size() == 4)
        return std::pair{spsr, 9u};
    if (name[4] != '_')
        return std::nullopt;
    const std::string lanes = name.substr(5);
    if (lanes == "all")
        return std::pair{spsr, 9u};
    if (lanes == "flg")
        return std::pair{spsr, 8u};
    if (lanes == "ctl")
        return std::pair{spsr, 1u};
    uint32_t mask = 0;
    for (char ch : lanes) {
        const size_t bit = std::string_view("cxsf").find(ch);
        if (bit == std::string_view::npos || (mask & (1u << bit)))
            return std::nullopt;
        mask |= 1u << bit;
    }
    return std::pair{spsr, mask};
}

Word Msr(Context& x)
{
    OperandCursor& c = x.c;
    const auto target = MsrTarget(c.Name());
    if (!target)
        c.Fail(AsmError::Syntax);
    c.Expect(',');
    const Operand2 source = ReadOperand2(c);
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if (source.immediate) {
        const auto imm = EncodeRotated(source.value);
        if (!imm) {
            c.Fail(AsmError::Immediate);
            return std::nullopt;
        }
        return EncodeArm(ArmKind::MsrImm,
                         {{FieldId::Cond, x.m.cond},
                          {FieldId::Spsr, target->first},
                          {FieldId::FieldMask, target->second},
                          {FieldId::Rotate, imm->rotate},
                          {FieldId::Imm, imm->imm8}});
    }
    if (source.shift.type || source.shift.amount || source.shift.byRegister) {
        c.Fail(AsmError::Syntax);
        return std::nullopt;
    }
    return EncodeArm(ArmKind::MsrReg,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::Spsr, target->first},
                      {FieldId::FieldMask, target->second},
                      {FieldId::Rm, source.rm}});
}

// A coprocessor operation number of `bits` bits.
uint32_t CoprocOpcode(OperandCursor& c, unsigned bits)
{
    const int64_t n = c.Immediate();
    if (n < 0 || n >= (int64_t{1} << bits))
        c.Fail(AsmError::Immediate);
    return static_cast<uint32_t>(n) & ((1u << bits) - 1);
}

// CDP p, op1, crd, crn, crm{, op2}; MRC/MCR p, op1, rd, crn, crm{, op2}.
Word CoprocOperation(Context& x, bool registerTransfer, bool load)
{
    OperandCursor& c = x.c;
    const unsigned cp = c.CoprocNumber();
    c.Expect(',');
    const uint32_t op1 = CoprocOpcode(c, registerTransfer ? 3 : 4);
    c.Expect(',');
    const unsigned rd = registerTransfer ? c.Register() : c.CoprocRegister();
    c.Expect(',');
    const unsigned crn = c.CoprocRegister();
    c.Expect(',');
    const unsigned crm = c.CoprocRegister();
    uint32_t op2 = 0;
    if (c.Take(','))
        op2 = CoprocOpcode(c, 3);
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if (registerTransfer) {
        return EncodeArm(ArmKind::CoprocRegister,
                         {{FieldId::Cond, x.m.cond},
                          {FieldId::CpOpcode1, op1},
                          {FieldId::Load, load},
                          {FieldId::CRn, crn},
                          {FieldId::Rd, rd},
                          {FieldId::CpNumber, cp},
                          {FieldId::CpOpcode2, op2},
                          {FieldId::CRm, crm}});
    }
    return EncodeArm(ArmKind::CoprocDataOp,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::CpOpcode1, op1},
                      {FieldId::CRn, crn},
                      {FieldId::CRd, rd},
                      {FieldId::CpNumber, cp},
                      {FieldId::CpOpcode2, op2},
                      {FieldId::CRm, crm}});
}

// LDC/STC{L} p, crd, [rn, #+-off]{!} | [rn], #+-off: offsets in words.
Word CoprocTransfer(Context& x, bool load)
{
    OperandCursor& c = x.c;
    const unsigned cp = c.CoprocNumber();
    c.Expect(',');
    const unsigned crd = c.CoprocRegister();
    c.Expect(',');
    const TransferAddress a = ReadTransferAddress(x, 1020, false);
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if (!a.immediate) {
        c.Fail(AsmError::Syntax);
        return std::nullopt;
    }
    if (a.offset % 4 != 0) {
        c.Fail(AsmError::Alignment);
        return std::nullopt;
    }
    return EncodeArm(ArmKind::CoprocTransfer,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::PreIndex, a.pre},
                      {FieldId::Up, a.up},
                      {FieldId::Byte, x.m.suffix == "l"},
                      {FieldId::WriteBack, a.writeBack},
                      {FieldId::Load, load},
                      {FieldId::Rn, a.rn},
                      {FieldId::CRd, crd},
                      {FieldId::CpNumber, cp},
                      {FieldId::Imm, a.offset / 4}});
}

// ADR rd, target: ADD or SUB rd, pc, #distance.
Word Adr(Context& x)
{
    OperandCursor& c = x.c;
    const unsigned rd = c.Register();
    c.Expect(',');
    const auto target = AddressOperand(c, x.symbols);
    c.ExpectEnd();
    if (!c.Ok() || !target)
        return std::nullopt;
    const auto distance = static_cast<int32_t>(*target - (x.address + 8));
    const uint32_t magnitude = distance >= 0 ? uint32_t(distance) : 0u - uint32_t(distance);
    const auto imm = EncodeRotated(magnitude);
    if (!imm) {
        c.Fail(AsmError::Range);
        return std::nullopt;
    }
    return EncodeArm(ArmKind::DataProcessing,
                     {{FieldId::Cond, x.m.cond},
                      {FieldId::ImmediateForm, 1},
                      {FieldId::Opcode, distance >= 0 ? kOpAdd : kOpSub},
                      {FieldId::Rn, 15},
                      {FieldId::Rd, rd},
                      {FieldId::Rotate, imm->rotate},
                      {FieldId::Imm, imm->imm8}});
}

Word Nop(Context& x)
{
    x.c.ExpectEnd();
    if (!x.c.Ok())
        return std::nullopt;
    Operand2 r0;
    return DataProcessingWord(x, kOpMov, false, 0, 0, r0);
}

// Every base name with the suffixes it takes besides the condition.
struct ArmForm {
    std::string_view base;
    std::string_view suffixes;  // "|s|": the suffixes between bars, "||" none
    Word (*read)(Context&);
};

template <unsigned Op>
Word Dp(Context& x)
{
    return DataProcessing(x, Op);
}

const std::array<ArmForm, 48> kArmForms = {{
    {"and", "||s|", Dp<0>},
    {"eor", "||s|", Dp<1>},
    {"sub", "||s|", Dp<2>},
    {"rsb", "||s|", Dp<3>},
    {"add", "||s|", Dp<4>},
    {"adc", "||s|", Dp<5>},
    {"sbc", "||s|", Dp<6>},
    {"rsc", "||s|", Dp<7>},
    {"tst", "||", Dp<8>},
    {"teq", "||", Dp<9>},
    {"cmp", "||", Dp<10>},
    {"cmn", "||", Dp<11>},
    {"orr", "||s|", Dp<12>},
    {"mov", "||s|", Dp<13>},
    {"bic", "||s|", Dp<14>},
    {"mvn", "||s|", Dp<15>},
    {"mul", "||s|", [](Context& x) { return Multiply(x, false); }},
    {"mla", "||s|", [](Context& x) { return Multiply(x, true); }},
    {"umull", "||s|", [](Context& x) { return MultiplyLong(x, false, false); }},
    {"umlal", "||s|", [](Context& x) { return MultiplyLong(x, false, true); }},
    {"smull", "||s|", [](Context& x) { return MultiplyLong(x, true, false); }},
    {"smlal", "||s|", [](Context& x) { return MultiplyLong(x, true, true); }},
    {"swp", "||b|", Swap},
    {"ldr", "||b|t|bt|h|sb|sh|", [](Context& x) { return Transfer(x, true); }},
    {"str", "||b|t|bt|h|", [](Context& x) { return Transfer(x, false); }},
    {"ldm", "||ia|ib|da|db|fd|ed|fa|ea|", [](Context& x) { return BlockTransfer(x, true); }},
    {"stm", "||ia|ib|da|db|fd|ed|fa|ea|", [](Context& x) { return BlockTransfer(x, false); }},
    {"push", "||", [](Context& x) { return PushPop(x, false); }},
    {"pop", "||", [](Context& x) { return PushPop(x, true); }},
    {"b", "||", [](Context& x) { return Branch(x, false); }},
    {"bl", "||", [](Context& x) { return Branch(x, true); }},
    {"bx", "||", Bx},
    {"swi", "||", Swi},
    {"svc", "||", Swi},
    {"mrs", "||", Mrs},
    {"msr", "||", Msr},
    {"cdp", "||", [](Context& x) { return CoprocOperation(x, false, false); }},
    {"mrc", "||", [](Context& x) { return CoprocOperation(x, true, true); }},
    {"mcr", "||", [](Context& x) { return CoprocOperation(x, true, false); }},
    {"ldc", "||l|", [](Context& x) { return CoprocTransfer(x, true); }},
    {"stc", "||l|", [](Context& x) { return CoprocTransfer(x, false); }},
    {"adr", "||", Adr},
    {"nop", "||", Nop},
    {"lsl", "||s|", [](Context& x) { return ShiftAlias(x, 0, false); }},
    {"lsr", "||s|", [](Context& x) { return ShiftAlias(x, 1, false); }},
    {"asr", "||s|", [](Context& x) { return ShiftAlias(x, 2, false); }},
    {"ror", "||s|", [](Context& x) { return ShiftAlias(x, 3, false); }},
    {"rrx", "||s|", [](Context& x) { return ShiftAlias(x, 3, true); }},
}};

}  // namespace

AssembledCode AssembleArm(std::string_view text, uint32_t address, const SymbolResolver& symbols)
{
    AssembledCode out;
    const LineParts parts = SplitLine(text);
    if (parts.error != AsmError::None) {
        out.error = parts.error;
        return out;
    }
    static const std::vector<std::string_view> bases = [] {
        std::vector<std::string_view> b;
        for (const ArmForm& f : kArmForms)
            b.push_back(f.base);
        return b;
    }();
    for (const MnemonicReading& m : ReadMnemonic(parts.mnemonic, bases)) {
        for (const ArmForm& f : kArmForms) {
            if (f.base != m.base)
                continue;
            if (f.suffixes.find("|" + m.suffix + "|") == std::string_view::npos)
                continue;
            OperandCursor c(parts.operands);
            Context x{c, m, address, symbols};
            const Word word = f.read(x);
            if (!c.Ok()) {
                out.error = c.Error();
            } else if (!word) {
                out.error = AsmError::Register;  // the encoding refused the operands
            } else {
                out.word = *word;
                out.length = 4;
            }
            return out;
        }
    }
    out.error = AsmError::Mnemonic;
    return out;
}

}  // namespace pirell
