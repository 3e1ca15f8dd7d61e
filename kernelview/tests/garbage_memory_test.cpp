// The kernel view over target memory that holds garbage: counts from
// uninitialised memory, lists that loop or point nowhere, names without an
// end, reads that fail. The image's symbols and types come from the test
// image; its bytes from objdump, changed by each case.
#include <gtest/gtest.h>
#include <platform/modules.h>
#include <platform/win32.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "corvane/corvane.h"
#include "corvane/tables.h"
#include "corvane/target_read.h"
#include "fake_memory.h"
#include "host_tools.h"
#include "kernel_reference.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "tarnel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace corvane::test {
namespace {

class GarbageMemory : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ref_ = new ImageReference;
        ASSERT_TRUE(ReadReference(zk::test::FixturePath("kernel_le"), *ref_, error)) << error;
    }
    static void TearDownTestSuite()
    {
        delete ref_;
        ref_ = nullptr;
    }
    void SetUp() override
    {
        // Symbols only: no target is written.
        ASSERT_EQ(LdrLoadWin(zk::test::FixturePath("kernel_le").c_str(), 1, LDR_LOAD_SYMBOLS, nullptr), LDR_OK);
        Memory() = FakeMemory{};
        Memory().bytes = ref_->bytes;
        Memory().PutWord(Sym("_tx_thread_current_ptr"), 0);
        ResetTables();
    }
    void TearDown() override { SymClearSymbolTables(0); }

    static uint32_t Sym(const std::string& name) { return ref_->symbols.at(name); }
    // The address of a member of a control block, from readelf's offsets.
    static uint32_t Member(const char* object, const char* structure, const char* member)
    {
        for (const auto& [name, offset] : ref_->structs.at(structure))
            if (name == member)
                return Sym(object) + offset;
        ADD_FAILURE() << member;
        return 0;
    }

    static ImageReference* ref_;
};
ImageReference* GarbageMemory::ref_ = nullptr;

constexpr const char* kThread = "TX_THREAD_STRUCT";

TEST_F(GarbageMemory, AHugeCountOnAListToItselfStopsAtTheTable)
{
    for (uint32_t count : {0x80000000u, 0xFFFFFFF0u, 101u}) {
        SCOPED_TRACE(count);
        Memory().reads = 0;
        Memory().PutWord(Sym("_tx_thread_created_count"), count);
        Memory().PutWord(Member("thread_a", kThread, "tx_created_next"), Sym("thread_a"));
        ASSERT_EQ(ReadKernelKind(KIND_THREAD), 1);
        EXPECT_EQ(Tables().counts[KIND_THREAD], TABLE_CAPACITY);
        for (int i = 0; i < TABLE_CAPACITY; ++i)
            ASSERT_EQ(Tables().addresses[KIND_THREAD][i], Sym("thread_a"));
        // One block read and one name piece per record, and the globals.
        EXPECT_LE(Memory().reads, 2 * TABLE_CAPACITY + 4);

        void* io = nullptr;
        ASSERT_EQ(GetTaskInfo(TASK_INFO_NAMES, &io), 0);
        std::unique_ptr<uint8_t[]> block(static_cast<uint8_t*>(io));
        int32_t n = -1;
        std::memcpy(&n, block.get(), 4);
        EXPECT_EQ(n, TABLE_CAPACITY);
    }
}

TEST_F(GarbageMemory, AListHeadThatCannotBeReadKeepsACountTheTableHolds)
{
    Memory().PutWord(Sym("_tx_thread_created_count"), 0x7FFFFFFFu);
    for (int i = 0; i < 4; ++i)
        Memory().bytes.erase(Sym("_tx_thread_created_ptr") + i);
    EXPECT_EQ(ReadKernelKind(KIND_THREAD), 0);
    EXPECT_LE(Tables().counts[KIND_THREAD], TABLE_CAPACITY);
    void* io = nullptr;
    ASSERT_EQ(GetTaskInfo(TASK_INFO_CONTROL_BLOCKS, &io), 0);
    std::unique_ptr<uint8_t[]> block(static_cast<uint8_t*>(io));
}

TEST_F(GarbageMemory, AFailedBlockReadEndsTheWalkWithTheRecordsFilled)
{
    // Thread B leads to memory that cannot be read; the current thread is
    // the third block, which is never reached.
    Memory().PutWord(Member("thread_b", kThread, "tx_created_next"), 0xDEAD0000u);
    Memory().PutWord(Sym("_tx_thread_current_ptr"), Sym("thread_c"));
    Tables().currentThread = 2;
    std::memset(&Tables().threads[2], 0x5A, sizeof(ThreadRecord));
    ASSERT_EQ(ReadKernelKind(KIND_THREAD), 1);
    EXPECT_EQ(Tables().counts[KIND_THREAD], 2);
    EXPECT_STREQ(Tables().threads[1].tx_thread_name, "bc");
    EXPECT_EQ(Tables().currentThread, -1) << "no index past the records filled";
}

