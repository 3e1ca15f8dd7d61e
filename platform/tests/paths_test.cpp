// Path helpers over the system's mixed separators and drive letters.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/paths.h"
#include "test_support.h"

using namespace platform;

namespace {

TEST(PathsTest, PartsOfPathsWithEitherSeparator)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
        const char* ext;
    } cases[] = {
        {"C:\\work\\demo\\main.c", "C:\\work\\demo", "main.c", ".c"},
        {"src/util.S", "src", "util.S", ".S"},
        {"..\\src/mixed.tar.gz", "..\\src", "mixed.tar.gz", ".gz"},
        {"Makefile", "", "Makefile", ""},
        {"/abs", "/", "abs", ""},
        {"C:\\boot.ini", "C:\\", "boot.ini", ".ini"},
        {"C:name.elf", "C:", "name.elf", ".elf"},
        {"dir.d/noext", "dir.d", "noext", ""},
        {"demo.mpj", "", "demo.mpj", ".mpj"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(ExtensionOf(c.path), c.ext) << c.path;
    }
    EXPECT_EQ(ReplaceExtension("Demo\\Image.ELF", "map"), "Demo\\Image.map");
    EXPECT_EQ(ReplaceExtension("image", ".elf"), "image.elf");
    EXPECT_EQ(StripExtension("a/b.c"), "a/b");
}

TEST(PathsTest, DrivesAbsolutePathsAndJoins)
{
    EXPECT_EQ(SplitDrive("c:\\x").drive, "c:");
    EXPECT_EQ(SplitDrive("c:\\x").rest, "\\x");
    EXPECT_EQ(SplitDrive("/x").drive, "");
    EXPECT_TRUE(IsAbsolutePath("/usr"));
    EXPECT_TRUE(IsAbsolutePath("\\tmp"));
    EXPECT_TRUE(IsAbsolutePath("D:/x"));
    EXPECT_FALSE(IsAbsolutePath("D:x"));
    EXPECT_FALSE(IsAbsolutePath("..\\x"));
    EXPECT_FALSE(IsAbsolutePath(""));
    EXPECT_EQ(JoinPath("C:\\proj", "src\\a.c"), "C:\\proj\\src\\a.c");
    EXPECT_EQ(JoinPath("/proj", "a.c"), "/proj/a.c");
    EXPECT_EQ(JoinPath("/proj/", "a.c"), "/proj/a.c");
    EXPECT_EQ(JoinPath("/proj", "/etc/x"), "/etc/x");
    EXPECT_EQ(JoinPath("", "a"), "a");
    EXPECT_EQ(ToNativePath("..\\Src\\Main.C"), "../Src/Main.C") << "case is never changed";
    EXPECT_EQ(ToBackslashPath("../src/a.c"), "..\\src\\a.c");
}

TEST(PathsTest, ComparisonsWithoutCaseOnlyWhenAsked)
{
    EXPECT_TRUE(EqualNoCase("Main.C", "main.c"));
    EXPECT_FALSE(EqualNoCase("main.c", "main.cc"));
    EXPECT_LT(CompareNoCase("ABC", "abd"), 0);
    EXPECT_GT(CompareNoCase("b", "A"), 0);
    EXPECT_TRUE(EqualPathsNoCase("C:\\Work\\X", "c:/work/x"));
    EXPECT_FALSE(EqualNoCase("\xC3\xA9", "\xC3\x89")) << "only ASCII letters fold";
}

TEST(PathsTest, ExistenceOnTheRealFileSystem)
{
    EXPECT_TRUE(PathExists(ZK_SOURCE_DIR));
    EXPECT_TRUE(IsDirectory(std::string(ZK_SOURCE_DIR) + "\\platform"));
    EXPECT_TRUE(IsRegularFile(std::string(ZK_SOURCE_DIR) + "\\platform\\CMakeLists.txt"));
    EXPECT_FALSE(IsRegularFile(std::string(ZK_SOURCE_DIR) + "/platform"));
    EXPECT_FALSE(PathExists(std::string(ZK_SOURCE_DIR) + "/PLATFORM/cmakelists.txt"));
    EXPECT_FALSE(PathExists(""));
}

TEST(PathsTest, ResolvingWithoutCaseMatchesOnlyComponentsMissingAsNamed)
{
    test::TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    ASSERT_TRUE(std::filesystem::create_directories(dir.path() + "/Pcf/sub"));
    std::ofstream(dir.path() + "/Pcf/PERIx.CFG") << "a";
    std::ofstream(dir.path() + "/Pcf/perix.cfg") << "b";  // as named wins over a case match
    std::ofstream(dir.path() + "/Pcf/sub/Only.pcf") << "c";
    const std::string base = dir.path();
    const struct {
        std::string in, out;
    } cases[] = {
        {base + "/Pcf/PERIx.CFG", base + "/Pcf/PERIx.CFG"},
        {base + "\\PCF\\perix.cfg", base + "/Pcf/perix.cfg"},
        {base + "/pcf/PeriX.cfg", base + "/Pcf/PERIx.CFG"},  // two matches: the first in name order
        {base + "/PCF/SUB/only.PCF", base + "/Pcf/sub/Only.pcf"},
        {base + "/pcf/missing.pcf", ""},
        {base + "/nothing/Only.pcf", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolvePathNoCase(c.in), c.out) << c.in;
}

}  // namespace
