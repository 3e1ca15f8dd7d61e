// S-record files that arm-none-eabi-objcopy makes of gcc's images, loaded
// through LdrLoadWin into the real simulator library: the memory written
// equals `objcopy -O binary`, and the symbol header of -O symbolsrec gives
// the labels of `readelf -s`.
#include <gtest/gtest.h>

#include <platform/messages.h>
#include <platform/modules.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "falcrest.h"
#include "host_tools.h"
#include "image_memory.h"
#include "quentor.h"
#include "quinar/listing.h"
#include "quinar/symbol_store.h"
#include "readelf_parse.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "tool_listings.h"
#include "vexlor/vexlor.h"

namespace {

using tarnel::test::ReadelfSymbol;
using zk::test::FixturePath;

using quentor::test::UNWRITTEN;

struct Variant {
    const char* name;
    std::vector<std::string> options;
};

const Variant VARIANTS[] = {
    {"srec", {"-O", "srec"}},
    {"s3_len16", {"-O", "srec", "--srec-forceS3", "--srec-len=16"}},
    {"symbolsrec", {"-O", "symbolsrec"}},
};

// The name of a symbol as a symbol line gives it: from its first letter or
// '_', one leading '_' dropped.
std::string SymbolLineName(const std::string& name)
{
    const size_t first = std::find_if(name.begin(), name.end(),
                                      [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }) -
        name.begin();
    std::string cut = name.substr(first);
    return !cut.empty() && cut[0] == '_' ? cut.substr(1) : cut;
}

class ObjcopyBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        InitDLL_CpuServer(0, frame_, "ARM7TDMI", 0);
        int port = 0;
        platform::SetModuleFolder("");
        ASSERT_EQ(NewABIDLL(1, "ARM7TDMI", &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
        MemInitServer(frame_);
        quinar::Symbols().Clear();
    }
    void TearDown() override
    {
        for (const std::string& f : files_)
            std::remove(f.c_str());
        quinar::Symbols().Clear();
        MemExitServer();
        ExitABIDLL();
        platform::DestroySink(frame_);
    }

    std::string Objcopy(const std::string& elf, const std::vector<std::string>& options, const std::string& suffix)
    {
        const std::string out = ::testing::TempDir() + "quentor_" + std::to_string(::getpid()) + "_" + suffix;
        std::vector<std::string> argv = {"arm-none-eabi-objcopy"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(elf);
        argv.push_back(out);
        const zk::test::ProcessResult r = zk::test::RunProcess(argv);
        EXPECT_EQ(r.exitStatus, 0) << r.err;
        files_.push_back(out);
        return out;
    }

    std::vector<std::string> files_;
    HWND frame_ = nullptr;
};

class ObjcopyTest : public ObjcopyBase, public ::testing::WithParamInterface<std::tuple<const char*, Variant>> {};
class SymbolsrecTest : public ObjcopyBase, public ::testing::WithParamInterface<const char*> {};

TEST_P(ObjcopyTest, TheMemoryWrittenEqualsObjcopysBinary)
{
    const auto& [fixture, variant] = GetParam();
    const std::string elf = FixturePath(fixture);
    const std::string srec = Objcopy(elf, variant.options, variant.name);
    const std::string binary = zk::test::ReadFileBytes(Objcopy(elf, {"-O", "binary"}, "bin"));
    ASSERT_FALSE(binary.empty());

    // The binary covers the loadable sections from the lowest address; what
    // lies between them is padding that no record writes.
    const tarnel::test::ReadelfDump dump =
        tarnel::test::ParseReadelf(zk::test::RunProcess({"arm-none-eabi-readelf", "-W", "-S", elf}).out);
    uint32_t base = 0xFFFFFFFF;
    std::vector<std::pair<uint32_t, uint32_t>> loaded;
    for (const tarnel::test::ReadelfSection& s : dump.sections) {
        if ((s.flags & 0x2) && s.type != 8 && s.size != 0) {
            loaded.push_back({s.addr, s.addr + s.size});
            base = std::min(base, s.addr);
        }
    }
    ASSERT_FALSE(loaded.empty());
    const uint32_t size = static_cast<uint32_t>(binary.size());
    // Marked memory around and under the image: every byte that is still
    // marked afterwards was not written.
    const uint32_t margin = 64;
    const uint32_t first = base >= margin ? base - margin : 0;
    const uint32_t end = base + size + margin;
    ASSERT_EQ(MemFillBlock({first, 1}, {end - 1, 1}, &UNWRITTEN, 1, 1), 0);

    const unsigned flags = LDR_LOAD_CODE | (std::string(variant.name) == "symbolsrec" ? LDR_LOAD_SYMBOLS : 0);
    ASSERT_EQ(LdrLoadWin(srec.c_str(), 0, flags, nullptr), LDR_OK);
    EXPECT_EQ(LdrFileFormat(), LDR_FORMAT_SRECORDS);

    EXPECT_EQ(quentor::test::WrongBytes(first, end, base, binary, loaded), 0u);
}

TEST_P(SymbolsrecTest, TheSymbolHeaderGivesReadelfsLabels)
{
    const std::string elf = FixturePath(GetParam());
    const std::string srec = Objcopy(elf, {"-O", "symbolsrec"}, "symbolsrec");

    std::multiset<std::pair<uint32_t, std::string>> expected;
    for (const ReadelfSymbol& s : tarnel::test::ReadelfSymbols(elf)) {
        // objcopy writes no line for sections, files and names beginning with '.'.
        if (s.name.empty() || s.type == "SECTION" || s.type == "FILE" || s.name[0] == '.')
            continue;
        const std::string name = SymbolLineName(s.name);
        if (!name.empty())
            expected.insert({s.type == "FUNC" ? s.value & ~1u : s.value, name});
    }
    ASSERT_GT(expected.size(), 20u);

    ASSERT_EQ(LdrLoadWin(srec.c_str(), 0, LDR_LOAD_SYMBOLS, nullptr), LDR_OK);
    std::multiset<std::pair<uint32_t, std::string>> labels;
    bool module = false;
    for (const std::string& row : quinar::ListSymbols()) {
        const std::vector<std::string> t = tarnel::test::Tokens(row);
        if (t[0] == "label")
            labels.insert({tarnel::test::Hex(t[1]), t[2]});
        module = module || t[0] == "module";
    }
    EXPECT_EQ(labels, expected);
    EXPECT_TRUE(module);
    EXPECT_EQ(LdrIsSymbolLoaded(), 1);
}

const char* const FIXTURES[] = {"ldr_interwork_O0", "ldr_interwork_O2", "ldr_thumb_O0", "ldr_le", "ldr_be"};
INSTANTIATE_TEST_SUITE_P(Images, SymbolsrecTest, ::testing::ValuesIn(FIXTURES));
INSTANTIATE_TEST_SUITE_P(Images, ObjcopyTest,
                         ::testing::Combine(::testing::ValuesIn(FIXTURES), ::testing::ValuesIn(VARIANTS)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
                         });

}  // namespace
