// ARM (32-bit) disassembly: one text layout per row kind of the shared
// encoding table; every operand is read through the row's field layout.
#include <array>
#include <bit>

#include "armdecode/arm_decode.h"
#include "condition_text.h"
#include "simdisasm/disassembler.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

using armdecode::ArmKind;
using armdecode::ArmRow;
using armdecode::FieldId;

constexpr std::array<const char*, 4> kShiftNames = {"lsl", "lsr", "asr", "ror"};
constexpr std::array<const char*, 16> kDataProcessingNames = {"and", "eor", "sub", "rsb", "add", "adc", "sbc", "rsc",
                                                              "tst", "teq", "cmp", "cmn", "orr", "mov", "bic", "mvn"};
// LDM/STM addressing by P (bit 1) and U (bit 0).
constexpr std::array<const char*, 4> kBlockSuffixes = {"da", "ia", "db", "ib"};

// The word that reads "nop": MOV r0, r0 with the condition always.
constexpr uint32_t kNopWord = 0xE1A00000;

// The mnemonic fills nine characters; the operands start at the tenth.
constexpr size_t kMnemonicField = 9;

class ArmText {
public:
    ArmText(const ArmRow& row, uint32_t word, uint32_t address) : row_(row), word_(word), address_(address) {}

    uint32_t F(FieldId id) const { return armdecode::Field(row_, word_, id); }
    std::string R(FieldId id) const { return RegisterName(F(id)); }
    const char* Cond() const { return ConditionSuffix(F(FieldId::Cond)); }
    const char* Flag(FieldId id, const char* text) const { return F(id) ? text : ""; }
    const char* Sign() const { return F(FieldId::Up) ? "" : "-"; }
    const char* Bang() const { return F(FieldId::WriteBack) ? "!" : ""; }
    uint32_t Address() const { return address_; }

    std::string Line(const std::string& mnemonic, const std::string& operands) const
    {
        std::string text = mnemonic;
        if (text.size() < kMnemonicField)
            text.resize(kMnemonicField, ' ');
        return text + operands;
    }

    // The register-shifted-by-immediate operand: nothing for LSL #0; LSR #0
    // and ASR #0 encode a shift by 32, ROR #0 encodes RRX.
    std::string ShiftText() const
    {
        const uint32_t amount = F(FieldId::ShiftAmount);
        const uint32_t type = F(FieldId::ShiftType);
        if (amount != 0)
            return Format(",%s #%u", kShiftNames[type], amount);
        if (type == 0)
            return "";
        if (type == 3)
            return ",rrx";
        return Format(",%s #%d", kShiftNames[type], 32);
    }

    // Pre-indexed transfer from r15 with an immediate offset: the target
    // address (r15 reads the instruction's address + 8).
    bool PcRelative() const { return F(FieldId::PreIndex) && F(FieldId::Rn) == 15; }
    std::string PcTarget(uint32_t offset) const
    {
        const uint32_t base = address_ + 8;
        return NumberText(F(FieldId::Up) ? base + offset : base - offset);
    }

private:
    const ArmRow& row_;
    uint32_t word_;
    uint32_t address_;
};

std::string DataProcessing(const ArmText& t)
{
    const uint32_t op = t.F(FieldId::Opcode);
    std::string operand2;
    if (t.F(FieldId::ImmediateForm)) {
        const uint32_t value = std::rotr(t.F(FieldId::Imm), static_cast<int>(2 * t.F(FieldId::Rotate)));
        operand2 = "#" + NumberText(value);
    } else if (t.F(FieldId::RegisterShift)) {
        operand2 = Format("%s,%s %s", t.R(FieldId::Rm).c_str(), kShiftNames[t.F(FieldId::ShiftType)],
                          t.R(FieldId::Rs).c_str());
    } else {
        operand2 = t.R(FieldId::Rm) + t.ShiftText();
    }
    const char* name = kDataProcessingNames[op];
    if (op >= 8 && op <= 11) {  // TST, TEQ, CMP, CMN: no destination, the S bit is implied
        return t.Line(Format("%s%s", name, t.Cond()), t.R(FieldId::Rn) + "," + operand2);
    }
    const std::string mnemonic = Format("%s%s%s", name, t.Cond(), t.Flag(FieldId::SetFlags, "s"));
    if (op == 13 || op == 15)
        return t.Line(mnemonic, t.R(FieldId::Rd) + "," + operand2);
    return t.Line(mnemonic, t.R(FieldId::Rd) + "," + t.R(FieldId::Rn) + "," + operand2);
}

