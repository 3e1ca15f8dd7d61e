#include "canonical_form.h"

#include <bit>
#include <cctype>
#include <optional>

#include "armdecode/arm_decode.h"
#include "text_rules.h"

namespace zk::tools {

namespace {

using armdecode::ArmKind;
using armdecode::FieldId;
using armdecode::ThumbKind;

// Mnemonics of both sides, ARM code; objdump's alias bases included.
const std::vector<MnemonicRule>& ArmRules()
{
    static const std::vector<MnemonicRule> rules = {
        {"and", {"", "s"}},
        {"eor", {"", "s"}},
        {"sub", {"", "s"}},
        {"rsb", {"", "s"}},
        {"add", {"", "s"}},
        {"adc", {"", "s"}},
        {"sbc", {"", "s"}},
        {"rsc", {"", "s"}},
        {"orr", {"", "s"}},
        {"mov", {"", "s"}},
        {"bic", {"", "s"}},
        {"mvn", {"", "s"}},
        // objdump writes a test with Rd = r15 in the 26-bit "p" form.
        {"tst", {"", "p"}},
        {"teq", {"", "p"}},
        {"cmp", {"", "p"}},
        {"cmn", {"", "p"}},
        {"mul", {"", "s"}},
        {"mla", {"", "s"}},
        {"umull", {"", "s"}},
        {"umlal", {"", "s"}},
        {"smull", {"", "s"}},
        {"smlal", {"", "s"}},
        {"swp", {"", "b"}},
        {"ldr", {"", "b", "h", "sb", "sh", "t", "bt"}},
        {"str", {"", "b", "h", "t", "bt"}},
        {"ldm", {"", "ia", "ib", "da", "db", "fd", "fa", "ed", "ea"}},
        {"stm", {"", "ia", "ib", "da", "db", "fd", "fa", "ed", "ea"}},
        {"b", {""}},
        {"bl", {""}},
        {"bx", {""}},
        {"mrs", {""}},
        {"msr", {""}},
        {"swi", {""}},
        {"svc", {""}},
        {"ldc", {"", "l"}},
        {"stc", {"", "l"}},
        {"cdp", {""}},
        {"mrc", {""}},
        {"mcr", {""}},
        {"push", {""}},
        {"pop", {""}},
        {"lsl", {"", "s"}},
        {"lsr", {"", "s"}},
        {"asr", {"", "s"}},
        {"ror", {"", "s"}},
        {"rrx", {"", "s"}},
        {"nop", {""}},
    };
    return rules;
}

const std::vector<MnemonicRule>& ThumbRules()
{
    static const std::vector<MnemonicRule> rules = {
        {"mov", {"", "s"}},
        {"add", {"", "s"}},
        {"sub", {"", "s"}},
        {"lsl", {"", "s"}},
        {"lsr", {"", "s"}},
        {"asr", {"", "s"}},
        {"ror", {"", "s"}},
        {"and", {"", "s"}},
        {"eor", {"", "s"}},
        {"orr", {"", "s"}},
        {"bic", {"", "s"}},
        {"mvn", {"", "s"}},
        {"adc", {"", "s"}},
        {"sbc", {"", "s"}},
        {"neg", {"", "s"}},
        {"mul", {"", "s"}},
        {"cmp", {""}},
        {"cmn", {""}},
        {"tst", {""}},
        {"ldr", {"", "b", "h", "sb", "sh"}},
        {"str", {"", "b", "h"}},
        {"lds", {"b", "h"}},
        {"ldm", {"", "ia"}},
        {"stm", {"", "ia"}},
        {"push", {""}},
        {"pop", {""}},
        {"b", {""}},
        {"bl", {""}},
        {"bx", {""}},
        {"swi", {""}},
        {"svc", {""}},
        {"adr", {""}},
        {"nop", {""}},
    };
    return rules;
}

// Stack suffixes of LDM/STM as the addressing they stand for.
std::string BlockSuffix(const std::string& base, const std::string& suffix)
{
    if (suffix.empty())
        return "ia";
    const bool load = base == "ldm";
    if (suffix == "fd")
        return load ? "ia" : "db";
    if (suffix == "ed")
        return load ? "ib" : "da";
    if (suffix == "fa")
        return load ? "da" : "ib";
    if (suffix == "ea")
        return load ? "db" : "ia";
    return suffix;
}

// "cpsr_fc" -> "cpsr_cf": the field letters in the order c, x, s, f.
std::string CanonicalPsrFields(const std::string& operand)
{
    const size_t underscore = operand.find('_');
    if (underscore == std::string::npos)
        return operand;
    const std::string letters = operand.substr(underscore + 1);
    std::string out = operand.substr(0, underscore + 1);
    for (char c : {'c', 'x', 's', 'f'}) {
        if (letters.find(c) != std::string::npos)
            out += c;
    }
    return out;
}

struct Text {
    Mnemonic mnemonic;
    std::vector<std::string> operands;
    std::string Canonical() const
    {
        std::string ops = CanonicalOperands(JoinOperands(operands));
        return mnemonic.Canonical() + (ops.empty() ? "" : " " + ops);
    }
};

std::optional<Text> Split(const std::string& mnemonic, const std::string& operands, bool thumb)
{
    std::string m = Squash(mnemonic);
    // Thumb-2 width qualifiers of objdump: every ARMv4T Thumb instruction is narrow.
    if (m.size() > 2 && (m.compare(m.size() - 2, 2, ".n") == 0 || m.compare(m.size() - 2, 2, ".w") == 0)) {
        m.resize(m.size() - 2);
    }
    auto parts = SplitMnemonic(m, thumb ? ThumbRules() : ArmRules());
    if (!parts)
        return std::nullopt;
    Text t{*parts, SplitOperands(Squash(operands))};
    for (const std::string& op : t.operands) {
        if (op.empty())
            return std::nullopt;  // "r0,,r1": no text of either side
    }
    return t;
}

// The branch target operand "1c <sym+0x1c>" or "0x1c" as a number.
std::optional<uint32_t> TargetOf(const std::string& operand)
{
    const size_t sym = operand.find('<');
    return ParseHex(operand.substr(0, sym));
}

// First hex number of objdump's comment: "ec <f+0xec>", "(7c <f+0x7c>)", "0x44".
std::optional<uint32_t> CommentAddress(const std::string& comment)
{
    std::string c = comment;
    if (!c.empty() && c[0] == '(')
        c.erase(0, 1);
    const size_t end = c.find_first_of(" )<");
    return ParseHex(c.substr(0, end));
}

// "[pc,#n]", "[pc,#-n]" or "[pc]", with "!" or without: the offset.
std::optional<int64_t> PcOffset(const std::string& squashed)
{
    std::string s = squashed;
    if (!s.empty() && s.back() == '!')
        s.pop_back();
    if (s == "[pc]" || s == "[r15]")
        return 0;
    for (const char* prefix : {"[pc,#", "[r15,#"}) {
        const std::string p = prefix;
        if (s.compare(0, p.size(), p) != 0 || s.back() != ']')
            continue;
        std::string number = s.substr(p.size(), s.size() - p.size() - 1);
        const bool negative = !number.empty() && number[0] == '-';
        if (negative)
            number.erase(0, 1);
        const auto v = ParseNumber(number);
        if (!v)
            return std::nullopt;
        return negative ? -int64_t{*v} : int64_t{*v};
    }
    return std::nullopt;
}

// The address a PC-relative operand of objdump's reaches: objdump's own
// figure from the comment, or base + offset where a relocation made objdump
// reckon from 0.
std::optional<uint32_t> PcTarget(const ObjdumpLine& line, const std::string& operand, uint32_t base)
{
    const auto offset = PcOffset(operand);
    if (!offset)
        return std::nullopt;
    if (!line.relocated && !line.comment.empty()) {
        if (const auto a = CommentAddress(line.comment))
            return *a;
    }
    return static_cast<uint32_t>(base + static_cast<uint32_t>(*offset));
}

// Every canonical form of a text whose first operand is a branch target.
std::vector<std::string> BranchForms(const ObjdumpLine& line, Text t)
{
    if (t.operands.empty())
        return {};
    const auto target = TargetOf(t.operands[0]);
    if (!target)
        return {};
    // With a relocation objdump showed symbol + (offset reckoned from 0);
    // we show address + offset.
    std::vector<uint32_t> targets;
    if (!line.relocated)
        targets.push_back(*target);
    for (uint32_t symbol : line.relocationBases)
        targets.push_back(*target - symbol + line.address);
    std::vector<std::string> forms;
    for (uint32_t a : targets) {
        t.operands[0] = Hex(a);
        forms.push_back(t.Canonical());
    }
    return forms;
}

// Data-processing and MSR immediates as objdump writes them: a negative
// value in decimal ("#-2147483648" for 0x80000000) is taken modulo 2^32; an
// immediate encoded with another rotation than the smallest shows as
// "#imm8, rotation": its value is imm8 rotated right by rotation.
void ImmediateValues(Text& t)
{
    auto& ops = t.operands;
    if (ops.size() >= 2 && ops[ops.size() - 2][0] == '#' && !ops.back().empty() && ops.back()[0] != '#') {
        const auto imm = ParseNumber(ops[ops.size() - 2].substr(1));
        const auto rotation = ParseNumber(ops.back());
        if (imm && rotation && *rotation < 32) {
            ops.pop_back();
            ops.back() = "#" + Hex(std::rotr(*imm, static_cast<int>(*rotation)));
            return;
        }
    }
    for (std::string& op : ops) {
        if (op.size() > 2 && op[0] == '#' && op[1] == '-') {
            if (const auto v = ParseNumber(op.substr(1)))
                op = "#" + Hex(*v);
        }
    }
}

// objdump leaves "!" out of a coprocessor transfer with a zero offset, and
// ", #0" out of a post-indexed one that adds it: "[r0]" for both.
void CoprocessorZeroOffset(const armdecode::ArmRow& row, uint32_t word, Text& t)
{
    if (armdecode::Field(row, word, FieldId::Imm) != 0 || !armdecode::Field(row, word, FieldId::WriteBack))
        return;
    if (t.operands.size() < 3)
        return;
    std::string& address = t.operands[2];
    if (armdecode::Field(row, word, FieldId::PreIndex)) {
        if (address.back() == '!')
            return;
        if (address.find(',') == std::string::npos)
            address.insert(address.size() - 1, ",#0");
        address += '!';
    } else if (armdecode::Field(row, word, FieldId::Up) && t.operands.size() == 3) {
        t.operands.push_back("#0");
    }
}

std::vector<std::string> ArmForms(const ObjdumpLine& line, Text t)
{
    const uint32_t word = line.word;
    const auto& row = armdecode::DecodeArm(word);
    std::string& base = t.mnemonic.base;
    std::string& suffix = t.mnemonic.suffix;
    if (base == "push" || base == "pop") {
        // Multiple-register forms: STMDB/LDMIA r13! (the single-register
        // forms are STR/LDR and were taken from the comment).
        const bool push = base == "push";
        base = push ? "stm" : "ldm";
        suffix = push ? "db" : "ia";
        t.operands.insert(t.operands.begin(), "r13!");
    } else if (base == "ldm" || base == "stm") {
        suffix = BlockSuffix(base, suffix);
    } else if (base == "lsl" || base == "lsr" || base == "asr" || base == "ror" || base == "rrx") {
        // MOV with a shifted operand.
        if (t.operands.size() == 2 && base == "rrx") {
            t.operands[1] += ",rrx";
        } else if (t.operands.size() == 3) {
            const std::string shift = t.operands[2];
            t.operands.pop_back();
            t.operands[1] += "," + base + (shift[0] == '#' ? "" : " ") + shift;
        }
        base = "mov";
    } else if (base == "svc") {
        base = "swi";
    } else if (suffix == "p") {
        suffix.clear();
    }
    switch (row.kind) {
    case ArmKind::DataProcessing:
    case ArmKind::MsrImm: ImmediateValues(t); break;
    default: break;
    }
    if (row.kind == ArmKind::MsrImm || row.kind == ArmKind::MsrReg) {
        if (!t.operands.empty())
            t.operands[0] = CanonicalPsrFields(t.operands[0]);
    }
    const bool pcRelative = (row.kind == ArmKind::SingleTransferImm || row.kind == ArmKind::HalfwordImm) &&
        armdecode::Field(row, word, FieldId::PreIndex) && armdecode::Field(row, word, FieldId::Rn) == 15;
    if (pcRelative && t.operands.size() == 2) {
        if (const auto target = PcTarget(line, t.operands[1], line.address + 8))
            t.operands[1] = "#" + Hex(*target);
    }
    if (row.kind == ArmKind::CoprocTransfer || row.kind == ArmKind::CoprocDataOp ||
        row.kind == ArmKind::CoprocRegister) {
        // objdump: "15, 0, r0, cr1, cr0, {0}"; we: "p15,0x0,r0,cr1,cr0,0".
        if (!t.operands.empty() && !t.operands[0].empty() &&
            std::isdigit(static_cast<unsigned char>(t.operands[0][0]))) {
            t.operands[0] = "p" + t.operands[0];
        }
        if (t.operands.empty())
            return {t.Canonical()};
        std::string& last = t.operands.back();
        if (last.size() > 2 && last.front() == '{' && last.back() == '}')
            last = last.substr(1, last.size() - 2);
        // MRC to r15 sets the flags: objdump names the destination "APSR_nzcv".
        if (row.kind == ArmKind::CoprocRegister && t.operands.size() > 2 && t.operands[2] == "apsr_nzcv") {
            t.operands[2] = "pc";
        }
        if (row.kind == ArmKind::CoprocTransfer)
            CoprocessorZeroOffset(row, word, t);
    }
    if (row.kind == ArmKind::Branch)
        return BranchForms(line, t);
    return {t.Canonical()};
}

std::vector<std::string> ThumbForms(const ObjdumpLine& line, Text t)
{
    const auto h = static_cast<uint16_t>(line.word);
    const auto& row = armdecode::DecodeThumb(h);
    std::string& base = t.mnemonic.base;
    if (t.mnemonic.suffix == "s")
        t.mnemonic.suffix.clear();  // flag setting is implied by the encoding
    if (base == "svc")
        base = "swi";
    if (base == "ldm" || base == "stm")
        t.mnemonic.suffix = "ia";
    auto& ops = t.operands;
    switch (row.kind) {
    case ThumbKind::ShiftImm:
        // LSL #0 of two low registers: objdump's "movs rd, rs".
        if (base == "mov" && ops.size() == 2) {
            base = "lsl";
            ops.push_back("#0");
        }
        break;
    case ThumbKind::AddSubImm:
        // ADD/SUB #0 shows as "mov rd, rs".
        if (ops.size() == 3 && CanonicalOperands(ops[2]) == "#0x0") {
            base = "mov";
            ops.pop_back();
            break;
        }
        [[fallthrough]];
    case ThumbKind::AddSubReg:
        // Rd = Rs shows as two operands.
        if (ops.size() == 3 && ops[0] == ops[1])
            ops.erase(ops.begin() + 1);
        break;
    case ThumbKind::LoadStoreMultiple:
        // LDMIA always writes Rb back; objdump leaves "!" out when Rb is loaded.
        if (!ops.empty() && ops[0].back() != '!')
            ops[0] += '!';
        break;
    case ThumbKind::LoadPcRel:
        if (ops.size() == 2) {
            if (const auto target = PcTarget(line, ops[1], (line.address + 4) & ~3u))
                ops[1] = "#" + Hex(*target);
        }
        break;
    case ThumbKind::LoadAddress:
        // ADD Rd, PC, #imm is ADR to ((address + 4) & ~3) + imm.
        if (base == "adr" && ops.size() == 2) {
            if (const auto target = TargetOf(ops[1]))
                ops[1] = Hex(*target);
        } else if (base == "add" && ops.size() == 3 && (ops[1] == "pc" || ops[1] == "r15")) {
            if (const auto v = ParseNumber(CanonicalOperands(ops[2]).substr(1))) {
                base = "adr";
                ops = {ops[0], Hex(((line.address + 4) & ~3u) + *v)};
            }
        }
        break;
    case ThumbKind::CondBranch:
    case ThumbKind::Branch: return BranchForms(line, t);
    default: break;
    }
    return {t.Canonical()};
}

// objdump shows some real forms only in its comment: "push {r4} @ (str r4,
// [r13, #-4]!)", "nop @ (mov r8, r8)".
// ARM "nop" (MOV r0, r0) is our "nop" too.
bool RealFormInComment(const ObjdumpLine& line, bool thumb, std::string& mnemonic, std::string& operands)
{
    const std::string m = Squash(line.mnemonic);
    const bool alias = m.rfind("push", 0) == 0 || m.rfind("pop", 0) == 0 || (thumb && m == "nop");
    if (!alias || line.comment.size() < 3 || line.comment.front() != '(' || line.comment.back() != ')')
        return false;
    const std::string inner = line.comment.substr(1, line.comment.size() - 2);
    const size_t gap = inner.find(' ');
    if (gap == std::string::npos || !std::isalpha(static_cast<unsigned char>(inner[0])))
        return false;
    mnemonic = inner.substr(0, gap);
    operands = inner.substr(gap + 1);
    return true;
}

}  // namespace

std::string CanonicalOurs(const std::string& text, bool thumb, uint32_t instruction)
{
    const size_t gap = text.find(' ');
    const std::string mnemonic = text.substr(0, gap);
    std::string operands = gap == std::string::npos ? "" : text.substr(gap);
    auto t = Split(mnemonic, operands, thumb);
    if (!t)
        return Squash(text);
    if (thumb) {
        if (t->mnemonic.base == "lds")
            t->mnemonic = {"ldr", "s" + t->mnemonic.suffix, ""};
        // Our Thumb PC-relative load writes its target as eight hex digits.
        const auto& row = armdecode::DecodeThumb(static_cast<uint16_t>(instruction));
        if (row.kind == ThumbKind::LoadPcRel && t->operands.size() == 2 && t->operands[1].size() > 1) {
            if (const auto v = ParseHex(t->operands[1].substr(1)))
                t->operands[1] = "#" + Hex(*v);
        }
    } else {
        const auto& row = armdecode::DecodeArm(instruction);
        if (row.kind == ArmKind::BlockTransfer)
            t->mnemonic.suffix = BlockSuffix(t->mnemonic.base, t->mnemonic.suffix);
        if ((row.kind == ArmKind::MsrImm || row.kind == ArmKind::MsrReg) && !t->operands.empty()) {
            t->operands[0] = CanonicalPsrFields(t->operands[0]);
        }
    }
    return t->Canonical();
}

std::vector<std::string> CanonicalObjdump(const ObjdumpLine& line)
{
    const bool thumb = line.encoding == Encoding::Thumb16 || line.encoding == Encoding::Thumb32;
    std::string mnemonic = line.mnemonic, operands = line.operands;
    RealFormInComment(line, thumb, mnemonic, operands);
    auto t = Split(mnemonic, operands, thumb);
    if (!t)
        return {};
    return thumb ? ThumbForms(line, *t) : ArmForms(line, *t);
}

}  // namespace zk::tools
