// Directory and macro lists in the registry, and the tool-chain defaults
// against the installed ARM compiler's own answers.
#include "shell/directory_lists.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "shell_test_support.h"

using namespace shell;
using shell::test::kSettingsKey;

namespace {

class DirectoryListsTest : public shell::test::RegistryTest {};

TEST_F(DirectoryListsTest, ListsGoOutAndComeBackUnderTheirNames)
{
    DirectoryLists out;
    out.include = {"/opt/arm/include", "C:\\inc"};
    out.lib = {"/opt/arm/lib"};
    out.bin = {"/usr/bin"};
    out.src = {};
    out.ext = {"s", "c"};
    out.macroFiles = {"a.mac", "b.mac"};
    out.loadMacroOnStart = 1;
    SaveDirectoryLists(out, kSettingsKey);
    // The macro values are the main frame's to write.
    EXPECT_FALSE(Reg().GetValue(kSettingsKey, "Macro"));
    SaveMacroSettings(out, kSettingsKey);

    std::vector<std::string> names = Reg().ValueNames(kSettingsKey);
    for (const char* written : {"INCLUDE", "Lib", "BIN", "SRC", "EXT", "Macro", "LoadMacroOnStart"})
        EXPECT_NE(std::find(names.begin(), names.end(), written), names.end()) << written;

    DirectoryLists in;
    LoadDirectoryLists(in, kSettingsKey);
    EXPECT_EQ(in.include, out.include);
    EXPECT_EQ(in.lib, out.lib);
    EXPECT_EQ(in.bin, out.bin);
    EXPECT_TRUE(in.src.empty());
    EXPECT_EQ(in.ext, out.ext);
    EXPECT_EQ(in.macroFiles, out.macroFiles);
    EXPECT_EQ(in.loadMacroOnStart, 1);
}

TEST_F(DirectoryListsTest, MissingOrDamagedValuesLeaveTheListsAlone)
{
    DirectoryLists lists;
    lists.include = {"kept"};
    lists.loadMacroOnStart = 1;
    LoadDirectoryLists(lists, kSettingsKey);  // no key at all
    EXPECT_EQ(lists.include, CStringArray{"kept"});
    EXPECT_FALSE(Reg().KeyExists(kSettingsKey));

    Reg().SetString(kSettingsKey, "INCLUDE", "not a list");
    Reg().SetBinary(kSettingsKey, "LIB", {'S', 'A', 'R', 'R', 200, 0, 0, 0, 1});  // count beyond the end
    Reg().SetString(kSettingsKey, "LoadMacroOnStart", "1");
    lists.lib = {"also kept"};
    lists.loadMacroOnStart = 0;
    LoadDirectoryLists(lists, kSettingsKey);
    EXPECT_EQ(lists.include, CStringArray{"kept"});
    EXPECT_EQ(lists.lib, CStringArray{"also kept"});
    EXPECT_EQ(lists.loadMacroOnStart, 0);
}

// What python3 makes of the compiler's answers, one "KIND folder" per line:
// an implementation of the same reading that is not ours.
std::string PythonAnswers(const std::string& path)
{
    const char* script = R"PY(
import os, shutil, subprocess, sys
path = sys.argv[1]
gcc = shutil.which("arm-none-eabi-gcc", path=path)
make = shutil.which("make", path=path)
if not gcc or not make:
    sys.exit(0)
bins = []
for p in (gcc, make):
    d = os.path.normpath(os.path.dirname(p))
    if d not in bins: bins.append(d)
for d in bins: print("BIN", d)
err = subprocess.run([gcc, "-xc", "-E", "-v", "/dev/null"], capture_output=True, text=True).stderr.splitlines()
a = err.index("#include <...> search starts here:"); b = err.index("End of search list.")
for line in err[a + 1:b]: print("INCLUDE", os.path.normpath(line.strip()))
for arg in ("-print-file-name=libc.a", "-print-libgcc-file-name"):
    f = subprocess.run([gcc, arg], capture_output=True, text=True).stdout.strip()
    print("LIB", os.path.normpath(os.path.dirname(f)))
)PY";
    // A name of this process: tests of other runs write theirs side by side.
    std::string file = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/zk-toolchain-" +
        std::to_string(getpid()) + ".py";
    std::ofstream(file) << script;
    std::string command = "python3 " + file + " '" + path + "'";
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buffer[1024];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
        out.append(buffer, n);
    EXPECT_EQ(pclose(p), 0) << "python3 is needed for this test";
    std::remove(file.c_str());
    return out;
}

TEST_F(DirectoryListsTest, DefaultsAreTheInstalledCompilersAnswers)
{
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ASSERT_FALSE(FindOnPath(kArmCompiler, path).empty()) << "arm-none-eabi-gcc is needed on PATH";
    ASSERT_FALSE(FindOnPath("make", path).empty()) << "make is needed on PATH";
    DirectoryLists lists;
    ASSERT_TRUE(AddToolChainDefaults(lists, path));

    std::string expected;
    for (const auto& d : lists.bin)
        expected += "BIN " + d + "\n";
    for (const auto& d : lists.include)
        expected += "INCLUDE " + d + "\n";
    for (const auto& d : lists.lib)
        expected += "LIB " + d + "\n";
    EXPECT_EQ(expected, PythonAnswers(path));
    EXPECT_GE(lists.include.size(), 1u);
    // libc.a and libgcc live in different folders.
    EXPECT_EQ(lists.lib.size(), 2u);
}

TEST_F(DirectoryListsTest, DefaultsOnlyWhenAllThreeListsAreEmptyAndTheToolsAreThere)
{
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    DirectoryLists stored;
    stored.include = {"/my/include"};
    EXPECT_FALSE(AddToolChainDefaults(stored, path));
    EXPECT_EQ(stored.include, CStringArray{"/my/include"});
    EXPECT_TRUE(stored.lib.empty());
    EXPECT_TRUE(stored.bin.empty());

    DirectoryLists none;
    EXPECT_FALSE(AddToolChainDefaults(none, temp_.path()));
    EXPECT_TRUE(none.include.empty() && none.lib.empty() && none.bin.empty());

    // The compiler without make is not enough.
    std::string gccOnly = temp_.path() + "/gcc-only";
    std::filesystem::create_directory(gccOnly);
    std::filesystem::create_symlink(FindOnPath(kArmCompiler, path) + "/" + kArmCompiler, gccOnly + "/" + kArmCompiler);
    EXPECT_FALSE(AddToolChainDefaults(none, gccOnly));
    EXPECT_EQ(FindOnPath(kArmCompiler, gccOnly), gccOnly);
}

}  // namespace
