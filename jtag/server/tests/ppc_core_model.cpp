#include "ppc_core_model.h"

#include <cstdio>

namespace ppctest {

namespace {

int32_t SignExtend16(uint32_t value)
{
    return int32_t(int16_t(uint16_t(value)));
}

uint32_t SplitNumber(uint32_t word)
{
    const uint32_t field = (word >> 11) & 0x3FF;
    return ((field & 31) << 5) | (field >> 5);
}

}  // namespace

Decoded Decode(uint32_t word)
{
    Decoded d;
    const uint32_t primary = word >> 26;
    d.rd = (word >> 21) & 31;
    d.ra = (word >> 16) & 31;
    d.rb = (word >> 11) & 31;
    d.immediate = SignExtend16(word);
    switch (primary) {
    case 14: d.op = "addi"; return d;
    case 15: d.op = "addis"; return d;
    case 24:
        d.op = "ori";
        d.immediate = int32_t(word & 0xFFFF);
        return d;
    case 32: d.op = "lwz"; return d;
    case 33: d.op = "lwzu"; return d;
    case 35: d.op = "lbzu"; return d;
    case 36: d.op = "stw"; return d;
    case 37: d.op = "stwu"; return d;
    case 39: d.op = "stbu"; return d;
    case 41: d.op = "lhzu"; return d;
    case 45: d.op = "sthu"; return d;
    case 50: d.op = "lfd"; return d;
    case 54: d.op = "stfd"; return d;
    case 18: {
        int32_t offset = int32_t(word & 0x03FFFFFC);
        if (offset & 0x02000000)
            offset -= 0x04000000;
        d.immediate = offset;
        d.link = word & 1;
        d.op = (word & 2) ? "" : (d.link ? "bl" : "b");
        return d;
    }
    case 19:
        switch ((word >> 1) & 0x3FF) {
        case 16:
            if (d.rd == 20)
                d.op = "blr";
            break;
        case 50: d.op = "rfi"; break;
        case 150: d.op = "isync"; break;
        default: break;
        }
        return d;
    case 31:
        switch ((word >> 1) & 0x3FF) {
        case 19: d.op = "mfcr"; break;
        case 54: d.op = "dcbst"; break;
        case 83: d.op = "mfmsr"; break;
        case 144:
            d.op = "mtcrf";
            d.number = (word >> 12) & 0xFF;
            break;
        case 146: d.op = "mtmsr"; break;
        case 323:
            d.op = "mfdcr";
            d.number = SplitNumber(word);
            break;
        case 339:
            d.op = "mfspr";
            d.number = SplitNumber(word);
            break;
        case 371:
            d.op = "mftb";
            d.number = SplitNumber(word);
            break;
        case 451:
            d.op = "mtdcr";
            d.number = SplitNumber(word);
            break;
        case 454: d.op = "dccci"; break;
        case 467:
            d.op = "mtspr";
            d.number = SplitNumber(word);
            break;
        case 966: d.op = "iccci"; break;
        case 982: d.op = "icbi"; break;
        default: break;
        }
        return d;
    case 63:
        switch ((word >> 1) & 0x3FF) {
        case 583: d.op = "mffs"; break;
        case 711:
            d.op = "mtfsf";
            d.number = (word >> 17) & 0xFF;
            break;
        default: break;
        }
        return d;
    default: return d;
    }
}

uint8_t CoreModel::Byte(uint32_t address) const
{
    const auto it = memory.find(address);
    return it == memory.end() ? 0 : it->second;
}

uint32_t CoreModel::Load(uint32_t address, unsigned bytes) const
{
    uint32_t value = 0;
    for (unsigned i = 0; i < bytes; ++i)
        value = value << 8 | Byte(address + i);
    return value;
}

void CoreModel::Store(uint32_t address, unsigned bytes, uint32_t value)
{
    for (unsigned i = 0; i < bytes; ++i)
        if (!readOnly.count(address + i))
            memory[address + i] = uint8_t(value >> (8 * (bytes - 1 - i)));
}

uint32_t CoreModel::Spr(uint32_t number) const
{
    const auto it = spr.find(number);
    return it == spr.end() ? 0 : it->second;
}

size_t CoreModel::CountOf(const std::string& op) const
{
    size_t count = 0;
    for (uint32_t word : executed)
        count += Decode(word).op == op ? 1 : 0;
    return count;
}

bool CoreModel::Execute(uint32_t word)
{
    const Decoded d = Decode(word);
    executed.push_back(word);
    // An effective address of rA|0 + displacement.
    const auto ea = [&](unsigned ra, int32_t disp) { return (ra ? gpr[ra] : 0) + uint32_t(disp); };
    if (d.op == "addi") {
        gpr[d.rd] = ea(d.ra, d.immediate);
    } else if (d.op == "addis") {
        gpr[d.rd] = ea(d.ra, 0) + (uint32_t(d.immediate) << 16);
    } else if (d.op == "ori") {
        gpr[d.ra] = gpr[d.rd] | uint32_t(d.immediate);
    } else if (d.op == "lwz" || d.op == "lwzu" || d.op == "lhzu" || d.op == "lbzu") {
        const unsigned bytes = d.op == "lhzu" ? 2 : d.op == "lbzu" ? 1 : 4;
        const uint32_t address = ea(d.ra, d.immediate);
        gpr[d.rd] = Load(address, bytes);
        if (d.op != "lwz")
            gpr[d.ra] = address;
    } else if (d.op == "stw" || d.op == "stwu" || d.op == "sthu" || d.op == "stbu") {
        const unsigned bytes = d.op == "sthu" ? 2 : d.op == "stbu" ? 1 : 4;
        const uint32_t address = ea(d.ra, d.immediate);
        Store(address, bytes, gpr[d.rd]);
        if (d.op != "stw")
            gpr[d.ra] = address;
    } else if (d.op == "lfd") {
        const uint32_t address = ea(d.ra, d.immediate);
        fpr[d.rd] = uint64_t(Load(address, 4)) << 32 | Load(address + 4, 4);
    } else if (d.op == "stfd") {
        const uint32_t address = ea(d.ra, d.immediate);
        Store(address, 4, uint32_t(fpr[d.rd] >> 32));
        Store(address + 4, 4, uint32_t(fpr[d.rd]));
    } else if (d.op == "bl" || d.op == "b") {
        if (d.link)
            spr[8] = pc + 4;
        pc += uint32_t(d.immediate);
    } else if (d.op == "blr") {
        pc = Spr(8) & ~3u;
    } else if (d.op == "rfi") {
        pc = Spr(26);
        msr = Spr(27);
    } else if (d.op == "mfcr") {
        gpr[d.rd] = cr;
    } else if (d.op == "mtcrf") {
        for (unsigned field = 0; field < 8; ++field) {
            if (d.number & (0x80u >> field)) {
                const uint32_t mask = 0xF0000000u >> (4 * field);
                cr = (cr & ~mask) | (gpr[d.rd] & mask);
            }
        }
    } else if (d.op == "mfmsr") {
        gpr[d.rd] = msr;
    } else if (d.op == "mtmsr") {
        msr = gpr[d.rd];
    } else if (d.op == "mfspr") {
        gpr[d.rd] = Spr(d.number);
        if (d.number == 148)
            spr[148] = 0;  // reading the interrupt cause clears it
    } else if (d.op == "mtspr") {
        spr[d.number] = gpr[d.rd];
    } else if (d.op == "mftb") {
        gpr[d.rd] = d.number == 269 ? uint32_t(timeBase >> 32) : uint32_t(timeBase);
    } else if (d.op == "mfdcr") {
        gpr[d.rd] = dcr.count(d.number) ? dcr[d.number] : 0;
    } else if (d.op == "mtdcr") {
        dcr[d.number] = gpr[d.rd];
    } else if (d.op == "mffs") {
        fpr[d.rd] = fpscr;
    } else if (d.op == "mtfsf") {
        if (d.number == 0xFF)
            fpscr = uint32_t(fpr[d.rb]);
    } else if (d.op == "isync" || d.op == "icbi" || d.op == "dcbst" || d.op == "dccci" || d.op == "iccci") {
        // Cache and context operations: recorded only.
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%08X", word);
        unknown.push_back(text);
        return false;
    }
    return true;
}

}  // namespace ppctest