TEST_F(GarbageMemory, NamesEndAtTheFieldOrAtAFailedRead)
{
    // A name running into unreadable memory after 6 bytes: the pieces read
    // whole are kept.
    const uint32_t text = 0x00300000;
    Memory().PutBytes(text, "ABCDEF", 6);
    Memory().PutWord(Member("thread_a", kThread, "tx_thread_name"), text);
    // A name of 200 characters without a NUL.
    const uint32_t endless = 0x00310000;
    const std::string letters(200, 'x');
    Memory().PutBytes(endless, letters.data(), 200);
    Memory().PutWord(Member("thread_b", kThread, "tx_thread_name"), endless);
    // A name pointer of 0.
    Memory().PutWord(Member("thread_c", kThread, "tx_thread_name"), 0);

    ASSERT_EQ(ReadKernelKind(KIND_THREAD), 1);
    EXPECT_STREQ(Tables().threads[0].tx_thread_name, "ABCD");
    EXPECT_EQ(std::string(Tables().threads[1].tx_thread_name), std::string(63, 'x'));
    EXPECT_STREQ(Tables().threads[2].tx_thread_name, "");
}

TEST_F(GarbageMemory, ACountThatCannotBeReadFailsTheKind)
{
    Memory().bytes.erase(Sym("_tx_queue_created_count"));
    Tables().counts[KIND_QUEUE] = 7;
    EXPECT_EQ(ReadKernelKind(KIND_QUEUE), 0);
    EXPECT_EQ(Tables().counts[KIND_QUEUE], 0);
    EXPECT_EQ(ReadAllKinds(), 0);
}

TEST_F(GarbageMemory, AnUnreadableCurrentThreadPointerAnswersZero)
{
    Memory().PutWord(Sym("_tx_thread_current_ptr"), Sym("thread_b"));
    uint32_t asked = Sym("thread_b");
    EXPECT_EQ(GetTaskInfo(TASK_INFO_IS_OTHER_CURRENT, reinterpret_cast<void**>(&asked)), 0);
    for (int i = 0; i < 4; ++i)
        Memory().bytes.erase(Sym("_tx_thread_current_ptr") + i);
    EXPECT_EQ(GetTaskInfo(TASK_INFO_IS_OTHER_CURRENT, reinterpret_cast<void**>(&asked)), 1);
    asked = 0;
    EXPECT_EQ(GetTaskInfo(TASK_INFO_IS_OTHER_CURRENT, reinterpret_cast<void**>(&asked)), 0);
    EXPECT_EQ(GetTaskInfo(TASK_INFO_IS_OTHER_CURRENT, nullptr), 0);
    EXPECT_EQ(GetTaskInfo(7, nullptr), 0);
}

// The module bound by name twice (as the debugger core and the main program
// do) is the one already in the process: the same entry, the same tables.
TEST_F(GarbageMemory, EveryBindingReachesTheOneInstance)
{
    platform::SetModuleFolder(ZK_BIN_DIR);
    HMODULE first = LoadLibrary("Corvane.dll");
    HMODULE second = LoadLibrary("Corvane.dll");
    platform::SetModuleFolder("");
    ASSERT_TRUE(first && second) << platform::LastModuleError();
    auto query1 = reinterpret_cast<GetTaskInfoFn>(GetProcAddress(first, "GetTaskInfo"));
    auto query2 = reinterpret_cast<GetTaskInfoFn>(GetProcAddress(second, "GetTaskInfo"));
    ASSERT_TRUE(query1 && query2);
    EXPECT_EQ(query1, query2);
    EXPECT_EQ(query1, &GetTaskInfo);

    ASSERT_EQ(query1(TASK_INFO_REREAD, nullptr), 0);
    void* io = nullptr;
    ASSERT_EQ(query2(TASK_INFO_CONTROL_BLOCKS, &io), 0);
    std::unique_ptr<uint8_t[]> block(static_cast<uint8_t*>(io));
    uint32_t words[5];
    std::memcpy(words, block.get(), sizeof words);
    EXPECT_EQ(words[0], 3u);
    EXPECT_EQ(words[2], Sym("thread_a"));
    EXPECT_EQ(words[4], Sym("thread_c"));
    EXPECT_TRUE(Tables().threadListValid);
    FreeLibrary(second);
    FreeLibrary(first);
}

// The fuzz target's entry over the image's own bytes with random words
// changed: bounded, and the tables within their sizes (run under the
// sanitizers in the clang tree).
TEST_F(GarbageMemory, RandomlyChangedImagesStayWithinTheTables)
{
    std::vector<uint8_t> image(0x1000);
    for (const auto& [address, byte] : ref_->bytes)
        if (address < image.size())
            image[address] = byte;
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = image;
        for (int k = 0; k < 1 + round % 8; ++k) {
            const uint32_t at = (next() >> 8) % (bytes.size() - 4) & ~3u;
            const uint32_t value = round % 3 == 0 ? next() : (next() >> 8) % bytes.size();
            std::memcpy(&bytes[at], &value, 4);
        }
        ASSERT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    }
}

}  // namespace
}  // namespace corvane::test
