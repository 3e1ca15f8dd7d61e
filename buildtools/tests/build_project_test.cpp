// Projects written from the defaults, built with GNU make and Debian's
// arm-none-eabi tools through TCBuild, and run on the simulator and qemu.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "build_support.h"
#include "buildtools/exports.h"
#include "buildtools/module_state.h"
#include "host_tools.h"
#include "qemu_runner.h"

namespace {

namespace fs = std::filesystem;
using fendrix::test::ReceiveBuild;
using fendrix::test::StartBuild;
using zk::test::RunProcess;

std::string ToolFolder(const std::string& file)
{
    const auto r = RunProcess({"arm-none-eabi-gcc", "-print-file-name=" + file});
    EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-gcc is missing";
    std::string path = r.out.substr(0, r.out.find('\n'));
    return fs::path(path).parent_path().lexically_normal().string();
}

struct Project {
    std::string dir;
    CompilerInfo info;
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    std::string Elf() const { return Path("demo.elf"); }
};

// A project in `folder` (under the test's temporary folder, with this
// process's id: other runs of the tests build theirs side by side) with the given
// sources of the demo, kind 0 unless named in `thumb`.
Project MakeProject(const std::string& folder, int type, const std::vector<std::string>& sources,
                    const std::vector<std::string>& thumb = {}, bool libraries = true)
{
    Project p;
    p.dir = testing::TempDir() + folder + "-" + std::to_string(getpid());
    fs::remove_all(p.dir);
    fs::create_directories(p.dir);
    const std::string from = std::string(ZK_SOURCE_DIR) + "/buildtools/tests/project/";
    TCHandleCompilerInfo(2, &p.info, const_cast<char*>(p.Path("demo.mpj").c_str()), 0);
    p.info.projectType = type;
    p.info.outputPath = p.dir + (type == 1 || type == 3 ? "/demo.a" : "/demo.elf");
    if (libraries)
        p.info.extraText7 = ToolFolder("libc.a") + ";" + ToolFolder("libgcc.a") + ";";
    for (const std::string& s : sources) {
        fs::copy_file(from + s, p.Path(s));
        const bool isThumb = std::find(thumb.begin(), thumb.end(), s) != thumb.end();
        p.info.modules.push_back(std::make_shared<ModuleEntry>(ModuleEntry{p.Path(s), isThumb ? 1 : 0, {}}));
    }
    fendrix::Module::Instance().Reset();
    return p;
}

fendrix::test::BuildOutcome Build(Project& p)
{
    EXPECT_EQ(TCUpdateLinkModules(&p.info), 1);
    EXPECT_NE(StartBuild(p.Path("demo.mpj")), nullptr);
    return ReceiveBuild();
}

// Address of a section in `readelf -S`.
std::string SectionAddress(const std::string& elf, const std::string& section)
{
    const auto r = RunProcess({"readelf", "-SW", elf});
    std::smatch m;
    const std::regex row("\\] \\" + section + " +[A-Z_]+ +([0-9a-f]+) ");
    return std::regex_search(r.out, m, row) ? m[1].str() : "<none>";
}

std::string SymbolValue(const std::string& elf, const std::string& symbol)
{
    const auto r = RunProcess({"arm-none-eabi-nm", elf});
    std::smatch m;
    return std::regex_search(r.out, m, std::regex("([0-9a-f]+) \\w " + symbol + "\n")) ? m[1].str() : "<none>";
}

std::string SimrunOutput(const std::string& elf, int* status)
{
    const auto r = RunProcess({std::string(ZK_BIN_DIR) + "/simrun", elf, "--max-seconds", "20"});
    *status = r.exitStatus;
    return r.out;
}

void ExpectSameRun(const std::string& elf, const std::string& expected)
{
    int simStatus = -1;
    const std::string sim = SimrunOutput(elf, &simStatus);
    const zk::test::QemuRun qemu = zk::test::RunOnQemu(elf, {}, std::chrono::seconds(30));
    EXPECT_EQ(sim, expected);
    EXPECT_EQ(qemu.console, expected) << qemu.errors;
    EXPECT_EQ(simStatus, qemu.exitStatus);
    EXPECT_EQ(simStatus, 0);
}

const std::vector<std::string> kDemo = {"start.s", "main.c", "twice.cpp", "thumb.c"};
const std::string kDemoOutput = "quotient 142 twice 42 sum 42 length 36\n";

TEST(BuildProject, DefaultsBuildAndRunAlikeInAFolderWithShellText)
{
    Project p = MakeProject("fendrix demo 'q' \"d\" $HOME `b` ;* x", 0, kDemo);
    auto outcome = Build(p);
    ASSERT_EQ(outcome.status, 0) << outcome.text;
    EXPECT_EQ(outcome.finished, 1);
    const auto listing = RunProcess({"make", "-pn", "-f", "demo.mak", "-C", p.dir});
    EXPECT_EQ(listing.exitStatus, 0) << listing.err;
    EXPECT_NE(listing.out.find("OBJECTS := start.o main.o twice.o thumb.o"), std::string::npos);
    EXPECT_NE(listing.out.find("\nmain.o: main.c"), std::string::npos);

    EXPECT_EQ(SectionAddress(p.Elf(), ".text"), "00008000");
    EXPECT_EQ(SectionAddress(p.Elf(), ".data"), "0001a000");
    EXPECT_EQ(SectionAddress(p.Elf(), ".bss"), "00030000");
    EXPECT_EQ(SymbolValue(p.Elf(), "_stackBottom"), "00074000");
    ExpectSameRun(p.Elf(), kDemoOutput);

    // New settings: the makefile is rewritten and the project rebuilt.
    fendrix::Module::Instance().State().textAddress = "0x10000";
    p.info.compilerOptions += " -O2";
    outcome = Build(p);
    ASSERT_EQ(outcome.status, 0) << outcome.text;
    EXPECT_NE(outcome.text.find("-O2"), std::string::npos);
    EXPECT_EQ(SectionAddress(p.Elf(), ".text"), "00010000");
    ExpectSameRun(p.Elf(), kDemoOutput);
}

TEST(BuildProject, InterworkCompilesKindOneAsThumb)
{
    Project p = MakeProject("fendrix_interwork", 4, kDemo, {"thumb.c"});
    const auto outcome = Build(p);
    ASSERT_EQ(outcome.status, 0) << outcome.text;
    const auto symbols = RunProcess({"readelf", "-sW", p.Elf()});
    std::smatch m;
    ASSERT_TRUE(
        std::regex_search(symbols.out, m, std::regex("([0-9a-f]+) +\\d+ FUNC +GLOBAL +DEFAULT +\\d+ thumb_sum")));
    EXPECT_EQ(std::stoul(m[1].str(), nullptr, 16) & 1, 1u);
    ASSERT_TRUE(std::regex_search(symbols.out, m, std::regex("([0-9a-f]+) +\\d+ FUNC +GLOBAL +DEFAULT +\\d+ main")));
    EXPECT_EQ(std::stoul(m[1].str(), nullptr, 16) & 1, 0u);
    ExpectSameRun(p.Elf(), kDemoOutput);
}

TEST(BuildProject, LibraryArchivesTheObjects)
{
    Project p = MakeProject("fendrix_library", 1, {"main.c", "twice.cpp"});
    const auto outcome = Build(p);
    ASSERT_EQ(outcome.status, 0) << outcome.text;
    const auto list = RunProcess({"arm-none-eabi-ar", "t", p.Path("demo.a")});
    EXPECT_EQ(list.out, "main.o\ntwice.o\n");
}

TEST(BuildProject, BigEndianProjectLinksBigEndian)
{
    Project p = MakeProject("fendrix_big", 0, {"start.s", "be_main.c", "thumb.c"}, {}, false);
    fendrix::Module::Instance().State().bigEndian = true;
    const auto outcome = Build(p);
    ASSERT_EQ(outcome.status, 0) << outcome.text;
    const auto header = RunProcess({"readelf", "-h", p.Elf()});
    EXPECT_NE(header.out.find("big endian"), std::string::npos);
}

TEST(BuildProject, SyntaxErrorReachesTheHostAsMakesStatus)
{
    Project p = MakeProject("fendrix_error", 0, {"start.s", "thumb.c"});
    std::ofstream(p.Path("thumb.c"), std::ios::app) << "int broken( {\n";
    const auto outcome = Build(p);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.text.find("thumb.c:6:"), std::string::npos) << outcome.text;
    EXPECT_NE(outcome.text.find("error:"), std::string::npos);
    EXPECT_FALSE(fs::exists(p.Elf()));
}

}  // namespace
