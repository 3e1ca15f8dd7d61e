// Texts of breakpoint records: address, source position, dialog line.
#include "bp_text.h"

#include <dolmer/dolmer.h>
#include <platform/global_memory.h>
#include <quinar/quinar.h>

#include <cstdio>

namespace sarvik::ui {

std::optional<std::string> AddressText(const ADDR& addr)
{
    char text[32] = {};
    if (AdrAddrToHex(addr, text) != 1)
        return std::nullopt;
    return std::string(text);
}

std::string SourcePosition(uint32_t address)
{
    uint32_t module = 0, file = 0, line = 0, start = 0, end = 0, column = 0;
    if (SymAddrToSourceLine(address, &module, &file, &line, &start, &end, &column) != SYM_OK)
        return {};
    char* name = nullptr;
    if (SymGetSourceFileOfAddr(file, &name) != SYM_OK || !name)
        return {};
    std::string text = std::string("#") + name + "#" + std::to_string(static_cast<uint16_t>(line));
    // A returned text block: freed by the handle in front of it.
    platform::FreeHandleBlock(name);
    return text;
}

bool ShowsSourcePosition(const std::string& symbol)
{
    if (symbol.empty())
        return true;
    ADDR addr{};
    return AdrTextToAddr(symbol.c_str(), &addr, 1) == 1;
}

std::string LocationText(const CBpDataEx& record)
{
    if (!record.GetSymbol().empty())
        return record.GetSymbol();
    char text[16];
    std::snprintf(text, sizeof text, "%04X", record.GetAddr().off);
    return text;
}

std::optional<BpLine> LineOfRecord(const CBpDataEx& record)
{
    auto address = AddressText(record.GetAddr());
    if (!address)
        return std::nullopt;
    BpLine line;
    line.enabled = record.IsEnable() != 0;
    line.address = *address;
    if (ShowsSourcePosition(record.GetSymbol()))
        line.position = SourcePosition(record.GetAddr().off);
    line.condition = record.GetBpCondition();
    if (record.GetBpType() == BP_LINE_ACCESS) {
        line.access = true;
        line.accessType = record.GetAccessType();
        line.accessAddress = AddressText(record.GetAccessAddr()).value_or("0");
        line.macro = record.GetMacro();
    }
    line.count = record.GetCount();
    return line;
}

uint32_t TaskOfRecord(const CBpDataEx& record)
{
    const ADDR task = record.GetAccessAddr();
    if (task.seg != ADDR_SPACE_TARGET || task.off == 0xFFFFFFFFu)
        return 0;
    return task.off;
}

}  // namespace sarvik::ui
