// The typed store as the tree's loaders and views call it, and the entry
// points' conversions at the C boundary over it.
#include <array>
#include <string>

#include "store_fixture.h"

namespace quinar::test {
namespace {

class SymbolStoreTest : public StoreTest {
protected:
    SymbolStore& symbols = Symbols();
};

// A unit filled the way a reader does it, through the typed calls only:
//   module "app.c" over 0x100-0x1FF, main at 0x100-0x13F with a local,
//   a global counter at 0x8000, a label and three line rows.
TEST_F(SymbolStoreTest, AReaderFillsTheStoreAndTheCountsNameWhatItHolds)
{
    EXPECT_EQ(symbols.Counts().items, 0u);
    const auto unnamed = symbols.OpenModule("", {});
    EXPECT_EQ(unnamed.status, SYM_S_MODULE_NO_HANDLE);
    EXPECT_EQ(unnamed.value, 0u);

    const auto module = symbols.OpenModule("app.c", {kStamp, SymModuleDesc{2, 0x100, 0x1FF}, 7, 1});
    ASSERT_TRUE(module);
    ASSERT_EQ(symbols.AddFunction("main", false, {2, 0x100, 0x13F}, 0), SYM_OK);
    VariableEntry local{"argc", SYM_TYPE_INT, SYM_STORAGE_LOCAL, false, {static_cast<uint32_t>(-8), 0, 0}};
    const auto argc = symbols.AddVariable(local);
    ASSERT_TRUE(argc);
    ASSERT_EQ(symbols.EndSymbolBlock(), SYM_OK);
    VariableEntry global{"counter", SYM_TYPE_INT, SYM_STORAGE_EXTERNAL, false, {3, 0x8000, 0}};
    const auto counter = symbols.AddVariable(global);
    ASSERT_TRUE(counter);
    // A re-read entry is kept once: the first one's handle comes back.
    const auto again = symbols.AddVariable(global);
    EXPECT_EQ(again.status, SYM_S_VARIABLE_ACCEPTED);
    EXPECT_EQ(again.value, counter.value);
    EXPECT_EQ(symbols.AddVariable({"bad", 0x7777}).status, SYM_E_NO_TYPE);
    EXPECT_EQ(symbols.AddLabel("", 0x120), SYM_E_ARGUMENT);
    ASSERT_EQ(symbols.AddLabel("loop", 0x120), SYM_OK);
    ASSERT_EQ(symbols.BeginLineTable(module.value), SYM_OK);
    for (uint32_t row = 0; row < 3; ++row)
        ASSERT_EQ(symbols.AddLineRow(10 + row, 1, 0x100 + 0x10 * row), SYM_OK);
    ASSERT_EQ(symbols.EndLineTable(), SYM_S_LINE_TABLE_ENDED);
    symbols.CloseModule();
    symbols.EndLoad();

    const LoadCounts counts = symbols.Counts();
    EXPECT_EQ(counts.modules, 1u);
    EXPECT_EQ(counts.functions, 1u);
    EXPECT_EQ(counts.items, 5u) << "module, function, label and two variables";
    EXPECT_EQ(counts.lineRows, 3u);
    uint32_t a = 0, b = 0, c = 0, d = 0;
    ASSERT_EQ(SymGetLoadCounts(&a, &b, &c, &d), SYM_OK);
    EXPECT_EQ((std::array{a, b, c, d}), (std::array{counts.items, counts.modules, counts.functions, counts.lineRows}));

    const auto details = symbols.Details(argc.value);
    ASSERT_TRUE(details);
    EXPECT_EQ(details->kind, SYM_KIND_VARIABLE);
    EXPECT_EQ(details->module, module.value);
    EXPECT_EQ(details->location, static_cast<uint32_t>(-8));
    EXPECT_EQ(symbols.LookupNamedSymbol(module.value, "counter").value, counter.value);
    EXPECT_EQ(symbols.LookupNamedSymbol(0, "nothing").status, SYM_E_NOT_FOUND);
    const auto main = symbols.FunctionRange("#main");
    ASSERT_TRUE(main);
    EXPECT_EQ(main->start, 0x100u);
    EXPECT_EQ(main->end, 0x13Fu);
    EXPECT_EQ(symbols.SymbolName(counter.value).value, "counter");
    EXPECT_EQ(symbols.SourceFileName(module.value).value, "app.c");
}

TEST_F(SymbolStoreTest, LinesAndModulesOfAnAddressMatchTheEntryPoints)
{
    const uint32_t module = OpenModule("m.c", 0x100, 0x1FF);
    AddTable(module, {{4, 0, 0x100}, {5, 2, 0x108}, {4, 0, 0x110}, {6, 0, 0x118}});
    SymCloseModule(0);

    const auto line = symbols.SourceLineAt(0x10C);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->module, module);
    EXPECT_EQ(line->file, module);
    EXPECT_EQ(line->line, 5u);
    EXPECT_EQ(line->start, 0x108u);
    EXPECT_EQ(line->end, 0x10Fu);
    EXPECT_EQ(line->column, 2u);
    EXPECT_EQ(symbols.SourceLineAt(0x400).status, SYM_E_NO_SOURCE);

