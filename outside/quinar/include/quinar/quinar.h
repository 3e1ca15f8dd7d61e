// quinar, the symbol library: one store of modules, source lines, symbols,
// types and variables of the loaded image. The image loaders fill it through
// the operations below in the order they read the debug information; the
// debugger core and the program's views read it back. Code of this tree
// calls the typed interface of quinar/symbol_store.h, which these entry
// points forward to.
//
// Conventions of every entry point:
// - results are SymResult: 0 success, the positive informational codes
//   below, or an error code; a few queries answer -1 / -2 as documented;
// - handles are 32-bit keys (never host pointers): the top four bits tell
//   the kind (SymKind), so one handle argument may name a module, a source
//   file, a function or a variable; 0 is never a handle;
// - strings come in as NUL-terminated `const char*`; texts the library hands
//   out are global-heap blocks with their handle in the 4 bytes in front of
//   the data, which the caller frees;
// - out-pointers that a caller does not want may be null;
// - everything runs on the GUI thread; nothing here is safe for a second thread.
#pragma once

#include <cstdint>

#include "emu_types.h"
#include "ldr_types.h"
#include "win_types.h"
#include "zk_string.h"

using SymResult = int32_t;

// Results that callers act on.
inline constexpr SymResult SYM_OK = 0;
inline constexpr SymResult SYM_S_IMAGE_LOADED = 0x400003E2;       // same image (path and stamp) is loaded
inline constexpr SymResult SYM_S_LINE_TABLE_ENDED = 0x40000364;   // table closed; its source name may be fetched
inline constexpr SymResult SYM_S_MODULE_NO_HANDLE = 0x50000338;   // module accepted, no handle given
inline constexpr SymResult SYM_S_VARIABLE_ACCEPTED = 0x500002D9;  // variable known already; handle of the first
inline constexpr SymResult SYM_NO_CODE = -1;                      // SymSourceLineToAddr: the line has no code
inline constexpr SymResult SYM_LINE_NO_CODE = -2;                 // SymLineToAddrRange: the line has no code

// Errors of this library.
inline constexpr SymResult SYM_E_ARGUMENT = 0x40000E01;       // a required argument is null or out of range
inline constexpr SymResult SYM_E_NOT_FOUND = 0x40000E02;      // no such name, address, line or member
inline constexpr SymResult SYM_E_BAD_HANDLE = 0x40000E03;     // the handle names nothing of the needed kind
inline constexpr SymResult SYM_E_NO_TYPE = 0x40000E04;        // the type index holds no type
inline constexpr SymResult SYM_E_TYPE_TAKEN = 0x40000E05;     // a type is stored under that index already
inline constexpr SymResult SYM_E_WRONG_TYPE = 0x40000E06;     // the operation does not fit the type's code
inline constexpr SymResult SYM_E_NO_LINE_TABLE = 0x40000E07;  // a row or end without an open line table
inline constexpr SymResult SYM_E_NO_SOURCE = 0x40000E08;      // the address has no source line
inline constexpr SymResult SYM_E_FULL = 0x40000E09;           // the type index space is used up
inline constexpr SymResult SYM_E_NO_MEMORY = 0x40000E0A;      // a returned text could not be allocated
inline constexpr SymResult SYM_E_SYNTAX = 0x40000E20;         // an expression that does not parse
inline constexpr SymResult SYM_E_NO_VALUE = 0x40000E21;       // no frame, or the register or memory read failed
inline constexpr SymResult SYM_E_FILE = 0x40000E22;           // a watch file that cannot be written or read, or is none

// Kinds of what a handle names (its top four bits) and of SymGetSymbolDetails.
enum SymKind : uint32_t {
    SYM_KIND_NONE = 0,
    SYM_KIND_MODULE = 1,
    SYM_KIND_FUNCTION = 2,  // a public symbol with a code range
    SYM_KIND_LABEL = 3,
    SYM_KIND_VARIABLE = 4,
    SYM_KIND_DATA_LABEL = 5,
    SYM_KIND_SOURCE = 6,    // a source file of a module other than its first one
    SYM_KIND_REGISTER = 7,  // a target register named in an expression ("@r0")
    SYM_KIND_FRAME = 8,     // a frame of the stopped target's call stack
};

