// Every switch of every option page through the makefile's translation and
// the real arm-none-eabi tools, and a project whose settings come from the
// page models built with real make and run on the simulator.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "build_support.h"
#include "buildtools/makefile_writer.h"
#include "buildtools/module_state.h"
#include "buildtools/page_set.h"
#include "host_tools.h"

namespace {

namespace fs = std::filesystem;
using namespace fendrix;
using zk::test::RunProcess;

enum class Tool { compiler, assembler, linker };

struct Switch {
    std::string page;
    std::string option;
    Tool tool;
};

// Every check's and every radio button's switch, with the tool that reads it.
std::vector<Switch> AllSwitches()
{
    ModuleState state;
    PageSet pages(state);
    std::vector<Switch> all;
    for (CBasePropertyPage* page : pages.Pages()) {
        const int d = page->Dialog();
        const Tool tool = d == 119 || d == 120 ? Tool::assembler : d == 115 || d == 116 ? Tool::linker : Tool::compiler;
        for (const CheckSwitch& c : page->Checks())
            all.push_back({page->Caption(), c.option, tool});
        for (const RadioSwitch& r : page->Radios())
            for (const std::string& o : r.options)
                all.push_back({page->Caption(), o, tool});
    }
    all.push_back({"Link Options", "-e" + pages.linkOptions.entry, Tool::linker});
    all.push_back({"Link Listings", CPageLinkListing::kMapSwitch, Tool::linker});
    return all;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

TEST(OptionTools, EverySwitchPassesTheTools)
{
    const std::string dir = testing::TempDir() + "fendrix switches" + "-" + std::to_string(getpid());
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir + "/t.c") << "int g;\nint main(void) { return g; }\nvoid _start(void) { main(); }\n";
    std::ofstream(dir + "/t.s") << "\t.text\n\t.global _start\n_start:\n\tmov r0, #0\n\tb _start\n";

    const std::vector<Switch> all = AllSwitches();
    ASSERT_GT(all.size(), 70u);
    for (const Switch& s : all) {
        if (s.option.empty())
            continue;
        const bool big = s.option == "-EB" || s.option == "-mbig-endian";
        std::vector<std::string> notes;
        const std::vector<std::string> words = Words(TranslateOptions(s.option, big, notes));
        std::vector<std::string> argv;
        if (s.tool == Tool::linker) {
            const auto object = RunProcess({"arm-none-eabi-gcc", big ? "-mbig-endian" : "-mlittle-endian", "-c",
                                            dir + "/t.c", "-o", dir + "/t.o"});
            ASSERT_EQ(object.exitStatus, 0) << object.err;
            argv = {"arm-none-eabi-ld", "-e_start"};
            argv.insert(argv.end(), words.begin(), words.end());
            argv.insert(argv.end(), {dir + "/t.o", "-o", dir + "/t.elf"});
        } else {
            argv = {"arm-none-eabi-gcc", "-c"};
            if (s.tool == Tool::assembler)
                argv.insert(argv.end(), {"-x", "assembler-with-cpp"});
            argv.insert(argv.end(), words.begin(), words.end());
            argv.insert(argv.end(), {s.tool == Tool::assembler ? dir + "/t.s" : dir + "/t.c", "-o", dir + "/t1.o"});
        }
        argv.insert(argv.begin(), {"env", "-C", dir});  // the link map lands in the folder
        const auto r = RunProcess(argv);
        EXPECT_EQ(r.exitStatus, 0) << s.page << " " << s.option << "\n" << r.err;
    }
    EXPECT_TRUE(fs::exists(dir + "/MemMap.map"));
}

std::string ToolFolder(const std::string& file)
{
    const auto r = RunProcess({"arm-none-eabi-gcc", "-print-file-name=" + file});
    EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-gcc is missing";
    return fs::path(r.out.substr(0, r.out.find('\n'))).parent_path().lexically_normal().string();
}

std::string SectionAddress(const std::string& elf, const std::string& section)
{
    const auto r = RunProcess({"readelf", "-SW", elf});
    std::smatch m;
    const std::regex row("\\] \\" + section + " +[A-Z_]+ +([0-9a-f]+) ");
    return std::regex_search(r.out, m, row) ? m[1].str() : "<none>";
}

TEST(OptionTools, PageSettingsReachTheBuiltImage)
{
    const std::string dir = testing::TempDir() + "fendrix pages project" + "-" + std::to_string(getpid());
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string project = dir + "/demo.mpj";
    Module::Instance().Reset();
    CompilerInfo info;
    TCHandleCompilerInfo(2, &info, const_cast<char*>(project.c_str()), 0);
    info.extraText7 = ToolFolder("libc.a") + ";" + ToolFolder("libgcc.a") + ";";
    const std::string from = std::string(ZK_SOURCE_DIR) + "/buildtools/tests/project/";
    for (const char* s : {"start.s", "main.c", "twice.cpp", "thumb.c"}) {
        fs::copy_file(from + s, dir + "/" + s);
        info.modules.push_back(std::make_shared<ModuleEntry>(ModuleEntry{dir + "/" + s, 0, {}}));
    }

    SetSheetRun([](PageSet& pages) {
        pages.linkListing.textSection = "0x10000";
        pages.debugOpt.SetRadio(0, 2);
        return 1;
    });
    ASSERT_EQ(GetProjectSetting(&info, nullptr), 1);
    SetSheetRun(nullptr);
    EXPECT_NE(info.compilerOptions.find("-O2"), std::string::npos);

    // The host reloads the project: the module state comes from the pages.
    Module::Instance().Reset();
    ASSERT_EQ(TCUpdateLinkModules(&info), 1);
    EXPECT_NE(test::StartBuild(project), nullptr);
    const auto outcome = test::ReceiveBuild();
    ASSERT_EQ(outcome.status, 0) << outcome.text;
    EXPECT_NE(outcome.text.find("-O2"), std::string::npos);
    const std::string elf = dir + "/demo.elf";
    EXPECT_EQ(SectionAddress(elf, ".text"), "00010000");
    const auto run = RunProcess({std::string(ZK_BIN_DIR) + "/simrun", elf, "--max-seconds", "20"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "quotient 142 twice 42 sum 42 length 36\n");
}

}  // namespace
