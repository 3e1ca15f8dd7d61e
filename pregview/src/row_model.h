// The rows of the peripheral window's list: a row per group, its registers'
// rows when it is expanded, a register's fields (or its buffer, eight units
// a row) when the register is expanded. Counts are cached per group and
// register and worked out again after expand, collapse or reload.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "description.h"

namespace halvek {

enum class RowKind { None, Group, Register, Field, BufferLine };

struct RowRef {
    RowKind kind = RowKind::None;
    size_t group = 0, reg = 0, item = 0;  // item: the field, or the buffer line
};

// The cached counts of every group and register, and the total.
size_t RecountRows(Description& d);
// "Expand All" and "Compress All".
void SetAllExpanded(Description& d, bool expanded);
// The row by the cached counts (RecountRows after every expand, collapse
// or load).
RowRef FindRow(const Description& d, size_t row);

// The address text of a register (dolmer's AdrAddrToHex in the library).
using AddressText = std::function<std::string(uint32_t address)>;
// The row's text; "UNREADABLE" for a row that cannot be formed.
std::string RowText(const Description& d, size_t row, const AddressText& addressText);

// The value column of a register row: by width, question marks when unreadable.
std::string RegisterRowValue(const Register& r);

}  // namespace halvek
