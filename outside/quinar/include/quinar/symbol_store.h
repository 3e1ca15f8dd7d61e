// The symbol store as the tree's own code calls it: typed records and small
// value types over the one process-wide store. The C entry points of
// quinar.h convert their arguments and forward here; callers inside the tree
// use this interface.
//
// Handles, result codes, kinds and the record structs shared with the entry
// points (SymModuleDesc, SymTypeDesc, SymFrameRow, ...) are those of
// quinar.h. A query that finds nothing answers a Result whose status tells
// why (SYM_E_BAD_HANDLE, SYM_E_NOT_FOUND, ...); its value is then the
// default.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quinar/quinar.h"

namespace quinar {

// A value, or the result code that tells why there is none. Some operations
// answer an informational status with a value (OpenModule of an unnamed
// module: SYM_S_MODULE_NO_HANDLE; AddVariable of a known variable:
// SYM_S_VARIABLE_ACCEPTED and the first one's handle).
template <class T>
struct Result {
    SymResult status = SYM_OK;
    T value{};

    bool ok() const { return status == SYM_OK; }
    explicit operator bool() const { return ok(); }
    const T& operator*() const { return value; }
    const T* operator->() const { return &value; }
};

// What the store holds, counted by kind.
struct LoadCounts {
    uint32_t items = 0;  // modules, functions, labels, data labels and variables together
    uint32_t modules = 0;
    uint32_t functions = 0;
    uint32_t lineRows = 0;
};

// How a reader describes a module it opens or opens again.
struct ModuleOpening {
    std::optional<ImageStamp> stamp;
    std::optional<SymModuleDesc> range;  // section and inclusive code range
    uint32_t position = 0;               // the reader's debug-information position, kept as given
    uint32_t kind = 0;                   // the reader's kind word, kept as given
};

// A variable or parameter as a reader hands it over.
struct VariableEntry {
    std::string_view name;
    uint32_t type = 0;  // type index, 0 untyped
    uint32_t storage = SYM_STORAGE_LOCAL;
    bool isRegister = false;
    // Register: word 0 = register number. Frame: word 0 = signed offset.
    // Static and external: word 1 = address (word 0 a tag).
    std::array<uint32_t, 3> location{};
    bool constVolatile = false;
    uint32_t mode = 0;
    // The image's own identity of the entry the variable comes from (a
    // DWARF unit and entry offset), 0 for none. A variable handed over again
    // with the same identity is the one already held; with an identity,
    // equal fields never make two entries one.
    uint64_t entry = 0;
};

// A symbol's details. Fields a kind does not have stay 0.
struct SymbolDetails {
    SymKind kind = SYM_KIND_NONE;
    uint32_t module = 0;  // module handle, 0 for none
    uint32_t start = 0;   // range as SymRange gives it
    uint32_t end = 0;
    uint32_t attribute = 0;  // storage kind, SYM_ATTR_*
    uint32_t type = 0;       // type index (procedure type of a function)
    uint32_t size = 0;       // bytes
    // Variables: bit 0 register, bit 1 const/volatile; modules: bit 0
    // opened again, bit 1 a same-named module follows; variables and
    // functions: SYM_FLAG_LOCATION_LIST.
    uint32_t flags = 0;
    uint32_t location = 0;  // word 0 of a variable, section of a function, module or data label
    uint32_t scope = 0;     // enclosing function of a variable or nested function, 0 for none
};

// A code address's source line.
struct SourceLine {
    uint32_t module = 0;  // module handle
    uint32_t file = 0;    // source key: the module handle for its first source file
    uint32_t line = 0;    // one-based
    uint32_t start = 0;   // first and last address of the line's code range holding the address
    uint32_t end = 0;
    uint32_t column = 0;
    // The range begins a statement (a place where a source step stops);
    // false for code inside a statement that a compiler gave rows of its own.
    bool statement = true;
};

// An inclusive code range.
struct CodeRange {
    uint32_t start = 0;
    uint32_t end = 0;
};

// What lies at an address (CodeAt, DataAt).
struct AddressInfo {
    SymKind kind = SYM_KIND_NONE;
    uint32_t module = 0;  // module handle, 0 for none
    uint32_t start = 0;   // the thing's range, both inclusive
    uint32_t end = 0;
    uint32_t handle = 0;  // function, variable, label, data label or module
    uint32_t offset = 0;  // address - start
};

// The module of a code address.
// What a module is: its source name and its inclusive code range (when the
// reader gave one).
struct ModuleInformation {
    std::string name;
    uint32_t start = 0;
    uint32_t end = 0;
    bool hasRange = false;
};

struct AddressModule {
    uint32_t module = 0;   // module handle
    uint32_t ordinal = 0;  // 1-based, in the order modules were made
    uint32_t line = 0;     // the address's source line, 0 when none
};

// A type's record (SymGetTypeRecord).
struct TypeInfo {
    SymTypeCode code{};
    uint32_t size = 0;
    bool sizeKnown = false;
    std::string name;
    // Typedef base, pointer or reference target, array element, bit-field
    // base or procedure return type.
    uint32_t link = 0;
};

// A data member of a structure, union or class.
struct MemberInfo {
    std::string name;
    uint32_t type = 0;
    uint32_t offset = 0;
    uint32_t bitOffset = 0;
    uint32_t bitSize = 0;  // 0 for a member that is not a bit field
};

// A member slot of a class: data member or member function.
struct ClassMember {
    std::string name;
    uint32_t type = 0;
    uint32_t offset = 0;
    bool isFunction = false;
    uint32_t lowPc = 0;  // member function: first and last address
    uint32_t highPc = 0;
    uint32_t access = SYM_ACCESS_PUBLIC;
};

// A variable of a function's scope.
struct FunctionVariable {
    uint32_t handle = 0;
    std::string name;
};

// The innermost frame of a walk (StartFrameWalk).
struct FrameStart {
    uint32_t frame = 0;
    uint32_t caller = 0;    // 0 when there is none
    uint32_t function = 0;  // function at pc, 0 for none
};

// The caller of a frame (FrameCaller).
struct CallerFrame {
    uint32_t frame = 0;          // the caller's frame handle
    uint32_t returnAddress = 0;  // the caller's PC, Thumb bit cleared
    uint32_t cfa = 0;            // the callee's CFA: the caller's stack pointer
    uint32_t function = 0;       // the caller's function, 0 for none
};

class SymbolStore {
public:
    SymbolStore(const SymbolStore&) = delete;
    SymbolStore& operator=(const SymbolStore&) = delete;

