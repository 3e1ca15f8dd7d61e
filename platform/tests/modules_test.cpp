// Libraries by the system's names, entries by name and by ordinal.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "platform/modules.h"

using namespace platform;

namespace {

std::string Real(const std::string& path)
{
    char buf[PATH_MAX];
    return realpath(path.c_str(), buf) ? buf : path;
}

class ModulesTest : public ::testing::Test {
protected:
    void SetUp() override { SetModuleFolder(ZK_TEST_MODULE_DIR); }
    void TearDown() override { SetModuleFolder(""); }
};

TEST_F(ModulesTest, SystemNamesMapToLibrariesInTheModuleFolder)
{
    const std::string dir = ZK_TEST_MODULE_DIR;
    struct Case {
        const char* name;
        std::string file;
    } cases[] = {
        {"Dorvel.dll", dir + "/libDorvel.so"},
        {"fendrix", dir + "/libfendrix.so"},
        {"Corvane.DLL", dir + "/libCorvane.so"},
        {"hook.dll", dir + "/libhook.so"},
        {"C:\\tools\\Sorvel.dll", "C:/tools/libSorvel.so"},
        {"/opt/x/libTessovar.so", "/opt/x/libTessovar.so"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModuleFileFor(c.name), c.file) << c.name;
}

TEST_F(ModulesTest, AMissingLibraryGivesNullAndSaysWhichFile)
{
    SetLastError(0);
    EXPECT_EQ(LoadLibrary("fendrix"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_NE(LastModuleError().find("libfendrix.so"), std::string::npos) << LastModuleError();
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_EQ(LoadLibrary(nullptr), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
}

TEST_F(ModulesTest, EntriesResolveByNameAndByOrdinal)
{
    HMODULE m = LoadLibrary("TestPlug.dll");
    ASSERT_NE(m, nullptr) << LastModuleError();
    EXPECT_EQ(Real(ModulePath(m)), Real(std::string(ZK_TEST_MODULE_DIR) + "/libTestPlug.so"));

    auto answer = reinterpret_cast<int (*)()>(GetProcAddress(m, "TestPlugAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    auto seven = reinterpret_cast<int (*)()>(GetProcAddress(m, OrdinalName(7)));
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven(), 7);
    auto one = reinterpret_cast<int (*)()>(GetProcAddress(m, reinterpret_cast<const char*>(1)));
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one(), 1);

    EXPECT_EQ(GetProcAddress(m, OrdinalName(3)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_NE(LastModuleError().find("ordinal 3"), std::string::npos) << LastModuleError();
    EXPECT_EQ(GetProcAddress(m, "NoSuchEntry"), nullptr);
    EXPECT_EQ(GetProcAddress(m, "SendMessage"), nullptr) << "not the library's own export";
    EXPECT_TRUE(FreeLibrary(m));
}

TEST_F(ModulesTest, LoadingTwiceCountsReferencesOnOneHandle)
{
    HMODULE a = LoadLibrary("TestPlug");
    HMODULE b = LoadLibrary("TESTPLUG.DLL");  // found whatever the case
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_NE(GetProcAddress(b, "TestPlugAnswer"), nullptr);
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_FALSE(FreeLibrary(a));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ModulesTest, ADependencysTableAndEntriesAreNotTheLibrarysOwn)
{
    HMODULE m = LoadLibrary("TestNoTable");
    ASSERT_NE(m, nullptr) << LastModuleError();
    auto own = reinterpret_cast<int (*)()>(GetProcAddress(m, "TestNoTableAnswer"));
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own(), 43);
    EXPECT_EQ(GetProcAddress(m, "TestPlugAnswer"), nullptr);
    EXPECT_EQ(GetProcAddress(m, OrdinalName(7)), nullptr);
    EXPECT_NE(LastModuleError().find("no ordinal table"), std::string::npos) << LastModuleError();
    FreeLibrary(m);
}

TEST(ModuleFolderTest, ProgramFolderIsWhereThePlatformLibraryLies)
{
    EXPECT_EQ(Real(ProgramFolder()), Real(ZK_BIN_DIR));
    SetModuleFolder("");
    setenv("ZK_MODULE_DIR", "/tmp/zk-modules", 1);
    EXPECT_EQ(ModuleFolder(), "/tmp/zk-modules");
    unsetenv("ZK_MODULE_DIR");
    EXPECT_EQ(ModuleFolder(), ProgramFolder());
}

}  // namespace
