// Thumb (16-bit) instructions from text: the form follows from the
// operands (low or high registers, immediate or register, the base
// register), the fields are placed through the row's layout. A BL is the
// pair of its halves.
#include <array>
#include <bit>
#include <cctype>

#include "asm_encode.h"
#include "asm_text.h"

namespace pirell {

namespace {

using namespace as;

using Half = std::optional<uint16_t>;

struct Context {
    OperandCursor& c;
    unsigned cond;
    uint32_t address;
    const SymbolResolver& symbols;
    uint16_t second = 0;  // the second half of a BL
    bool pair = false;
};

bool Low(unsigned r)
{
    return r < 8;
}

// A low register; a register error for r8-r15.
unsigned LowRegister(OperandCursor& c)
{
    const unsigned r = c.Register();
    if (!Low(r))
        c.Fail(AsmError::Register);
    return r & 7;
}

// The ALU operations of the two-register format, by opcode.
constexpr std::array<std::string_view, 16> kAlu = {"and", "eor", "lsl", "lsr", "asr", "adc", "sbc", "ror",
                                                   "tst", "neg", "cmp", "cmn", "orr", "mul", "bic", "mvn"};
constexpr unsigned kAluCmp = 10;

Half Alu(Context& x, unsigned op)
{
    OperandCursor& c = x.c;
    const unsigned rd = LowRegister(c);
    c.Expect(',');
    const unsigned rs = LowRegister(c);
    // "mul rd, rs, rd" names the destination twice.
    if (op == 13 && c.Take(',')) {
        if (c.Register() != rd)
            c.Fail(AsmError::Register);
    }
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    return EncodeThumb(ThumbKind::Alu, {{FieldId::Opcode, op}, {FieldId::Rs, rs}, {FieldId::Rd, rd}});
}

// LSL/LSR/ASR rd, rs, #n (rd, #n: rs = rd); with two registers the ALU form.
Half Shift(Context& x, unsigned op)
{
    OperandCursor& c = x.c;
    OperandCursor probe = c;
    probe.Register();
    probe.Expect(',');
    const bool immediate = probe.Peek('#') || (probe.TryRegister() && probe.Take(','));
    if (!immediate)
        return Alu(x, op == 0 ? 2 : op == 1 ? 3 : 4);
    const unsigned rd = LowRegister(c);
    c.Expect(',');
    unsigned rs = rd;
    if (!c.Peek('#')) {
        rs = LowRegister(c);
        c.Expect(',');
    }
    const int64_t n = c.Immediate(false);
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    // LSR and ASR #32 are encoded as #0; LSL takes 0-31.
    if (n < 0 || n > 32 || (n == 32 && op == 0) || (n == 0 && op != 0)) {
        c.Fail(AsmError::Immediate);
        return std::nullopt;
    }
    return EncodeThumb(ThumbKind::ShiftImm,
                       {{FieldId::Opcode, op}, {FieldId::Imm, uint32_t(n) & 31}, {FieldId::Rs, rs}, {FieldId::Rd, rd}});
}

Half HiRegOp(Context& x, unsigned op, unsigned rd, unsigned rs)
{
    return EncodeThumb(ThumbKind::HiRegOp,
                       {{FieldId::Opcode, op},
                        {FieldId::HighRd, rd >> 3},
                        {FieldId::HighRs, rs >> 3},
                        {FieldId::Rs, rs & 7},
                        {FieldId::Rd, rd & 7}});
}

Half ImmediateOp(Context& x, unsigned op, unsigned rd, int64_t n)
{
    if (n < 0 || n > 255) {
        x.c.Fail(AsmError::Immediate);
        return std::nullopt;
    }
    return EncodeThumb(ThumbKind::MovCmpAddSubImm,
                       {{FieldId::Opcode, op}, {FieldId::Rd, rd}, {FieldId::Imm, uint32_t(n)}});
}

// ADD/SUB sp, #n (and sp, sp, #n): a multiple of 4 up to 508 either way.
Half AdjustSp(Context& x, bool subtract)
{
    OperandCursor& c = x.c;
    int64_t n = c.Immediate(false);
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if (n < 0) {
        n = -n;
        subtract = !subtract;
    }
    if (n % 4 != 0) {
        c.Fail(AsmError::Alignment);
        return std::nullopt;
    }
    if (n > 508) {
        c.Fail(AsmError::Immediate);
        return std::nullopt;
    }
    return EncodeThumb(ThumbKind::AdjustSp, {{FieldId::Negative, subtract}, {FieldId::Imm, uint32_t(n / 4)}});
}

// ADD rd, sp|pc, #n: a multiple of 4 up to 1020.
Half LoadAddress(Context& x, unsigned rd, bool sp, int64_t n)
{
    if (n % 4 != 0) {
        x.c.Fail(AsmError::Alignment);
        return std::nullopt;
    }
    if (n < 0 || n > 1020) {
        x.c.Fail(AsmError::Immediate);
        return std::nullopt;
    }
    return EncodeThumb(ThumbKind::LoadAddress,
                       {{FieldId::SpBase, sp}, {FieldId::Rd, rd}, {FieldId::Imm, uint32_t(n / 4)}});
}

// ADD and SUB in all their forms.
Half AddSub(Context& x, bool sub)
{
    OperandCursor& c = x.c;
    const unsigned rd = c.Register();
    c.Expect(',');
    if (rd == 13 && (c.Peek('#') || c.TakeKeyword("sp") || c.TakeKeyword("r13"))) {
        if (!c.Peek('#'))
            c.Expect(',');
        return AdjustSp(x, sub);
    }
    if (c.Peek('#')) {
        // ADD rd, #imm8.
        const int64_t n = c.Immediate(false);
        c.ExpectEnd();
        if (!Low(rd))
            c.Fail(AsmError::Register);
        if (!c.Ok())
            return std::nullopt;
        return ImmediateOp(x, sub ? 3 : 2, rd, n);
    }
    const unsigned rs = c.Register();
    if (!c.Take(',')) {
        c.ExpectEnd();
        if (!c.Ok())
            return std::nullopt;
        // Two registers: both low is rd = rd + rs; a high one takes the high-register ADD.
        if (Low(rd) && Low(rs)) {
            return EncodeThumb(ThumbKind::AddSubReg,
                               {{FieldId::Opcode, sub}, {FieldId::Rn, rs}, {FieldId::Rs, rd}, {FieldId::Rd, rd}});
        }
        if (sub) {
            c.Fail(AsmError::Register);
            return std::nullopt;
        }
        return HiRegOp(x, 0, rd, rs);
    }
    if (c.Peek('#')) {
        const int64_t n = c.Immediate(false);
        c.ExpectEnd();
        if (!c.Ok())
            return std::nullopt;
        if (!sub && (rs == 13 || rs == 15) && Low(rd))
            return LoadAddress(x, rd, rs == 13, n);
        if (!Low(rd) || !Low(rs)) {
            c.Fail(AsmError::Register);
            return std::nullopt;
        }
        // rd, rs, #imm3; rd, rd, #imm8 when the value needs the wider field.
        if (n > 7 && rd == rs)
            return ImmediateOp(x, sub ? 3 : 2, rd, n);
        if (n < 0 || n > 7) {
            c.Fail(AsmError::Immediate);
            return std::nullopt;
        }
        return EncodeThumb(ThumbKind::AddSubImm,
                           {{FieldId::Opcode, sub}, {FieldId::Imm, uint32_t(n)}, {FieldId::Rs, rs}, {FieldId::Rd, rd}});
    }
    const unsigned rn = c.Register();
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if (!Low(rd) || !Low(rs) || !Low(rn)) {
        c.Fail(AsmError::Register);
        return std::nullopt;
    }
    return EncodeThumb(ThumbKind::AddSubReg,
                       {{FieldId::Opcode, sub}, {FieldId::Rn, rn}, {FieldId::Rs, rs}, {FieldId::Rd, rd}});
}

// MOV rd, #imm8 | rd, rs (low to low: ADD rd, rs, #0; else the high-register MOV).
// MOVS rd, rs of low registers is LSL rd, rs, #0, as in gas's unified syntax.
// CMP rd, #imm8 | rd, rs (low with low: the ALU's CMP).
Half MovCmp(Context& x, bool cmp, bool flags = false)
{
    OperandCursor& c = x.c;
    const unsigned rd = c.Register();
    c.Expect(',');
    if (c.Peek('#')) {
        const int64_t n = c.Immediate(false);
        c.ExpectEnd();
        if (!Low(rd))
            c.Fail(AsmError::Register);
        if (!c.Ok())
            return std::nullopt;
        return ImmediateOp(x, cmp ? 1 : 0, rd, n);
    }
    const unsigned rs = c.Register();
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if (Low(rd) && Low(rs)) {
        if (cmp)
            return EncodeThumb(ThumbKind::Alu, {{FieldId::Opcode, kAluCmp}, {FieldId::Rs, rs}, {FieldId::Rd, rd}});
        if (flags) {
            return EncodeThumb(ThumbKind::ShiftImm,
                               {{FieldId::Opcode, 0}, {FieldId::Imm, 0}, {FieldId::Rs, rs}, {FieldId::Rd, rd}});
        }
        return EncodeThumb(ThumbKind::AddSubImm,
                           {{FieldId::Opcode, 0}, {FieldId::Imm, 0}, {FieldId::Rs, rs}, {FieldId::Rd, rd}});
    }
    if (flags) {
        c.Fail(AsmError::Register);  // the high-register MOV leaves the flags
        return std::nullopt;
    }
    return HiRegOp(x, cmp ? 1 : 2, rd, rs);
}

Half Bx(Context& x)
{
    const unsigned rs = x.c.Register();
    x.c.ExpectEnd();
    if (!x.c.Ok())
        return std::nullopt;
    return EncodeThumb(ThumbKind::HiRegBx, {{FieldId::HighRs, rs >> 3}, {FieldId::Rs, rs & 7}});
}

// The width of a transfer: 4, 1 or 2 bytes, and signed loads.
enum class Width { Word, Byte, Half, SignedByte, SignedHalf };

// LDR/STR{B,H}, LDSB/LDSH (LDRSB/LDRSH): [rb, ro], [rb, #imm], [rb], [sp, #imm],
// [pc, #imm], or an address text for the PC-relative load.
Half Transfer(Context& x, bool load, Width width)
{
    OperandCursor& c = x.c;
    const unsigned rd = LowRegister(c);
    c.Expect(',');
    if (!c.Peek('[')) {
        // PC-relative: from the instruction + 4 with bits 0 and 1 cleared.
        const auto target = AddressOperand(c, x.symbols);
        c.ExpectEnd();
        if (!c.Ok() || !target)
            return std::nullopt;
        if (!load || width != Width::Word) {
            c.Fail(AsmError::Syntax);
            return std::nullopt;
        }
        const uint32_t base = (x.address + 4) & ~3u;
        const uint32_t distance = *target - base;
        if (distance % 4 != 0) {
            c.Fail(AsmError::Alignment);
            return std::nullopt;
        }
        if (distance > 1020) {
            c.Fail(AsmError::Range);
            return std::nullopt;
        }
        return EncodeThumb(ThumbKind::LoadPcRel, {{FieldId::Rd, rd}, {FieldId::Imm, distance / 4}});
    }
    c.Expect('[');
    const unsigned rb = c.Register();
    std::optional<unsigned> ro;
    int64_t offset = 0;
    if (c.Take(',')) {
        if (c.Peek('#'))
            offset = c.Immediate(false);
        else if (auto r = c.TryRegister())
            ro = r;
        else
            offset = c.Number();
    }
    c.Expect(']');
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if (ro) {
        if (!Low(rb) || !Low(*ro)) {
            c.Fail(AsmError::Register);
            return std::nullopt;
        }
        if (width == Width::Word || width == Width::Byte) {
            return EncodeThumb(ThumbKind::LoadStoreReg,
                               {{FieldId::Load, load},
                                {FieldId::Byte, width == Width::Byte},
                                {FieldId::Ro, *ro},
                                {FieldId::Rb, rb},
                                {FieldId::Rd, rd}});
        }
        // STRH 0, LDSB 1, LDRH 2, LDSH 3.
        const uint32_t op = width == Width::SignedByte ? 1 : width == Width::SignedHalf ? 3 : load ? 2 : 0;
        return EncodeThumb(ThumbKind::LoadStoreSignedReg,
                           {{FieldId::Opcode, op}, {FieldId::Ro, *ro}, {FieldId::Rb, rb}, {FieldId::Rd, rd}});
    }
    if (width == Width::SignedByte || width == Width::SignedHalf) {
        c.Fail(AsmError::Syntax);  // signed loads have no immediate form
        return std::nullopt;
    }
    const int64_t scale = width == Width::Word ? 4 : width == Width::Half ? 2 : 1;
    if (offset % scale != 0) {
        c.Fail(AsmError::Alignment);
        return std::nullopt;
    }
    const int64_t units = offset / scale;
    if (width == Width::Word && (rb == 13 || rb == 15)) {
        if (rb == 15 && !load) {
            c.Fail(AsmError::Register);
            return std::nullopt;
        }
        if (units < 0 || units > 255) {
            c.Fail(AsmError::Immediate);
            return std::nullopt;
        }
        if (rb == 15)
            return EncodeThumb(ThumbKind::LoadPcRel, {{FieldId::Rd, rd}, {FieldId::Imm, uint32_t(units)}});
        return EncodeThumb(ThumbKind::LoadStoreSpRel,
                           {{FieldId::Load, load}, {FieldId::Rd, rd}, {FieldId::Imm, uint32_t(units)}});
    }
    if (!Low(rb)) {
        c.Fail(AsmError::Register);
        return std::nullopt;
    }
    if (units < 0 || units > 31) {
        c.Fail(AsmError::Immediate);
        return std::nullopt;
    }
    if (width == Width::Half) {
        return EncodeThumb(
            ThumbKind::LoadStoreHalfImm,
            {{FieldId::Load, load}, {FieldId::Imm, uint32_t(units)}, {FieldId::Rb, rb}, {FieldId::Rd, rd}});
    }
    return EncodeThumb(ThumbKind::LoadStoreImm,
                       {{FieldId::Byte, width == Width::Byte},
                        {FieldId::Load, load},
                        {FieldId::Imm, uint32_t(units)},
                        {FieldId::Rb, rb},
                        {FieldId::Rd, rd}});
}

// PUSH {r0-r7, lr}, POP {r0-r7, pc}.
Half PushPop(Context& x, bool pop)
{
    OperandCursor& c = x.c;
    const uint32_t list = c.RegisterList();
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    const uint32_t extra = pop ? 1u << 15 : 1u << 14;
    if ((list & ~(0xFFu | extra)) != 0 || list == 0) {
        c.Fail(AsmError::Register);
        return std::nullopt;
    }
    return EncodeThumb(
        ThumbKind::PushPop,
        {{FieldId::Load, pop}, {FieldId::PcOrLr, (list & extra) != 0}, {FieldId::RegisterList, list & 0xFF}});
}

// LDMIA/STMIA rb!, {r0-r7}; an LDMIA that loads rb may leave out the "!".
Half Multiple(Context& x, bool load)
{
    OperandCursor& c = x.c;
    const unsigned rb = LowRegister(c);
    const bool bang = c.Take('!');
    c.Expect(',');
    const uint32_t list = c.RegisterList();
    c.ExpectEnd();
    if (!c.Ok())
        return std::nullopt;
    if ((list & ~0xFFu) != 0 || list == 0) {
        c.Fail(AsmError::Register);
        return std::nullopt;
    }
    if (!bang && !(load && (list & (1u << rb)))) {
        c.Fail(AsmError::Syntax);
        return std::nullopt;
    }
    return EncodeThumb(ThumbKind::LoadStoreMultiple,
                       {{FieldId::Load, load}, {FieldId::Rb, rb}, {FieldId::RegisterList, list}});
}

// The distance of a branch target from the instruction + 4, in halfwords,
// checked against a signed field of `bits` bits.
std::optional<uint32_t> BranchOffset(Context& x, unsigned bits)
{
    OperandCursor& c = x.c;
    const auto target = AddressOperand(c, x.symbols);
    c.ExpectEnd();
    if (!c.Ok() || !target)
        return std::nullopt;
    const auto distance = static_cast<int32_t>(*target - (x.address + 4));
    if (distance % 2 != 0) {
        c.Fail(AsmError::Alignment);
        return std::nullopt;
    }
    const int64_t reach = int64_t{1} << bits;  // bytes: (2^(bits-1)) halfwords
    if (distance < -reach || distance > reach - 2) {
        c.Fail(AsmError::Range);
        return std::nullopt;
    }
    return static_cast<uint32_t>(distance >> 1) & ((1u << bits) - 1);
}

Half Branch(Context& x)
{
    if (x.cond != 14) {
        const auto offset = BranchOffset(x, 8);
        if (!offset)
            return std::nullopt;
        return EncodeThumb(ThumbKind::CondBranch, {{FieldId::Cond, x.cond}, {FieldId::Imm, *offset}});
    }
    const auto offset = BranchOffset(x, 11);
    if (!offset)
        return std::nullopt;
    return EncodeThumb(ThumbKind::Branch, {{FieldId::Imm, *offset}});
}

// BL: the high 11 bits of the 22-bit halfword offset in the first half, the
// low 11 in the second.
Half BranchLink(Context& x)
{
    const auto offset = BranchOffset(x, 22);
    if (!offset)
        return std::nullopt;
    const Half second = EncodeThumb(ThumbKind::BlSuffix, {{FieldId::BlHigh, 1}, {FieldId::Imm, *offset & 0x7FF}});
    if (!second)
        return std::nullopt;
    x.second = *second;
    x.pair = true;
    return EncodeThumb(ThumbKind::BlPrefix, {{FieldId::BlHigh, 0}, {FieldId::Imm, *offset >> 11}});
}

Half Swi(Context& x)
{
    const int64_t n = x.c.Immediate();
    x.c.ExpectEnd();
    if (!x.c.Ok())
        return std::nullopt;
    if (n < 0 || n > 255) {
        x.c.Fail(AsmError::Immediate);
        return std::nullopt;
    }
    return EncodeThumb(ThumbKind::Swi, {{FieldId::Imm, uint32_t(n)}});
}

// ADR rd, target: ADD rd, pc, #n from the word-aligned PC.
Half Adr(Context& x)
{
    OperandCursor& c = x.c;
    const unsigned rd = LowRegister(c);
    c.Expect(',');
    const auto target = AddressOperand(c, x.symbols);
    c.ExpectEnd();
    if (!c.Ok() || !target)
        return std::nullopt;
    const uint32_t distance = *target - ((x.address + 4) & ~3u);
    if (distance % 4 == 0 && distance > 1020) {
        c.Fail(AsmError::Range);
        return std::nullopt;
    }
    return LoadAddress(x, rd, false, distance);
}

// NOP: MOV r8, r8.
Half Nop(Context& x)
{
    x.c.ExpectEnd();
    if (!x.c.Ok())
        return std::nullopt;
    return HiRegOp(x, 2, 8, 8);
}

// Every name: the operations of the ALU format first, then the rest.
struct ThumbForm {
    std::string_view name;
    bool flagSuffix;  // "s" may follow: the operation sets the flags in every form
    Half (*read)(Context&);
};

template <unsigned Op>
Half AluOp(Context& x)
{
    return Alu(x, Op);
}

const std::array<ThumbForm, 36> kThumbForms = {{
    {"and", true, AluOp<0>},
    {"eor", true, AluOp<1>},
    {"adc", true, AluOp<5>},
    {"sbc", true, AluOp<6>},
    {"ror", true, AluOp<7>},
    {"tst", false, AluOp<8>},
    {"neg", true, AluOp<9>},
    {"cmn", false, AluOp<11>},
    {"orr", true, AluOp<12>},
    {"mul", true, AluOp<13>},
    {"bic", true, AluOp<14>},
    {"mvn", true, AluOp<15>},
    {"lsl", true, [](Context& x) { return Shift(x, 0); }},
    {"lsr", true, [](Context& x) { return Shift(x, 1); }},
    {"asr", true, [](Context& x) { return Shift(x, 2); }},
    {"add", false, [](Context& x) { return AddSub(x, false); }},
    {"sub", true, [](Context& x) { return AddSub(x, true); }},
    {"mov", false, [](Context& x) { return MovCmp(x, false); }},
    {"cmp", false, [](Context& x) { return MovCmp(x, true); }},
    {"bx", false, Bx},
    {"ldr", false, [](Context& x) { return Transfer(x, true, Width::Word); }},
    {"str", false, [](Context& x) { return Transfer(x, false, Width::Word); }},
    {"ldrb", false, [](Context& x) { return Transfer(x, true, Width::Byte); }},
    {"strb", false, [](Context& x) { return Transfer(x, false, Width::Byte); }},
    {"ldrh", false, [](Context& x) { return Transfer(x, true, Width::Half); }},
    {"strh", false, [](Context& x) { return Transfer(x, false, Width::Half); }},
    {"ldsb", false, [](Context& x) { return Transfer(x, true, Width::SignedByte); }},
    {"ldsh", false, [](Context& x) { return Transfer(x, true, Width::SignedHalf); }},
    {"ldrsb", false, [](Context& x) { return Transfer(x, true, Width::SignedByte); }},
    {"ldrsh", false, [](Context& x) { return Transfer(x, true, Width::SignedHalf); }},
    {"push", false, [](Context& x) { return PushPop(x, false); }},
    {"pop", false, [](Context& x) { return PushPop(x, true); }},
    {"ldmia", false, [](Context& x) { return Multiple(x, true); }},
    {"stmia", false, [](Context& x) { return Multiple(x, false); }},
    {"swi", false, Swi},
    {"adr", false, Adr},
}};

const ThumbForm kBranch{"b", false, Branch};
const ThumbForm kBranchLink{"bl", false, BranchLink};
const ThumbForm kSvc{"svc", false, Swi};
const ThumbForm kNop{"nop", false, Nop};
const ThumbForm kMovs{"movs", false, [](Context& x) { return MovCmp(x, false, true); }};

std::string Lower(std::string_view text)
{
    std::string s;
    for (char ch : text)
        s += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

// The form a mnemonic names, with the condition of a conditional branch.
const ThumbForm* FindForm(const std::string& name, unsigned& cond)
{
    cond = 14;
    for (const ThumbForm* f : {&kBranch, &kBranchLink, &kSvc, &kNop}) {
        if (name == f->name)
            return f;
    }
    if (name.size() == 3 && name[0] == 'b') {
        if (const auto c = ConditionCode(std::string_view(name).substr(1))) {
            cond = *c;
            return &kBranch;
        }
    }
    for (const ThumbForm& f : kThumbForms) {
        if (name == f.name ||
            (f.flagSuffix && name.size() == f.name.size() + 1 && name.back() == 's' &&
             name.compare(0, f.name.size(), f.name) == 0))
            return &f;
    }
    // "adds" names the flag-setting (low-register) forms too.
    if (name == "adds")
        return FindForm(name.substr(0, 3), cond);
    if (name == "movs")
        return &kMovs;
    return nullptr;
}

}  // namespace

AssembledCode AssembleThumb(std::string_view text, uint32_t address, const SymbolResolver& symbols)
{
    AssembledCode out;
    out.thumb = true;
    const LineParts parts = SplitLine(text);
    if (parts.error != AsmError::None) {
        out.error = parts.error;
        return out;
    }
    unsigned cond = 14;
    const ThumbForm* form = FindForm(Lower(parts.mnemonic), cond);
    if (!form) {
        out.error = AsmError::Mnemonic;
        return out;
    }
    OperandCursor c(parts.operands);
    Context x{c, cond, address, symbols};
    const Half half = form->read(x);
    if (!c.Ok()) {
        out.error = c.Error();
    } else if (!half) {
        out.error = AsmError::Register;
    } else {
        out.half = {*half, x.second};
        out.length = x.pair ? 4 : 2;
    }
    return out;
}

std::array<uint8_t, 4> AssembledCode::Bytes(bool bigEndian) const
{
    std::array<uint8_t, 4> b{};
    auto put = [&](size_t at, uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i)
            b[at + i] = static_cast<uint8_t>(value >> (8 * (bigEndian ? width - 1 - i : i)));
    };
    if (!thumb) {
        put(0, word, 4);
    } else {
        put(0, half[0], 2);
        put(2, half[1], 2);
    }
    return b;
}

}  // namespace pirell
