// LdrLoadWinElf without a target: flags, formats, the busy rule, Esc, the
// stack, the progress bar and what the load leaves for the queries.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <platform/file_time.h>

#include "elf_writer.h"
#include "quinar/listing.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

TestElf SmallImage()
{
    TestElf elf;
    elf.segments.push_back({1, 0x8000, 0, Words({0xE3A00001, 0xEF000011})});
    elf.sections.push_back({".text", 1, 6, 0x8000, Words({0xE3A00001, 0xEF000011})});
    elf.sections.push_back({".data", 1, 3, 0x9000, Words({0x11223344})});
    elf.sections.push_back({".comment", 1, 0x30, 0, {'g', 'c', 'c', 0}});
    return elf;
}

// .symtab and .strtab holding the given symbols (name, value).
void AddSymbols(TestElf& elf, std::initializer_list<std::pair<std::string, uint32_t>> symbols)
{
    std::vector<uint8_t> names = {0};
    std::vector<uint8_t> table(16, 0);
    for (const auto& [name, value] : symbols) {
        const uint32_t offset = static_cast<uint32_t>(names.size());
        names.insert(names.end(), name.begin(), name.end());
        names.push_back(0);
        auto entry = Words({offset, value, 0, 0x10});
        table.insert(table.end(), entry.begin(), entry.end());
    }
    const uint32_t strtabIndex = static_cast<uint32_t>(elf.sections.size() + 2);
    elf.sections.push_back({".symtab", 2, 0, 0, table, 0, strtabIndex, 1, 4, 16});
    elf.sections.push_back({".strtab", 3, 0, 0, names});
}

TEST_F(TarnelTest, FlagsZeroReadsTheHeadersAndLeavesQuinarAlone)
{
    const TempFile image("flags0.elf", SmallImage().Build());
    uint32_t module = 0;
    ASSERT_EQ(SymOpenModule("kept", nullptr, nullptr, 0, 0, 0, &module, 0), SYM_OK);
    SymCloseModule(0);

    ASSERT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, 0, Window()), LDR_OK);
    EXPECT_EQ(ModuleCount(), 1u);
    EXPECT_EQ(quinar::ListSymbols(), std::vector<std::string>{"module - kept"});
    ADDR start;
    LdrGetStartPC_ELF(&start);
    EXPECT_EQ(start, (ADDR{0x8000, 1}));
    EXPECT_EQ(LdrIsBigEndian_ELF(), 0);
    EXPECT_EQ(LdrGetMachineType(), COMPILER_NONE);
    EXPECT_EQ(LdrIsInCode(0), 1);
    // The stamp quinar gets: the file's creation time, without the year.
    platform::DosDateTime created;
    ASSERT_TRUE(platform::FileCreationDosDateTime(image.Path(), created));
    const ImageStamp& stamp = State().stamp;
    EXPECT_EQ(stamp.zero, 0);
    EXPECT_EQ(stamp.month, (created.date >> 5) & 0xF);
    EXPECT_EQ(stamp.day, created.date & 0x1F);
    EXPECT_EQ(stamp.hour, created.time >> 11);
    EXPECT_EQ(stamp.minute, (created.time >> 5) & 0x3F);
    EXPECT_EQ(stamp.seconds2, created.time & 0x1F);

    // With symbols, quinar gets the image's sections that have an address
    // (and .text, wherever it lies); its earlier image is gone.
    ASSERT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    EXPECT_EQ(quinar::ListSymbols(),
              (std::vector<std::string>{"section 1 .text attribute 1", "section 2 .data attribute 2"}));
}

TEST_F(TarnelTest, FilesOfOtherFormatsGiveTheirCodes)
{
    std::vector<uint8_t> elf64 = SmallImage().Build();
    elf64[4] = 2;
    const std::string text100(100, 'x');
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        LdrResult result;
    };
    const Case cases[] = {
        {"S-records", {'S', '0', '0', '3', '0', '0', '0', '0', 'F', 'C', '\n'}, LDR_E_UNKNOWN_FORMAT},
        {"module line", {'$', 'm', 'a', 'i', 'n', '\n'}, LDR_E_UNKNOWN_FORMAT},
        {"text", std::vector<uint8_t>(text100.begin(), text100.end()), LDR_E_NOT_IMAGE},
        {"ELF64", elf64, LDR_E_NOT_IMAGE},
        {"empty", {}, LDR_E_READ},
    };
    for (const Case& c : cases) {
        const TempFile file("format.bin", c.bytes);
        progress.clear();
        EXPECT_EQ(LdrLoadWinElf(file.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), c.result) << c.what;
        EXPECT_EQ(progress.back(), 100u) << c.what;
    }
    EXPECT_EQ(LdrLoadWinElf("/nonexistent/tarnel/image.elf", 0, 0, Window()), LDR_E_OPEN_ELF);
    EXPECT_EQ(LdrLoadWinElf(std::filesystem::temp_directory_path().c_str(), 0, 0, Window()), LDR_E_OPEN_ELF);
    EXPECT_EQ(LdrLoadWinElf(nullptr, 0, 0, Window()), LDR_E_OPEN_ELF);
}

