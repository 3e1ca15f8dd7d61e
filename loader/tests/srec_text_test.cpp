// The text of S-record files: records, symbol and module lines, lines
// themselves, and the target-write buffer.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "srec_text.h"
#include "target_writer.h"

namespace quentor {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

TEST(DecodeRecordTest, RecordsOfEveryTypeAndTheirFaults)
{
    struct Case {
        const char* line;
        RecordFault fault;
        char type;
        uint32_t address;
        size_t dataSize;
    };
    const Case cases[] = {
        // Count 0x13: 2 address bytes, 16 data bytes, the checksum.
        {"S1130000060000EAFEFFFFEA100000EAFEFFFFEA36", RecordFault::None, '1', 0, 16},
        {"S1130000060000eafeffffea100000eafeffffea36", RecordFault::None, '1', 0, 16},
        {"S1130000060000EAFEFFFFEA100000EAFEFFFFEA36  ", RecordFault::None, '1', 0, 16},
        {"S20801000000010203F0", RecordFault::None, '2', 0x10000, 4},
        {"S30D00008000001122334455667796", RecordFault::None, '3', 0x8000, 8},
        {"S0080000742E73796DFC", RecordFault::None, '0', 0, 5},
        {"S5030003F9", RecordFault::None, '5', 3, 0},
        {"S705000080007A", RecordFault::None, '7', 0x8000, 0},
        {"S9030000FC", RecordFault::None, '9', 0, 0},
        {"S1130000060000EAFEFFFFEA100000EAFEFFFFEA37", RecordFault::BadChecksum},
        {"S1130000060000EAFEFFFFEA100000EAFEFGFFEA36", RecordFault::BadDigit},
        {"S1130000060000EAFEFFFFEA100000EAFEFFF EA36", RecordFault::BadDigit},
        {"S1130000060000EAFEFFFFEA100000EAFEFFFFEA3", RecordFault::OddLength},
        {"S1120000060000EAFEFFFFEA100000EAFEFFFFEA36", RecordFault::BadCount},  // count one short
        {"S1130000060000EAFEFFFFEA100000EAFEFFFF36", RecordFault::BadCount},    // line one short
        {"S3030000FC", RecordFault::BadCount},                                  // no room for four address bytes
        {"S1", RecordFault::BadCount},
        {"SX030000FC", RecordFault::BadType},
        {"S", RecordFault::BadType},
        {"S30AFFFFFFFC0102030405ED", RecordFault::PastTop},  // 5 bytes from 0xFFFFFFFC
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        DataRecord r;
        ASSERT_EQ(DecodeRecord(c.line, r), c.fault) << FaultText(DecodeRecord(c.line, r));
        if (c.fault != RecordFault::None)
            continue;
        EXPECT_EQ(r.type, c.type);
        EXPECT_EQ(r.address, c.address);
        EXPECT_EQ(r.data.size(), c.dataSize);
    }
    DataRecord upper, lower;
    ASSERT_EQ(DecodeRecord("S30E0000800000AABBCCDDEEFF001165", upper), RecordFault::None);
    ASSERT_EQ(DecodeRecord("S30e0000800000aabbccddeeff001165", lower), RecordFault::None);
    EXPECT_EQ(upper.data, Bytes({0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11}));
    EXPECT_EQ(lower.data, upper.data);
}

TEST(SymbolLineTest, NamesFromTheFirstLetterAndAddressWordsToTheirEnd)
{
    struct Case {
        const char* line;
        bool ok;
        std::vector<std::pair<std::string, uint32_t>> symbols;
    };
    const Case cases[] = {
        {" _main $00001000 start $00001040", true, {{"main", 0x1000}, {"start", 0x1040}}},
        {"  thumb_call $e4", true, {{"thumb_call", 0xE4}}},  // objcopy: 1 to 8 lower-case digits
        {"  __stack_top $100000", true, {{"_stack_top", 0x100000}}},
        {"  $a $0", true, {{"a", 0}}},
        {"  $d.realdata $FFFFFFFF", true, {{"d.realdata", 0xFFFFFFFF}}},
        {"  lonely", true, {}},
        {"  first $10 lonely", true, {{"first", 0x10}}},
        {"   ", true, {}},
        {"  bad $12G4", false, {}},
        {"  long $123456789", false, {}},
        {"  none $", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<SymbolEntry> got;
        ASSERT_EQ(ParseSymbolLine(c.line, got), c.ok);
        if (!c.ok)
            continue;
        std::vector<std::pair<std::string, uint32_t>> pairs;
        for (const SymbolEntry& e : got)
            pairs.push_back({e.name, e.address});
        EXPECT_EQ(pairs, c.symbols);
    }
    EXPECT_EQ(ModuleName("$$ image.sym"), "image.sym");
    EXPECT_EQ(ModuleName("$$ "), "");
    EXPECT_EQ(ModuleName("$module  "), "module");
    EXPECT_EQ(KindOfLine("S9030000FC"), LineKind::Data);
    EXPECT_EQ(KindOfLine("$$ x"), LineKind::Module);
    EXPECT_EQ(KindOfLine("  x $1"), LineKind::Symbol);
    EXPECT_EQ(KindOfLine("\tx $1"), LineKind::Other);
}

std::vector<std::string> AllLines(const std::string& text)
{
    auto source = MemorySource({text.begin(), text.end()});
    LineReader reader(*source);
    std::vector<std::string> lines;
    for (std::string line; reader.Next(line);)
        lines.push_back(line);
    EXPECT_FALSE(reader.Failed());
    EXPECT_EQ(reader.Position(), text.size());
    return lines;
}

TEST(LineReaderTest, LinesEndAtEitherCharacterAndLongOnesComeInPieces)
{
    EXPECT_EQ(AllLines("a\r\nb\rc\n\n\r\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(AllLines(""), std::vector<std::string>{});
    const std::string longLine(3000, 'x');
    EXPECT_EQ(AllLines(longLine + "\ny"),
              (std::vector<std::string>{std::string(MAX_LINE, 'x'), std::string(MAX_LINE, 'x'),
                                        std::string(3000 - 2 * MAX_LINE, 'x'), "y"}));
    // Lines across the reader's buffer boundary.
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "S9030000FC\r\n";
    EXPECT_EQ(AllLines(many).size(), 20000u);
}

TEST(LineReaderTest, AReadErrorIsNoEnd)
{
    class Failing : public ByteSource {
    public:
        bool Read(uint8_t* buffer, size_t count, size_t* got) override
        {
            if (done_)
                return false;
            done_ = true;
            const std::string text = "S9030000FC\nS9";
            *got = std::min(count, text.size());
            std::copy_n(text.begin(), *got, buffer);
            return true;
        }
        uint64_t Size() const override { return 100; }
        bool Seek(uint64_t) override { return false; }

    private:
        bool done_ = false;
    } source;
    LineReader reader(source);
    std::string line;
    EXPECT_TRUE(reader.Next(line));
    EXPECT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "S9");
    EXPECT_FALSE(reader.Next(line));
    EXPECT_TRUE(reader.Failed());
}

class TargetWriterTest : public ::testing::Test {
protected:
    TargetWriter writer{[this](uint32_t address, const uint8_t* bytes, uint32_t count) {
        writes.push_back({address, count});
        contents.insert(contents.end(), bytes, bytes + count);
        return failWith;
    }};
    std::vector<std::pair<uint32_t, uint32_t>> writes;
    std::vector<uint8_t> contents;
    int failWith = 0;
};

TEST_F(TargetWriterTest, ConsecutiveRecordsGoAsOneBlock)
{
    const std::vector<uint8_t> sixteen(16, 0xAB);
    EXPECT_EQ(writer.Put(0x1000, sixteen), 0);
    EXPECT_EQ(writer.Put(0x1010, sixteen), 0);
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(writer.Put(0x2000, sixteen), 0);
    EXPECT_EQ(writes, (std::vector<std::pair<uint32_t, uint32_t>>{{0x1000, 32}}));
    EXPECT_EQ(writer.Flush(), 0);
    EXPECT_EQ(writes.back(), std::make_pair(0x2000u, 16u));
    EXPECT_EQ(writer.Flush(), 0);
    EXPECT_EQ(writes.size(), 2u);
}

TEST_F(TargetWriterTest, AFullBufferIsWrittenFirstAndALargeItemDirectly)
{
    const std::vector<uint8_t> chunk(1000, 1), more(100, 2), large(2000, 3);
    writer.Put(0, chunk);
    writer.Put(1000, more);  // 1100 bytes would overfill the buffer
    EXPECT_EQ(writes, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 1000}}));
    writer.Put(1100, large);
    EXPECT_EQ(writes, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 1000}, {1000, 100}, {1100, 2000}}));
    EXPECT_EQ(contents.size(), 3100u);
    // A write that fails gives its result; the next write starts afresh.
    failWith = -27;
    writer.Put(0x9000, more);
    EXPECT_EQ(writer.Put(0xA000, more), -27);
}

}  // namespace
}  // namespace quentor
