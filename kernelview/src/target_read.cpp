// The kernel's object lists read from target memory.
#include "corvane/target_read.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "corvane/tables.h"
#include "emu_types.h"
#include "quentor.h"
#include "quinar/symbol_store.h"
#include "talvis/talvis.h"

namespace corvane {

namespace {

// The longest member whose value is taken: 64-bit members give the word at
// their start after the swap.
constexpr uint32_t kMaxValueBytes = 8;
constexpr uint32_t kInnerMembers = 7;

bool ReadTarget(void* buffer, uint32_t address, uint32_t count, uint16_t space = ADDR_SPACE_TARGET)
{
    std::memset(buffer, 0, count);
    return MemReadBlock(buffer, ADDR{address, space}, count) == 0;
}

uint32_t WordOf(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// The value of size bytes of target memory order (zero-extended to 32 bits).
uint32_t ValueOf(const uint8_t* bytes, uint32_t size)
{
    std::array<uint8_t, kMaxValueBytes> v{};
    const uint32_t n = std::min(size, kMaxValueBytes);
    std::memcpy(v.data(), bytes, n);
    SwapIfBigEndian(v.data(), n);
    return WordOf(v.data());
}

// A global's address, storage space and type.
struct Global {
    uint32_t address = 0;
    uint16_t space = ADDR_SPACE_TARGET;
    uint32_t type = 0;
};

bool FindGlobal(std::string_view name, Global& g)
{
    quinar::SymbolStore& s = quinar::Symbols();
    auto handle = s.FindSymbol(0, name);
    if (!handle)
        return false;
    auto d = s.Details(*handle);
    if (!d)
        return false;
    g.address = d->start;
    g.space = quinar::SymbolStore::AddressSpaceOf(d->attribute);
    g.type = d->type;
    return true;
}

bool ReadGlobalWord(const Global& g, uint32_t& value)
{
    uint8_t bytes[4];
    if (!ReadTarget(bytes, g.address, 4, g.space))
        return false;
    value = ValueOf(bytes, 4);
    return true;
}

uint32_t SizeOf(uint32_t type)
{
    auto t = quinar::Symbols().Type(type);
    return t ? t->size : 0;
}

uint32_t StructureOf(uint32_t type)
{
    auto base = quinar::Symbols().BaseType(type);
    return base ? *base : 0;
}

// What a record's fields are made of, in the record's order.
enum class Field { WORD, NAME, INNER };
struct Step {
    uint32_t member;
    Field field;
};

// The record layouts: every member in order, the name member's text in
// place of its pointer, and the embedded timer part member by member.
std::vector<Step> StepsOf(int kind)
{
    std::vector<Step> steps;
    auto words = [&](uint32_t from, uint32_t to) {
        for (uint32_t m = from; m <= to; ++m)
            steps.push_back({m, Field::WORD});
    };
    if (kind == KIND_THREAD) {
        words(0, 9);
        steps.push_back({10, Field::NAME});
        words(11, 18);
        steps.push_back({19, Field::INNER});
        words(20, 29);
        return steps;
    }
    const uint32_t last[KIND_COUNT] = {0, 13, 6, 4, 7, 11, 12};
    steps.push_back({0, Field::WORD});
    steps.push_back({1, Field::NAME});
    for (uint32_t m = 2; m <= last[kind]; ++m)
        steps.push_back({m, kind == KIND_TIMER && m == 2 ? Field::INNER : Field::WORD});
    return steps;
}

// A located field: where its value lies in the control block.
struct Slot {
    Field field;
    MemberSlot where;
};

void AppendWord(uint8_t*& out, uint32_t value)
{
    std::memcpy(out, &value, 4);
    out += 4;
}

uint32_t TakeValue(const uint8_t* block, uint32_t blockSize, const MemberSlot& m)
{
    if (!m.found || m.offset >= blockSize)
        return 0;
    const uint32_t size = std::min({m.size == 0 ? 4u : m.size, blockSize - m.offset, kMaxValueBytes});
    return ValueOf(block + m.offset, size);
}

// The name text at a target address: 4 bytes at a time up to the first
// NUL, at most NAME_FIELD - 1 characters; a failed read ends it.
void ReadName(uint32_t address, char* field)
{
    std::memset(field, 0, NAME_FIELD);
    if (address == 0)
        return;
    int n = 0;
    for (uint32_t at = address; n < NAME_FIELD - 1; at += 4) {
        char piece[4];
        if (!ReadTarget(piece, at, 4))
            return;
        for (char c : piece) {
            if (c == '\0' || n == NAME_FIELD - 1)
                return;
            field[n++] = c;
        }
    }
}

}  // namespace

bool SwapIfBigEndian(void* buffer, uint32_t size)
{
    if (size % 2 != 0 || !buffer || LdrIsBigEndian() != 1)
        return false;
    auto* b = static_cast<uint8_t*>(buffer);
    std::reverse(b, b + size);
    return true;
}

MemberSlot LocateMember(uint32_t structType, uint32_t index)
{
    MemberSlot slot;
    const uint32_t structure = StructureOf(structType);
    if (structure == 0)
        return slot;
    auto m = quinar::Symbols().StructMember(structure, index);
    if (!m)
        return slot;
    slot.found = true;
    slot.offset = m->offset & 0xFFFF;
    slot.type = m->type;
    slot.size = SizeOf(m->type);
    return slot;
}

bool ReadMemberFromBlock(const uint8_t* block, uint32_t blockSize, uint32_t structType, uint32_t index, uint32_t* word)
{
    const MemberSlot m = LocateMember(structType, index);
    if (!block || !word || !m.found || m.offset >= blockSize)
        return false;
    *word = TakeValue(block, blockSize, m);
    return true;
}

bool ReadMemberFromTarget(uint32_t structType, uint32_t index, uint32_t address, uint32_t* word)
{
    const MemberSlot m = LocateMember(structType, index);
    if (!word || !m.found)
        return false;
    std::array<uint8_t, kMaxValueBytes> bytes{};
    const uint32_t size = std::min(m.size == 0 ? 4u : m.size, kMaxValueBytes);
    if (!ReadTarget(bytes.data(), address + m.offset, size))
        return false;
    *word = ValueOf(bytes.data(), size);
    return true;
}

int WalkCreatedList(uint32_t structType, uint32_t first, int kind)
{
    if (kind < 0 || kind >= KIND_COUNT)
        return 0;
    KernelTables& t = Tables();
    const uint32_t size = SizeOf(StructureOf(structType));
    if (size > BLOCK_BUFFER) {
        t.counts[kind] = 0;
        return 0;
    }

    // Every field located once for the whole walk.
    std::vector<Slot> slots;
    for (const Step& s : StepsOf(kind)) {
        const MemberSlot outer = LocateMember(structType, s.member);
        if (s.field != Field::INNER) {
            slots.push_back({s.field, outer});
            continue;
        }
        for (uint32_t i = 0; i < kInnerMembers; ++i) {
            MemberSlot inner = outer.found ? LocateMember(outer.type, i) : MemberSlot{};
            inner.offset += outer.offset;
            slots.push_back({Field::WORD, inner});
        }
    }
    const MemberSlot next = LocateMember(structType, NextMember(kind));

    const int wanted = std::clamp(t.counts[kind], 0, TABLE_CAPACITY);
    int filled = 0;
    uint32_t address = first;
    std::array<uint8_t, BLOCK_BUFFER> block{};
    while (filled < wanted) {
        if (!ReadTarget(block.data(), address, size))
            break;
        uint8_t* record = RecordBytes(kind, filled);
        std::memset(record, 0, RecordWidth(kind));
        uint8_t* out = record;
        for (const Slot& s : slots) {
            const uint32_t value = TakeValue(block.data(), size, s.where);
            if (s.field == Field::NAME) {
                ReadName(value, reinterpret_cast<char*>(out));
                out += NAME_FIELD;
            } else {
                AppendWord(out, value);
            }
        }
        t.addresses[kind][filled] = address;
        ++filled;
        address = TakeValue(block.data(), size, next);
    }
    t.counts[kind] = filled;
    return 1;
}

int ReadKernelKind(int kind)
{
    if (kind < 0 || kind >= KIND_COUNT)
        return 0;
    KernelTables& t = Tables();
    Global count;
    if (!FindGlobal(CountSymbol(kind), count)) {
        t.counts.fill(0);
        return 1;
    }
    uint32_t n = 0;
    if (!ReadGlobalWord(count, n)) {
        t.counts[kind] = 0;
        return 0;
    }
    // The count word is whatever the target holds (garbage before the
    // kernel starts): never more than the table holds.
    t.counts[kind] = static_cast<int32_t>(std::min<uint32_t>(n, TABLE_CAPACITY));

    Global head;
    uint32_t first = 0;
    if (!FindGlobal(ListHeadSymbol(kind), head) || !ReadGlobalWord(head, first))
        return 0;
    auto structure = quinar::Symbols().PointerTarget(head.type);
    if (!structure || *structure == 0)
        return 0;
    if (!WalkCreatedList(*structure, first, kind))
        return 0;

    if (kind != KIND_THREAD)
        return 1;
    Global current;
    uint32_t running = 0;
    if (!FindGlobal(CURRENT_THREAD_SYMBOL, current) || !ReadGlobalWord(current, running))
        return 0;
    if (running == 0) {
        t.currentThread = -1;
        return 1;
    }
    for (int i = 0; i < t.counts[KIND_THREAD]; ++i)
        if (t.addresses[KIND_THREAD][i] == running)
            t.currentThread = i;
    // An index kept from an earlier read must still name a filled record.
    if (t.currentThread >= t.counts[KIND_THREAD])
        t.currentThread = -1;
    return 1;
}

int ReadAllKinds()
{
    for (int kind = 0; kind < KIND_COUNT; ++kind)
        if (!ReadKernelKind(kind))
            return 0;
    return 1;
}

uint32_t ReadCurrentThreadPointer()
{
    Global current;
    uint32_t running = 0;
    if (!FindGlobal(CURRENT_THREAD_SYMBOL, current) || !ReadGlobalWord(current, running))
        return 0;
    return running;
}

}  // namespace corvane