// Type codes of SymTypeDesc (`TypeCode`).
enum SymTypeCode : uint32_t {
    SYM_TYPE_BASE = 0x42,      // 'B': a predefined base type of this library
    SYM_TYPE_CLASS = 0x43,     // 'C'
    SYM_TYPE_ENUM = 0x4E,      // 'N'
    SYM_TYPE_POINTER = 0x50,   // 'P'
    SYM_TYPE_STRUCT = 0x53,    // 'S'
    SYM_TYPE_TYPEDEF = 0x54,   // 'T'
    SYM_TYPE_UNION = 0x55,     // 'U'
    SYM_TYPE_ARRAY = 0x5A,     // 'Z': one record per dimension
    SYM_TYPE_BITFIELD = 0x67,  // 'g'
    SYM_TYPE_PROC = 0x78,      // 'x'
    SYM_TYPE_REFERENCE = 0x80,
};

// Predefined type indexes. 1 to 0x17 are the DWARF 1 fundamental types
// (their codes serve as indexes), 70 to 88 the ids of the DWARF 1 user
// fundamental codes 0x8008 ... 0xA310, which are accepted as indexes too.
// Indexes handed out by SymAllocTypeIndex start at SYM_FIRST_TYPE_INDEX.
inline constexpr uint32_t SYM_TYPE_INT = 8;  // 4-byte signed "int"
inline constexpr uint32_t SYM_TYPE_VOID = 20;
inline constexpr uint32_t SYM_FIRST_TYPE_INDEX = 0x10000;
inline constexpr uint32_t SYM_TYPE_NAME_SIZE = 80;     // name buffer of SymGetTypeRecord, BuildDetailedType
inline constexpr uint32_t SYM_MEMBER_NAME_SIZE = 128;  // name buffer of the member queries

// Type description handed to SymAddTypeRecord and filled by SymGetTypeRecord.
struct SymTypeDesc {
    uint32_t valid;  // 1
    uint32_t code;   // SymTypeCode
    uint32_t size;   // bytes
    union {
        const char* name;  // in: the type's name ("" when it has none)
        char* nameBuffer;  // out: caller's buffer of SYM_TYPE_NAME_SIZE bytes, or null
    };
    uint8_t sizeKnown;  // 1 when size holds the size
    uint32_t link;      // out: typedef base, pointer or reference target, array element,
                        // bit-field base or procedure return type; ignored in
};

// Module descriptor of SymOpenModule and SymAddModuleOpenByDescNew, and the
// code range of SymAddPublicSymbol: a section word and an inclusive address
// range. start 0xFFFFFFFF, or start above end, means no range yet.
struct SymModuleDesc {
    uint32_t section;
    uint32_t start;
    uint32_t end;
};

// Range record of SymSetModuleRange. For a module and a function the end is
// inclusive; for a variable it is the first address after the object.
struct SymRange {
    uint32_t start;
    uint32_t end;
    uint8_t startValid;  // 1
    uint8_t endValid;    // 1
};

// One array dimension: {inner type, upper bound}. The inner type is the
// element type for the last dimension, else the type of the next dimension.
struct SymArrayDim {
    uint32_t element;
    uint32_t bound;
};

// A structure or union member. Bit fields get a bit-field type
// (SymSetBitFieldInfo) as their type, or give their bits here.
struct SymStructMember {
    const char* name;
    uint32_t type;
    uint32_t offset;     // byte offset in the structure
    uint32_t byteSize;   // 0 when not given
    uint32_t bitOffset;  // DWARF bit offset (from the most significant bit of the unit)
    uint32_t bitSize;    // 0 for a member that is not a bit field
};

// Filled by SymGetStructMember.
struct SymMemberInfo {
    char* name;  // caller's buffer of SYM_MEMBER_NAME_SIZE bytes, or null
    uint32_t type;
    uint32_t offset;
    uint32_t bitOffset;
    uint32_t bitSize;
};

