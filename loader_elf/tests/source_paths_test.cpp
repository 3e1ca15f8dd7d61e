// Source paths of the units: combining with the compilation directory,
// Cygwin forms, drive letters, existence on the real file system, and the
// answer of LdrGetSrcInfo.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <platform/paths.h>

#include "load_state.h"
#include "source_paths.h"
#include "tarnel.h"

namespace tarnel {
namespace {

TEST(SourcePaths, CombinesNameAndDirectory)
{
    struct Case {
        const char* name;
        const char* directory;
        const char* resolved;
    };
    const Case cases[] = {
        {"../lib/x.c", "/home/u/prj/src", "\\home\\u\\prj\\lib\\x.c"},
        {"/cygdrive/d/work/main.c", "/home/u", "d:\\work\\main.c"},
        {"c:\\src\\m.c", "/home/u", "c:\\src\\m.c"},
        {"C:/src/m.c", "", "C:\\src\\m.c"},
        {"./main.c", "/p", "\\p\\main.c"},
        {"main.c", "", "main.c"},
        {"main.c", "/home/u/prj/", "\\home\\u\\prj\\main.c"},
        {"../main.c", "/home/u/prj/", "\\home\\u\\main.c"},
        {"..\\..\\a.c", "C:\\w\\x\\y", "C:\\w\\a.c"},
        {"sub\\a.c", "/p", "\\p\\sub\\a.c"},
        {"a.c", "/cygdrive/e/build", "e:\\build\\a.c"},
        {"//c/src/a.c", "/p", "c:\\src\\a.c"},
        // A doubled separator inside a path is no drive form.
        {"src/a.c", "/home/u//prj", "\\home\\u\\\\prj\\src\\a.c"},
        {"/cygdrive/src/a.c", "", "\\cygdrive\\src\\a.c"},
    };
    for (const Case& c : cases) {
        SourceFileRecord r;
        r.name = c.name;
        r.directory = c.directory;
        EXPECT_EQ(ResolveUnitSourcePath(r), 0) << c.name;
        EXPECT_EQ(r.resolvedPath, c.resolved) << c.name << " in " << c.directory;
        EXPECT_FALSE(r.resolved) << c.name;
    }
    SourceFileRecord empty;
    empty.directory = "/p";
    EXPECT_EQ(ResolveUnitSourcePath(empty), 1);
    EXPECT_EQ(empty.resolvedPath, "");
}

TEST(SourcePaths, SplitsTheBaseNameOffAPath)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a/b.c.o", "b"},   {"c:\\x\\main.c", "main"}, {"c:main.c", "main"},
        {"noext", "noext"}, {"dir.d/file", "file"},    {"", ""},
    };
    for (const auto& [path, base] : cases)
        EXPECT_EQ(SplitFileName(path), base) << path;
}

class SourceTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("tarnel_src_" + std::to_string(::getpid()));
        std::filesystem::create_directories(root / "src");
        std::filesystem::create_directories(root / "build");
        std::ofstream(root / "src" / "main.c") << "int main(void) { return 0; }\n";
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    SourceFileRecord Record(const std::string& name)
    {
        SourceFileRecord r;
        r.module = 0x10000001;
        r.name = name;
        r.baseName = SplitFileName(name);
        return r;
    }

    std::filesystem::path root;
};

TEST_F(SourceTree, APathThatExistsResolvesWithEitherSeparator)
{
    const std::string build = (root / "build").string();
    for (const std::string name : {"../src/main.c", "..\\src\\main.c"}) {
        SourceFileRecord r = Record(name);
        r.directory = build;
        ASSERT_EQ(ResolveUnitSourcePath(r), 0);
        EXPECT_TRUE(r.resolved) << name;
        EXPECT_EQ(r.resolvedPath, platform::ToBackslashPath((root / "src" / "main.c").string()));
        EXPECT_EQ(r.directory, platform::ToBackslashPath((root / "src").string()));
        EXPECT_EQ(r.extension, ".c");
        EXPECT_EQ(r.baseName, "main.c");
    }
    // A folder of that name is no source file.
    SourceFileRecord folder = Record("src");
    folder.directory = root.string();
    ResolveUnitSourcePath(folder);
    EXPECT_FALSE(folder.resolved);
}

// A compilation directory that does not hold the file: the image's
// directory is tried next.
TEST_F(SourceTree, TheImageDirectoryIsTriedAfterTheCompilationDirectory)
{
    SourceFileRecord r = Record("main.c");
    ResolveSourceRecord(r, "/nonexistent/build", (root / "src").string());
    EXPECT_TRUE(r.resolved);
    SourceFileRecord none = Record("main.c");
    ResolveSourceRecord(none, "", (root / "build").string());
    EXPECT_FALSE(none.resolved);
    EXPECT_EQ(none.resolvedPath, platform::ToBackslashPath((root / "build" / "main.c").string()));
}

TEST_F(SourceTree, LdrGetSrcInfoGivesTheResolvedPathOfTheModulesFile)
{
    SourceFileRecord found = Record("../src/main.c");
    found.directory = (root / "build").string();
    ResolveUnitSourcePath(found);
    SourceFileRecord missing = Record("gone.c");
    missing.module = 0x10000002;
    missing.directory = root.string();
    ResolveUnitSourcePath(missing);
    State().tables.AddSourceFile(found);
    State().tables.AddSourceFile(missing);

    const DWORD foundModule = 0x10000001, missingModule = 0x10000002, unknownModule = 0x10000003;
    ZkString path = "kept";
    EXPECT_EQ(LdrGetSrcInfo("main.c", &unknownModule, &path), 1);
    EXPECT_EQ(LdrGetSrcInfo("Main.c", &foundModule, &path), 0);
    EXPECT_EQ(path, "kept");
    EXPECT_EQ(LdrGetSrcInfo("gone", &missingModule, &path), 0);
    EXPECT_EQ(path, "kept");
    EXPECT_EQ(LdrGetSrcInfo("main.c", &foundModule, &path), 0);
    EXPECT_EQ(path, found.resolvedPath);
    EXPECT_TRUE(platform::IsRegularFile(path));
    ResetOnCloseELF();
}

}  // namespace
}  // namespace tarnel
