// The order of the debug-information readers, the tables around them, and
// what a failing reader leaves behind.
#include <gtest/gtest.h>

#include <string>

#include "elf_writer.h"
#include "quinar/listing.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

std::vector<uint8_t> Image(std::initializer_list<const char*> debugSections)
{
    TestElf elf;
    elf.sections.push_back({".text", 1, 6, 0x8000, Words({0xE3A00001})});
    for (const char* name : debugSections)
        elf.sections.push_back({name, 1, 0, 0, Words({0, 0})});
    return elf.Build();
}

class DispatchTest : public TarnelTest {
protected:
    // Every slot records its call as "<slot>" plus what it was given.
    void RecordAllReaders()
    {
        DebugReaders& r = Readers();
        auto unit = [this](const char* name) {
            return [this, name](ReaderCall& call) {
                calls.push_back(std::string(name) + " kind " + std::to_string(call.kind) + " count " +
                                std::to_string(*call.moduleCount));
                ++*call.moduleCount;
                return LDR_OK;
            };
        };
        r.dwarf1Units = unit("dwarf1");
        r.dwarf2Units = unit("dwarf2");
        r.stabs = unit("stabs");
        r.elfSymtab = unit("symtab");
        r.dwarf1Pointers = [this](uint32_t first, int pass) {
            calls.push_back("pointers " + std::to_string(pass) + (first > SYM_FIRST_TYPE_INDEX - 1 ? "" : " low"));
        };
        auto lines = [this](const char* name) {
            return [this, name](ImageFile&, bool mode, uint32_t one) {
                calls.push_back(std::string(name) + " mode " + std::to_string(mode) + " " + std::to_string(one));
                return LDR_OK;
            };
        };
        r.dwarf1Lines = lines("lines1");
        r.dwarf2Lines = lines("lines2");
        r.debugFrame = [this](ImageFile& file) {
            calls.push_back(file.IsOpen() ? "frame" : "frame, file closed");
            return LDR_OK;
        };
        r.sortThumbTables = [this] { calls.push_back("sort thumb"); };
        r.freeDwarf1Pending = [this] { calls.push_back("free pending"); };
    }

    std::vector<std::string> calls;
};

TEST_F(DispatchTest, ReadersRunInTheirOrderWithTheLoadsArguments)
{
    RecordAllReaders();
    const TempFile both("both.elf", Image({".debug", ".debug_info", ".line", ".debug_line"}));
    ASSERT_EQ(LdrLoadWinElf(both.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"dwarf1 kind 3 count 0", "pointers 1", "dwarf2 kind 3 count 1", "pointers 2",
                                        "stabs kind 3 count 2", "symtab kind 3 count 3", "sort thumb", "free pending",
                                        "lines1 mode 0 1", "lines2 mode 0 1", "frame"}));

    // Only .symtab: no DWARF reader; mode nonzero gives kind 1.
    calls.clear();
    const TempFile symtabOnly("symtab.elf", Image({".symtab"}));
    ASSERT_EQ(LdrLoadWinElf(symtabOnly.Path().c_str(), 1, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"pointers 1", "pointers 2", "stabs kind 1 count 0", "symtab kind 1 count 1",
                                        "sort thumb", "free pending", "lines1 mode 1 1", "lines2 mode 1 1", "frame"}));

    // Without symbols no reader runs.
    calls.clear();
    ASSERT_EQ(LdrLoadWinElf(both.Path().c_str(), 0, 0, Window()), LDR_OK);
    EXPECT_TRUE(calls.empty());
}

// A unit reader that fails leaves what it registered; the next one runs.
TEST_F(DispatchTest, AFailingUnitReaderIsFollowedByTheNext)
{
    Readers().dwarf2Units = [](ReaderCall& call) {
        uint32_t module = 0;
        SymOpenModule("unit.c", nullptr, nullptr, 0, call.kind, 0, &module, 0);
        SymCloseModule(0);
        return LDR_E_MODULE;
    };
    bool symtabRan = false;
    Readers().elfSymtab = [&](ReaderCall&) {
        symtabRan = true;
        return LDR_OK;
    };
    const TempFile image("dwarf2.elf", Image({".debug_info"}));
    EXPECT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    EXPECT_TRUE(symtabRan);
    EXPECT_EQ(ModuleCount(), 1u);
}

