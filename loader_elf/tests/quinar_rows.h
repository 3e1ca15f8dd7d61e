// What the loaders left in quinar, read back for the tests: the module rows
// of the listing and the name of a source key.
#pragma once

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

}  // namespace tarnel::test
