// The kernel view's tables: every control block of the seven kernel object
// kinds, read from target memory into fixed records (100 per kind), with
// their control-block addresses, the running thread and the views'
// selections. One instance per process, shared by every binding of the
// module.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvane {

enum KernelObjectKind : int {
    KIND_THREAD = 0,
    KIND_QUEUE,
    KIND_SEMAPHORE,
    KIND_TIMER,
    KIND_EVENT_FLAGS,
    KIND_BLOCK_POOL,
    KIND_BYTE_POOL,
    KIND_COUNT
};

inline constexpr int TABLE_CAPACITY = 100;
inline constexpr int NAME_FIELD = 64;  // at most 63 characters and the NUL
inline constexpr uint32_t BLOCK_BUFFER = 256;

// The internal timer part embedded in threads and timers.
struct TimerInternal {
    uint32_t tx_remaining_ticks, tx_re_initialize_ticks, tx_timeout_function, tx_timeout_param, tx_active_next,
        tx_active_previous, tx_list_head;
};

struct ThreadRecord {
    uint32_t tx_thread_id, tx_run_count, tx_stack_ptr, tx_stack_start, tx_stack_end, tx_stack_size, tx_time_slice,
        tx_new_time_slice, tx_ready_next, tx_ready_previous;
    char tx_thread_name[NAME_FIELD];
    uint32_t tx_priority, tx_state, tx_delayed_suspend, tx_suspending, tx_preempt_threshold, tx_priority_bit,
        tx_thread_entry, tx_entry_parameter;
    TimerInternal tx_thread_timer;
    uint32_t tx_suspend_cleanup, tx_suspend_control_block, tx_suspended_next, tx_suspended_previous, tx_suspend_info,
        tx_additional_suspend_info, tx_suspend_option, tx_suspend_status, tx_created_next, tx_created_previous;
};

struct QueueRecord {
    uint32_t tx_queue_id;
    char tx_queue_name[NAME_FIELD];
    uint32_t tx_queue_message_size, tx_queue_capacity, tx_queue_enqueued, tx_queue_available_storage, tx_queue_start,
        tx_queue_end, tx_queue_read, tx_queue_write, tx_queue_suspension_list, tx_queue_suspended_count,
        tx_queue_created_next, tx_queue_created_previous;
};

struct SemaphoreRecord {
    uint32_t tx_semaphore_id;
    char tx_semaphore_name[NAME_FIELD];
    uint32_t tx_semaphore_count, tx_semaphore_suspension_list, tx_semaphore_suspended_count, tx_semaphore_created_next,
        tx_semaphore_created_previous;
};

struct TimerRecord {
    uint32_t tx_timer_id;
    char tx_timer_name[NAME_FIELD];
    TimerInternal tx_timer_internal;
    uint32_t tx_timer_created_next, tx_timer_created_previous;
};

struct EventFlagsRecord {
    uint32_t tx_event_flags_id;
    char tx_event_flags_name[NAME_FIELD];
    uint32_t tx_event_flags_current, tx_event_flags_reset_search, tx_event_flags_suspension_list,
        tx_event_flags_suspended_count, tx_event_flags_created_next, tx_event_flags_created_previous;
};

struct BlockPoolRecord {
    uint32_t tx_block_pool_id;
    char tx_block_pool_name[NAME_FIELD];
    uint32_t tx_block_pool_available, tx_block_pool_total, tx_block_pool_available_list, tx_block_pool_start,
        tx_block_pool_size, tx_block_pool_block_size, tx_block_pool_suspension_list, tx_block_pool_suspended_count,
        tx_block_pool_created_next, tx_block_pool_created_previous;
};

struct BytePoolRecord {
    uint32_t tx_byte_pool_id;
    char tx_byte_pool_name[NAME_FIELD];
    uint32_t tx_byte_pool_available, tx_byte_pool_fragments, tx_byte_pool_list, tx_byte_pool_search, tx_byte_pool_start,
        tx_byte_pool_size, tx_byte_pool_owner, tx_byte_pool_suspension_list, tx_byte_pool_suspended_count,
        tx_byte_pool_created_next, tx_byte_pool_created_previous;
};

static_assert(sizeof(ThreadRecord) == 204);
static_assert(sizeof(QueueRecord) == 116);
static_assert(sizeof(SemaphoreRecord) == 88);
static_assert(sizeof(TimerRecord) == 104);
static_assert(sizeof(EventFlagsRecord) == 92);
static_assert(sizeof(BlockPoolRecord) == 108);
static_assert(sizeof(BytePoolRecord) == 112);

template <class R>
using RecordTable = std::array<R, TABLE_CAPACITY>;

struct KernelTables {
    std::array<int32_t, KIND_COUNT> counts{};
    RecordTable<ThreadRecord> threads{};
    RecordTable<QueueRecord> queues{};
    RecordTable<SemaphoreRecord> semaphores{};
    RecordTable<TimerRecord> timers{};
    RecordTable<EventFlagsRecord> eventFlags{};
    RecordTable<BlockPoolRecord> blockPools{};
    RecordTable<BytePoolRecord> bytePools{};
    std::array<std::array<uint32_t, TABLE_CAPACITY>, KIND_COUNT> addresses{};
    int32_t currentThread = -1;
    bool threadListValid = false;
    std::array<int32_t, KIND_COUNT> selected{-1, -1, -1, -1, -1, -1, -1};
    void* window = nullptr;
    bool windowOpen = false;
};

// The process-wide tables.
KernelTables& Tables();
// Back to the state at load: counts 0, no current thread, nothing selected,
// thread list not valid (the window fields stay).
void ResetTables();

// Kind facts: symbol names (the two 32-byte tables), record width, the
// member that leads to the next block.
const char* CountSymbol(int kind);
const char* ListHeadSymbol(int kind);
inline constexpr const char* CURRENT_THREAD_SYMBOL = "_tx_thread_current_ptr";
size_t RecordWidth(int kind);
uint32_t NextMember(int kind);
// Record i of a kind as bytes (RecordWidth(kind) of them).
uint8_t* RecordBytes(int kind, int index);
// The name field of record i.
const char* RecordName(int kind, int index);

// The text of a thread state word, "" for 13 and above.
const char* ThreadStateText(uint32_t state);

}  // namespace corvane
