// The archive's byte forms against bytes worked out by hand, and archives cut
// short or damaged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "platform/archive.h"
#include "test_support.h"

using namespace platform;
using platform::test::Bytes;
using platform::test::Store;

namespace {

Bytes Head(const Bytes& b, size_t n)
{
    return Bytes(b.begin(), b.begin() + static_cast<long>(std::min(n, b.size())));
}

TEST(ArchiveTest, ScalarsAreLittleEndianWithTheirWidths)
{
    Bytes b = Store([](CArchive& ar) {
        ar << uint8_t{0x12} << uint16_t{0x3456} << uint32_t{0x789ABCDE} << int32_t{-2} << int16_t{-3} << 1.5f << -2.0;
    });
    EXPECT_EQ(b, (Bytes{0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78, 0xFE, 0xFF,
                        0xFF, 0xFF, 0xFD, 0xFF, 0x00, 0x00, 0xC0, 0x3F,     // 1.5f
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0}));  // -2.0
    CMemFile in(b);
    CArchive ar(&in, CArchive::load);
    uint8_t u8;
    uint16_t u16;
    uint32_t u32;
    int32_t i32;
    int16_t i16;
    float f;
    double d;
    ar >> u8 >> u16 >> u32 >> i32 >> i16 >> f >> d;
    EXPECT_EQ(u8, 0x12);
    EXPECT_EQ(u16, 0x3456);
    EXPECT_EQ(u32, 0x789ABCDEu);
    EXPECT_EQ(i32, -2);
    EXPECT_EQ(i16, -3);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(d, -2.0);
}

TEST(ArchiveTest, CountsEscapeAtFFFF)
{
    struct Case {
        DWORD count;
        Bytes bytes;
    } cases[] = {
        {0, {0x00, 0x00}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x12345, {0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        Bytes b = Store([&](CArchive& ar) { ar.WriteCount(c.count); });
        EXPECT_EQ(b, c.bytes) << c.count;
        CMemFile in(b);
        CArchive ar(&in, CArchive::load);
        EXPECT_EQ(ar.ReadCount(), c.count);
    }
}

TEST(ArchiveTest, StringLengthPrefixesAtTheirBoundaries)
{
    struct Case {
        size_t length;
        Bytes prefix;
    } cases[] = {
        {0, {0x00}},
        {10, {0x0A}},
        {0xFE, {0xFE}},
        {0xFF, {0xFF, 0xFF, 0x00}},
        {0x100, {0xFF, 0x00, 0x01}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x10000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        std::string s(c.length, 'x');
        for (size_t i = 0; i < s.size(); ++i)
            s[i] = static_cast<char>('a' + i % 26);
        Bytes b = Store([&](CArchive& ar) { ar << s; });
        ASSERT_EQ(b.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(Head(b, c.prefix.size()), c.prefix) << c.length;
        CMemFile in(b);
        CArchive ar(&in, CArchive::load);
        std::string back;
        ar >> back;
        EXPECT_EQ(back, s) << c.length;
    }
}

TEST(ArchiveTest, TheSignatureOfTheBreakpointFileIsALengthByteAndTenCharacters)
{
    Bytes b = Store([](CArchive& ar) { ar << uint8_t{0} << uint8_t{0x01} << uint8_t{0x2C} << "QUARNEL BP"; });
    EXPECT_EQ(b, (Bytes{0, 0x01, 0x2C, 10, 'Q', 'U', 'A', 'R', 'N', 'E', 'L', ' ', 'B', 'P'}));
}

TEST(ArchiveTest, UnicodeStringsAreReadAsUtf8)
{
    struct Case {
        Bytes bytes;
        std::string text;
    } cases[] = {
        // 0xFF 0xFFFE marks UTF-16; then a short length.
        {{0xFF, 0xFE, 0xFF, 0x03, 'h', 0, 0xE9, 0x00, 0xAC, 0x20}, "h\xC3\xA9\xE2\x82\xAC"},
        // A surrogate pair, and the long form of the length after the marker.
        {{0xFF, 0xFE, 0xFF, 0xFF, 0x02, 0x00, 0x3D, 0xD8, 0x00, 0xDE}, "\xF0\x9F\x98\x80"},
        // A lone surrogate becomes U+FFFD.
        {{0xFF, 0xFE, 0xFF, 0x01, 0x00, 0xDC}, "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        CMemFile in(c.bytes);
        CArchive ar(&in, CArchive::load);
        EXPECT_EQ(ar.ReadCString(), c.text);
        uint8_t extra;
        EXPECT_EQ(ar.Read(&extra, 1), 0u);
    }
}

TEST(ArchiveTest, StringArraysAreACountAndTheStrings)
{
    Bytes b = Store([](CArchive& ar) { ar.WriteStringArray({"a.c", "", "b"}); });
    EXPECT_EQ(b, (Bytes{3, 0, 3, 'a', '.', 'c', 0, 1, 'b'}));
    CMemFile in(b);
    CArchive ar(&in, CArchive::load);
    EXPECT_EQ(ar.ReadStringArray(), (std::vector<std::string>{"a.c", "", "b"}));
}

TEST(ArchiveTest, EveryCutOfAnArchiveThrowsEndOfFile)
{
    Bytes b = Store([](CArchive& ar) {
        ar << uint32_t{0xA5A5A5A5} << "Version:" << uint32_t{4} << std::string(300, 'p');
        ar.WriteCount(0x10000);
        ar << 2.5;
    });
    for (size_t cut = 0; cut < b.size(); ++cut) {
        CMemFile in(Head(b, cut));
        CArchive ar(&in, CArchive::load, 64);
        uint32_t magic, version;
        std::string tag, path;
        double d;
        try {
            ar >> magic >> tag >> version >> path;
            ar.ReadCount();
            ar >> d;
            ADD_FAILURE() << "no error for an archive cut at " << cut;
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << cut;
            EXPECT_EQ(e.m_offset, cut) << e.what();
        }
    }
}

TEST(ArchiveTest, ALyingStringLengthMeetsTheEndOfTheData)
{
    CMemFile in(Bytes{0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 'a', 'b'});
    CArchive ar(&in, CArchive::load);
    try {
        ar.ReadCString();
        FAIL() << "read a 4 GB string out of 9 bytes";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        EXPECT_NE(std::string(e.what()).find("end of data"), std::string::npos) << e.what();
    }
}

TEST(ArchiveTest, ErrorsOverAFileNameTheFileAndTheOffset)
{
    char name[] = "/tmp/zk-archive-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        CFile file(name, CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        ar << uint32_t{0xA5A5A5A5} << "Versi";
        ar.Close();
        file.Close();
    }
    CFile file(name, CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    uint32_t magic;
    std::string tag;
    ar >> magic >> tag;
    EXPECT_EQ(tag, "Versi");
    try {
        ar >> magic;
        FAIL();
    } catch (const CArchiveException& e) {
        std::string what = e.what();
        EXPECT_NE(what.find(name), std::string::npos) << what;
        EXPECT_NE(what.find("offset 10"), std::string::npos) << what;
    }
    CFile::Remove(name);
    EXPECT_THROW(CFile::Remove(name), CFileException);
    CFileException error;
    CFile missing;
    EXPECT_FALSE(missing.Open(name, CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
}

TEST(ArchiveTest, DirectionMistakesAreErrorsNotCorruption)
{
    CMemFile file;
    CArchive store(&file, CArchive::store);
    uint32_t v;
    try {
        store >> v;
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
    }
    store.Abort();
    CMemFile in(Bytes{1, 2, 3, 4});
    CArchive load(&in, CArchive::load);
    try {
        load << uint32_t{1};
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::readOnly);
    }
}

TEST(ArchiveTest, RawBlocksPassThroughAndTheFileStandsAfterWhatWasRead)
{
    Bytes block(10000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(i * 7);
    Bytes b = Store([&](CArchive& ar) {
        ar << "Bpt:" << static_cast<uint32_t>(block.size());
        ar.Write(block.data(), block.size());
        ar << uint8_t{0xCC};
    });
    CMemFile in(b);
    CArchive ar(&in, CArchive::load, 4096);
    std::string tag;
    uint32_t length;
    ar >> tag >> length;
    Bytes got(length);
    ar.ReadExact(got.data(), got.size());
    EXPECT_EQ(got, block);
    ar.Flush();
    EXPECT_EQ(in.GetPosition(), b.size() - 1);
}

}  // namespace
