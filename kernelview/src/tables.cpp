// The tables of kernel objects and the facts about each kind.
#include "corvane/tables.h"

namespace corvane {

namespace {

struct SymbolName {
    char text[32];
};

// Indexed by kind; fixed 32-byte slots.
constexpr SymbolName kCountSymbols[KIND_COUNT] = {
    {"_tx_thread_created_count"},    {"_tx_queue_created_count"},       {"_tx_semaphore_created_count"},
    {"_tx_timer_created_count"},     {"_tx_event_flags_created_count"}, {"_tx_block_pool_created_count"},
    {"_tx_byte_pool_created_count"},
};
constexpr SymbolName kListHeadSymbols[KIND_COUNT] = {
    {"_tx_thread_created_ptr"},    {"_tx_queue_created_ptr"},       {"_tx_semaphore_created_ptr"},
    {"_tx_timer_created_ptr"},     {"_tx_event_flags_created_ptr"}, {"_tx_block_pool_created_ptr"},
    {"_tx_byte_pool_created_ptr"},
};
constexpr size_t kWidths[KIND_COUNT] = {sizeof(ThreadRecord),  sizeof(QueueRecord),      sizeof(SemaphoreRecord),
                                        sizeof(TimerRecord),   sizeof(EventFlagsRecord), sizeof(BlockPoolRecord),
                                        sizeof(BytePoolRecord)};
constexpr uint32_t kNextMembers[KIND_COUNT] = {28, 12, 5, 3, 6, 10, 11};

constexpr const char* kStates[] = {
    "Ready",      "Completed",    "Terminated",  "Suspended", "Sleep", "Queue Suspended", "Semaphore Suspended",
    "Event Flag", "Block Memory", "Byte Memory", "IO Driver", "File",  "TCP IP"};

bool ValidKind(int kind)
{
    return kind >= 0 && kind < KIND_COUNT;
}

}  // namespace

KernelTables& Tables()
{
    static KernelTables tables;
    return tables;
}

void ResetTables()
{
    KernelTables& t = Tables();
    void* window = t.window;
    const bool open = t.windowOpen;
    t = KernelTables{};
    t.window = window;
    t.windowOpen = open;
}

const char* CountSymbol(int kind)
{
    return ValidKind(kind) ? kCountSymbols[kind].text : "";
}

const char* ListHeadSymbol(int kind)
{
    return ValidKind(kind) ? kListHeadSymbols[kind].text : "";
}

size_t RecordWidth(int kind)
{
    return ValidKind(kind) ? kWidths[kind] : 0;
}

uint32_t NextMember(int kind)
{
    return ValidKind(kind) ? kNextMembers[kind] : 0;
}

uint8_t* RecordBytes(int kind, int index)
{
    if (!ValidKind(kind) || index < 0 || index >= TABLE_CAPACITY)
        return nullptr;
    KernelTables& t = Tables();
    void* r = nullptr;
    switch (kind) {
    case KIND_THREAD: r = &t.threads[index]; break;
    case KIND_QUEUE: r = &t.queues[index]; break;
    case KIND_SEMAPHORE: r = &t.semaphores[index]; break;
    case KIND_TIMER: r = &t.timers[index]; break;
    case KIND_EVENT_FLAGS: r = &t.eventFlags[index]; break;
    case KIND_BLOCK_POOL: r = &t.blockPools[index]; break;
    default: r = &t.bytePools[index]; break;
    }
    return static_cast<uint8_t*>(r);
}

const char* RecordName(int kind, int index)
{
    const uint8_t* r = RecordBytes(kind, index);
    if (!r)
        return "";
    // The thread's name follows ten words; every other kind's follows one.
    return reinterpret_cast<const char*>(r + (kind == KIND_THREAD ? 40 : 4));
}

const char* ThreadStateText(uint32_t state)
{
    return state < sizeof(kStates) / sizeof(kStates[0]) ? kStates[state] : "";
}

}  // namespace corvane