// A window procedure that runs while the load pumps messages may call in
// again: that call is refused, its own bar ends, the running load goes on.
TEST_F(TarnelTest, ASecondLoadDuringALoadIsRefused)
{
    const TempFile image("busy.elf", SmallImage().Build());
    std::vector<uint32_t> innerProgress;
    HWND innerWindow = platform::CreateSink([&](UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
        if (msg == PBM_SETPOS)
            innerProgress.push_back(static_cast<uint32_t>(wParam));
        return 0;
    });
    LdrResult inner = 0;
    int innerCalls = 0;
    platform::SetPumpHook([&] {
        if (State().busy && innerCalls++ == 0)
            inner = LdrLoadWinElf(image.Path().c_str(), 1, LDR_FLAG_SYMBOLS, innerWindow);
    });
    const LdrResult outer = LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window());
    platform::SetPumpHook(nullptr);
    platform::DestroySink(innerWindow);

    EXPECT_EQ(innerCalls, 2);
    EXPECT_EQ(inner, LDR_E_BUSY);
    EXPECT_EQ(innerProgress, std::vector<uint32_t>{100});
    EXPECT_EQ(outer, LDR_OK);
    EXPECT_EQ(State().mode, 0);
    EXPECT_EQ(quinar::ListSymbols().size(), 2u);
    EXPECT_EQ(progress.back(), 100u);
    EXPECT_FALSE(State().busy);
}

// Esc between the headers and the debug information, or after all of it:
// the load ends with 0xC016, quinar is left empty, the next load runs.
TEST_F(TarnelTest, EscEndsTheLoadAndEmptiesQuinar)
{
    const TempFile image("esc.elf", SmallImage().Build());
    Readers().elfSymtab = [](ReaderCall& call) {
        uint32_t module = 0;
        SymOpenModule("esc", nullptr, nullptr, 0, call.kind, 0, &module, 0);
        SymCloseModule(0);
        return LDR_OK;
    };
    for (int pressedAtPoll : {2, 3}) {
        int polls = 0;
        platform::SetKeyStateQuery(
            [&](int vk) -> short { return vk == VK_ESCAPE && ++polls >= pressedAtPoll ? short(0x8001) : short(0); });
        EXPECT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_E_USER_ABORT)
            << pressedAtPoll;
        EXPECT_EQ(polls, pressedAtPoll);
        EXPECT_EQ(ModuleCount(), 0u) << pressedAtPoll;
        EXPECT_TRUE(quinar::ListSymbols().empty()) << pressedAtPoll;
        EXPECT_EQ(progress.back(), 100u);
        platform::SetKeyStateQuery(nullptr);
    }
    // An Esc pressed before the load is not an abort of it.
    platform::SetKeyDown(VK_ESCAPE, true);
    platform::SetKeyDown(VK_ESCAPE, false);
    EXPECT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    EXPECT_EQ(ModuleCount(), 1u);
}