    // ---- Load
    // Discards everything loaded (SymClearSymbolTables).
    void Clear();
    // SYM_S_IMAGE_LOADED when the store holds this very image's symbols;
    // otherwise other symbols go and the image becomes the loaded one (0).
    SymResult CheckImageLoaded(std::string_view path, const ImageStamp& stamp);
    void EndLoad();
    LoadCounts Counts() const;
    void AddSection(std::string_view name, uint32_t index, uint32_t attribute);
    void ClearClassTypes();
    void ClearFunctionNames();

    // ---- Modules
    // The new module's handle; SYM_S_MODULE_NO_HANDLE and 0 for an empty name.
    Result<uint32_t> OpenModule(std::string_view name, const ModuleOpening& how);
    SymResult ReopenModule(uint32_t handle, std::string_view name, const ModuleOpening& how);
    SymResult MarkNameShared(uint32_t handle);
    void CloseModule();
    // See SymSetModuleRange: handle 0 is the current (or last closed) module.
    SymResult SetRange(uint32_t handle, const SymRange& range);
    SymResult SetModuleAttr(uint32_t handle, std::string_view text);
    SymResult AddModuleByName(std::string_view name, uint32_t value);
    uint32_t ModuleCount() const;
    Result<uint32_t> ModuleHandle(uint32_t ordinal) const;
    Result<ModuleInformation> ModuleInfo(uint32_t handle) const;
    // The window SymInitServer kept (null before).
    HWND ServerWindow() const;
    void InitServer(HWND frame, bool caseSensitive);
    // Source key of the n-th module holding a source file of that name.
    Result<uint32_t> FindModuleByFile(std::string_view fileName, uint32_t n = 0);
    // The name of a key's source file (a module: its first one, or its own name).
    Result<std::string> SourceFileName(uint32_t key) const;
    void FreeDerived();
    void NoteTargetHalted();
    void SetCaseSensitive(bool sensitive);

