#include "objdump_kinds.h"

#include <set>

namespace pirell::test {

namespace {

const std::set<std::string> kConditions = {"",   "eq", "ne", "cs", "hs", "cc", "lo", "mi", "pl",
                                           "vs", "vc", "hi", "ls", "ge", "lt", "gt", "le", "al"};

// The mnemonic without its width qualifier ("b.n", "bl.w").
std::string Bare(const std::string& mnemonic)
{
    const size_t dot = mnemonic.find('.');
    return dot == std::string::npos ? mnemonic : mnemonic.substr(0, dot);
}

// `stem` followed by a condition (or nothing).
bool IsForm(const std::string& m, const std::string& stem)
{
    return m.compare(0, stem.size(), stem) == 0 && kConditions.count(m.substr(stem.size())) != 0;
}

std::string FirstOperand(const std::string& operands)
{
    std::string first = operands.substr(0, operands.find(','));
    while (!first.empty() && first.back() == ' ')
        first.pop_back();
    return first;
}

// The registers of a list "{r4, r5, lr}".
std::set<std::string> RegisterList(const std::string& operands)
{
    std::set<std::string> regs;
    const size_t open = operands.find('{'), close = operands.find('}');
    if (open == std::string::npos || close == std::string::npos)
        return regs;
    std::string item;
    for (char c : operands.substr(open + 1, close - open - 1) + ",") {
        if (c == ',') {
            regs.insert(item);
            item.clear();
        } else if (c != ' ') {
            item += c;
        }
    }
    return regs;
}

bool IsPop(const std::string& m)
{
    return IsForm(m, "pop");
}

bool SetsReturnAddress(const ObjdumpLine* line)
{
    return line && IsForm(Bare(line->mnemonic), "mov") && line->operands.find("lr, pc") == 0;
}

}  // namespace

DWORD ExpectedKind(const ObjdumpLine& line, const ObjdumpLine* previous)
{
    const std::string m = Bare(line.mnemonic);
    if (IsForm(m, "b"))
        return DAD_KIND_BRANCH;  // b, blt, ble, bls: branches with a condition
    if (IsForm(m, "bl") || IsForm(m, "blx"))
        return DAD_KIND_CALL;
    if (IsForm(m, "bx")) {
        const std::string reg = FirstOperand(line.operands);
        if (reg == "lr")
            return DAD_KIND_RETURN;
        if (previous && IsPop(Bare(previous->mnemonic)) && RegisterList(previous->operands).count(reg))
            return DAD_KIND_RETURN;
        return SetsReturnAddress(previous) ? DAD_KIND_CALL : DAD_KIND_BRANCH;
    }
    if ((IsPop(m) || m.compare(0, 3, "ldm") == 0) && RegisterList(line.operands).count("pc"))
        return SetsReturnAddress(previous) ? DAD_KIND_CALL : DAD_KIND_RETURN;
    static const char* kWriters[] = {"mov", "mvn", "add", "adc", "sub", "sbc", "rsb", "rsc", "and",
                                     "orr", "eor", "bic", "ldr", "lsl", "lsr", "asr", "ror"};
    for (const char* w : kWriters) {
        if (m.compare(0, 3, w) != 0 || FirstOperand(line.operands) != "pc")
            continue;
        if (SetsReturnAddress(previous))
            return DAD_KIND_CALL;
        const bool fromLr = m.compare(0, 3, "mov") == 0 && line.operands.find("pc, lr") == 0 &&
            line.operands.find(',', 5) == std::string::npos;
        return fromLr ? DAD_KIND_RETURN : DAD_KIND_BRANCH;
    }
    return DAD_KIND_PLAIN;
}

}  // namespace pirell::test