// Layout of a bit-field type. Its signedness follows the base type.
struct SymBitFieldInfo {
    uint32_t byteSize;   // size of the storage unit
    uint32_t bitOffset;  // from the most significant bit of the unit
    uint32_t bitSize;
    uint32_t baseType;
};

// Access codes of class members.
inline constexpr uint32_t SYM_ACCESS_PUBLIC = 0;
inline constexpr uint32_t SYM_ACCESS_PRIVATE = 1;
inline constexpr uint32_t SYM_ACCESS_PROTECTED = 2;

// A member slot of a class (SymAddTypeClass): data member or member function.
struct SymClassSlot {
    const char* name;
    uint32_t type;        // data member: its type
    uint32_t offset;      // data member: byte offset
    uint32_t isFunction;  // 1 for a member function
    uint32_t lowPc;       // member function: first address
    uint32_t highPc;      // member function: last address
    uint32_t access;      // SYM_ACCESS_*
};

// Filled by SymGetTypeClassNth.
struct SymClassMemberInfo {
    char* name;  // caller's buffer of SYM_MEMBER_NAME_SIZE bytes, or null
    uint32_t type;
    uint32_t offset;
    uint32_t isFunction;
    uint32_t lowPc;  // the member function's address
    uint32_t highPc;
    uint32_t access;  // access code in the low byte
};

// The class types of the image, in the order SymAddClassType listed them.
// Valid until the store changes.
struct SymClassInfo {
    uint32_t count;
    const uint32_t* types;
};

// Storage classes passed to SymAddVariable.
inline constexpr uint32_t SYM_STORAGE_LOCAL = 0;     // parameter or local: frame offset or register
inline constexpr uint32_t SYM_STORAGE_STATIC = 1;    // fixed address, file or function scope
inline constexpr uint32_t SYM_STORAGE_EXTERNAL = 2;  // global

// Attribute word of a symbol (SymGetSymbolDetails), the storage kind of the
// variable views; SymGetAddrSpace turns it into an address space.
inline constexpr uint32_t SYM_ATTR_FRAME = 0;  // location word 0 is a frame offset
inline constexpr uint32_t SYM_ATTR_STATIC = 1;
inline constexpr uint32_t SYM_ATTR_EXTERNAL = 2;
inline constexpr uint32_t SYM_ATTR_REGISTER = 5;  // location word 0 is a register number
inline constexpr uint16_t SYM_SPACE_FRAME = 0;
inline constexpr uint16_t SYM_SPACE_REGISTER = 4;

// A DWARF location description as the image gives it, for the variable
// views: DW_AT_location of a parameter or variable, DW_AT_frame_base of a
// function. Each piece is a DWARF expression that holds for the code
// addresses [low, high); a location list has one piece per range, a single
// expression one piece of low 0 and high 0xFFFFFFFF (every address).
struct SymLocationPiece {
    uint32_t low;
    uint32_t high;        // first address after the piece
    const uint8_t* expr;  // the expression's bytes (DW_OP_*)
    uint32_t length;
};

// Flag of SymGetSymbolDetails (variables and functions): a location list
// (variable) or frame base (function) is stored; SymGetLocationAt reads it.
inline constexpr uint32_t SYM_FLAG_LOCATION_LIST = 4;

// What SymGetSymbolInfo tells of a symbol.
struct SymSymbolInfo {
    uint32_t kind;  // SymKind
    // Where the symbol lives: space 1, a target address; SYM_SPACE_FRAME,
    // an offset from its function's frame base; SYM_SPACE_REGISTER, a
    // register number (DWARF numbering: 0-15 are r0-r15).
    ADDR address;
    uint32_t type;    // type index, 0 untyped
    uint32_t size;    // bytes, 0 when unknown
    uint32_t module;  // module handle, 0 for none
    uint32_t scope;   // enclosing function, 0 at file level
};

