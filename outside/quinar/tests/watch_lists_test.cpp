// The four watch lists and their file: written beside the target and
// renamed, read back whole or not at all.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include "host_tools.h"
#include "quinar/quinar.h"
#include "quinar/symbol_store.h"

namespace quinar::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::vector<std::string> List(uint32_t n)
{
    auto texts = Symbols().WatchList(n);
    return {texts.begin(), texts.end()};
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Word(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

class WatchListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("quinar_watch_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "var.tmp").string();
        for (uint32_t n = 0; n < 4; ++n)
            ASSERT_EQ(Symbols().SetWatchList(n, {}), SYM_OK);
    }
    void TearDown() override
    {
        fs::remove_all(dir);
        for (uint32_t n = 0; n < 4; ++n)
            Symbols().SetWatchList(n, {});
    }
    fs::path dir;
    std::string path;
};

TEST_F(WatchListsTest, TheListsGoToAFileAndComeBack)
{
    ASSERT_EQ(Symbols().SetWatchList(0, {"counter", "*cursor"}), SYM_OK);
    ASSERT_EQ(Symbols().SetWatchList(2, {"", std::string(4096, 'x'), "\xC3\xA9t\xC3\xA9"}), SYM_OK);
    ASSERT_EQ(Symbols().SetWatchList(3, {"@r0"}), SYM_OK);
    ASSERT_EQ(Var_SaveVar(path.c_str()), 0);
    EXPECT_THAT(Symbols().WatchFileMessage(), IsEmpty());
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary file is left";

    for (uint32_t n = 0; n < 4; ++n)
        ASSERT_EQ(Symbols().SetWatchList(n, {"other"}), SYM_OK);
    ASSERT_EQ(Var_RestoreVar(path.c_str()), 0);
    ASSERT_EQ(SymClearSymbolTables(1), SYM_OK);  // the lists outlive the symbols
    EXPECT_THAT(List(0), ElementsAre("counter", "*cursor"));
    EXPECT_THAT(List(1), IsEmpty());
    EXPECT_THAT(List(2), ElementsAre("", std::string(4096, 'x'), "\xC3\xA9t\xC3\xA9"));
    EXPECT_THAT(List(3), ElementsAre("@r0"));

    // Saving again replaces the file whole.
    ASSERT_EQ(Symbols().SetWatchList(2, {}), SYM_OK);
    ASSERT_EQ(Var_SaveVar(path.c_str()), 0);
    ASSERT_EQ(Var_RestoreVar(path.c_str()), 0);
    EXPECT_THAT(List(2), IsEmpty());
    EXPECT_THAT(List(0), ElementsAre("counter", "*cursor"));
}

TEST_F(WatchListsTest, TheFileIsLittleEndianWithSignatureVersionCountsAndTexts)
{
    ASSERT_EQ(Symbols().SetWatchList(1, {"ab", "c"}), SYM_OK);
    ASSERT_EQ(Var_SaveVar(path.c_str()), 0);
    const std::string expected =
        "QNRWATCH" + Word(1) + Word(0) + Word(2) + Word(0) + Word(0) + Word(2) + "ab" + Word(1) + "c";
    EXPECT_EQ(zk::test::ReadFileBytes(path), expected);
}

TEST_F(WatchListsTest, AListOutOfBoundsIsRefused)
{
    EXPECT_EQ(Symbols().SetWatchList(4, {"x"}), SYM_E_ARGUMENT);
    EXPECT_EQ(Symbols().SetWatchList(0, {std::string(4097, 'x')}), SYM_E_ARGUMENT);
    EXPECT_EQ(Symbols().SetWatchList(0, {std::string("a\0b", 3)}), SYM_E_ARGUMENT);
    EXPECT_EQ(Symbols().SetWatchList(0, std::vector<std::string>(4097)), SYM_E_ARGUMENT);
    EXPECT_TRUE(Symbols().WatchList(4).empty());
}

TEST_F(WatchListsTest, DamagedOrForeignFilesRestoreNothingAndSayWhere)
{
    const std::string header = "QNRWATCH" + Word(1);
    const std::string good = header + Word(1) + Word(0) + Word(0) + Word(0) + Word(3) + "abc";
    struct Case {
        const char* what;
        std::string bytes;
        size_t offset;
    };
    const Case cases[] = {
        {"empty", "", 0},
        {"foreign",
         "\x7F"
         "ELF" +
             std::string(60, '\0'),
         0},
        {"short signature", "QNRWAT", 0},
        {"later version", "QNRWATCH" + Word(2) + good.substr(12), 8},
        {"header cut", header + Word(1) + Word(0), 20},
        {"too many texts", header + Word(0) + Word(0x10000000) + Word(0) + Word(0), 16},
        {"text length cut", header + Word(1) + Word(0) + Word(0) + Word(0) + "\x03\x00", 28},
        {"text too long", header + Word(1) + Word(0) + Word(0) + Word(0) + Word(5000) + std::string(5000, 'a'), 28},
        {"text cut", good.substr(0, good.size() - 1), 28},
        {"NUL in a text", header + Word(1) + Word(0) + Word(0) + Word(0) + Word(3) + std::string("a\0c", 3), 32},
        {"trailing bytes", good + "z", 35},
    };
    ASSERT_EQ(Symbols().SetWatchList(0, {"kept"}), SYM_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(path, c.bytes);
        EXPECT_EQ(Var_RestoreVar(path.c_str()), SYM_E_FILE);
        EXPECT_THAT(Symbols().WatchFileMessage(), HasSubstr(path + ": offset " + std::to_string(c.offset) + ":"));
        EXPECT_THAT(List(0), ElementsAre("kept"));
    }
    WriteBytes(path, good);
    ASSERT_EQ(Var_RestoreVar(path.c_str()), 0) << Symbols().WatchFileMessage();
    EXPECT_THAT(List(0), ElementsAre("abc"));
}

TEST_F(WatchListsTest, FilesThatCannotBeReadOrWrittenSayWhy)
{
    const std::string missing = (dir / "none" / "var.tmp").string();
    EXPECT_EQ(Var_RestoreVar(missing.c_str()), SYM_E_FILE);
    EXPECT_THAT(Symbols().WatchFileMessage(), HasSubstr(missing + ": cannot be read"));
    EXPECT_EQ(Var_SaveVar(missing.c_str()), SYM_E_FILE);
    EXPECT_THAT(Symbols().WatchFileMessage(), HasSubstr(missing + ": cannot be written"));
    EXPECT_FALSE(fs::exists(dir / "none"));
    // A directory in the file's place: nothing is left beside it.
    fs::create_directories(dir / "taken");
    const std::string taken = (dir / "taken").string();
    EXPECT_EQ(Var_SaveVar(taken.c_str()), SYM_E_FILE);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 1u);
    EXPECT_EQ(Var_SaveVar(nullptr), SYM_E_ARGUMENT);
    EXPECT_EQ(Var_RestoreVar(""), SYM_E_ARGUMENT);
}

}  // namespace
}  // namespace quinar::test