TEST_F(TarnelTest, TheStackComesFromItsSectionOrFromTheStackSymbols)
{
    const std::vector<uint8_t> unit(16, 0);
    struct Case {
        const char* what;
        std::function<void(TestElf&)> shape;
        uint32_t top, size;
    };
    const Case cases[] = {
        {".bss, then .stack",
         [](TestElf& e) {
             e.sections.push_back({".bss", 8, 3, 0x20000, {}, 0x100});
             e.sections.push_back({".stack", 1, 3, 0x30000, std::vector<uint8_t>(16)});
         },
         0x30010, 16},
        {"stack",
         [](TestElf& e) {
             e.sections.push_back({"stack", 8, 3, 0x31000, {}, 0x800});
         },
         0x31800, 0x800},
        {".bss alone",
         [](TestElf& e) {
             e.sections.push_back({".bss", 8, 3, 0x20000, {}, 0x100});
         },
         0x20100, 0x100},
        {"DWARF 2, no stack",
         [&](TestElf& e) {
             e.sections.push_back({".debug_info", 1, 0, 0, unit});
         },
         0x10000, 0x10000},
        {"DWARF 1 with both stack symbols",
         [&](TestElf& e) {
             e.sections.push_back({".debug", 1, 0, 0, unit});
             AddSymbols(e, {{"main", 0x8000}, {"__SP_INIT", 0x40000}, {"__SP_END", 0x3F000}});
         },
         0x40000, 0x1000},
        {"DWARF 1 with one stack symbol",
         [&](TestElf& e) {
             e.sections.push_back({".debug", 1, 0, 0, unit});
             AddSymbols(e, {{"__SP_INIT", 0x40000}});
         },
         0x10000, 0x10000},
        {"DWARF 2 with stack symbols",
         [&](TestElf& e) {
             e.sections.push_back({".debug_info", 1, 0, 0, unit});
             AddSymbols(e, {{"__SP_INIT", 0x40000}, {"__SP_END", 0x3F000}});
         },
         0x10000, 0x10000},
    };
    for (const Case& c : cases) {
        TestElf elf = SmallImage();
        c.shape(elf);
        const TempFile image("stack.elf", elf.Build());
        ASSERT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, 0, nullptr), LDR_OK) << c.what;
        int top = 0, size = 0;
        LdrGetStack_ELF(&top, &size, nullptr, nullptr);
        EXPECT_EQ(static_cast<uint32_t>(top), c.top) << c.what;
        EXPECT_EQ(static_cast<uint32_t>(size), c.size) << c.what;
    }
}

TEST_F(TarnelTest, TheStackStepFollowsTheCompilerKindAndTheMachine)
{
    TestElf elf = SmallImage();
    const TempFile arm("arm.elf", elf.Build());
    elf.machine = 2;
    const TempFile other("other.elf", elf.Build());
    struct Case {
        const TempFile* image;
        CompilerKind kind;
        int step;  // 99: left as it was
    };
    const Case cases[] = {
        {&arm, COMPILER_NONE, -4},
        {&other, COMPILER_NONE, 4},
        {&other, COMPILER_GNU_C, 4},
        {&other, COMPILER_ARM, -4},
        {&arm, static_cast<CompilerKind>(9), 99},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(LdrLoadWinElf(c.image->Path().c_str(), 0, 0, nullptr), LDR_OK);
        State().compilerKind = c.kind;
        int zero = 99, step = 99;
        LdrGetStack_ELF(nullptr, nullptr, &zero, &step);
        EXPECT_EQ(step, c.step) << c.kind;
        EXPECT_EQ(zero, c.step == 99 ? 99 : 0) << c.kind;
        EXPECT_EQ(LdrGetMachineType(), static_cast<int>(c.kind));
    }
}

// A 500-byte image: every report moves the bar by a fifth of the file at
// the most, the reading shows 0 to 40 %, the end 100.
TEST_F(TarnelTest, ProgressOfASmallImageAdvancesInFifths)
{
    std::vector<uint8_t> bytes = SmallImage().Build();
    ASSERT_LT(bytes.size(), 500u);
    bytes.resize(500, 0);
    const TempFile image("small.elf", bytes);
    ASSERT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, 0, Window()), LDR_OK);
    EXPECT_EQ(progress, (std::vector<uint32_t>{8, 16, 100}));
    EXPECT_EQ(State().record.imageSize, 500u);
}

TEST_F(TarnelTest, ALongPathLoadsAndKeepsItsTailAndDirectory)
{
    const auto root = std::filesystem::temp_directory_path() / ("tarnel_long_" + std::to_string(::getpid()));
    const auto folder = root / std::string(150, 'a') / std::string(120, 'b');
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "image.elf").string();
    {
        const std::vector<uint8_t> bytes = SmallImage().Build();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    ASSERT_GT(path.size(), 255u);
    EXPECT_EQ(LdrLoadWinElf(path.c_str(), 0, 0, nullptr), LDR_OK);
    EXPECT_EQ(State().record.pathTail, path.substr(path.size() - 255));
    EXPECT_EQ(State().imageDirectory, folder.string());
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace tarnel::test