    // Line 4 has two ranges; the entry points walk the same ones.
    uint32_t iterator = 0, start = 0, end = 0;
    ASSERT_EQ(SymSrcLinenum2FirstRange(module, 4, &start, &end, &iterator), SYM_OK);
    for (uint32_t n = 0;; ++n) {
        const auto range = symbols.LineRange(module, 4, n);
        if (!range) {
            EXPECT_EQ(range.status, SYM_E_NOT_FOUND);
            EXPECT_EQ(n, 2u);
            EXPECT_NE(SymSrcLinenum2NextRange(module, 4, &start, &end, &iterator), SYM_OK);
            break;
        }
        if (n > 0)
            ASSERT_EQ(SymSrcLinenum2NextRange(module, 4, &start, &end, &iterator), SYM_OK);
        EXPECT_EQ(start, range->start);
        EXPECT_EQ(end, range->end);
    }
    EXPECT_EQ(symbols.LineRange(module, 9).status, SYM_E_NOT_FOUND);
    EXPECT_EQ(symbols.LineRange(0x7FFFFFF, 4).status, SYM_E_BAD_HANDLE);
    uint32_t address = 0;
    EXPECT_EQ(SymSourceLineToAddr(module, 9, &address), SYM_NO_CODE);

    const auto at = symbols.ModuleAt(0x10C);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->module, module);
    EXPECT_EQ(at->ordinal, 1u);
    EXPECT_EQ(at->line, 5u);
    uint32_t position = 0, handle = 0;
    ASSERT_EQ(SymAddrToModule(0x10C, &position, &handle), SYM_OK);
    EXPECT_EQ(position, 0x10005u);
    EXPECT_EQ(handle, module);
}

// Typed records keep whole names; the entry points cut them to the
// caller's buffer.
TEST_F(SymbolStoreTest, LongNamesAreWholeInRecordsAndCutAtTheBoundary)
{
    const std::string longName(200, 'n');
    const uint32_t type = AddType(SYM_TYPE_STRUCT, 8, longName.c_str());
    const SymStructMember member{longName.c_str(), SYM_TYPE_INT, 4, 4, 0, 0};
    ASSERT_EQ(symbols.AddStructMember(type, member), SYM_OK);

    const auto record = symbols.Type(type);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->code, SYM_TYPE_STRUCT);
    EXPECT_EQ(record->size, 8u);
    EXPECT_EQ(record->name, longName);
    char name[SYM_TYPE_NAME_SIZE];
    SymTypeDesc desc{};
    desc.nameBuffer = name;
    ASSERT_EQ(SymGetTypeRecord(type, &desc), SYM_OK);
    EXPECT_EQ(std::string(name), longName.substr(0, SYM_TYPE_NAME_SIZE - 1));

    const auto first = symbols.StructMember(type, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name, longName);
    EXPECT_EQ(first->offset, 4u);
    char memberName[SYM_MEMBER_NAME_SIZE];
    SymMemberInfo info{memberName};
    ASSERT_EQ(SymGetStructMember(type, 0, &info), SYM_OK);
    EXPECT_EQ(std::string(memberName), longName.substr(0, SYM_MEMBER_NAME_SIZE - 1));
    EXPECT_EQ(symbols.StructMember(type, 1).status, SYM_E_NOT_FOUND);
    EXPECT_EQ(symbols.StructMember(SYM_TYPE_INT, 0).status, SYM_E_WRONG_TYPE);
    EXPECT_EQ(symbols.Type(0x7FFFFF).status, SYM_E_NO_TYPE);
}

// Null arguments stop at the boundary: the store is not touched.
TEST_F(SymbolStoreTest, NullArgumentsAreRefusedBeforeTheStore)
{
    const SymModuleDesc range{2, 0x100, 0x1FF};
    uint32_t handle = 5;
    EXPECT_EQ(SymOpenModule("m.c", &kStamp, &range, 0, 1, 0, nullptr, 0), SYM_E_ARGUMENT);
    EXPECT_EQ(SymAddPublicSymbol(nullptr, 0, 0, &range, 0), SYM_E_ARGUMENT);
    EXPECT_EQ(SymAddPublicSymbol("f", 0, 0, nullptr, 0), SYM_E_ARGUMENT);
    EXPECT_EQ(SymAddVariable(nullptr, 0, SYM_STORAGE_STATIC, 0, nullptr, 0, 0, &handle), SYM_E_ARGUMENT);
    EXPECT_EQ(SymAddLabel(nullptr, 0), SYM_E_ARGUMENT);
    EXPECT_EQ(SymAddDataLabel(0, nullptr, 0, 0, 0), SYM_E_ARGUMENT);
    EXPECT_EQ(SymAddModuleByName(nullptr, 0), SYM_E_ARGUMENT);
    EXPECT_EQ(SymCheckImageLoaded(nullptr, 0, &kStamp), SYM_E_ARGUMENT);
    EXPECT_EQ(SymSetLocationList(0, nullptr, 2), SYM_E_ARGUMENT);
    EXPECT_EQ(handle, 5u);
    EXPECT_EQ(symbols.Counts().items, 0u);
}

}  // namespace
}  // namespace quinar::test
