// Test helpers: a fresh store per test, and the calls a loader makes to fill
// it, written out once.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "quinar/quinar.h"
#include "quinar/symbol_store.h"
#include "text_block.h"

namespace quinar::test {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SymClearSymbolTables(0);
        SymSetCaseSensitive(0);
    }
    void TearDown() override { SymClearSymbolTables(0); }
};

inline constexpr ImageStamp kStamp{0, 5, 17, 9, 30, 12, 0};

// Opens a module as the DWARF readers do: {section 2, first, last}.
inline uint32_t OpenModule(const char* name, uint32_t start = 0xFFFFFFFF, uint32_t end = 0)
{
    SymModuleDesc desc{2, start, end};
    uint32_t handle = 0;
    EXPECT_EQ(SymOpenModule(name, &kStamp, &desc, 0, 1, 0, &handle, 0), SYM_OK);
    return handle;
}

struct Row {
    uint32_t line;
    uint32_t column;
    uint32_t address;
};

// One line table of a key (a module or a source file).
inline void AddTable(uint32_t key, std::initializer_list<Row> rows)
{
    ASSERT_EQ(SymBeginLineTable(key), SYM_OK);
    for (const Row& r : rows)
        ASSERT_EQ(SymAddLineRow(r.line, r.column, r.address, 0), SYM_OK);
    ASSERT_EQ(SymEndLineTable(), SYM_S_LINE_TABLE_ENDED);
}

// A function with a procedure type; its symbol block stays open.
inline void AddFunction(const char* name, uint32_t first, uint32_t last, uint32_t isStatic = 0)
{
    SymModuleDesc range{2, first, last};
    ASSERT_EQ(SymAddPublicSymbol(name, isStatic, 0, &range, 0), SYM_OK);
}

// The new type index a reader would take: allocated value + step.
inline uint32_t NewIndex(uint32_t step = 1)
{
    uint32_t highest = 0;
    EXPECT_EQ(SymAllocTypeIndex(&highest), SYM_OK);
    return highest + step;
}

inline uint32_t AddType(uint32_t code, uint32_t size, const char* name = "", uint32_t step = 1)
{
    uint32_t index = NewIndex(step);
    SymTypeDesc desc{1, code, size, {name}, 1, 0};
    EXPECT_EQ(SymAddTypeRecord(index, &desc), SYM_OK);
    return index;
}

inline std::string TypeText(uint32_t index)
{
    char text[SYM_TYPE_NAME_SIZE];
    EXPECT_EQ(BuildDetailedType(index, text), SYM_OK);
    return text;
}

// The name text of a source key, freed again.
inline std::string SourceName(uint32_t key)
{
    char* text = nullptr;
    if (SymGetSourceFileOfAddr(key, &text) != SYM_OK)
        return "<none>";
    std::string name = text;
    FreeReturnedText(text);
    return name;
}

}  // namespace quinar::test
