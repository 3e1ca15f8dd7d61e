// What the DWARF 2 readers make of the entries and line programs: typed
// records that one adapter (QuinarRecords, dwarf2_quinar.h) hands to the
// symbol store. Type indexes, handles and codes are the store's.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarnel {

// A type as the store's type table keeps it.
struct TypeRecord {
    uint32_t index = 0;
    uint32_t code = 0;  // SYM_TYPE_*
    uint32_t size = 0;
    std::string_view name;
    bool sizeKnown = false;
};

// A structure or union member; a bit field's type is the bit-field type
// made over its declared type.
struct MemberRecord {
    std::string_view name;
    uint32_t type = 0;
    uint32_t offset = 0;  // in bytes
    uint32_t byteSize = 0;
    uint32_t bitOffset = 0;
    uint32_t bitSize = 0;
};

// The storage unit of a bit field and the type it is read as.
struct BitFieldRecord {
    uint32_t byteSize = 0;
    uint32_t bitOffset = 0;  // from the unit's most significant bit
    uint32_t bitSize = 0;
    uint32_t type = 0;
};

// A data member or member function of a class.
struct ClassSlotRecord {
    std::string_view name;
    uint32_t type = 0;
    uint32_t offset = 0;
    bool isFunction = false;
    uint32_t lowPc = 0;
    uint32_t highPc = 0;  // last address
    uint32_t access = 0;  // SYM_ACCESS_*
};

// A function with code: its symbol block opens at it.
struct FunctionRecord {
    std::string_view name;
    bool isStatic = false;
    uint32_t low = 0;
    uint32_t high = 0;  // last address
    uint32_t procType = 0;
};

// A variable or parameter: its storage (SYM_STORAGE_*) and the words of
// its location (a register number, a frame offset, or an address tag and
// an address).
struct VariableRecord {
    std::string_view name;
    uint32_t type = 0;
    uint32_t storage = 0;
    bool inRegister = false;
    uint32_t location[3] = {0, 0, 0};
    uint64_t entry = 0;  // unit header and entry offsets in .debug_info, 0 none
};

// A compile unit's module: its name, range (NO_RANGE_START: none) and place
// in the file.
struct ModuleRecord {
    std::string_view name;
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t position = 0;
    uint32_t kind = 0;
};

}  // namespace tarnel