std::string Multiply(const ArmText& t)
{
    const char* s = t.Flag(FieldId::SetFlags, "s");
    if (t.F(FieldId::Accumulate)) {
        return t.Line(Format("mla%s%s", t.Cond(), s),
                      Format("%s,%s,%s,%s", t.R(FieldId::Rd).c_str(), t.R(FieldId::Rm).c_str(),
                             t.R(FieldId::Rs).c_str(), t.R(FieldId::Rn).c_str()));
    }
    return t.Line(Format("mul%s%s", t.Cond(), s),
                  Format("%s,%s,%s", t.R(FieldId::Rd).c_str(), t.R(FieldId::Rm).c_str(), t.R(FieldId::Rs).c_str()));
}

std::string MultiplyLong(const ArmText& t)
{
    return t.Line(Format("%s%s%s%s", t.F(FieldId::Signed) ? "s" : "u", t.F(FieldId::Accumulate) ? "mlal" : "mull",
                         t.Cond(), t.Flag(FieldId::SetFlags, "s")),
                  Format("%s,%s,%s,%s", t.R(FieldId::RdLo).c_str(), t.R(FieldId::RdHi).c_str(),
                         t.R(FieldId::Rm).c_str(), t.R(FieldId::Rs).c_str()));
}

std::string Swap(const ArmText& t)
{
    return t.Line(Format("swp%s%s", t.Cond(), t.Flag(FieldId::Byte, "b")),
                  Format("%s,%s,[%s]", t.R(FieldId::Rd).c_str(), t.R(FieldId::Rm).c_str(), t.R(FieldId::Rn).c_str()));
}

// Operands of LDR/STR and LDRH/STRH/LDRSB/LDRSH; `offsetReg` is the register
// offset with its shift text, empty for the immediate forms.
std::string TransferOperands(const ArmText& t, bool immediate, uint32_t offset, const std::string& offsetReg)
{
    const std::string rd = t.R(FieldId::Rd), rn = t.R(FieldId::Rn);
    const bool pre = t.F(FieldId::PreIndex);
    if (immediate) {
        if (t.PcRelative())
            return rd + ",#" + t.PcTarget(offset);
        const std::string number = NumberText(offset);
        if (pre)
            return Format("%s,[%s,#%s%s]%s", rd.c_str(), rn.c_str(), t.Sign(), number.c_str(), t.Bang());
        return Format("%s,[%s],#%s%s", rd.c_str(), rn.c_str(), t.Sign(), number.c_str());
    }
    if (pre)
        return Format("%s,[%s,%s%s]%s", rd.c_str(), rn.c_str(), t.Sign(), offsetReg.c_str(), t.Bang());
    return Format("%s,[%s],%s%s", rd.c_str(), rn.c_str(), t.Sign(), offsetReg.c_str());
}

std::string HalfwordTransfer(const ArmText& t, bool immediate)
{
    static constexpr std::array<const char*, 4> kWidths = {"", "h", "sb", "sh"};
    const std::string mnemonic =
        Format("%s%s%s", t.F(FieldId::Load) ? "ldr" : "str", t.Cond(), kWidths[t.F(FieldId::SignedHalf)]);
    const uint32_t offset = (t.F(FieldId::ImmHigh) << 4) | t.F(FieldId::ImmLow);
    return t.Line(mnemonic, TransferOperands(t, immediate, offset, immediate ? "" : t.R(FieldId::Rm)));
}

std::string SingleTransfer(const ArmText& t, bool immediate)
{
    // The user-mode forms LDRT/STRT...: post-indexed with W set.
    const bool user = !t.F(FieldId::PreIndex) && t.F(FieldId::WriteBack);
    const std::string mnemonic =
        Format("%s%s%s%s", t.F(FieldId::Load) ? "ldr" : "str", t.Cond(), t.Flag(FieldId::Byte, "b"), user ? "t" : "");
    const std::string offsetReg = immediate ? "" : t.R(FieldId::Rm) + t.ShiftText();
    return t.Line(mnemonic, TransferOperands(t, immediate, t.F(FieldId::Imm), offsetReg));
}

std::string BlockTransfer(const ArmText& t)
{
    const uint32_t mode = (t.F(FieldId::PreIndex) << 1) | t.F(FieldId::Up);
    return t.Line(Format("%s%s%s", t.F(FieldId::Load) ? "ldm" : "stm", t.Cond(), kBlockSuffixes[mode]),
                  Format("%s%s,{%s}%s", t.R(FieldId::Rn).c_str(), t.Bang(),
                         RegisterListText(t.F(FieldId::RegisterList)).c_str(), t.Flag(FieldId::SetFlags, "^")));
}