// A value of SymEvaluateExpr. The type code is the predefined type index of
// the value's type (1-23 and 70-88; SYM_VALUE_WORD for a plain number, a
// register or an untyped symbol; SYM_VALUE_POINTER for a pointer), so a
// caller converts the bits by code: they stand as read, not sign-extended;
// a float in the low 32 bits, a double in all 64.
inline constexpr uint32_t SYM_VALUE_WORD = 7;  // "int", 32 bits
inline constexpr uint32_t SYM_VALUE_POINTER = 13;
struct SymExprValue {
    uint32_t type;
    uint32_t size;  // bytes of the value
    uint64_t value;
};

// SymGetAddrInfo modes.
inline constexpr uint32_t SYM_ADDR_DATA = 1;  // the variable or data label at an address
inline constexpr uint32_t SYM_ADDR_CODE = 2;  // the function, label or module at an address

// ---- Call-frame information ------------------------------------------------
// The loaders hand over the rules of .debug_frame decoded per code range: rows
// of rules, each holding from its address up to the next row's (the last up
// to the range's end). Registers go by their DWARF numbers (ARM: 0-15 are
// r0-r15); the rules of r0-r15 are kept, those of other registers are not
// needed to find a caller.
enum SymFrameRuleKind : uint8_t {
    SYM_RULE_UNSPECIFIED = 0,  // no rule: the caller's value is this frame's (r13: the CFA)
    SYM_RULE_SAME_VALUE,
    SYM_RULE_UNDEFINED,       // not recoverable; for the return-address register: no caller
    SYM_RULE_OFFSET,          // saved in the word at CFA + value
    SYM_RULE_VAL_OFFSET,      // the value is CFA + value
    SYM_RULE_REGISTER,        // held in register `value`
    SYM_RULE_EXPRESSION,      // saved in the word at the address the expression computes
    SYM_RULE_VAL_EXPRESSION,  // the value the expression computes
};
inline constexpr uint32_t SYM_FRAME_REGISTERS = 16;
// Expression rules run with the CFA on the stack (DW_CFA_expression).
struct SymFrameRule {
    uint8_t kind;         // SymFrameRuleKind
    int32_t value;        // offset (bytes) or register
    const uint8_t* expr;  // DWARF expression of the expression rules
    uint32_t length;
};
struct SymFrameRow {
    uint32_t address;  // first address the row holds for
    // The CFA: register + offset, or the value of cfaExpr when it is given.
    // A register above 15 leaves the row without a CFA (no caller).
    uint32_t cfaRegister;
    int32_t cfaOffset;
    const uint8_t* cfaExpr;
    uint32_t cfaExprLength;
    SymFrameRule rules[SYM_FRAME_REGISTERS];
};

