#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "buildtools/link_script.h"
#include "buildtools/makefile_writer.h"
#include "buildtools/options.h"
#include "buildtools/paths.h"

namespace {

using fendrix::ModuleState;

std::string Line(const std::string& text, const std::string& start)
{
    const size_t at = text.find("\n" + start);
    if (at == std::string::npos)
        return "<none>";
    return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

CompilerInfo Project(int type, std::vector<std::pair<std::string, int>> sources)
{
    CompilerInfo info;
    info.projectType = type;
    info.projectPath = "/w/p/alpha.mpj";
    info.outputPath = "/w/p/alpha.elf";
    info.compilerOptions = "-w  -O0 -g -gdwarf -marm";
    info.assemblerOptions = "-x assembler-with-cpp";
    info.linkerOptions = "-EL -e_start -nostartupfiles -static";
    for (auto& [path, kind] : sources)
        info.modules.push_back(std::make_shared<ModuleEntry>(ModuleEntry{path, kind, {}}));
    return info;
}

TEST(Makefile, TranslationOnlyInTheMakefileWithNotes)
{
    CompilerInfo info = Project(0, {{"a.c", 0}});
    const std::string mk = fendrix::MakefileText(info, ModuleState{}, "now");
    EXPECT_EQ(Line(mk, "CFLAGS:="),
              "CFLAGS:= $(INC_PATH) $(DEFINE) $(ENDIANFLAG) -fno-rtti -DMACHINE_TYPE_ARM -w  -O0 -g -gdwarf-2 -marm");
    EXPECT_EQ(Line(mk, "LDFLAGS:="), "LDFLAGS:=-EL -e_start -static");
    EXPECT_NE(mk.find("\n# -gdwarf written as -gdwarf-2"), std::string::npos);
    EXPECT_NE(mk.find("\n# -nostartupfiles left out"), std::string::npos);
    EXPECT_EQ(info.compilerOptions, "-w  -O0 -g -gdwarf -marm");
    EXPECT_EQ(mk.find('\r'), std::string::npos);
    EXPECT_EQ(mk.substr(0, 24), "# alpha Makefile\n# This ");
}

TEST(Makefile, ToolsAddressesDefinitionsAndLists)
{
    CompilerInfo info = Project(1, {{"/w/p/src/alpha.cpp", 0}, {"my.cfile.c", 2}, {"Boot.ASM", 0}, {"b.S", 1}});
    info.extraText7 = "C:\\libc;/gcc";  // the last item without ";" counts
    info.extraText1 = "/i1;";
    ModuleState state;
    state.textAddress = "0x0";
    state.definitions = "A  B=1";
    const std::string mk = fendrix::MakefileText(info, state, "now");
    EXPECT_EQ(Line(mk, "CC:="), "CC:= arm-none-eabi-gcc");
    EXPECT_EQ(Line(mk, "AR:="), "AR:= arm-none-eabi-ar");
    EXPECT_EQ(Line(mk, "TEXT ="), "TEXT =   0");
    EXPECT_EQ(Line(mk, "DATA ="), "DATA =   1a000");
    EXPECT_EQ(Line(mk, "LIB:="), "LIB:= \"C:/libc\"");
    EXPECT_EQ(Line(mk, "GCCLIB:="), "GCCLIB:= \"/gcc\"");
    EXPECT_EQ(Line(mk, "LIBS:="), "LIBS:= $(LIB)/libc.a $(GCCLIB)/libgcc.a");
    EXPECT_EQ(Line(mk, "INC_PATH:="), "INC_PATH:= -I\"/i1\" ");
    EXPECT_EQ(Line(mk, "DEFINE :="), "DEFINE := \t-DA\\");
    EXPECT_NE(mk.find("\t\t-DB=1\n"), std::string::npos);
    EXPECT_EQ(Line(mk, "OBJECTS:="), "OBJECTS:= alpha.o Boot.o my.cfile.o b.o ");
    EXPECT_EQ(Line(mk, "SOURCES="), "SOURCES= my.cfile.c b.S ");
    EXPECT_EQ(Line(mk, "alpha.o:"), "alpha.o: src/alpha.cpp");
    EXPECT_NE(mk.find("Boot.o: Boot.ASM\n\t$(CC) -c $(CFLAGS) $(ASFLAGS) Boot.ASM\n"), std::string::npos);
    EXPECT_NE(mk.find("$(AR) rcs $(OUTPUT_NAME) $(OBJECTS)"), std::string::npos);
    EXPECT_LT(mk.find("\nall:"), mk.find("include $(wildcard *.d)"));
    EXPECT_EQ(Line(mk, "CFLAGS_THUMB"), "<none>");
}

TEST(Makefile, ThumbAndInterworkSwitches)
{
    CompilerInfo thumb = Project(3, {{"a.c", 0}});
    thumb.compilerOptions = "-mthumb-interwork";
    std::string mk = fendrix::MakefileText(thumb, ModuleState{}, "now");
    EXPECT_EQ(Line(mk, "CFLAGS:="),
              "CFLAGS:= $(INC_PATH) $(DEFINE) $(ENDIANFLAG) -fno-rtti -DMACHINE_TYPE_ARM -mthumb-interwork -mthumb");

    CompilerInfo iw = Project(4, {{"t.c", 1}, {"a.c", 0}, {"s.s", 2}});
    iw.compilerOptions = "-O1";
    mk = fendrix::MakefileText(iw, ModuleState{}, "now");
    EXPECT_EQ(Line(mk, "CFLAGS:="),
              "CFLAGS:= $(INC_PATH) $(DEFINE) $(ENDIANFLAG) -fno-rtti -DMACHINE_TYPE_ARM -O1 "
              "-marm -mthumb-interwork");
    EXPECT_EQ(Line(mk, "CFLAGS_THUMB:="),
              "CFLAGS_THUMB:= $(INC_PATH) $(DEFINE) $(ENDIANFLAG) -fno-rtti "
              "-DMACHINE_TYPE_ARM -O1 -marm -mthumb-interwork -mthumb");
    EXPECT_LT(mk.find("\ns.o: s.s"), mk.find("\nt.o: t.c\n\t$(CC) -c $(CFLAGS_THUMB) t.c"));
}

TEST(Makefile, OptionSearchAndAppendRule)
{
    EXPECT_TRUE(fendrix::FindOption("-O1 -MThumb", "-mthumb"));
    EXPECT_FALSE(fendrix::FindOption("-mthumb-interwork -mthumb", "-mthumb"));
    std::string line = "a ";
    fendrix::AppendOption(line, "  ");
    EXPECT_EQ(line, "a ");
    fendrix::AppendOption(line, "b");
    EXPECT_EQ(line, "a b");
}

TEST(Makefile, RelativeOutputFolder)
{
    EXPECT_EQ(fendrix::RelativeFolder("/w/p", "/w/p/"), "./");
    EXPECT_EQ(fendrix::RelativeFolder("/w/p/q", "/W/P/out/x"), "../out/x/");
    EXPECT_EQ(fendrix::RelativeFolder("", "/w"), "");
    EXPECT_EQ(fendrix::WithExtension("C:\\a.b\\my.cfile.mpj", "mak"), "C:/a.b/my.cfile.mak");
}

TEST(LinkScript, HundredTenLinesWithTheStackTop)
{
    const std::string ld = fendrix::LinkScriptText("");
    EXPECT_EQ(std::count(ld.begin(), ld.end(), '\n'), 110);
    EXPECT_NE(ld.find("\n\t_stackBottom =  ;\n"), std::string::npos);
    EXPECT_NE(ld.find("\t.glue_7t : {\n\n\t}\n"), std::string::npos);
    EXPECT_EQ(fendrix::LinkScriptPath("/w/p/alpha.mpj"), "/w/p/alpha.ld");
}

TEST(Makefile, UnwritableMakefileLeavesTheOldOneWhole)
{
    const std::string dir = testing::TempDir() + "fendrix_ro" + "-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    CompilerInfo info = Project(0, {{"a.c", 0}});
    info.projectPath = dir + "/alpha.mpj";
    ASSERT_TRUE(fendrix::WriteMakefile(info, ModuleState{}));
    const auto before = std::filesystem::file_size(dir + "/alpha.mak");
    std::filesystem::permissions(dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    info.modules.clear();
    const bool wrote = fendrix::WriteMakefile(info, ModuleState{});
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    if (geteuid() != 0) {
        EXPECT_FALSE(wrote);
        EXPECT_EQ(std::filesystem::file_size(dir + "/alpha.mak"), before);
    }
}

TEST(Makefile, AnUnchangedMakefileKeepsItsTimeAndAChangedOneIsRewritten)
{
    const std::string dir = testing::TempDir() + "fendrix_same" + "-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    CompilerInfo info = Project(0, {{"a.c", 0}});
    info.projectPath = dir + "/alpha.mpj";
    const std::string mak = dir + "/alpha.mak";
    ASSERT_TRUE(fendrix::WriteMakefile(info, ModuleState{}));
    const auto old = std::filesystem::last_write_time(mak) - std::chrono::hours(1);
    std::filesystem::last_write_time(mak, old);
    ASSERT_TRUE(fendrix::WriteMakefile(info, ModuleState{}));
    EXPECT_EQ(std::filesystem::last_write_time(mak), old) << "the objects must not all rebuild";
    info.modules.push_back(Project(0, {{"b.c", 0}}).modules.front());
    ASSERT_TRUE(fendrix::WriteMakefile(info, ModuleState{}));
    EXPECT_NE(std::filesystem::last_write_time(mak), old);
    std::filesystem::remove_all(dir);
}

}  // namespace