// Esc in a unit reader ends the dispatch there: no later reader runs, the
// line tables are not read, and the load ends with LDR_E_USER_ABORT.
TEST_F(DispatchTest, EscInAUnitReaderEndsTheDispatch)
{
    RecordAllReaders();
    Readers().dwarf1Units = [this](ReaderCall&) {
        calls.push_back("dwarf1");
        return LDR_E_USER_ABORT;
    };
    const TempFile both("esc.elf", Image({".debug", ".debug_info", ".line", ".debug_line"}));
    EXPECT_EQ(LdrLoadWinElf(both.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_E_USER_ABORT);
    EXPECT_EQ(calls, (std::vector<std::string>{"dwarf1", "sort thumb", "free pending"}));
    EXPECT_EQ(ModuleCount(), 0u);
}

// The .symtab pass's failure (or Esc in a reader) fails the load, and quinar
// does not keep the half of the image that was read.
TEST_F(DispatchTest, AFailingDispatchLeavesQuinarEmpty)
{
    const TempFile image("fail.elf", Image({".debug_info"}));
    for (LdrResult failure : {LDR_E_SYMBOL_CALL, LDR_E_USER_ABORT}) {
        Readers().dwarf2Units = [](ReaderCall& call) {
            uint32_t module = 0;
            SymOpenModule("half.c", nullptr, nullptr, 0, call.kind, 0, &module, 0);
            SourceFileRecord record;
            record.module = module;
            record.name = record.baseName = "half.c";
            State().tables.AddSourceFile(record);
            return LDR_OK;
        };
        Readers().elfSymtab = [failure](ReaderCall&) { return failure; };
        EXPECT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), failure);
        EXPECT_EQ(ModuleCount(), 0u) << failure;
        EXPECT_TRUE(quinar::ListSymbols().empty()) << failure;
        EXPECT_EQ(progress.back(), 100u);
        EXPECT_FALSE(State().busy);
    }
    // A mode-0 load that fails frees the section table.
    EXPECT_TRUE(LoadedElfImage().sections.empty());

    // Memory running out inside a reader ends the load the same way.
    Readers().elfSymtab = [](ReaderCall&) -> LdrResult { throw std::bad_alloc(); };
    EXPECT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_E_NO_MEMORY);
    EXPECT_EQ(ModuleCount(), 0u);
    EXPECT_FALSE(State().busy);
}

TEST_F(DispatchTest, TablesLiveForADispatchOrForTheLoadedImage)
{
    const TempFile image("tables.elf", Image({".debug_info"}));
    bool sourceFilesEmptyAtStart = false;
    Readers().dwarf2Units = [&](ReaderCall&) {
        LoaderTables& t = State().tables;
        sourceFilesEmptyAtStart = t.sourceFiles.empty() && t.globalNames.empty() && t.externalVariables.empty();
        t.dwarf2Types[0x40] = {0x40, SYM_FIRST_TYPE_INDEX, "int"};
        t.globalNames["counter"] = {7, "counter"};
        t.externalVariables["errno"] = {8, "errno"};
        t.memberNames["move"] = "Point::move";
        t.stabsTypes[{1, 2}] = 0x10003;
        t.dwarf1Types[0x100] = 0x10004;
        t.classRanges["Point"] = {0x8000, 0x80FF};
        SourceFileRecord record;
        record.module = 0x10000001;
        record.baseName = "main.c";
        record.resolvedPath = "/src/main.c";
        record.resolved = true;
        t.AddSourceFile(record);
        return LDR_OK;
    };
    Readers().elfSymtab = [](ReaderCall&) {
        // The .symtab pass still sees the names the readers collected.
        const LoaderTables& t = State().tables;
        EXPECT_EQ(t.globalNames.count("counter"), 1u);
        EXPECT_EQ(t.LookUpDwarf2Type(0x40), SYM_FIRST_TYPE_INDEX);
        EXPECT_EQ(t.LookUpStabsType(1, 2), 0x10003u);
        return LDR_OK;
    };
    ASSERT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    const LoaderTables& t = State().tables;
    EXPECT_TRUE(t.dwarf2Types.empty() && t.globalNames.empty() && t.externalVariables.empty() &&
                t.memberNames.empty() && t.stabsTypes.empty() && t.dwarf1Types.empty());
    EXPECT_EQ(t.LookUpDwarf2Type(0x40), 0u);
    EXPECT_EQ(t.LookUpStabsType(1, 2), 0xFFFFFFFFu);
    uint32_t index = 0;
    bool found = true;
    t.LookUpDwarf1Type(0x100, &index, &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(index, 0x100u);

    // Source files and class ranges serve the queries after the load.
    DWORD range[2] = {};
    EXPECT_EQ(LdrGetClsFuncRange("Point", range), LDR_OK);
    EXPECT_EQ(range[0], 0x8000u);
    EXPECT_EQ(range[1], 0x80FFu);
    const DWORD module = 0x10000001;
    ZkString path = "unchanged";
    EXPECT_EQ(LdrGetSrcInfo("main.c", &module, &path), 0);
    EXPECT_EQ(path, "/src/main.c");

    // The next load starts from empty tables.
    ASSERT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
    EXPECT_TRUE(sourceFilesEmptyAtStart);

    bool forgotten = false;
    Readers().forgetImage = [&] { forgotten = true; };
    ResetOnCloseELF();
    EXPECT_TRUE(forgotten);
    EXPECT_EQ(LdrGetSrcInfo("main.c", &module, &path), 1);
    LdrGetClsFuncRange("Point", range);
    EXPECT_EQ(range[0], 0u);
    EXPECT_EQ(range[1], 0u);
}

}  // namespace
}  // namespace tarnel::test
