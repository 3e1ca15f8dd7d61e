#include <gtest/gtest.h>

#include <cstring>

#include "buildtools/compiler_block.h"
#include "buildtools/exports.h"
#include "buildtools/module_state.h"
#include "platform/modules.h"
#include "platform/win32.h"

namespace {

CompilerInfo Sample()
{
    CompilerInfo info;
    fendrix::ResetCompilerInfo(info, "/home/u/proj/alpha.mpj");
    info.projectType = 4;
    info.outputPath = "/home/u/proj/out/alpha.elf";
    info.extraText1 = "/inc/a;/inc/b;";
    info.extraText7 = "/lib/c;/lib/gcc;";
    info.useDefaults = 0;
    info.pageStateLength = 5;
    for (int i = 0; i < 5; ++i)
        info.pageState[i] = static_cast<uint8_t>(0xA0 + i);
    info.modules.push_back(std::make_shared<ModuleEntry>(ModuleEntry{"start.s", 0, "t0"}));
    info.modules.push_back(std::make_shared<ModuleEntry>(ModuleEntry{"thumb.c", 1, "t1"}));
    return info;
}

std::vector<uint8_t> Stored(CompilerInfo& info)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    fendrix::SerializeCompilerInfo(info, ar, 5);
    ar.Close();
    return file.Data();
}

bool Load(CompilerInfo& info, const std::vector<uint8_t>& bytes, int version)
{
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    return fendrix::SerializeCompilerInfo(info, ar, version);
}

void ExpectSameStored(const CompilerInfo& a, const CompilerInfo& b)
{
    EXPECT_EQ(a.customBuild, b.customBuild);
    EXPECT_EQ(a.projectPath, b.projectPath);
    EXPECT_EQ(a.compilerOptions, b.compilerOptions);
    EXPECT_EQ(a.outputPath, b.outputPath);
    EXPECT_EQ(a.extraText7, b.extraText7);
    EXPECT_EQ(a.pageStateLength, b.pageStateLength);
    EXPECT_EQ(a.pageState, b.pageState);
    EXPECT_EQ(a.projectType, b.projectType);
    ASSERT_EQ(a.modules.size(), b.modules.size());
    for (size_t i = 0; i < a.modules.size(); ++i) {
        EXPECT_EQ(a.modules[i]->path, b.modules[i]->path);
        EXPECT_EQ(a.modules[i]->kind, b.modules[i]->kind);
        EXPECT_EQ(a.modules[i]->text, b.modules[i]->text);
    }
}

TEST(CompilerBlock, DefaultsFitDebiansTools)
{
    CompilerInfo info;
    info.extraText2 = "kept";
    fendrix::HandleCompilerInfo(2, &info, const_cast<char*>("/p/x.mpj"), 0);
    EXPECT_EQ(info.compilerOptions, "-w  -O0 -g -gdwarf-2 -marm");
    EXPECT_EQ(info.assemblerOptions, "-x assembler-with-cpp -Wa,--gstabs");
    EXPECT_EQ(info.linkerOptions, "-EL -e_start -static -g -n -N");
    EXPECT_EQ(info.useDefaults, 1);
    EXPECT_EQ(info.projectPath, "/p/x.mpj");
    EXPECT_EQ(info.extraText2, "kept");
    EXPECT_EQ(fendrix::Module::Instance().State().projectDir, "/p");
}

TEST(CompilerBlock, RoundTripAndByteLayout)
{
    CompilerInfo info = Sample();
    const std::vector<uint8_t> bytes = Stored(info);
    // customBuild, then the first text (empty customBuildFile: one length byte 0).
    ASSERT_GE(bytes.size(), 5u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[4], 0);
    CompilerInfo loaded;
    ASSERT_TRUE(Load(loaded, bytes, 5));
    ExpectSameStored(info, loaded);
    EXPECT_EQ(Stored(loaded), bytes);
}

TEST(CompilerBlock, VersionsReadTheirPart)
{
    CompilerInfo info = Sample();
    const std::vector<uint8_t> bytes = Stored(info);
    CompilerInfo v1;
    Load(v1, bytes, 1);
    EXPECT_EQ(v1.extraText7, info.extraText7);
    EXPECT_EQ(v1.pageStateLength, 0u);
    EXPECT_TRUE(v1.modules.empty());
    CompilerInfo v3;
    Load(v3, bytes, 3);
    EXPECT_EQ(v3.pageStateLength, 5u);
    EXPECT_EQ(v3.projectType, 0);
    EXPECT_TRUE(v3.modules.empty());
}

TEST(CompilerBlock, EmptyModuleListStoresCountZeroAndKeepsEntriesOnLoad)
{
    CompilerInfo info = Sample();
    info.modules.clear();
    const std::vector<uint8_t> bytes = Stored(info);
    EXPECT_EQ(bytes[bytes.size() - 4], 0);  // the count, no entries after it
    CompilerInfo loaded = Sample();
    ASSERT_TRUE(Load(loaded, bytes, 5));
    EXPECT_EQ(loaded.modules.size(), 2u);
}

