// Texts of breakpoint records shared by the breakpoint dialog and the list
// window: the address text, the source position of an address, and the
// dialog's line of a record.
#pragma once

#include <optional>
#include <string>

#include "bp_line.h"
#include "sarvik/bp_records.h"

namespace sarvik::ui {

// AdrAddrToHex: "0x%08X"; nothing for an address without a text.
std::optional<std::string> AddressText(const ADDR& addr);
// "#file#line" of the address from the symbol library (the line as a
// 16-bit number); empty when the address has no source line.
std::string SourcePosition(uint32_t address);
// The record's symbol text is empty or an address text: its source
// position is shown instead.
bool ShowsSourcePosition(const std::string& symbol);
// The text "#%04X" style location the dialog shows for a record: its
// symbol text, or its address as "%04X" when that is empty.
std::string LocationText(const CBpDataEx& record);
// The dialog's line of a record; nothing when its address has no text.
std::optional<BpLine> LineOfRecord(const CBpDataEx& record);
// The task control-block address a record is qualified with (its access
// address in space 1), 0 when none.
uint32_t TaskOfRecord(const CBpDataEx& record);

}  // namespace sarvik::ui
