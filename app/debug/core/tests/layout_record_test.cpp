// The window layout block's records against blocks composed byte by byte
// from the record layout (extended and short records of each frame class),
// the end of the list, cut and damaged blocks, and the block file's life.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "appdebug/debug_window.h"
#include "appdebug/layout_block.h"
#include "platform/doc_view.h"
#include "platform/messages.h"

namespace appdebug {
namespace {

using Bytes = std::vector<uint8_t>;

// A block composed by hand, field by field, little-endian.
struct Block {
    Bytes bytes;
    Block& Byte(uint8_t b)
    {
        bytes.push_back(b);
        return *this;
    }
    Block& Dword(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Block& Text(const std::string& s)
    {
        if (s.size() < 255) {
            Byte(static_cast<uint8_t>(s.size()));
        } else {
            Byte(0xFF).Byte(s.size() & 0xFF).Byte(static_cast<uint8_t>(s.size() >> 8));
        }
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    // Marker, class, sub-kind, path and the ten placement words.
    Block& Head(uint8_t frameClass, uint8_t subKind, const std::string& path, uint32_t showCmd, uint32_t flags,
                std::array<int32_t, 4> rect)
    {
        Dword(0xFFFFFFFF).Byte(frameClass).Byte(subKind).Text(path);
        Dword(flags).Dword(showCmd);
        Dword(static_cast<uint32_t>(-1))
            .Dword(static_cast<uint32_t>(-1))
            .Dword(static_cast<uint32_t>(-8))
            .Dword(static_cast<uint32_t>(-8));
        for (int32_t v : rect)
            Dword(static_cast<uint32_t>(v));
        return *this;
    }
    Block& Extended(std::array<uint32_t, 6> words)
    {
        Dword(0x5AA54BB4);
        for (uint32_t w : words)
            Dword(w);
        return *this;
    }
    Block& Short(uint32_t word0, uint32_t word1) { return Dword(word0).Dword(word1); }
};

std::vector<LayoutRecord> ReadAll(const Bytes& bytes)
{
    platform::CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    std::vector<LayoutRecord> records;
    LayoutRecord record;
    while (ReadLayoutRecord(record, ar))
        records.push_back(record);
    return records;
}

Bytes WriteAll(const std::vector<LayoutRecord>& records)
{
    platform::CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        for (const LayoutRecord& r : records)
            WriteLayoutRecord(r, ar);
        ar.Close();
    }
    return file.Data();
}

Block MixedBlock()
{
    Block b;
    // Source frame maximised, then memory window (extended), Bit window,
    // disassembly and mixed views, an old memory record (short form).
    b.Head(0, 0, "src\\main.c", 3, 2, {10, 20, 410, 320}).Extended({0, 0, 0, 0, 0, 0});
    b.Head(1, 4, "", 1, 0, {0, 0, 300, 200}).Extended({0x8000, 3, 0xFFFFFF, 0x0000FF, 7, 0});
    b.Head(1, 11, "", 1, 0, {5, 5, 100, 100}).Extended({0, 0, 0x11, 0x22, 0, 0});
    b.Head(2, 14, "", 1, 0, {1, 2, 3, 4}).Extended({0, 0, 0, 0, 0, 0});
    b.Head(2, 15, "", 2, 0, {-40, -30, 60, 70}).Extended({0, 0, 0, 0, 0, 0});
    b.Head(1, 4, "", 1, 0, {7, 8, 9, 10}).Short(0x20000, 2);
    return b;
}

TEST(LayoutRecordTest, HandWrittenRecordsOfEachClassReadAndWriteBackByteForByte)
{
    const Block block = MixedBlock();
    const std::vector<LayoutRecord> records = ReadAll(block.bytes);
    ASSERT_EQ(records.size(), 6u);

    EXPECT_EQ(records[0].frameClass, 0);
    EXPECT_EQ(records[0].path, "src\\main.c");
    EXPECT_EQ(records[0].placement.length, 44u);
    EXPECT_EQ(records[0].placement.flags, 2u);
    EXPECT_EQ(records[0].placement.showCmd, 3u);
    EXPECT_EQ(records[0].placement.ptMaxPosition.x, -8);
    EXPECT_EQ(records[0].placement.rcNormalPosition.right, 410);

    EXPECT_EQ(records[1].frameClass, 1);
    EXPECT_EQ(records[1].subKind, 4);
    EXPECT_FALSE(records[1].shortForm);
    EXPECT_EQ(records[1].words[0], 0x8000u);
    EXPECT_EQ(records[1].words[4], 7u);

    EXPECT_EQ(records[4].subKind, 15);
    EXPECT_EQ(records[4].placement.rcNormalPosition.left, -40);

    // The short record keeps words 2 to 5 from the record before it.
    EXPECT_TRUE(records[5].shortForm);
    EXPECT_EQ(records[5].words[0], 0x20000u);
    EXPECT_EQ(records[5].words[1], 2u);
    EXPECT_EQ(records[5].words[2], 0u);
    EXPECT_EQ(records[5].placement.rcNormalPosition.bottom, 10);

    EXPECT_EQ(WriteAll(records), block.bytes);
}

TEST(LayoutRecordTest, ShortRecordKeepsTheWordsTheReaderHeldBefore)
{
    Block b;
    b.Head(1, 4, "", 1, 0, {0, 0, 1, 1}).Extended({1, 2, 3, 4, 5, 6});
    b.Head(1, 4, "", 1, 0, {0, 0, 1, 1}).Short(9, 1);
    const auto records = ReadAll(b.bytes);
    ASSERT_EQ(records.size(), 2u);
    const std::vector<uint32_t> words(records[1].words, records[1].words + 6);
    EXPECT_EQ(words, (std::vector<uint32_t>{9, 1, 3, 4, 5, 6}));
}

TEST(LayoutRecordTest, PathsOfEveryLengthFormRoundTrip)
{
    for (size_t length : {0u, 254u, 255u, 300u, 0xFFFDu}) {
        LayoutRecord r;
        r.path = std::string(length, 'p');
        const Bytes bytes = WriteAll({r});
        const auto back = ReadAll(bytes);
        ASSERT_EQ(back.size(), 1u) << length;
        EXPECT_EQ(back[0].path, r.path) << length;
        EXPECT_EQ(WriteAll(back), bytes) << length;
    }
}

TEST(LayoutRecordTest, ListEndsWithTheStreamOrAnyOtherMarker)
{
    Block one;
    one.Head(2, 14, "", 1, 0, {0, 0, 1, 1}).Extended({});
    struct Case {
        const char* name;
        Bytes tail;
    };
    const Case cases[] = {
        {"end of the stream", {}},
        {"other marker", {0xFE, 0xFF, 0xFF, 0xFF, 0x01, 0x0E}},
        {"two bytes of a marker", {0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        Bytes bytes = one.bytes;
        bytes.insert(bytes.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(ReadAll(bytes).size(), 1u) << c.name;
    }
}

TEST(LayoutRecordTest, CutAndDamagedRecordsThrowWithoutReadingPastTheBlock)
{
    const Bytes whole = MixedBlock().bytes;
    Block huge;
    huge.Dword(0xFFFFFFFF).Byte(0).Byte(0).Byte(0xFF).Byte(0xFF).Byte(0xFF).Dword(0xFFFFFFF0);
    huge.Dword(0).Dword(1);  // far fewer bytes than the length says
    Block wide;
    wide.Dword(0xFFFFFFFF).Byte(0).Byte(0).Byte(0xFF).Byte(0xFE).Byte(0xFF).Byte(4);
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"cut in the path", Bytes(whole.begin(), whole.begin() + 10)},
        {"cut in the placement", Bytes(whole.begin(), whole.begin() + 30)},
        {"cut in the words", Bytes(whole.begin(), whole.end() - 3)},
        {"32-bit path length beyond the bytes left", huge.bytes},
        {"UTF-16 path", wide.bytes},
    };
    for (const Case& c : cases) {
        try {
            ReadAll(c.bytes);
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << c.name;
        }
    }
}

TEST(LayoutRecordTest, SourcePathsAreStoredRelativeToTheProject)
{
    struct Case {
        const char* document;
        const char* project;
        const char* stored;
    };
    const Case cases[] = {
        {"/w/proj/main.c", "/w/proj/app.mpj", "main.c"},
        {"/w/PROJ/main.c", "/w/proj/app.mpj", "main.c"},
        {"/w/proj/src/main.c", "/w/proj/app.mpj", "src\\main.c"},
        {"/w/src/main.c", "/w/proj/app.mpj", "..\\src\\main.c"},
        {"C:\\w\\src\\util.c", "C:\\w\\proj\\app.mpj", "..\\src\\util.c"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayoutSourcePath(c.document, c.project), c.stored) << c.document;
}

class LayoutFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() / ("layout_" + std::to_string(::getpid()) + "_" + info->name());
        std::filesystem::create_directories(folder);
        path = (folder / "dev.tmp").string();
        for (DebugWindowPlacement& p : g_windowPlacements)
            p = DebugWindowPlacement{};
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void Write(const Bytes& bytes)
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::path folder;
    std::string path;
};

TEST_F(LayoutFileTest, DisassemblyRecordsFillTheirPlacementEntryWithoutAView)
{
    Block b;
    b.Head(2, 15, "", 3, 2, {-40, -30, 60, 70}).Extended({});
    b.Head(2, 14, "", 1, 0, {1, 2, 3, 4}).Short(0, 0);
    b.Head(2, 200, "", 1, 0, {1, 2, 3, 4}).Extended({});  // no entry past 17
    Write(b.bytes);
    EXPECT_EQ(LoadDebugLayout(path, {}), LayoutLoad::Restored);
    EXPECT_FALSE(std::filesystem::exists(path));
    const DebugWindowPlacement& mixed = g_windowPlacements[15];
    EXPECT_TRUE(mixed.IsValid());
    EXPECT_EQ(mixed.length, 44);
    EXPECT_EQ(mixed.flags, 2);
    EXPECT_EQ(mixed.showCmd, 3);
    EXPECT_EQ(mixed.maxPosition[1], -8);
    EXPECT_EQ(mixed.normalPosition[0], -40);
    EXPECT_EQ(mixed.normalPosition[3], 70);
    EXPECT_EQ(g_windowPlacements[14].normalPosition[2], 3);
    for (int kind = 0; kind < kPlacementCount; ++kind) {
        if (kind != 14 && kind != 15) {
            EXPECT_FALSE(g_windowPlacements[kind].IsValid()) << kind;
        }
    }
}

TEST_F(LayoutFileTest, ACutBlockKeepsWhatCameBeforeAndTheFile)
{
    Block b;
    b.Head(2, 14, "", 1, 0, {1, 2, 3, 4}).Extended({});
    b.Head(2, 15, "", 1, 0, {5, 6, 7, 8});  // cut before its words
    Write(b.bytes);
    EXPECT_EQ(LoadDebugLayout(path, {}), LayoutLoad::Cut);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(g_windowPlacements[14].IsValid());
}

TEST_F(LayoutFileTest, MissingAndTinyFilesAreLeftAlone)
{
    EXPECT_EQ(LoadDebugLayout(path, {}), LayoutLoad::Skipped);
    Write(Bytes(26, 0xFF));
    EXPECT_EQ(LoadDebugLayout(path, {}), LayoutLoad::Skipped);
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(LayoutFileTest, WithoutChildrenTheSavedBlockIsEmpty)
{
    auto* frame = new CMDIFrameWnd;  // deletes itself when destroyed
    ASSERT_TRUE(frame->Create(nullptr, 1));
    LayoutContext context;
    context.mainFrame = frame;
    SaveDebugLayout(path, context);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(LoadDebugLayout(path, context), LayoutLoad::Skipped);
    EXPECT_TRUE(std::filesystem::exists(path));
    frame->DestroyWindow();
    platform::PumpPending();
}

// The disassembly frame and the mixed view of the text views, by their class
// names.
class CAsmFrame : public CMDIChildWnd {
public:
    DECLARE_DYNCREATE(CAsmFrame)
};
IMPLEMENT_DYNCREATE(CAsmFrame, CMDIChildWnd)
class CMixedView : public CView {
public:
    DECLARE_DYNCREATE(CMixedView)
};
IMPLEMENT_DYNCREATE(CMixedView, CView)

TEST_F(LayoutFileTest, DisassemblyFramesAreStoredByTheirViewWithTheCornerInTheMainWindowsClientArea)
{
    platform::FakeHost mainHost, mixedHost, asmHost;
    mainHost.origin = {100, 50};
    mixedHost.placement.showCmd = SW_SHOWMAXIMIZED;
    mixedHost.placement.rcNormalPosition = {130, 90, 530, 390};
    asmHost.placement.rcNormalPosition = {100, 50, 300, 250};
    auto* frame = new CMDIFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, 1));
    frame->SetHost(&mainHost);
    auto* asmFrame = new CAsmFrame;
    ASSERT_TRUE(asmFrame->LoadFrame(1, frame));
    asmFrame->SetHost(&asmHost);
    CCreateContext mixed;
    mixed.m_pNewViewClass = RUNTIME_CLASS(CMixedView);
    auto* mixedFrame = new CAsmFrame;
    ASSERT_TRUE(mixedFrame->LoadFrame(1, frame, &mixed));
    mixedFrame->SetHost(&mixedHost);
    auto* view = dynamic_cast<CView*>(mixedFrame->GetDescendantWindow(AFX_IDW_PANE_FIRST));
    ASSERT_NE(view, nullptr);
    mixedFrame->SetActiveView(view);
    frame->MDIActivate(mixedFrame);
    LayoutContext context;
    context.mainFrame = frame;

    SaveDebugLayout(path, context);
    std::ifstream in(path, std::ios::binary);
    const auto records = ReadAll(Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].frameClass, kLayoutAsmFrame);
    EXPECT_EQ(records[0].subKind, kLayoutMixedView);
    EXPECT_EQ(records[0].placement.flags, WPF_RESTORETOMAXIMIZED);
    EXPECT_EQ(records[0].placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    const RECT r = records[0].placement.rcNormalPosition;
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}), std::vector<LONG>({30, 40, 430, 340}));
    EXPECT_EQ(records[1].subKind, kLayoutAsmView);
    EXPECT_EQ(records[1].placement.flags, 0u);
    EXPECT_EQ(records[1].placement.rcNormalPosition.left, 0);

    // Read back: the placement entries take the stored values as they are.
    EXPECT_EQ(LoadDebugLayout(path, context), LayoutLoad::Restored);
    EXPECT_EQ(g_windowPlacements[15].normalPosition[0], 30);
    EXPECT_EQ(g_windowPlacements[15].showCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(g_windowPlacements[14].normalPosition[2], 200);
    frame->DestroyWindow();
    platform::PumpPending();
}

}  // namespace
}  // namespace appdebug
