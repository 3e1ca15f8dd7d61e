// The byte cursor: fields in both byte orders, LEB128 numbers, strings, and
// the first error that sticks with where it happened.
#include <gtest/gtest.h>

#include <vector>

#include "byte_cursor.h"

namespace tarnel {
namespace {

ByteCursor Over(const std::vector<uint8_t>& bytes, bool big = false)
{
    return ByteCursor(bytes, big, ".debug_info", 0x100);
}

TEST(ByteCursor, ReadsFieldsInTheImagesByteOrder)
{
    const std::vector<uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0,
                                        0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    ByteCursor le = Over(bytes);
    EXPECT_EQ(le.U8(), 0x12);
    EXPECT_EQ(le.U16(), 0x5634);
    EXPECT_EQ(le.U32(), 0xDEBC9A78u);
    EXPECT_EQ(le.U64(), 0x07060504030201F0ull);
    EXPECT_TRUE(le.Ok() && le.AtEnd());
    EXPECT_EQ(le.U8(), 0);
    EXPECT_FALSE(le.Ok());

    ByteCursor be = Over(bytes, true);
    EXPECT_EQ(be.U16(), 0x1234);
    EXPECT_EQ(be.U32(), 0x56789ABCu);
    EXPECT_EQ(be.U64(), 0xDEF0010203040506ull);
    EXPECT_EQ(be.Fixed(1), 0x07u);
    EXPECT_TRUE(be.Ok());
    EXPECT_TRUE(be.AtEnd());
}

TEST(ByteCursor, ReadsLeb128NumbersOfTheDwarfExamples)
{
    struct Case {
        std::vector<uint8_t> bytes;
        uint64_t unsignedValue;
        int64_t signedValue;
    };
    const Case cases[] = {
        {{0x02}, 2, 2},
        {{0x7F}, 127, -1},
        {{0x80, 0x01}, 128, 128},
        {{0x81, 0x01}, 129, 129},
        {{0x82, 0x01}, 130, 130},
        {{0xB9, 0x64}, 12857, -3527},
        {{0x7E}, 126, -2},
        {{0x81, 0x7F}, 16257, -127},
        {{0x80, 0x7F}, 16256, -128},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, 0xFFFFFFFFu, 0xFFFFFFFF},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}, ~uint64_t{0}, -1},
    };
    for (const Case& c : cases) {
        ByteCursor u = Over(c.bytes);
        ByteCursor s = Over(c.bytes);
        EXPECT_EQ(u.ULeb128(), c.unsignedValue) << c.bytes.size() << " bytes";
        EXPECT_EQ(s.SLeb128(), c.signedValue) << c.bytes.size() << " bytes";
        EXPECT_TRUE(u.Ok() && u.AtEnd() && s.Ok() && s.AtEnd());
    }
}

TEST(ByteCursor, TheFirstErrorSticksWithSectionAndOffset)
{
    const std::vector<uint8_t> bytes = {'a', 'b', 0, 'c', 0x80, 0x80};
    ByteCursor c = Over(bytes);
    EXPECT_EQ(c.CString(), "ab");
    EXPECT_EQ(c.U8(), 'c');
    EXPECT_EQ(c.ULeb128(), 0u);  // runs off the end
    EXPECT_FALSE(c.Ok());
    EXPECT_EQ(c.Error().offset, 0x106u);
    EXPECT_EQ(c.ErrorText("a.elf"), "a.elf: .debug_info+0x106: read past the end");
    c.Fail("later failure");
    EXPECT_EQ(c.U32(), 0u);
    EXPECT_EQ(c.CString(), "");
    EXPECT_STREQ(c.Error().what, "read past the end");

    const std::vector<uint8_t> unterminated = {'x', 'y'};
    ByteCursor s = Over(unterminated);
    EXPECT_EQ(s.CString(), "");
    EXPECT_EQ(s.ErrorText(), ".debug_info+0x100: string without its terminating NUL");

    const std::vector<uint8_t> tooLong(11, 0x80);
    ByteCursor leb = Over(tooLong);
    leb.ULeb128();
    EXPECT_STREQ(leb.Error().what, "LEB128 number longer than 64 bits");
}

TEST(ByteCursor, SplitsRecordsAndSeeksWithinItsSection)
{
    const std::vector<uint8_t> bytes = {1, 0, 0, 0, 2, 0, 0, 0, 3};
    ByteCursor c = Over(bytes);
    ByteCursor first = c.Split(4);
    EXPECT_EQ(first.U32(), 1u);
    EXPECT_EQ(first.U8(), 0u);
    EXPECT_EQ(first.ErrorText(), ".debug_info+0x104: read past the end");
    EXPECT_TRUE(c.Ok());
    EXPECT_EQ(c.Offset(), 0x104u);
    ByteCursor tooBig = c.Split(10);
    EXPECT_FALSE(tooBig.Ok());
    EXPECT_FALSE(c.Ok());

    ByteCursor d = Over(bytes);
    d.SeekTo(0x108);
    EXPECT_EQ(d.U8(), 3);
    d.SeekTo(0xFF);
    EXPECT_STREQ(d.Error().what, "seek outside the data");
}

}  // namespace
}  // namespace tarnel
