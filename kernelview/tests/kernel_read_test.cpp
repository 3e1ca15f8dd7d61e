// The kernel view's tables read from the test images in the real simulator,
// compared with what nm, objdump and readelf show.
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "corvane/corvane.h"
#include "corvane/tables.h"
#include "corvane/target_read.h"
#include "host_tools.h"
#include "kernel_session.h"

namespace corvane::test {

namespace {

struct KindFacts {
    int kind;
    const char* structName;
    uint32_t nameMember;
    int innerMember;                   // the embedded timer part, -1 none
    std::vector<const char*> objects;  // in created-list order
};

const std::vector<KindFacts>& Kinds()
{
    static const std::vector<KindFacts> kinds = {
        {KIND_THREAD, "TX_THREAD_STRUCT", 10, 19, {"thread_a", "thread_b", "thread_c"}},
        {KIND_QUEUE, "TX_QUEUE_STRUCT", 1, -1, {"queue_1", "queue_2"}},
        {KIND_SEMAPHORE, "TX_SEMAPHORE_STRUCT", 1, -1, {"sem_1", "sem_2"}},
        {KIND_TIMER, "TX_TIMER_STRUCT", 1, 2, {"timer_1", "timer_2"}},
        {KIND_EVENT_FLAGS, "TX_EVENT_FLAGS_GROUP_STRUCT", 1, -1, {"events_1", "events_2"}},
        {KIND_BLOCK_POOL, "TX_BLOCK_POOL_STRUCT", 1, -1, {"blocks_1", "blocks_2"}},
        {KIND_BYTE_POOL, "TX_BYTE_POOL_STRUCT", 1, -1, {"bytes_1", "bytes_2"}},
    };
    return kinds;
}

// The record the tools' view of a control block gives: every member's word
// in declaration order, the name text in place of its pointer, the timer
// part member by member.
std::vector<uint8_t> ExpectedRecord(const ImageReference& ref, const KindFacts& k, uint32_t block)
{
    std::vector<uint8_t> r;
    auto word = [&](uint32_t w) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&w);
        r.insert(r.end(), p, p + 4);
    };
    const auto& members = ref.structs.at(k.structName);
    for (uint32_t i = 0; i < members.size(); ++i) {
        const uint32_t at = block + members[i].second;
        if (i == k.nameMember) {
            std::string name = ref.Text(ref.Word(at), NAME_FIELD - 1);
            name.resize(NAME_FIELD, '\0');
            r.insert(r.end(), name.begin(), name.end());
        } else if (static_cast<int>(i) == k.innerMember) {
            for (const auto& inner : ref.structs.at("TX_TIMER_INTERNAL_STRUCT"))
                word(ref.Word(at + inner.second));
        } else {
            word(ref.Word(at));
        }
    }
    return r;
}

struct Block {
    std::unique_ptr<uint8_t[]> bytes;
    int32_t Count() const { return Int(0); }
    int32_t Current() const { return Int(4); }
    int32_t Int(size_t at) const
    {
        int32_t v;
        std::memcpy(&v, bytes.get() + at, 4);
        return v;
    }
};

Block Query(unsigned code)
{
    void* io = nullptr;
    EXPECT_EQ(GetTaskInfo(code, &io), 0);
    return Block{std::unique_ptr<uint8_t[]>(static_cast<uint8_t*>(io))};
}

int IsOtherCurrent(uint32_t controlBlock)
{
    return GetTaskInfo(TASK_INFO_IS_OTHER_CURRENT, reinterpret_cast<void**>(&controlBlock));
}

}  // namespace

class KernelRead : public KernelSession, public ::testing::WithParamInterface<const char*> {};