TEST(CompilerBlock, CopySharesEntriesAndKeepsTypeAndDefaultsFlag)
{
    CompilerInfo from = Sample();
    CompilerInfo to;
    to.projectType = 1;
    to.useDefaults = 7;
    fendrix::HandleCompilerInfo(0, &from, &to, 0);
    EXPECT_EQ(to.projectType, 1);
    EXPECT_EQ(to.useDefaults, 7);
    ASSERT_EQ(to.modules.size(), 2u);
    EXPECT_EQ(to.modules[0].get(), from.modules[0].get());
    EXPECT_EQ(from.modules[0].use_count(), 2);
    // A load into the copy replaces its entries; the shared ones live on in the source.
    const std::vector<uint8_t> bytes = Stored(from);
    std::weak_ptr<ModuleEntry> shared = from.modules[0];
    Load(to, bytes, 5);
    EXPECT_EQ(from.modules[0].use_count(), 1);
    from.modules.clear();
    EXPECT_TRUE(shared.expired());
}

TEST(CompilerBlock, LoadSetsTheModuleFolders)
{
    CompilerInfo info = Sample();
    std::vector<uint8_t> bytes = Stored(info);
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    CompilerInfo loaded;
    fendrix::Module::Instance().Reset();
    fendrix::HandleCompilerInfo(1, &loaded, &ar, 5);
    const fendrix::ModuleState& state = fendrix::Module::Instance().State();
    EXPECT_EQ(state.outputDir, "/home/u/proj/out");
    EXPECT_EQ(state.outputName, "alpha.elf");
    EXPECT_EQ(state.projectDir, "/home/u/proj");
}

TEST(CompilerBlock, CutAtEveryByteKeepsAPartialRecord)
{
    CompilerInfo info = Sample();
    const std::vector<uint8_t> bytes = Stored(info);
    fendrix::Module::Instance().Reset();
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        CompilerInfo loaded;
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
        CMemFile file(part);
        CArchive ar(&file, CArchive::load);
        fendrix::HandleCompilerInfo(1, &loaded, &ar, 5);  // never throws
        EXPECT_LE(loaded.modules.size(), 2u);
    }
    // A failed load leaves the module's folders alone.
    EXPECT_TRUE(fendrix::Module::Instance().State().outputDir.empty());
}

TEST(CompilerBlock, OversizedPageStatesAndHugeCountsAreRefused)
{
    CompilerInfo info = Sample();
    std::vector<uint8_t> bytes = Stored(info);
    // The page-state length follows customBuild, the 13 texts and useDefaults.
    size_t at = 4;
    for (int i = 0; i < 13; ++i)
        at += 1 + bytes[at];
    at += 4;  // useDefaults
    ASSERT_EQ(bytes[at], 5);
    std::vector<uint8_t> big = bytes;
    big[at] = 0x88;  // 5000
    big[at + 1] = 0x13;
    CompilerInfo loaded;
    EXPECT_FALSE(Load(loaded, big, 5));
    EXPECT_EQ(loaded.pageStateLength, 0u);
    EXPECT_EQ(loaded.extraText7, info.extraText7);  // read before the damage

    std::vector<uint8_t> many = bytes;
    const size_t countAt = at + 4 + 5 + 4;
    ASSERT_EQ(many[countAt], 2);
    const uint32_t billion = 1000000000u;
    std::memcpy(&many[countAt], &billion, 4);
    CompilerInfo loadedMany;
    EXPECT_FALSE(Load(loadedMany, many, 5));
    EXPECT_EQ(loadedMany.modules.size(), 2u);  // the entries that were there
}

TEST(BuildRequestBlock, WriterAndReaderAgreeAndStopAtTheFourteenth)
{
    BuildRequest request;
    request.threadId = 0x12345678;
    request.customBuild = 1;
    for (size_t i = 0; i < BuildRequest::kStrings; ++i)
        request.strings[i] = "s" + std::to_string(i);
    void* block = WriteBuildRequest(request);
    const BuildRequest read = ReadBuildRequest(block);
    EXPECT_EQ(read.threadId, request.threadId);
    EXPECT_EQ(read.customBuild, 1);
    EXPECT_EQ(read.strings, request.strings);
    EXPECT_EQ(static_cast<const uint8_t*>(block)[0], 0x78);
    ::operator delete(block);
}

}  // namespace

namespace {

TEST(FendrixModule, EntryPointsBoundByName)
{
    HMODULE module = LoadLibrary("fendrix");
    ASSERT_NE(module, nullptr) << platform::LastModuleError();
    for (const char* name : {"TCHandleCompilerInfo", "GetProjectSetting", "TCUpdateLinkModules", "TCBuild",
                             "TCStopBuild", "GetDefaultCompiler", "GetSupportCompilers", "GetLibDir"})
        EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
    auto handle = reinterpret_cast<TCHandleCompilerInfoProc>(GetProcAddress(module, "TCHandleCompilerInfo"));
    CompilerInfo info;
    handle(2, &info, nullptr, 0);
    EXPECT_EQ(info.useDefaults, 1);
    FreeLibrary(module);
}

}  // namespace
