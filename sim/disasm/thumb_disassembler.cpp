// Thumb (16-bit) disassembly: one text layout per row kind of the shared
// encoding table. Each mnemonic is a fixed text with its own trailing blanks
// (they differ from form to form); the operands follow it directly.
#include <array>

#include "armdecode/arm_decode.h"
#include "condition_text.h"
#include "simdisasm/disassembler.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

using armdecode::FieldId;
using armdecode::ThumbKind;
using armdecode::ThumbRow;

constexpr std::array<const char*, 16> kAluNames = {"and", "eor", "lsl", "lsr", "asr", "adc", "sbc", "ror",
                                                   "tst", "neg", "cmp", "cmn", "orr", "mul", "bic", "mvn"};

// The blanks after a mnemonic whose form has no text of its own (shifts,
// add/sub, immediates, ALU, high registers, immediate-offset transfers,
// ldmia/stmia): the eight of the register-offset transfers.
std::string Mnemonic(const char* name)
{
    return Format("%s        ", name);
}

class ThumbText {
public:
    ThumbText(const ThumbRow& row, uint16_t halfword, uint32_t address)
        : row_(row), halfword_(halfword), address_(address)
    {}

    uint32_t F(FieldId id) const { return armdecode::Field(row_, halfword_, id); }
    std::string R(FieldId id) const { return RegisterName(F(id)); }
    // r15 reads the instruction's address + 4.
    uint32_t Pc() const { return address_ + 4; }
    // The PC-relative base of LDR and ADR: r15 with bits 0 and 1 cleared.
    uint32_t WordPc() const { return Pc() & ~3u; }

private:
    const ThumbRow& row_;
    uint16_t halfword_;
    uint32_t address_;
};

uint32_t SignExtend(uint32_t value, unsigned bits)
{
    const uint32_t sign = 1u << (bits - 1);
    return (value ^ sign) - sign;
}

std::string ShiftImm(const ThumbText& t)
{
    static constexpr std::array<const char*, 3> kNames = {"lsl", "lsr", "asr"};
    const uint32_t op = t.F(FieldId::Opcode);
    uint32_t amount = t.F(FieldId::Imm);
    if (amount == 0 && op != 0)
        amount = 32;  // LSR #0 and ASR #0 encode a shift by 32
    return Mnemonic(kNames[op]) + Format("%s,%s,#%u", t.R(FieldId::Rd).c_str(), t.R(FieldId::Rs).c_str(), amount);
}

std::string AddSubReg(const ThumbText& t)
{
    const std::string rd = t.R(FieldId::Rd), rs = t.R(FieldId::Rs), rn = t.R(FieldId::Rn);
    const std::string m = Mnemonic(t.F(FieldId::Opcode) ? "sub" : "add");
    if (rd == rs)
        return m + rd + "," + rn;
    return m + rd + "," + rs + "," + rn;
}

std::string AddSubImm(const ThumbText& t)
{
    const std::string rd = t.R(FieldId::Rd), rs = t.R(FieldId::Rs);
    const uint32_t imm = t.F(FieldId::Imm);
    if (imm == 0)
        return "mov        " + rd + "," + rs;
    const std::string m = Mnemonic(t.F(FieldId::Opcode) ? "sub" : "add");
    if (rd == rs)
        return m + rd + ",#" + NumberText(imm);
    return m + rd + "," + rs + ",#" + NumberText(imm);
}

std::string MovCmpAddSubImm(const ThumbText& t)
{
    static constexpr std::array<const char*, 4> kNames = {"mov", "cmp", "add", "sub"};
    return Mnemonic(kNames[t.F(FieldId::Opcode)]) + t.R(FieldId::Rd) + ",#" + NumberText(t.F(FieldId::Imm));
}

std::string HiRegOp(const ThumbText& t)
{
    static constexpr std::array<const char*, 3> kNames = {"add", "cmp", "mov"};
    const unsigned rd = t.F(FieldId::Rd) | (t.F(FieldId::HighRd) << 3);
    const unsigned rs = t.F(FieldId::Rs) | (t.F(FieldId::HighRs) << 3);
    return Mnemonic(kNames[t.F(FieldId::Opcode)]) + RegisterName(rd) + "," + RegisterName(rs);
}

std::string LoadStoreSignedReg(const ThumbText& t)
{
    static constexpr std::array<const char*, 4> kNames = {"strh        ", "ldsb        ", "ldrh        ",
                                                          "ldsh        "};
    return kNames[t.F(FieldId::Opcode)] +
        Format("%s,[%s,%s]", t.R(FieldId::Rd).c_str(), t.R(FieldId::Rb).c_str(), t.R(FieldId::Ro).c_str());
}