TEST_P(KernelRead, EveryKindReadsAsTheToolsShow)
{
    Load(GetParam());
    ASSERT_EQ(ReadAllKinds(), 1);
    const KernelTables& t = Tables();
    for (const KindFacts& k : Kinds()) {
        SCOPED_TRACE(k.structName);
        ASSERT_EQ(t.counts[k.kind], static_cast<int32_t>(k.objects.size()));
        EXPECT_EQ(ref_.Word(Sym(CountSymbol(k.kind))), k.objects.size());
        for (size_t i = 0; i < k.objects.size(); ++i) {
            const uint32_t block = Sym(k.objects[i]);
            EXPECT_EQ(t.addresses[k.kind][i], block) << k.objects[i];
            const std::vector<uint8_t> want = ExpectedRecord(ref_, k, block);
            ASSERT_EQ(want.size(), RecordWidth(k.kind));
            EXPECT_EQ(std::memcmp(want.data(), RecordBytes(k.kind, int(i)), want.size()), 0) << k.objects[i];
        }
    }
    // Spot checks in plain numbers, the same in both byte orders.
    EXPECT_STREQ(t.threads[1].tx_thread_name, "bc");
    EXPECT_EQ(t.threads[1].tx_state, 4u);
    EXPECT_STREQ(ThreadStateText(t.threads[1].tx_state), "Sleep");
    EXPECT_EQ(t.threads[0].tx_thread_timer.tx_timeout_param, 0x11u);
    EXPECT_EQ(t.threads[0].tx_created_next, Sym("thread_b"));
    EXPECT_EQ(t.timers[1].tx_timer_internal.tx_remaining_ticks, 250u);
    EXPECT_STREQ(t.bytePools[1].tx_byte_pool_name, "net heap");
    EXPECT_EQ(t.bytePools[1].tx_byte_pool_owner, Sym("thread_a"));
    // Before the loop ran the kernel reports no running thread.
    EXPECT_EQ(t.currentThread, -1);
}

TEST_P(KernelRead, TaskInfoBlocksAndTheRunningThread)
{
    Load(GetParam());
    ASSERT_EQ(GetTaskInfo(TASK_INFO_REREAD, nullptr), 0);
    EXPECT_TRUE(Tables().threadListValid);
    WriteWord(Sym("_tx_thread_current_ptr"), Sym("thread_b"));
    ASSERT_EQ(GetTaskInfo(TASK_INFO_REREAD, nullptr), 0);
    EXPECT_EQ(Tables().currentThread, 1);

    Block names = Query(TASK_INFO_NAMES);
    EXPECT_EQ(names.Count(), 3);
    EXPECT_EQ(names.Current(), 1);
    const char area[] = "a\0bc\0idle\0";
    EXPECT_EQ(std::memcmp(names.bytes.get() + 8, area, sizeof area), 0);

    Block blocks = Query(TASK_INFO_CONTROL_BLOCKS);
    EXPECT_EQ(blocks.Count(), 3);
    EXPECT_EQ(blocks.Current(), 1);
    EXPECT_EQ(static_cast<uint32_t>(blocks.Int(8)), Sym("thread_a"));
    EXPECT_EQ(static_cast<uint32_t>(blocks.Int(12)), Sym("thread_b"));
    EXPECT_EQ(static_cast<uint32_t>(blocks.Int(16)), Sym("thread_c"));

    // Code 3 reads the target's word each time and leaves the tables alone.
    EXPECT_EQ(IsOtherCurrent(Sym("thread_b")), 0);
    EXPECT_EQ(IsOtherCurrent(Sym("thread_a")), 1);
    WriteWord(Sym("_tx_thread_current_ptr"), Sym("thread_a"));
    EXPECT_EQ(IsOtherCurrent(Sym("thread_a")), 0);
    EXPECT_EQ(Tables().currentThread, 1);
    WriteWord(Sym("_tx_thread_current_ptr"), 0);
    EXPECT_EQ(IsOtherCurrent(0), 0);
    ASSERT_EQ(GetTaskInfo(TASK_INFO_REREAD, nullptr), 0);
    EXPECT_EQ(Tables().currentThread, -1);
}

