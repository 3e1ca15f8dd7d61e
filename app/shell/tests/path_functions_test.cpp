// The path functions: the documented cases, and the splitting functions
// against Python's ntpath on Windows-form paths.
#include "shell/path_functions.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/global_memory.h"

using namespace shell;

namespace {

TEST(PathFunctions, DocumentedCases)
{
    EXPECT_EQ(GetFileExtension("C:\\src\\main.c"), "c");
    EXPECT_EQ(GetFileExtension("main.c"), "");
    EXPECT_EQ(GetFileExtension("C:\\tools.new\\make"), "");
    EXPECT_EQ(GetFileExtension("/home/u/tools.new/make"), "");
    EXPECT_EQ(GetFileExtension("src/main.cpp"), "cpp");
    EXPECT_EQ(MakeAbsolutePath("D:\\old\\main.c", "C:\\prj\\a.mpj"), "C:\\prj\\main.c");
    EXPECT_EQ(MakeAbsolutePath("src\\main.c", "C:\\prj\\a.mpj"), "C:\\prj\\src\\main.c");
    // A "/" in front is a full path like one with a drive colon.
    EXPECT_EQ(MakeAbsolutePath("/old/main.c", "/home/u/prj/a.mpj"), "/home/u/prj/main.c");
    EXPECT_EQ(MakeAbsolutePath("../lib/x.c", "/home/u/prj/a.mpj"), "/home/u/prj/../lib/x.c");
    EXPECT_EQ(MakeAbsolutePath("main.c", "a.mpj"), "main.c");
}

TEST(PathFunctions, FolderTests)
{
    struct Row {
        const char* path;
        bool noDirectory, relativeSub;
        const char* directory;
    } rows[] = {
        {"main.c", true, false, ""},
        {"src\\main.c", false, true, "src\\"},
        {"src/main.c", false, true, "src/"},
        {"C:\\src\\main.c", false, false, "C:\\src\\"},
        {"C:main.c", true, false, ""},
        {"/src/main.c", false, false, "/src/"},
        {"", true, false, ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(HasNoDirectory(r.path) != 0, r.noDirectory) << r.path;
        EXPECT_EQ(IsRelativeSubPath(r.path) != 0, r.relativeSub) << r.path;
        EXPECT_EQ(GetDirectoryOfPath(r.path), r.directory) << r.path;
    }
    EXPECT_TRUE(IsSameDirectory("C:\\Prj\\a.c", "c:/prj/B.H"));
    EXPECT_FALSE(IsSameDirectory("C:\\prj\\a.c", "C:\\prj\\sub\\a.c"));
    EXPECT_TRUE(IsSameDirectory("a.c", "A.C"));  // no folder: the whole path
    EXPECT_FALSE(IsSameDirectory("a.c", "b.c"));
    EXPECT_EQ(GetDriveDirOfPath(""), "");
}

TEST(PathFunctions, RelativePaths)
{
    struct Row {
        const char* base;
        const char* path;
        const char* relative;
    } rows[] = {
        {"C:\\prj", "C:\\prj\\src\\main.c", "src/main.c"},
        {"C:\\prj\\", "c:\\PRJ\\src\\", "src"},
        {"C:\\prj\\build", "C:\\prj\\src\\main.c", "../src/main.c"},
        {"/home/u/prj/a/b", "/home/u/lib/x.c", "../../../lib/x.c"},
        {"/a", "/b", "../b"},
        {"C:\\prj", "C:\\prj", ""},
        {"C:\\prj", "D:\\src\\main.c", "D:/src/main.c"},  // no shared component: the path whole
        {"", "C:\\x", ""},
        {"C:\\x", "", ""},
    };
    for (const Row& r : rows) {
        std::string out = "old";
        MakeRelativePath(r.base, r.path, &out);
        EXPECT_EQ(out, r.relative) << r.base << " " << r.path;
    }
    // No bound on the number of components.
    std::string deep, deeper;
    for (int i = 0; i < 100; ++i)
        deep += "/d" + std::to_string(i);
    deeper = deep + "/e/f.c";
    std::string out;
    MakeRelativePath(deep, deeper, &out);
    EXPECT_EQ(out, "e/f.c");
    MakeRelativePath(deeper, "/d0/x.c", &out);
    std::string up;
    for (int i = 0; i < 101; ++i)
        up += "../";
    EXPECT_EQ(out, up + "x.c");
}

TEST(PathFunctions, SourceFileNamesCompareByNameWithoutCase)
{
    EXPECT_EQ(CompareSourceFileNames("C:\\a\\Main.C", "/other/main.c"), 0);
    EXPECT_LT(CompareSourceFileNames("x\\alpha.c", "beta.c"), 0);
    EXPECT_GT(CompareSourceFileNames("gamma.c", "y/Beta.c"), 0);
}

TEST(PathFunctions, SmallHelpers)
{
    EXPECT_EQ(CountTokens("r0, r1  r2,,r3"), 4);
    EXPECT_EQ(CountTokens(" , "), 0);
    EXPECT_EQ(CountTokens(""), 0);
    uint32_t words[3] = {1, 2, 3};
    EXPECT_EQ(ClearWords(words, 2), 0);
    EXPECT_EQ(words[0] + words[1], 0u);
    EXPECT_EQ(words[2], 3u);

    size_t before = platform::GlobalBlockCount();
    auto* text = static_cast<char*>(platform::AllocHandleBlock(8));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(platform::GlobalBlockCount(), before + 1);
    FreeGlobalBlock(text);
    FreeGlobalBlock(nullptr);
    EXPECT_EQ(platform::GlobalBlockCount(), before);
}

TEST(PathFunctions, PeekKeyDownTakesTheFirstKeyMessage)
{
    PostMessage(nullptr, WM_CHAR, 'a', 0);
    PostMessage(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(PeekKeyDown(VK_ESCAPE));  // the WM_CHAR went
    EXPECT_TRUE(PeekKeyDown(VK_ESCAPE));
    EXPECT_FALSE(PeekKeyDown(VK_ESCAPE));  // none pending
    PostMessage(nullptr, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_FALSE(PeekKeyDown(VK_ESCAPE));
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
}

// Python's ntpath answers, one line per path: basename, extension,
// dirname without trailing separators, normcase(dirname).
std::vector<std::vector<std::string>> NtPath(const std::vector<std::string>& paths)
{
    const char* script = R"PY(
import ntpath, sys
for p in sys.stdin.read().split("\n")[:-1]:
    d = ntpath.dirname(p)
    stripped = d.rstrip("\\/") if d not in ("\\", "/") else ""
    if len(d) >= 2 and d[1] == ":" and stripped == d[:1]: stripped = d[:2]
    print("\t".join([ntpath.basename(p), ntpath.splitext(p)[1][1:], stripped, ntpath.normcase(d)]))
)PY";
    // Names of this process: tests of other runs write theirs side by side.
    std::string dir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    const std::string base = dir + "/zk-ntpath-" + std::to_string(getpid());
    std::string scriptFile = base + ".py", input = base + ".txt";
    std::ofstream(scriptFile) << script;
    {
        std::ofstream in(input);
        for (const auto& p : paths)
            in << p << "\n";
    }
    std::vector<std::vector<std::string>> rows;
    FILE* pipe = popen(("python3 " + scriptFile + " < " + input).c_str(), "r");
    if (!pipe)
        return rows;
    std::string out;
    char buffer[1024];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << "python3 is needed for this test";
    std::remove(scriptFile.c_str());
    std::remove(input.c_str());
    std::stringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

TEST(PathFunctions, SplittingAgreesWithNtpath)
{
    const std::vector<std::string> paths = {
        "C:\\src\\main.c",       "C:/src/main.c", "C:\\main.c",          "C:main.c",
        "src\\sub\\file.tar.gz", "src/sub/file",  "C:\\tools.new\\make", "\\\\server\\share\\dir\\a.s",
        "D:\\a b\\c d.inc",      "C:\\src\\",     "x\\.hidden\\y.h",     "relative\\UPPER.MPJ",
        "C:\\a\\b/c\\d.c",
    };
    auto answers = NtPath(paths);
    ASSERT_EQ(answers.size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& p = paths[i];
        const auto& a = answers[i];
        ASSERT_EQ(a.size(), 4u) << p;
        EXPECT_EQ(GetFileNameOfPath(p), a[0]) << p;
        if (!HasNoDirectory(p)) {  // see below
            EXPECT_EQ(GetFileExtension(p), a[1]) << p;
        }
        EXPECT_EQ(GetDriveDirOfPath(p), a[2]) << p;
        for (size_t j = 0; j < paths.size(); ++j)
            EXPECT_EQ(IsSameDirectory(p, paths[j]) != 0, a[3] == answers[j][3]) << p << " | " << paths[j];
    }

    // Where the functions differ from ntpath, by their documented rules:
    // a name without any separator has no extension (ntpath: "c"),
    EXPECT_EQ(GetFileExtension("main.c"), "");
    EXPECT_EQ(GetFileExtension("C:main.c"), "");
    // a leading dot starts an extension (ntpath: none),
    EXPECT_EQ(GetFileExtension("src\\.profile"), "profile");
    // a path without a separator is its own folder (ntpath: "" for both),
    EXPECT_FALSE(IsSameDirectory("a.c", "b.c"));
    // the root folder alone stays (ntpath's dirname "\\" stripped is ""),
    EXPECT_EQ(GetDriveDirOfPath("\\main.c"), "\\");
    // and only the last separator goes (ntpath strips a run of them).
    EXPECT_EQ(GetDriveDirOfPath("a\\\\b.c"), "a\\");
}

}  // namespace
