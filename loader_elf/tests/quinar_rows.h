// What the loaders left in quinar, read back for the tests: the module rows
// of the listing, the name of a source key, a symbol's details and a type's
// record.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <platform/global_memory.h>

#include "quinar/listing.h"
#include "quinar/quinar.h"

namespace tarnel::test {

// "<first>-<last> <name>" (or "- <name>") of every module, in the order made.
inline std::vector<std::string> ModuleRows()
{
    std::vector<std::string> modules;
    for (const std::string& row : quinar::ListSymbols())
        if (row.rfind("module ", 0) == 0)
            modules.push_back(row.substr(7));
    return modules;
}

// The source file name of a module or source key, "?" when it has none.
inline std::string SourceNameOf(uint32_t key)
{
    char* text = nullptr;
    if (SymGetSourceFileOfAddr(key, &text) != SYM_OK)
        return "?";
    std::string name = text;
    platform::FreeHandleBlock(text);
    return name;
}

struct SymbolDetails {
    uint32_t kind = 0, module = 0, start = 0, end = 0, attribute = 0, type = 0, size = 0, flags = 0, location = 0,
             scope = 0;
};

inline SymbolDetails DetailsOf(uint32_t handle)
{
    SymbolDetails d;
    EXPECT_EQ(SymGetSymbolDetails(handle, &d.kind, &d.module, &d.start, &d.end, &d.attribute, &d.type, &d.size,
                                  &d.flags, &d.location, &d.scope),
              SYM_OK);
    return d;
}

// name: a buffer of SYM_TYPE_NAME_SIZE bytes, or null.
inline SymTypeDesc TypeRecordOf(uint32_t index, char* name = nullptr)
{
    SymTypeDesc d{};
    d.nameBuffer = name;
    EXPECT_EQ(SymGetTypeRecord(index, &d), SYM_OK) << std::hex << index;
    return d;
}

}  // namespace tarnel::test