// gdb's reading of the same ELF file as a second opinion: members of every
// kind, the embedded timer parts and pointers, as unsigned numbers.
TEST_P(KernelRead, GdbPrintsTheSameMembers)
{
    Load(GetParam());
    ASSERT_EQ(ReadAllKinds(), 1);
    const KernelTables& t = Tables();
    const std::vector<std::pair<std::string, uint32_t>> cases = {
        {"_tx_thread_created_count", uint32_t(t.counts[KIND_THREAD])},
        {"thread_a.tx_run_count", t.threads[0].tx_run_count},
        {"thread_a.tx_stack_ptr", t.threads[0].tx_stack_ptr},
        {"thread_b.tx_thread_timer.tx_remaining_ticks", t.threads[1].tx_thread_timer.tx_remaining_ticks},
        {"thread_a.tx_thread_timer.tx_timeout_function", t.threads[0].tx_thread_timer.tx_timeout_function},
        {"thread_c.tx_priority_bit", t.threads[2].tx_priority_bit},
        {"thread_c.tx_created_previous", t.threads[2].tx_created_previous},
        {"queue_2.tx_queue_suspension_list", t.queues[1].tx_queue_suspension_list},
        {"sem_2.tx_semaphore_suspended_count", t.semaphores[1].tx_semaphore_suspended_count},
        {"timer_2.tx_timer_internal.tx_timeout_param", t.timers[1].tx_timer_internal.tx_timeout_param},
        {"timer_1.tx_timer_created_next", t.timers[0].tx_timer_created_next},
        {"events_1.tx_event_flags_current", t.eventFlags[0].tx_event_flags_current},
        {"blocks_2.tx_block_pool_block_size", t.blockPools[1].tx_block_pool_block_size},
        {"bytes_2.tx_byte_pool_owner", t.bytePools[1].tx_byte_pool_owner},
    };
    std::vector<std::string> argv = {"gdb-multiarch", "-nx", "-batch"};
    for (const auto& c : cases) {
        argv.push_back("-ex");
        argv.push_back("print/u (unsigned long)(" + c.first + ")");
    }
    argv.push_back(path_);
    const auto gdb = zk::test::RunProcess(argv);
    ASSERT_EQ(gdb.exitStatus, 0) << gdb.err;
    std::istringstream lines(gdb.out);
    std::string line;
    size_t i = 0;
    while (std::getline(lines, line)) {
        const size_t eq = line.find(" = ");
        if (line.empty() || line[0] != '$' || eq == std::string::npos)
            continue;
        ASSERT_LT(i, cases.size());
        EXPECT_EQ(std::stoul(line.substr(eq + 3)), cases[i].second) << cases[i].first;
        ++i;
    }
    EXPECT_EQ(i, cases.size()) << gdb.out << gdb.err;
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, KernelRead, ::testing::Values("kernel_le", "kernel_be"),
                         [](const auto& info) { return std::string(info.param); });

using KernelVariants = KernelSession;

TEST_F(KernelVariants, NoKernelSymbolsGiveEmptyLists)
{
    Load("kernel_nokernel");
    Tables().counts.fill(5);
    EXPECT_EQ(ReadAllKinds(), 1);
    for (int32_t n : Tables().counts)
        EXPECT_EQ(n, 0);
    Block names = Query(TASK_INFO_NAMES);
    EXPECT_EQ(names.Count(), 0);
    EXPECT_EQ(names.Current(), -1);
    EXPECT_EQ(names.bytes[8], 0);
    EXPECT_EQ(IsOtherCurrent(0), 0);
    EXPECT_EQ(IsOtherCurrent(Sym("thread_a")), 1);
}

TEST_F(KernelVariants, CountAboveTheTableStopsAtItsCapacity)
{
    Load("kernel_bigcount");
    ASSERT_EQ(ReadKernelKind(KIND_THREAD), 1);
    const KernelTables& t = Tables();
    ASSERT_EQ(t.counts[KIND_THREAD], TABLE_CAPACITY);
    // The circular list is walked round and round up to the capacity.
    const uint32_t ring[] = {Sym("thread_a"), Sym("thread_b"), Sym("thread_c")};
    for (int i = 0; i < TABLE_CAPACITY; ++i)
        ASSERT_EQ(t.addresses[KIND_THREAD][i], ring[i % 3]) << i;
    Block names = Query(TASK_INFO_NAMES);
    EXPECT_EQ(names.Count(), TABLE_CAPACITY);
}

TEST_F(KernelVariants, NameWithoutNulStopsAt63Characters)
{
    Load("kernel_longname");
    ASSERT_EQ(ReadKernelKind(KIND_THREAD), 1);
    const std::string name = Tables().threads[0].tx_thread_name;
    EXPECT_EQ(name, std::string("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefgh", 63));
    EXPECT_STREQ(Tables().threads[1].tx_thread_name, "bc");
}

TEST_F(KernelVariants, ListHeadThatIsNoPointerFailsTheThreadRead)
{
    Load("kernel_headword");
    EXPECT_EQ(ReadAllKinds(), 0);
    EXPECT_EQ(GetTaskInfo(TASK_INFO_REREAD, nullptr), 1);
    EXPECT_FALSE(Tables().threadListValid);
    // The other kinds still read.
    EXPECT_EQ(ReadKernelKind(KIND_QUEUE), 1);
    EXPECT_EQ(Tables().counts[KIND_QUEUE], 2);
}

TEST_F(KernelVariants, ControlBlockLargerThanTheBufferIsRefused)
{
    Load("kernel_bigblock");
    EXPECT_EQ(ReadKernelKind(KIND_THREAD), 0);
    EXPECT_EQ(Tables().counts[KIND_THREAD], 0);
    EXPECT_EQ(ReadKernelKind(KIND_SEMAPHORE), 1);
    EXPECT_EQ(Tables().counts[KIND_SEMAPHORE], 2);
}

}  // namespace corvane::test