std::string LoadStoreImm(const ThumbText& t)
{
    const bool byte = t.F(FieldId::Byte);
    const uint32_t offset = byte ? t.F(FieldId::Imm) : t.F(FieldId::Imm) * 4;
    return Mnemonic(Format("%s%s", t.F(FieldId::Load) ? "ldr" : "str", byte ? "b" : "").c_str()) +
        Format("%s,[%s,#%s]", t.R(FieldId::Rd).c_str(), t.R(FieldId::Rb).c_str(), NumberText(offset).c_str());
}

std::string LoadAddress(const ThumbText& t)
{
    const uint32_t offset = t.F(FieldId::Imm) * 4;
    if (t.F(FieldId::SpBase))
        return "add       " + t.R(FieldId::Rd) + ",r13,#" + NumberText(offset);
    return "adr       " + t.R(FieldId::Rd) + "," + NumberText(t.WordPc() + offset);
}

std::string PushPop(const ThumbText& t)
{
    const bool pop = t.F(FieldId::Load);
    const uint32_t list = t.F(FieldId::RegisterList);
    std::string operands = "{" + RegisterListText(list);
    if (t.F(FieldId::PcOrLr)) {
        if (list)
            operands += ",";
        operands += pop ? "pc" : "r14";
    }
    return (pop ? "pop        " : "push       ") + operands + "}";
}

std::string Branch(const ThumbText& t, const char* mnemonic, unsigned bits)
{
    const uint32_t offset = SignExtend(t.F(FieldId::Imm), bits) * 2;
    return mnemonic + Format("0x%x", t.Pc() + offset);
}

}  // namespace

std::string DisassembleThumb(uint16_t halfword, uint32_t address)
{
    const ThumbRow& row = armdecode::DecodeThumb(halfword);
    const ThumbText t(row, halfword, address);
    switch (row.kind) {
    case ThumbKind::ShiftImm: return ShiftImm(t);
    case ThumbKind::AddSubReg: return AddSubReg(t);
    case ThumbKind::AddSubImm: return AddSubImm(t);
    case ThumbKind::MovCmpAddSubImm: return MovCmpAddSubImm(t);
    case ThumbKind::Alu: return Mnemonic(kAluNames[t.F(FieldId::Opcode)]) + t.R(FieldId::Rd) + "," + t.R(FieldId::Rs);
    case ThumbKind::HiRegOp: return HiRegOp(t);
    case ThumbKind::HiRegBx: return Mnemonic("bx") + RegisterName(t.F(FieldId::Rs) | (t.F(FieldId::HighRs) << 3));
    case ThumbKind::LoadPcRel:
        return "ldr        " + Format("%s,#%08x", t.R(FieldId::Rd).c_str(), t.WordPc() + t.F(FieldId::Imm) * 4);
    case ThumbKind::LoadStoreReg:
        return Format("%s%s        %s,[%s,%s]", t.F(FieldId::Load) ? "ldr" : "str", t.F(FieldId::Byte) ? "b" : "",
                      t.R(FieldId::Rd).c_str(), t.R(FieldId::Rb).c_str(), t.R(FieldId::Ro).c_str());
    case ThumbKind::LoadStoreSignedReg: return LoadStoreSignedReg(t);
    case ThumbKind::LoadStoreImm: return LoadStoreImm(t);
    case ThumbKind::LoadStoreHalfImm:
        return Format("%sh        %s,[%s,#%s]", t.F(FieldId::Load) ? "ldr" : "str", t.R(FieldId::Rd).c_str(),
                      t.R(FieldId::Rb).c_str(), NumberText(t.F(FieldId::Imm) * 2).c_str());
    case ThumbKind::LoadStoreSpRel:
        return Format("%s        %s,[r13,#%s]", t.F(FieldId::Load) ? "ldr" : "str", t.R(FieldId::Rd).c_str(),
                      NumberText(t.F(FieldId::Imm) * 4).c_str());
    case ThumbKind::LoadAddress: return LoadAddress(t);
    case ThumbKind::AdjustSp:
        return (t.F(FieldId::Negative) ? "sub       r13,#" : "add       r13,#") + NumberText(t.F(FieldId::Imm) * 4);
    case ThumbKind::PushPop: return PushPop(t);
    case ThumbKind::LoadStoreMultiple:
        return Mnemonic(t.F(FieldId::Load) ? "ldmia" : "stmia") +
            Format("%s!,{%s}", t.R(FieldId::Rb).c_str(), RegisterListText(t.F(FieldId::RegisterList)).c_str());
    case ThumbKind::CondBranch:
        return Branch(t, Format("b%s         ", ConditionSuffix(t.F(FieldId::Cond))).c_str(), 8);
    case ThumbKind::Swi: return Format("swi         0x%x", t.F(FieldId::Imm));
    case ThumbKind::Branch: return Branch(t, "b         ", 11);
    case ThumbKind::BlPrefix:
    case ThumbKind::BlSuffix: return kBlHalfText;
    default: return kUnsupportedText;
    }
}

}  // namespace zk::sim
