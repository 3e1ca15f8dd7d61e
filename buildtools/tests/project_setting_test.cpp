// GetProjectSetting over the pages: defaults after a reset, the proposed
// output, the joined option lines, cancel, and the refresh behind
// TCUpdateLinkModules.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "buildtools/module_state.h"
#include "buildtools/page_set.h"

namespace {

using namespace fendrix;
namespace fs = std::filesystem;

struct SheetScope {
    explicit SheetScope(SheetRun run) { SetSheetRun(std::move(run)); }
    ~SheetScope() { SetSheetRun(nullptr); }
};

std::vector<uint8_t> Stored(const PageSet& pages)
{
    CompilerInfo info;
    const_cast<PageSet&>(pages).Store(info);
    return {info.pageState.begin(), info.pageState.begin() + info.pageStateLength};
}

struct Fixture : testing::Test {
    std::string dir;
    std::string project;
    CompilerInfo info;
    void SetUp() override
    {
        // A folder of each test's own: ctest runs the tests side by side,
        // other runs of them too.
        dir = testing::TempDir() + "setting project " + testing::UnitTest::GetInstance()->current_test_info()->name() +
            "-" + std::to_string(getpid());
        project = dir + "/demo.mpj";
        fs::remove_all(dir);
        fs::create_directories(dir);
        Module::Instance().Reset();
        TCHandleCompilerInfo(2, &info, const_cast<char*>(project.c_str()), 0);
    }
};

using ProjectSetting = Fixture;

TEST_F(ProjectSetting, ResetShowsDefaultsAndProposesTheElfOutput)
{
    bool ran = false;
    SheetScope scope([&](PageSet& pages) {
        ran = true;
        ModuleState fresh;
        PageSet defaults(fresh);
        EXPECT_EQ(pages.general.outputDir, dir);
        EXPECT_EQ(pages.general.outputName, "demo.elf");
        defaults.general.outputDir = dir;
        defaults.general.outputName = "demo.elf";
        EXPECT_EQ(Stored(pages), Stored(defaults));
        return 1;
    });
    EXPECT_EQ(GetProjectSetting(&info, nullptr), 1);
    EXPECT_TRUE(ran);
    EXPECT_EQ(info.useDefaults, 0);
    EXPECT_EQ(info.outputPath, dir + "/demo.elf");
    EXPECT_EQ(info.compilerOptions, " -w  -O0 -g -gdwarf-2 ");
    EXPECT_EQ(info.assemblerOptions, "-x assembler-with-cpp -Wa,--gstabs -Wa,-mall");
    EXPECT_EQ(info.linkerOptions, "-EL -e_start -static -g -n -N");
    EXPECT_TRUE(fs::exists(dir + "/demo.mak"));
    EXPECT_TRUE(fs::exists(dir + "/demo.ld"));
    EXPECT_GT(info.pageStateLength, 0u);
}

TEST_F(ProjectSetting, CancelOrNoSheetChangesNothing)
{
    const CompilerInfo before = info;
    EXPECT_EQ(GetProjectSetting(&info, nullptr), 2);
    SheetScope scope([](PageSet& pages) {
        pages.debugOpt.SetRadio(0, 3);
        return 2;
    });
    EXPECT_EQ(GetProjectSetting(&info, nullptr), 2);
    EXPECT_EQ(info.compilerOptions, before.compilerOptions);
    EXPECT_EQ(info.pageStateLength, 0u);
    EXPECT_EQ(info.useDefaults, 1);
    EXPECT_FALSE(fs::exists(dir + "/demo.mak"));
}

TEST_F(ProjectSetting, OptionLinesJoinThePagesInOrder)
{
    struct Case {
        std::function<void(PageSet&)> edit;
        const char* compiler;
        const char* assembler;
        const char* linker;
    };
    const Case cases[] = {
        {[](PageSet& p) {
             p.compiler.SetCheck("Stack frame compliant with APCS", true);
             p.warning.SetCheck("No Warning", false);
             p.debugOpt.SetRadio(0, 2);
             p.codeGen.SetCheck("Allocate enum bytes they used exactly", true);
         },
         "-mapcs-frame   -O2 -g -gdwarf-2 -fshort-enums", "-x assembler-with-cpp -Wa,--gstabs -Wa,-mall",
         "-EL -e_start -static -g -n -N"},
        {[](PageSet& p) {
             p.assembler.SetText("");
             p.asmWarn.SetCheck("No warning", true);
             p.linkOptions.SetRadio(0, 1);
             p.linkOptions.SetEntry("");
             p.libLink.SetCheck("No dynamic linking", false);
             p.linkListing.generateMap = 1;
         },
         " -w  -O0 -g -gdwarf-2 ", "-Wa,-mall -Wa,-W", "-EB -g -n -N -Map=MemMap.map"},
    };
    for (const Case& c : cases) {
        TCHandleCompilerInfo(2, &info, nullptr, 0);
        SheetScope scope([&](PageSet& pages) {
            c.edit(pages);
            return 1;
        });
        ASSERT_EQ(GetProjectSetting(&info, nullptr), 1);
        EXPECT_EQ(info.compilerOptions, c.compiler);
        EXPECT_EQ(info.assemblerOptions, c.assembler);
        EXPECT_EQ(info.linkerOptions, c.linker);
    }
}

TEST_F(ProjectSetting, SavedPagesComeBackAndFeedTheModuleState)
{
    {
        SheetScope scope([&](PageSet& pages) {
            pages.general.projectType = 2;
            pages.general.outputDir = dir + "/";
            pages.general.outputName = "image.elf";
            pages.preprocessor.SetText("A=1 B");
            pages.preprocessor.AddPath("inc");
            pages.compiler.SetRadio(0, 1);
            pages.linkListing.textSection = "0x10000";
            pages.linkListing.stackTop = "0x60000";
            return 1;
        });
        ASSERT_EQ(GetProjectSetting(&info, nullptr), 1);
    }
    EXPECT_EQ(info.projectType, 2);
    EXPECT_EQ(info.outputPath, dir + "/image.elf");  // the folder's own "/" is not doubled

    // The next sheet shows the saved pages.
    {
        SheetScope scope([&](PageSet& pages) {
            EXPECT_EQ(pages.general.outputName, "image.elf");
            EXPECT_EQ(pages.preprocessor.Text(), "A=1 B");
            EXPECT_EQ(pages.preprocessor.includes, std::vector<std::string>{"inc"});
            EXPECT_EQ(pages.linkListing.textSection, "0x10000");
            return 2;
        });
        EXPECT_EQ(GetProjectSetting(&info, nullptr), 2);
    }

    // A sheet confirmed without an output folder gives the bare name.
    {
        CompilerInfo other = info;
        SheetScope scope([&](PageSet& pages) {
            pages.general.outputDir.clear();
            return 1;
        });
        ASSERT_EQ(GetProjectSetting(&other, nullptr), 1);
        EXPECT_EQ(other.outputPath, "image.elf");
    }

    Module::Instance().Reset();
    EXPECT_EQ(TCUpdateLinkModules(&info), 1);
    const ModuleState& state = Module::Instance().State();
    EXPECT_EQ(state.definitions, "A=1 B");
    EXPECT_EQ(state.outputName, "image.elf");
    EXPECT_EQ(state.textAddress, "0x10000");
    EXPECT_EQ(state.topOfMemory, "0x60000");
    EXPECT_EQ(state.includeDirs, std::vector<std::string>{"inc"});
    EXPECT_TRUE(state.bigEndian);
}

}  // namespace