    // ---- Lines
    SymResult BeginLineTable(uint32_t key);
    // `statement` false: the row lies inside a statement (DWARF's is_stmt
    // cleared). A table none of whose rows is a statement has all of them be.
    SymResult AddLineRow(uint32_t line, uint32_t column, uint32_t address, bool statement = true);
    // SYM_S_LINE_TABLE_ENDED when the open table was closed.
    SymResult EndLineTable();
    // SYM_E_NO_SOURCE when the address has no source line.
    Result<SourceLine> SourceLineAt(uint32_t address);
    // The n-th code range of a line (lowest first): SYM_E_BAD_HANDLE for an
    // unknown key, SYM_E_NOT_FOUND past the last range.
    Result<CodeRange> LineRange(uint32_t key, uint32_t line, uint32_t n = 0);

    // ---- Symbols
    // Opens the function's symbol block; range: {section, first, last}.
    SymResult AddFunction(std::string_view name, bool isStatic, const SymModuleDesc& range, uint32_t procType);
    SymResult EndSymbolBlock();
    Result<uint32_t> AddVariable(const VariableEntry& variable);
    // SYM_E_ARGUMENT for an empty name.
    SymResult AddLabel(std::string_view name, uint32_t value);
    SymResult AddDataLabel(uint32_t address, std::string_view name, uint32_t type, uint32_t section, uint32_t address2);
    void AddFunctionName(std::string_view signature, std::string_view name);
    // Function or global/static variable of that name, the scope's module first.
    Result<uint32_t> LookupNamedSymbol(uint32_t scope, std::string_view name) const;
    bool HasFunction(std::string_view name) const;
    Result<CodeRange> FunctionRange(std::string_view name) const;
    // The address a symbol name ("#name" or "name") stands for in an address
    // text: a function's first address, else the value of a label or the
    // address of a data label (ELF symbols without debug information).
    Result<uint32_t> AddressOfName(std::string_view name) const;
    // The address of a symbol name for scripts: a function's first address,
    // a label's value, a data label's address, else a global or static
    // variable's address in target memory.
    Result<uint32_t> SymbolAddress(std::string_view name);
    // The name of what lies at an address (SYM_NAME_* mode); SYM_E_NOT_FOUND
    // when nothing named holds it.
    Result<std::string> AddressSymbolName(uint32_t address, uint32_t mode);
    Result<SymbolDetails> Details(uint32_t handle);
    static uint16_t AddressSpaceOf(uint32_t attribute);
    // SYM_ADDR_CODE: innermost function, else the nearest label below in the
    // same module, else the module. SYM_E_NOT_FOUND when nothing holds it.
    Result<AddressInfo> CodeAt(uint32_t address);
    // SYM_ADDR_DATA: the global or static variable, else the data label.
    Result<AddressInfo> DataAt(uint32_t address);
    Result<AddressModule> ModuleAt(uint32_t address);

    // ---- Locations
    SymResult SetLocationList(uint32_t handle, std::span<const SymLocationPiece> pieces);
    SymResult SetConstValue(uint32_t handle, std::span<const uint8_t> bytes);
    Result<SymLocationPiece> LocationPiece(uint32_t handle, uint32_t n) const;
    // The expression that holds at pc; valid until the store changes.
    Result<std::span<const uint8_t>> LocationAt(uint32_t handle, uint32_t pc) const;
    Result<FunctionVariable> FunctionVariableAt(uint32_t function, uint32_t n) const;