std::string Branch(const ArmText& t)
{
    // Target: r15 (address + 8) plus the sign-extended word offset, modulo 2^32.
    const auto offset = static_cast<uint32_t>(static_cast<int32_t>(t.F(FieldId::Imm) << 8) >> 6);
    return t.Line(Format("b%s%s", t.Flag(FieldId::Link, "l"), t.Cond()), Format("0x%x", t.Address() + 8 + offset));
}

std::string CoprocTransfer(const ArmText& t)
{
    const std::string mnemonic =
        Format("%s%s%s", t.F(FieldId::Load) ? "ldc" : "stc", t.Cond(), t.Flag(FieldId::Byte, "l"));
    const std::string rn = t.R(FieldId::Rn);
    const std::string number = NumberText(t.F(FieldId::Imm) * 4);
    const unsigned cp = t.F(FieldId::CpNumber), crd = t.F(FieldId::CRd);
    if (t.F(FieldId::PreIndex)) {
        return t.Line(mnemonic,
                      Format("p%u,cr%u,[%s,#%s%s]%s", cp, crd, rn.c_str(), t.Sign(), number.c_str(), t.Bang()));
    }
    return t.Line(mnemonic, Format("p%u,cr%u,[%s],#%s%s", cp, crd, rn.c_str(), t.Sign(), number.c_str()));
}

std::string CoprocDataOp(const ArmText& t)
{
    return t.Line(Format("cdp%s", t.Cond()),
                  Format("p%u,%u,cr%u,cr%u,cr%u,%u", t.F(FieldId::CpNumber), t.F(FieldId::CpOpcode1), t.F(FieldId::CRd),
                         t.F(FieldId::CRn), t.F(FieldId::CRm), t.F(FieldId::CpOpcode2)));
}

std::string CoprocRegister(const ArmText& t)
{
    return t.Line(Format("%s%s", t.F(FieldId::Load) ? "mrc" : "mcr", t.Cond()),
                  Format("p%u,0x%x,%s,cr%u,cr%u,%u", t.F(FieldId::CpNumber), t.F(FieldId::CpOpcode1),
                         t.R(FieldId::Rd).c_str(), t.F(FieldId::CRn), t.F(FieldId::CRm), t.F(FieldId::CpOpcode2)));
}

std::string Msr(const ArmText& t, bool immediate)
{
    const uint32_t fields = t.F(FieldId::FieldMask);
    std::string target = Format("%s_%s%s%s%s", t.F(FieldId::Spsr) ? "spsr" : "cpsr", fields & 1 ? "c" : "",
                                fields & 2 ? "x" : "", fields & 4 ? "s" : "", fields & 8 ? "f" : "");
    std::string source;
    if (immediate) {
        source = "#" + NumberText(std::rotr(t.F(FieldId::Imm), static_cast<int>(2 * t.F(FieldId::Rotate))));
    } else {
        source = t.R(FieldId::Rm);
    }
    return t.Line(Format("msr%s", t.Cond()), target + "," + source);
}

}  // namespace

std::string DisassembleArm(uint32_t word, uint32_t address)
{
    if (word == kNopWord)
        return "nop      ";
    const ArmRow& row = armdecode::DecodeArm(word);
    const ArmText t(row, word, address);
    switch (row.kind) {
    case ArmKind::DataProcessing: return DataProcessing(t);
    case ArmKind::Multiply: return Multiply(t);
    case ArmKind::MultiplyLong: return MultiplyLong(t);
    case ArmKind::Swap: return Swap(t);
    case ArmKind::HalfwordImm: return HalfwordTransfer(t, true);
    case ArmKind::HalfwordReg: return HalfwordTransfer(t, false);
    case ArmKind::Mrs:
        return t.Line(Format("mrs%s", t.Cond()), t.R(FieldId::Rd) + (t.F(FieldId::Spsr) ? ",spsr" : ",cpsr"));
    case ArmKind::MsrImm: return Msr(t, true);
    case ArmKind::MsrReg: return Msr(t, false);
    case ArmKind::Bx: return t.Line(Format("bx%s", t.Cond()), t.R(FieldId::Rm));
    case ArmKind::SingleTransferImm: return SingleTransfer(t, true);
    case ArmKind::SingleTransferReg: return SingleTransfer(t, false);
    case ArmKind::BlockTransfer: return BlockTransfer(t);
    case ArmKind::Branch: return Branch(t);
    case ArmKind::CoprocTransfer: return CoprocTransfer(t);
    case ArmKind::CoprocDataOp: return CoprocDataOp(t);
    case ArmKind::CoprocRegister: return CoprocRegister(t);
    case ArmKind::Swi: return t.Line(Format("swi%s", t.Cond()), NumberText(t.F(FieldId::Imm)));
    case ArmKind::UndefinedSpace: return kUndefinedText;
    default: return kUnsupportedText;
    }
}

}  // namespace zk::sim