extern "C" {

// ---- Load -----------------------------------------------------------------

// Discards everything loaded: modules, lines, symbols, types (the predefined
// ones return to their sizes), classes and the image identity. The flag (1
// when all projects close, 0 otherwise) makes no difference.
SymResult SymClearSymbolTables(int32_t flag);
// SYM_S_IMAGE_LOADED when the store holds the symbols of this very image
// (same path, same stamp). Otherwise symbols of any other image are
// discarded, the image becomes the loaded one and the result is 0.
SymResult SymCheckImageLoaded(const char* path, uint32_t reserved, const ImageStamp* stamp);
// Ends a load: closes what the readers left open and builds the look-up indexes.
SymResult SymEndLoad();
// a = items of the store (modules, functions, labels, data labels,
// variables), b = modules, c = functions, d = line rows.
SymResult SymGetLoadCounts(uint32_t* a, uint32_t* b, uint32_t* c, uint32_t* d);
SymResult SymAddSection(const char* name, uint32_t index, uint32_t reserved, uint32_t attribute);
SymResult SymInitClassTypeArray();
SymResult SymInitFuncNameMap();
SymResult SymInitSymTable();

// ---- Modules ----------------------------------------------------------------

// Opens a new module; it stays the current module (functions, variables and
// labels added meanwhile belong to it) until SymCloseModule. position and
// kind are kept as given. An empty name gives SYM_S_MODULE_NO_HANDLE.
SymResult SymOpenModule(const char* name, const ImageStamp* stamp, const SymModuleDesc* desc, uint32_t position,
                        uint32_t kind, uint32_t reserved1, uint32_t* handle, uint32_t reserved2);
// Opens a known module again (its range grows by desc). A handle that the
// store does not hold (kept by a reader across a clear) makes a module under
// that handle.
SymResult SymAddModuleOpenByDescNew(uint32_t handle, const char* name, const ImageStamp* stamp,
                                    const SymModuleDesc* desc, uint32_t position, uint32_t kind, uint32_t reserved);
// Marks a module that another module of the same file name (other path) follows.
SymResult UpdateModuleReopenStatus(uint32_t handle);
SymResult SymCloseModule(uint32_t flag);
// Module handle: the module's range grows to cover range. Function handle:
// its code range becomes range. Variable handle: its address range becomes
// range. Handle 0: the current (or last closed) module.
SymResult SymSetModuleRange(const SymRange* range, uint32_t handle);
// Names the module's source file: line tables begun afterwards belong to the
// source file of that name (the module's first one when it is the first name).
SymResult SymSetModuleAttr(uint32_t handle, const char* text);

// ---- Lines ------------------------------------------------------------------

// key: a module (its current source file) or a source-file handle.
SymResult SymBeginLineTable(uint32_t key);
SymResult SymAddLineRow(uint32_t line, uint32_t column, uint32_t address, uint32_t reserved);
// SYM_S_LINE_TABLE_ENDED when the open table was closed.
SymResult SymEndLineTable();
// The name of the source file of a key (a module: its first source file, or
// its own name when it has none) as a returned text block.
SymResult SymGetSourceFileOfAddr(uint32_t key, char** text);

// ---- Types ------------------------------------------------------------------

// *highest = the highest type index in use; the caller's new index is
// *highest + 1 (readers may take a few more above it).
SymResult SymAllocTypeIndex(uint32_t* highest);
SymResult SymAddTypeRecord(uint32_t index, const SymTypeDesc* desc);
SymResult SymSetTypeBase(uint32_t index, uint32_t base);
SymResult SymSetTypeSize(uint32_t index, uint32_t size);
SymResult SymSetPointerTarget(uint32_t index, uint32_t target);
SymResult SymAddTypeReferenceTypeIndex(uint32_t index, uint32_t target);
SymResult SymUpdateTypePointerTypeIndex(uint32_t index, uint32_t target);
SymResult SymGetPointerTarget(uint32_t index, uint32_t* target);
SymResult SymSetArrayDims(uint32_t index, const SymArrayDim* dim);
// Sets the dimension of an array whose element was not known; 0 when the
// element is a type now, SYM_E_NO_TYPE while it is not (the caller retries).
SymResult SymUpdateTypeCArray(uint32_t index, const SymArrayDim* dim);
SymResult SymAddStructMember(uint32_t index, const SymStructMember* member);
SymResult SymSetBitFieldInfo(uint32_t index, const SymBitFieldInfo* info);
SymResult SymAddEnumConstant(uint32_t index, int32_t value, const char* name);
// *out (when given) receives the index.
SymResult SymAddProcType(uint32_t index, uint32_t reserved1, uint32_t reserved2, uint32_t reserved3,
                         uint32_t returnType, uint32_t parameterCount, uint32_t reserved4, uint32_t* out);
SymResult SymAddProcParam(uint32_t procType, uint32_t parameterType);
// SYM_E_NO_TYPE when the index holds no type.
SymResult SymGetTypeRecord(uint32_t index, SymTypeDesc* out);
SymResult SymAddClassType(uint32_t index);
SymResult SymAddTypeClass(uint32_t index, const SymClassSlot* slot);
// The type as C text ("struct node *", "char [16]"), cut to fit
// SYM_TYPE_NAME_SIZE bytes with its NUL.
SymResult BuildDetailedType(uint32_t index, char* text);
// The type a typedef chain stands for (the index itself for other types).
SymResult SymGetBaseType(uint32_t index, uint32_t* base);
SymResult SymGetStructMember(uint32_t index, uint32_t n, SymMemberInfo* out);
SymResult SymGetTypeClassNth(uint32_t index, uint32_t n, SymClassMemberInfo* out);
const SymClassInfo* SymGetAllClassInfo();

// ---- Symbols ----------------------------------------------------------------

// A function: opens its symbol block, which the parameters and locals added
// next belong to, until SymEndSymbolBlock. range: {section, first, last}.
SymResult SymAddPublicSymbol(const char* name, uint32_t isStatic, uint32_t reserved, const SymModuleDesc* range,
                             uint32_t procType);
// The function or global/static variable of that name. The module of scope
// (a module or a symbol of one, 0 for none) is searched first, newest match
// first (the function a reader has just added), then the whole store,
// oldest first.
SymResult SymLookupNamedSymbol(uint32_t scope, const char* name, uint32_t* handle);
SymResult SymEndSymbolBlock();
// location: three words. Register: word 0 = register number. Frame: word 0 =
// signed offset. Static and external: word 1 = address (word 0 a tag).
// A type that names no type gives SYM_E_NO_TYPE (0 means untyped).
SymResult SymAddVariable(const char* name, uint32_t type, uint32_t storage, uint32_t registerFlag,
                         const uint32_t* location, uint32_t constVolatile, uint32_t mode, uint32_t* handle);
// Stores a location description (pieces copied): handle names a variable
// (its location) or a function, 0 the innermost open function (its frame
// base). A count of 0 stores that the object has no location (optimized
// away). A later call replaces what was stored.
SymResult SymSetLocationList(uint32_t handle, const SymLocationPiece* pieces, uint32_t count);
// Stores the value of a variable the compiler keeps only as a constant
// (bytes copied, as the object would lie in target memory): its value is
// these bytes wherever its location list (stored before, the expressions
// unused) holds, or everywhere without one. A later call replaces what was
// stored; SymSetLocationList drops it.
SymResult SymSetConstValue(uint32_t handle, const uint8_t* bytes, uint32_t length);
// The n-th stored piece (0-based); its bytes stay valid until the store
// changes. SYM_E_NOT_FOUND past the last piece or when none is stored.
SymResult SymGetLocationPiece(uint32_t handle, uint32_t n, SymLocationPiece* out);
// The expression that holds at a code address (the first piece covering
// it). SYM_E_NOT_FOUND when no piece covers pc: the value is not available
// there.
SymResult SymGetLocationAt(uint32_t handle, uint32_t pc, const uint8_t** expr, uint32_t* length);
// The n-th variable (0-based) of a function's own scope, parameters first,
// in the order the reader added them (locals of its lexical blocks
// included, nested functions' not): handle and name (a buffer of
// SYM_MEMBER_NAME_SIZE bytes, or null). SYM_E_NOT_FOUND past the last.
SymResult SymGetFunctionVariable(uint32_t function, uint32_t n, uint32_t* variable, char* name);
SymResult SymAddLabel(const char* name, uint32_t value);
// With a module open: a label of that module at value. Without: a new
// module of that name (an S-record module line), which the following
// labels belong to.
SymResult SymAddModuleByName(const char* name, uint32_t value);
SymResult SymAddDataLabel(uint32_t address, const char* name, uint32_t type, uint32_t section, uint32_t address2);
// 0 when a function of that name exists.
SymResult SymFindPublicSymbol(const char* name);
// Pairs a display name or signature ("Point::move(int, int)") with the name
// the function is known by ("Point::move").
SymResult SymAddFuncNametoMap(const char* signature, const char* name);
// kind: SymKind; start, end: the range (see SymRange); attribute: storage
// kind (SYM_ATTR_*); flags: bit 0 register, bit 1 const/volatile (variables),
// reopen bits (modules), SYM_FLAG_LOCATION_LIST (variables and functions);
// location: word 0 of a variable, section of a function or data label;
// scope: the enclosing function of a variable or nested function.
SymResult SymGetSymbolDetails(uint32_t handle, uint32_t* kind, uint32_t* module, uint32_t* start, uint32_t* end,
                              uint32_t* attribute, uint32_t* type, uint32_t* size, uint32_t* flags, uint32_t* location,
                              uint32_t* scope);
uint16_t SymGetAddrSpace(uint32_t attribute);

// ---- Queries ----------------------------------------------------------------

// The source line of a code address: module handle, source key (the module
// handle for its first source file), one-based line, first and last address
// of the line's code range that holds the address, and column.
SymResult SymAddrToSourceLine(uint32_t address, uint32_t* module, uint32_t* file, uint32_t* line, uint32_t* start,
                              uint32_t* end, uint32_t* column);
// The first code address of a line; SYM_NO_CODE when the line has none.
SymResult SymSourceLineToAddr(uint32_t key, uint32_t line, uint32_t* address);
// The code ranges of a line, lowest first; *iterator keeps the place.
// Nonzero when no (further) range exists.
SymResult SymSrcLinenum2FirstRange(uint32_t key, uint32_t line, uint32_t* start, uint32_t* end, uint32_t* iterator);
SymResult SymSrcLinenum2NextRange(uint32_t key, uint32_t line, uint32_t* start, uint32_t* end, uint32_t* iterator);
// The first code range of a line in space 1; SYM_LINE_NO_CODE when the line
// has none, SYM_E_BAD_HANDLE for an unknown key.
SymResult SymLineToAddrRange(uint32_t key, uint32_t line, ADDR* start, ADDR* end, int32_t keepLine);
// What lies at an address (SYM_ADDR_CODE: innermost function, else the
// nearest label below in the same module, else the module; SYM_ADDR_DATA:
// the global or static variable, else the data label). kind: SymKind;
// start, end: its range, both inclusive; handle: the function (the key of
// its frame information), variable, label or module; offset: address - start.
SymResult SymGetAddrInfo(uint32_t mode, uint32_t address, uint32_t* module, uint32_t* kind, uint32_t* start,
                         uint32_t* end, uint32_t* handle, uint32_t* offset);
// Names may carry one leading '#'.
SymResult SrcGetFuncRange(const char* name, ADDR* start, ADDR* end);
SymResult SymCheckFunctionName(const char* name);
// The n-th module (0-based) that holds a source file of that name (the file
// part of a path, compared without regard to case; a module name without
// extension also matches); *module is the source key of that file.
SymResult SymFindModuleByIndex(const char* fileName, uint32_t index, uint32_t* module);
SymResult SymFindModuleByName(const char* name, uint32_t* module);
// The module of a code address. *position = module ordinal (1-based) in the
// high 16 bits and the address's source line (0 when none) in the low 16.
SymResult SymAddrToModule(uint32_t address, uint32_t* position, uint32_t* module);
SymResult SymGetModuleCount(uint32_t* count);
// The handle of the n-th module (0-based) in the order modules were made.
SymResult SymGetModuleHandle(uint32_t ordinal, uint32_t* handle);
// Forgets the derived per-module look-up tables (rebuilt on the next query).
SymResult FreeModuleDescMap();
SymResult SymNotifyTargetHalted();
// 0 (the default): names are compared without regard to case.
SymResult SymSetCaseSensitive(int32_t flag);
// The library's set-up at connect: keeps the main frame's window and the
// case option of look-ups (non-zero: names compare with case).
SymResult SymInitServer(HWND frame, int32_t caseSensitive);
// The address of a symbol text ("#name" or "name"; space 1): a function's
// first address, else a label's value. SYM_OK when found; *out unchanged
// otherwise.
SymResult SymServerSymToAddr(const char* text, ADDR* out);

// Modes of SymGetAddrSymbolName.
inline constexpr uint32_t SYM_NAME_CODE_OR_DATA = 1;  // the function or label holding it, else the variable
inline constexpr uint32_t SYM_NAME_WITH_OFFSET = 2;   // the same, "+0x<offset>" appended when not at the start
// The name of what lies at an address, cut to fit size bytes with its NUL
// (an empty text when nothing is found). SYM_E_NOT_FOUND when no function,
// label, variable or data label holds the address; SYM_E_ARGUMENT for a
// null buffer, a zero size or an unknown mode.
SymResult SymGetAddrSymbolName(uint32_t address, char* buffer, uint32_t size, uint32_t mode);
// The target address of a symbol ("#name" or "name"): a function's first
// address, a label's value or a data label's address, else the address of
// a global or static variable. *address unchanged when not found.
SymResult SymGetSymbolAddr(const char* name, uint32_t* address);

// ---- Frames -------------------------------------------------------------------

// The rows of the code range [start, end) (bytes copied), in address order,
// the first at start; returnRegister holds the return address (ARM: 14).
// Of overlapping ranges the lower one holds (at one start, the first added);
// an empty range adds nothing. Cleared with the symbols.
SymResult SymAddFrameTable(uint32_t start, uint32_t end, uint32_t returnRegister, const SymFrameRow* rows,
                           uint32_t count);
// The frame of the code at pc in the stopped target: the target's registers
// with pc as r15 (the innermost frame). *frame: its handle; *caller: the
// caller's frame handle, 0 when there is none (no frame information covers
// pc, or the return address is undefined); *function: the function at pc
// (SymGetAddrInfo's handle), 0 for none. Handles name frames of this walk
// only: the next call retires them. SYM_E_NO_VALUE when the registers
// cannot be read.
SymResult StackAddrMapBlock(uint32_t pc, uint32_t* frame, uint32_t* caller, uint32_t* function);
// The caller of a frame, found by its rules: the caller's frame handle (ask
// it for its own caller in turn), the return address (the
// caller's PC, Thumb bit cleared), the frame's CFA (the caller's stack
// pointer) and the caller's function. SYM_E_NOT_FOUND when the frame has no
// caller, SYM_E_BAD_HANDLE for a handle of no frame of the current walk.
SymResult SymGetFrameCaller(uint32_t frame, uint32_t* caller, uint32_t* returnAddress, uint32_t* cfa,
                            uint32_t* function);

// ---- Expressions ------------------------------------------------------------
// Names are looked up from a scope outwards: the locals of a function and of
// the functions around it, the statics and globals of its module, then the
// whole store. A register is named "@r0", "@(r0)" or "$r0" (the CPU model's
// names: r0-r15, sp, lr, pc, cpsr, spsr).

// The symbol of that name seen from scope (a function, a module or a symbol
// of one; 0: the whole store only). A name may carry one leading '#'.
SymResult SymFindSymbolByName(uint32_t scope, const char* name, uint32_t* handle);
SymResult SymGetSymbolInfo(uint32_t handle, SymSymbolInfo* info);
// The name of a function, variable, label, data label, module or register,
// cut to fit size bytes with its NUL.
SymResult SymGetSymbolName(uint32_t handle, char* buffer, uint32_t size);
// The value of an expression at the target's stop: the scope is the
// function at the PC, frame locals count from its frame base, registers and
// memory are read from the target. Expressions: a symbol name, a register,
// a number (C forms: 16, 0x10, 020), and "*" before any of them for the
// 32-bit word at that address (or the object a pointer points to).
SymResult SymEvaluateExpr(const char* text, SymExprValue* value);

// ---- The source editor's names --------------------------------------------
// 0 when the name is a variable known at the one-based source line (a
// global, or a parameter, local or static of the function at the stopped PC
// whose lines hold the line); -27 (EMU_TARGET_LOST) when the target
// connection is lost; anything else means no.
int SymCheckVariableAtLine(const char* name, int32_t line);
// 0 and the variable's value as text (see SymbolStore::VariableValueText);
// module: the source key of the file the line belongs to (0: any).
int SymGetVariableValueText(uint32_t module, int32_t line, const char* name, ZkString* text);

// ---- Watch lists ------------------------------------------------------------
// The four watch lists into a file and back (SymbolStore::SaveWatchLists,
// RestoreWatchLists); 0 on success.
int Var_SaveVar(const char* path);
int Var_RestoreVar(const char* path);

}  // extern "C"
