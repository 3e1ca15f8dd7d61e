// Global memory blocks and blocks with their handle in front of the data.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "platform/global_memory.h"

using namespace platform;

namespace {

TEST(GlobalMemoryTest, LockCountAndFreeFollowTheOriginalRules)
{
    size_t before = GlobalBlockCount();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    ASSERT_NE(h, nullptr);
    EXPECT_LE(reinterpret_cast<uintptr_t>(h), 0x7FFFFFFFu) << "handles are 32-bit numbers";
    EXPECT_EQ(GlobalSize(h), 16u);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(p[i], 0);
    EXPECT_EQ(GlobalLock(h), p) << "blocks never move";
    EXPECT_TRUE(GlobalUnlock(h)) << "still locked once";
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), NO_ERROR);
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalFree(h), h) << "a stale handle is handed back";
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalBlockCount(), before);
}

TEST(GlobalMemoryTest, AZeroSizedBlockIsStillABlock)
{
    HGLOBAL h = GlobalAlloc(GMEM_FIXED, 0);
    ASSERT_NE(h, nullptr);
    EXPECT_NE(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemoryTest, HandleBlockCarriesItsHandleInTheFourBytesInFront)
{
    size_t before = GlobalBlockCount();
    auto* data = static_cast<unsigned char*>(AllocHandleBlock(10));
    ASSERT_NE(data, nullptr);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(data[i], 0);
    uint32_t front;
    std::memcpy(&front, data - 4, 4);
    HGLOBAL h = HandleOfBlock(data);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(h), front);
    EXPECT_EQ(GlobalSize(h), 14u);
    EXPECT_EQ(static_cast<unsigned char*>(GlobalLock(h)) + 4, data);
    GlobalUnlock(h);

    // The receiver on another thread frees it from the data pointer alone.
    std::memcpy(data, "path.elf", 9);
    std::thread([data] { FreeHandleBlock(data); }).join();
    EXPECT_EQ(GlobalBlockCount(), before);
    FreeHandleBlock(nullptr);
}

TEST(GlobalMemoryTest, APointerThatIsNotAHandleBlockIsRefused)
{
    // A live block's own data pointer is not the data of a handle block.
    HGLOBAL h = GlobalAlloc(GHND, 32);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    uint32_t number = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
    std::memcpy(p + 4, &number, 4);  // a forged front for p + 8
    EXPECT_EQ(HandleOfBlock(p + 8), nullptr);
    FreeHandleBlock(p + 8);
    EXPECT_EQ(GlobalSize(h), 32u) << "the forged free must not free the block";
    GlobalFree(h);
}

}  // namespace
