// Operand texts shared by the ARM and Thumb disassembly.
#include <array>

#include "condition_text.h"
#include "simdisasm/disassembler.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

const char* ConditionSuffix(unsigned cond)
{
    static constexpr std::array<const char*, 16> kConditions = {"eq", "ne", "cs", "cc", "mi", "pl", "vs", "vc",
                                                                "hi", "ls", "ge", "lt", "gt", "le", "",   "nv"};
    return kConditions[cond & 15];
}

std::string NumberText(uint32_t value)
{
    return value < 10 ? Format("%u", value) : Format("0x%x", value);
}

std::string RegisterName(unsigned reg)
{
    reg &= 15;
    return reg == 15 ? std::string("pc") : Format("r%u", reg);
}

std::string RegisterListText(uint32_t list)
{
    std::string text;
    unsigned i = 0;
    while (i < 16) {
        if (!(list & (1u << i))) {
            ++i;
            continue;
        }
        unsigned last = i;
        while (last + 1 < 16 && (list & (1u << (last + 1))))
            ++last;
        if (!text.empty())
            text += ',';
        text += RegisterName(i);
        if (last == i + 1) {
            text += ',' + RegisterName(last);
        } else if (last > i + 1) {
            text += '-' + RegisterName(last);
        }
        i = last + 1;
    }
    return text;
}

}  // namespace zk::sim
