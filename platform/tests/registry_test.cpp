// The registry store and its file: round trip, names without regard to case,
// damaged files, failed writes, several writers.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "platform/registry.h"
#include "test_support.h"

using namespace platform;

namespace {

const std::string kConfig = "Software\\Zelkor\\Zelkor for Arm\\Configuration";

std::string Slurp(const std::string& path)
{
    std::string bytes;
    ReadWholeFile(path, bytes, nullptr);
    return bytes;
}

void Spit(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> out;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                out.push_back(e->d_name);
        closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string Signed(const std::string& body)
{
    char end[24];
    std::snprintf(end, sizeof end, "END %08x\n", test::Crc32(body));
    return body + end;
}

class RegistryTest : public ::testing::Test {
protected:
    test::TempDir temp_{"zk-registry"};
    const std::string dir_ = temp_.path();
    const std::string file_ = dir_ + "/zelkor/registry";
};

TEST_F(RegistryTest, ValuesComeBackFromTheFileWithTheirTypes)
{
    {
        Registry reg(file_);
        reg.SetString(kConfig, "Protocol", "Pelliton");
        reg.SetDword(kConfig, "SrcLoadOption", 0x100F);
        reg.SetBinary(kConfig, "Format Colors", {0x00, 0xFF, 0x25, 0x0A, 0x22});
        reg.SetString(kConfig + "\\..\\odd", "text", "a \"quoted\" 100% line\nwith\tcontrols and \xC3\xA9");
        reg.SetValue("Software\\Zelkor\\Zelkor for Arm\\Settings", "MACRO", RegValue{REG_MULTI_SZ, {"a\0b\0\0", 5}});
        EXPECT_TRUE(reg.HasPendingChanges());
        ASSERT_TRUE(reg.Flush()) << reg.LastError();
        EXPECT_FALSE(reg.HasPendingChanges());
    }
    Registry again(file_);
    EXPECT_EQ(again.GetString(kConfig, "Protocol"), "Pelliton");
    EXPECT_EQ(again.GetDword(kConfig, "SrcLoadOption"), 0x100Fu);
    EXPECT_EQ(again.GetBinary(kConfig, "Format Colors"), (std::vector<uint8_t>{0x00, 0xFF, 0x25, 0x0A, 0x22}));
    EXPECT_EQ(again.GetString(kConfig + "\\..\\odd", "text"), "a \"quoted\" 100% line\nwith\tcontrols and \xC3\xA9");
    auto multi = again.GetValue("Software\\Zelkor\\Zelkor for Arm\\Settings", "MACRO");
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->type, REG_MULTI_SZ);
    EXPECT_EQ(multi->data, std::string("a\0b\0\0", 5));
    // Typed readers refuse a value of another type.
    EXPECT_FALSE(again.GetDword(kConfig, "Protocol"));
    EXPECT_FALSE(again.GetString(kConfig, "SrcLoadOption"));
    EXPECT_TRUE(again.LastError().empty());
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheCaseTheyWereCreatedWith)
{
    Registry reg(file_);
    reg.SetString(kConfig, "ToolChain", "fendrix");
    reg.SetString("SOFTWARE\\zelkor\\ZELKOR FOR ARM\\configuration", "toolchain", "other");
    EXPECT_EQ(reg.GetString(kConfig, "TOOLCHAIN"), "other");
    EXPECT_EQ(reg.ValueNames(kConfig), (std::vector<std::string>{"ToolChain"}));
    EXPECT_EQ(reg.SubKeys("software\\ZELKOR"), (std::vector<std::string>{"Zelkor for Arm"}));
    EXPECT_TRUE(reg.KeyExists("\\Software\\\\Zelkor\\"));
    ASSERT_TRUE(reg.Flush());
    std::string text = Slurp(file_);
    EXPECT_NE(text.find("[Software\\Zelkor\\Zelkor for Arm\\Configuration]"), std::string::npos) << text;
    EXPECT_NE(text.find("\"ToolChain\"=sz:\"other\""), std::string::npos) << text;

    Registry again(file_);
    EXPECT_EQ(again.GetString(kConfig, "toolCHAIN"), "other");
    EXPECT_TRUE(again.DeleteValue(kConfig, "TOOLCHAIN"));
    EXPECT_FALSE(again.DeleteValue(kConfig, "ToolChain"));
}

TEST_F(RegistryTest, DeletingAKeyTakesItsSubkeysAndOnlyThose)
{
    Registry reg(file_);
    reg.SetDword("A\\B\\C", "x", 1);
    reg.SetDword("A\\BB", "y", 2);
    EXPECT_TRUE(reg.DeleteKey("a\\b"));
    EXPECT_FALSE(reg.KeyExists("A\\B\\C"));
    EXPECT_FALSE(reg.KeyExists("A\\B"));
    EXPECT_EQ(reg.GetDword("A\\BB", "y"), 2u);
    EXPECT_FALSE(reg.DeleteKey(""));
}

TEST_F(RegistryTest, ADamagedFileIsReportedNeverHalfReadAndKeptAside)
{
    {
        Registry reg(file_);
        reg.SetString(kConfig, "Protocol", "Angel");
        reg.SetDword(kConfig, "TopMemory", 0x74000);
        ASSERT_TRUE(reg.Flush());
    }
    std::string good = Slurp(file_);
    std::string damaged = good;
    damaged[good.find("Angel")] = 'B';  // one changed byte
    Spit(file_, damaged);

    Registry reg(file_);
    EXPECT_FALSE(reg.GetString(kConfig, "Protocol")) << "nothing of a damaged file is used";
    EXPECT_FALSE(reg.GetDword(kConfig, "TopMemory"));
    std::string error = reg.LastError();
    EXPECT_NE(error.find(file_), std::string::npos) << error;
    EXPECT_NE(error.find("checksum"), std::string::npos) << error;

    // The program goes on with its defaults and saves them; the damaged file
    // is moved aside, not overwritten.
    reg.SetString(kConfig, "Protocol", "Pelliton");
    ASSERT_TRUE(reg.Flush()) << reg.LastError();
    EXPECT_EQ(Registry(file_).GetString(kConfig, "Protocol"), "Pelliton");
    std::vector<std::string> files = FilesIn(dir_ + "/zelkor");
    auto aside =
        std::find_if(files.begin(), files.end(), [](const std::string& f) { return f.find("registry.damaged-") == 0; });
    ASSERT_NE(aside, files.end());
    EXPECT_EQ(Slurp(dir_ + "/zelkor/" + *aside), damaged);
}

TEST_F(RegistryTest, EveryKindOfDamageGivesAClearError)
{
    std::string good;
    {
        Registry reg(file_);
        reg.SetString(kConfig, "Port", "LPT1");
        reg.Flush();
        good = Slurp(file_);
    }
    struct Case {
        const char* what;
        std::string bytes;
        const char* expect;
    } cases[] = {
        {"empty", "", "not a registry file"},
        {"foreign", "Windows Registry Editor Version 5.00\n", "not a registry file"},
        {"newer", Signed("ZELKOR REGISTRY 2\n"), "is not format 1"},
        {"cut short", good.substr(0, good.size() / 2), "cut short"},
        {"bad end line", good.substr(0, good.rfind("END")) + "END zz\n", "END line is damaged"},
        {"value before key", Signed("ZELKOR REGISTRY 1\n\"x\"=dword:00000001\n"), "line 2: value before any key"},
        {"short dword", Signed("ZELKOR REGISTRY 1\n[K]\n\"x\"=dword:12345\n"), "line 3: value \"x\" has a bad dword"},
        {"unknown type", Signed("ZELKOR REGISTRY 1\n[K]\n\"x\"=float:1\n"), "unknown type \"float\""},
        {"bad escape", Signed("ZELKOR REGISTRY 1\n[K]\n\"x\"=sz:\"%4\"\n"), "badly quoted"},
        {"odd hex", Signed("ZELKOR REGISTRY 1\n[K]\n\"x\"=binary:abc\n"), "bad hex bytes"},
        {"rubbish", Signed("ZELKOR REGISTRY 1\n[K]\nrubbish\n"), "line 3: unexpected text"},
    };
    for (const auto& c : cases) {
        Spit(file_, c.bytes);
        Registry reg(file_);
        EXPECT_FALSE(reg.KeyExists(kConfig)) << c.what;
        EXPECT_FALSE(reg.KeyExists("K")) << c.what << ": a damaged file was half read";
        EXPECT_NE(reg.LastError().find(c.expect), std::string::npos) << c.what << ": " << reg.LastError();
    }
    // A hand-signed good file is accepted: the checksum is plain CRC-32.
    Spit(file_, Signed("ZELKOR REGISTRY 1\n[K]\n\"x\"=dword:0000002a\n"));
    EXPECT_EQ(Registry(file_).GetDword("k", "X"), 42u);
}

TEST_F(RegistryTest, AReloadOverADamagedFileKeepsWhatTheStoreHolds)
{
    Registry reg(file_);
    reg.SetString(kConfig, "Maker", "SamSung");
    ASSERT_TRUE(reg.Flush());
    reg.SetDword(kConfig, "Unsaved", 5);
    Spit(file_, "garbage");
    EXPECT_FALSE(reg.Reload());
    EXPECT_EQ(reg.GetString(kConfig, "Maker"), "SamSung");
    EXPECT_EQ(reg.GetDword(kConfig, "Unsaved"), 5u);
    EXPECT_NE(reg.LastError().find("not a registry file"), std::string::npos);
}

TEST_F(RegistryTest, AWriteThatFailsMidwayLeavesTheOldFileAndKeepsTheChanges)
{
    Registry reg(file_);
    reg.SetString(kConfig, "Protocol", "Pelliton");
    ASSERT_TRUE(reg.Flush());
    const std::string before = Slurp(file_);

    // A big value, and a file size limit that the write runs into halfway.
    reg.SetBinary(kConfig, "Big", std::vector<uint8_t>(64 * 1024, 0xAB));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 16 * 1024;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool flushed = reg.Flush();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(flushed);
    EXPECT_NE(reg.LastError().find(file_), std::string::npos) << reg.LastError();
    EXPECT_EQ(Slurp(file_), before) << "the old file was touched";
    EXPECT_EQ(FilesIn(dir_ + "/zelkor"), (std::vector<std::string>{"registry", "registry.lock"}))
        << "a temporary file was left behind";
    EXPECT_TRUE(reg.HasPendingChanges());
    EXPECT_EQ(reg.GetBinary(kConfig, "Big")->size(), 64u * 1024);

    ASSERT_TRUE(reg.Flush()) << reg.LastError();
    EXPECT_EQ(Registry(file_).GetBinary(kConfig, "Big")->size(), 64u * 1024);
}

TEST_F(RegistryTest, AFolderThatCannotBeMadeFailsTheWriteClearly)
{
    Spit(dir_ + "/zelkor", "a file where the folder should be");
    Registry reg(file_);
    reg.SetDword(kConfig, "x", 1);
    EXPECT_FALSE(reg.Flush());
    EXPECT_NE(reg.LastError().find("cannot write registry file"), std::string::npos) << reg.LastError();
    EXPECT_TRUE(reg.HasPendingChanges());
}

TEST_F(RegistryTest, TwoWritersKeepEachOthersChanges)
{
    Registry first(file_);
    Registry second(file_);
    first.KeyExists(kConfig);  // both have read the (missing) file
    second.KeyExists(kConfig);
    first.SetString(kConfig, "Port", "LPT2");
    ASSERT_TRUE(first.Flush());
    second.SetString(kConfig, "BaudRate", "57600");
    second.SetString(kConfig, "port", "COM1");
    ASSERT_TRUE(second.Flush());
    Registry after(file_);
    EXPECT_EQ(after.GetString(kConfig, "BaudRate"), "57600");
    EXPECT_EQ(after.GetString(kConfig, "Port"), "COM1");
    EXPECT_EQ(second.GetString(kConfig, "Port"), "COM1");
}

}  // namespace
