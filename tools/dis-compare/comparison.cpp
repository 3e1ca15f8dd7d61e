#include "comparison.h"

#include "armdecode/arm_decode.h"
#include "canonical_form.h"
#include "simdisasm/disassembler.h"

namespace zk::tools {

namespace {

using armdecode::ArmKind;
using armdecode::FieldId;

bool IsCoprocessorMnemonic(const std::string& m)
{
    for (const char* base : {"ldc", "stc", "cdp", "mrc", "mcr"}) {
        if (m.rfind(base, 0) == 0)
            return true;
    }
    return false;
}

// Known differences that follow from the encoding and our text alone.
bool KnownFromEncoding(const ObjdumpLine& line, bool thumb, const std::string& ours, KnownDifference& known)
{
    if (!line.mnemonic.empty() && line.mnemonic[0] == '.') {
        known = KnownDifference::DataInCode;
        return true;
    }
    if (ours == sim::kBlHalfText) {
        known = KnownDifference::BlHalf;
        return true;
    }
    if (ours == sim::kUnsupportedText) {
        known = KnownDifference::Unsupported;
        return true;
    }
    if (ours == sim::kUndefinedText) {
        known = KnownDifference::UndefinedSpace;
        return true;
    }
    if (thumb) {
        const auto h = static_cast<uint16_t>(line.word);
        if (armdecode::DecodeThumb(h).kind == armdecode::ThumbKind::HiRegBx && (h & 7) != 0 && line.mnemonic != "bx") {
            known = KnownDifference::ThumbBxLowBits;
            return true;
        }
        return false;
    }
    if ((line.word >> 28) == 0xF) {
        known = KnownDifference::NeverCondition;
        return true;
    }
    const auto& row = armdecode::DecodeArm(line.word);
    if (row.kind == ArmKind::DataProcessing && line.mnemonic.empty() &&
        line.comment.find("<UNDEFINED>") != std::string::npos) {
        const uint32_t op = armdecode::Field(row, line.word, FieldId::Opcode);
        if ((op == 13 || op == 15) && armdecode::Field(row, line.word, FieldId::Rn) != 0) {
            known = KnownDifference::MoveWithRn;
            return true;
        }
    }
    const bool coprocessor =
        row.kind == ArmKind::CoprocTransfer || row.kind == ArmKind::CoprocDataOp || row.kind == ArmKind::CoprocRegister;
    if (coprocessor && !IsCoprocessorMnemonic(line.mnemonic)) {
        known = KnownDifference::CoprocessorName;
        return true;
    }
    if (row.kind == ArmKind::CoprocTransfer && !armdecode::Field(row, line.word, FieldId::PreIndex) &&
        !armdecode::Field(row, line.word, FieldId::WriteBack)) {
        known = KnownDifference::CoprocessorOption;
        return true;
    }
    return false;
}

}  // namespace

std::string_view KnownDifferenceName(KnownDifference d)
{
    switch (d) {
    case KnownDifference::DataInCode: return "data in code sections (.word/.short/.byte)";
    case KnownDifference::BlHalf: return "Thumb BL halves shown as \"???\"";
    case KnownDifference::Unsupported: return "\"Unsupported instruction!!!\" (rejected by the ARMv4T decoder)";
    case KnownDifference::UndefinedSpace: return "\"Undefined Instruction\" (undefined instruction space)";
    case KnownDifference::NeverCondition: return "ARM condition nv (objdump: unconditional space)";
    case KnownDifference::MoveWithRn: return "MOV/MVN with Rn set (objdump: undefined)";
    case KnownDifference::ThumbBxLowBits: return "Thumb BX with bit 2 set (objdump: bxns)";
    case KnownDifference::CoprocessorName: return "coprocessor instructions under FPA/Maverick names";
    case KnownDifference::CoprocessorOption: return "LDC/STC with P=0 W=0 (objdump: {option} form)";
    default: return "?";
    }
}

Verdict Compare(const ObjdumpLine& line)
{
    Verdict v;
    const bool thumb = line.encoding == Encoding::Thumb16 || line.encoding == Encoding::Thumb32;
    if (line.encoding == Encoding::Other) {
        v.outcome = Outcome::Known;
        v.known = KnownDifference::DataInCode;
        return v;
    }
    const std::string first = thumb ? sim::DisassembleThumb(static_cast<uint16_t>(line.word), line.address)
                                    : sim::DisassembleArm(line.word, line.address);
    v.ours = first;
    // objdump shows a 32-bit Thumb line as one instruction; we show each half.
    if (line.encoding == Encoding::Thumb32)
        v.ours += " | " + sim::DisassembleThumb(line.second, line.address + 2);
    if (KnownFromEncoding(line, thumb, first, v.known)) {
        v.outcome = Outcome::Known;
        return v;
    }
    v.oursCanonical = CanonicalOurs(first, thumb, line.word);
    const std::vector<std::string> forms = CanonicalObjdump(line);
    if (!forms.empty())
        v.objdumpCanonical = forms.front();
    v.outcome = Outcome::Disagree;
    if (line.encoding == Encoding::Thumb32)
        return v;  // only BL is 32-bit in ARMv4T Thumb
    for (const std::string& f : forms) {
        if (f == v.oursCanonical)
            v.outcome = Outcome::Agree;
    }
    return v;
}

void Tally::Add(const Verdict& v)
{
    switch (v.outcome) {
    case Outcome::Agree: ++agree; break;
    case Outcome::Known: ++known[static_cast<size_t>(v.known)]; break;
    case Outcome::Disagree: ++disagree; break;
    }
}

size_t Tally::KnownTotal() const
{
    size_t n = 0;
    for (size_t k : known)
        n += k;
    return n;
}

std::string Tally::Summary() const
{
    return std::to_string(agree) + " agree, " + std::to_string(KnownTotal()) + " known differences, " +
        std::to_string(disagree) + " disagree";
}

}  // namespace zk::tools