    // ---- Types
    // The highest type index in use; a reader's new index is one above.
    Result<uint32_t> HighestTypeIndex();
    SymResult AddType(uint32_t index, const SymTypeDesc& desc);
    SymResult SetTypeBase(uint32_t index, uint32_t base);
    SymResult SetTypeSize(uint32_t index, uint32_t size);
    SymResult SetPointerTarget(uint32_t index, uint32_t target);
    SymResult SetReferenceTarget(uint32_t index, uint32_t target);
    Result<uint32_t> PointerTarget(uint32_t index) const;
    SymResult SetArrayDims(uint32_t index, const SymArrayDim& dim);
    // As SetArrayDims, SYM_E_NO_TYPE while the element is not a type yet.
    SymResult UpdateArrayDims(uint32_t index, const SymArrayDim& dim);
    SymResult AddStructMember(uint32_t index, const SymStructMember& member);
    SymResult SetBitField(uint32_t index, const SymBitFieldInfo& info);
    SymResult AddEnumConstant(uint32_t index, int32_t value, std::string_view name);
    SymResult AddProcType(uint32_t index, uint32_t returnType, uint32_t parameterCount);
    SymResult AddProcParam(uint32_t procType, uint32_t parameterType);
    SymResult AddClassType(uint32_t index);
    SymResult AddClassSlot(uint32_t index, const SymClassSlot& slot);
    Result<TypeInfo> Type(uint32_t index) const;
    // The type as C text ("struct node *", "char [16]").
    Result<std::string> TypeText(uint32_t index) const;
    // The type a typedef chain stands for (the index itself for other types).
    Result<uint32_t> BaseType(uint32_t index) const;
    Result<MemberInfo> StructMember(uint32_t index, uint32_t n) const;
    Result<ClassMember> ClassSlot(uint32_t index, uint32_t n) const;
    // The class types in the order they were listed; valid until the store changes.
    std::span<const uint32_t> ClassTypes() const;

    // ---- Frames
    SymResult AddFrameTable(uint32_t start, uint32_t end, uint32_t returnRegister, std::span<const SymFrameRow> rows);
    Result<FrameStart> StartFrameWalk(uint32_t pc);
    Result<CallerFrame> FrameCaller(uint32_t frame);

    // ---- Expressions
    Result<uint32_t> FindSymbol(uint32_t scope, std::string_view name);
    Result<SymSymbolInfo> SymbolInfo(uint32_t handle);
    Result<std::string> SymbolName(uint32_t handle) const;
    Result<SymExprValue> Evaluate(std::string_view text);

    // ---- Source names at a stop
    // SYM_OK when the name is a variable known at a one-based source line:
    // a global, or a parameter, local or static of the function at the
    // stopped PC (or a static of its module) when that function's lines
    // hold the line. EMU_TARGET_LOST when the target connection is lost;
    // another code means no.
    int CheckVariableAtLine(std::string_view name, uint32_t line);
    // The value of a variable as text: a local or parameter when the stopped
    // function's lines in the file of `module` (a module or source key, 0
    // for any) hold the line, else a static of that module or a global.
    // Integers in decimal by their type's size and sign, characters as the
    // number and the quoted character ("65 'A'"), pointers "0x%08X",
    // enumerations by the enumerator's name, aggregates "{...}".
    Result<std::string> VariableValueText(uint32_t module, uint32_t line, std::string_view name);
    // The same text for a value of a type whose bits were read from the
    // target (as SymEvaluateExpr gives them: as read, not sign-extended; type
    // 0 an untyped word). SYM_E_NO_TYPE, SYM_E_WRONG_TYPE for what has no
    // single value (void, procedures).
    Result<std::string> ValueText(uint32_t type, uint64_t bits) const;

    // ---- Watch lists
    // Four numbered lists (0-3) of expression texts, kept across symbol
    // loads. SetWatchList refuses (SYM_E_ARGUMENT) another number, more than
    // 4096 texts, a text longer than 4096 bytes or one holding a NUL.
    std::span<const std::string> WatchList(uint32_t n) const;
    SymResult SetWatchList(uint32_t n, std::vector<std::string> texts);
    // The lists into a file (a temporary file beside it, renamed over it)
    // and back. A file that cannot be read, is damaged or is no watch file
    // restores nothing: SYM_E_FILE, and WatchFileMessage names the file and
    // the offset where it went wrong.
    SymResult SaveWatchLists(const std::string& path);
    SymResult RestoreWatchLists(const std::string& path);
    // The message of the last save or restore that failed (empty after one
    // that succeeded).
    const std::string& WatchFileMessage() const;

private:
    friend SymbolStore& Symbols();
    SymbolStore() = default;
};

// The process-wide store.
SymbolStore& Symbols();

}  // namespace quinar
