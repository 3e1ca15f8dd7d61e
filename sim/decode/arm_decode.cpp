#include "armdecode/arm_decode.h"

#include <array>

namespace zk::armdecode {

namespace {

// Per ARM key: the first row that can match. When that row is decided by the
// key alone it is the answer; otherwise the rows after it are walked.
struct ArmKeyEntry {
    uint8_t first;
    bool decided;
};

constexpr std::array<ArmKeyEntry, 4096> BuildArmTable()
{
    std::array<ArmKeyEntry, 4096> t{};
    for (unsigned key = 0; key < 4096; ++key) {
        const int first = ArmCandidate(key);
        t[key] = {static_cast<uint8_t>(first), ArmRowDecidedByKey(kArmRows[first])};
    }
    return t;
}

constexpr std::array<uint8_t, 1024> BuildThumbTable()
{
    std::array<uint8_t, 1024> t{};
    for (unsigned key = 0; key < 1024; ++key)
        t[key] = static_cast<uint8_t>(ThumbRowIndexForKey(key));
    return t;
}

constexpr auto kArmTable = BuildArmTable();
constexpr auto kThumbTable = BuildThumbTable();

constexpr std::array<std::string_view, static_cast<size_t>(ArmKind::Count)> kArmKindNames = {
    "data processing",
    "multiply",
    "multiply long",
    "swap",
    "halfword transfer immediate",
    "halfword transfer register",
    "mrs",
    "msr immediate",
    "msr register",
    "bx",
    "single transfer immediate",
    "single transfer register",
    "block transfer",
    "branch",
    "coprocessor transfer",
    "coprocessor data operation",
    "coprocessor register transfer",
    "swi",
    "undefined",
    "invalid"};

constexpr std::array<std::string_view, static_cast<size_t>(ThumbKind::Count)> kThumbKindNames = {
    "shift immediate",
    "add/sub register",
    "add/sub immediate",
    "mov/cmp/add/sub immediate",
    "alu",
    "high register operation",
    "bx",
    "ldr pc-relative",
    "load/store register",
    "load/store halfword/signed register",
    "load/store immediate",
    "load/store halfword immediate",
    "load/store sp-relative",
    "load address",
    "adjust sp",
    "push/pop",
    "load/store multiple",
    "conditional branch",
    "swi",
    "branch",
    "bl first half",
    "bl second half",
    "invalid"};

}  // namespace

int DecodeArmIndex(uint32_t word)
{
    const ArmKeyEntry e = kArmTable[ArmKey(word)];
    if (e.decided)
        return e.first;
    for (int i = e.first; i < static_cast<int>(kArmRows.size()); ++i) {
        if ((word & kArmRows[i].mask) == kArmRows[i].value)
            return i;
    }
    return static_cast<int>(kArmRows.size()) - 1;
}

int DecodeThumbIndex(uint16_t halfword)
{
    return kThumbTable[ThumbKey(halfword)];
}

std::string_view KindName(ArmKind kind)
{
    return kArmKindNames[static_cast<size_t>(kind)];
}

std::string_view KindName(ThumbKind kind)
{
    return kThumbKindNames[static_cast<size_t>(kind)];
}

}  // namespace zk::armdecode
