// The symbol store: one process-wide instance, filled by the loaders in the
// order they read an image and read by the debugger and its views.
//
// Records live in vectors and refer to each other by position. Handles given
// out are HandleSpace keys (modules: a map, because a reader may hand back a
// module handle it kept across a clear). Look-up indexes over addresses,
// lines and module names are derived data: built on demand after a change,
// and dropped by any change that affects them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "frame_rules.h"
#include "handles.h"
#include "line_index.h"
#include "name_index.h"
#include "quinar/symbol_store.h"
#include "range_index.h"
#include "type_table.h"
#include "watch_file.h"

namespace quinar {

inline constexpr uint32_t kNoRangeStart = 0xFFFFFFFFu;

struct Section {
    std::string name;
    uint32_t index;
    uint32_t attribute;  // ELF: bit 0 code, bit 1 writable; IEEE-695: the section kind
};

struct SourceFile {
    uint32_t module;   // position of the module
    std::string name;  // empty: the module's own name stands for it
};

struct Module {
    uint32_t handle = 0;
    std::string name;
    ImageStamp stamp{};
    uint32_t section = 0;
    uint32_t start = kNoRangeStart;  // inclusive range; valid when hasRange
    uint32_t end = 0;
    bool hasRange = false;
    uint32_t position = 0;         // the reader's debug-information position
    uint32_t kind = 0;             // the reader's kind word
    std::string attr;              // SymSetModuleAttr text
    uint32_t reopenCount = 0;      // SymAddModuleOpenByDescNew calls
    bool nameShared = false;       // UpdateModuleReopenStatus: a same-named file follows
    uint32_t scope = kNone;        // file-level scope of its statics and globals
    std::vector<uint32_t> files;   // source files, the first is the module's own
    uint32_t currentFile = kNone;  // where the next line table goes
};

// A scope of variables: a module's file level or a function. Lexical blocks
// become scopes with a function as parent once a reader hands them over.
enum class ScopeKind : uint8_t { Module, Function, Block };
struct Scope {
    ScopeKind kind;
    uint32_t owner;   // position of the module or function
    uint32_t parent;  // enclosing scope, kNone at a module
    uint32_t firstVar = kNone;
    uint32_t lastVar = kNone;
};

// A location description kept for a variable or function: `count` pieces
// from `first` in Store's piece table (SymSetLocationList).
struct LocationRef {
    bool stored = false;
    uint32_t first = 0;
    uint32_t count = 0;
};

struct LocationPiece {
    uint32_t low;
    uint32_t high;    // exclusive
    uint32_t offset;  // of the expression in the byte pool
    uint32_t length;
};

struct Function {
    std::string name;
    uint32_t module = kNone;
    uint32_t section = 0;
    uint32_t start = 0;
    uint32_t end = 0;  // inclusive
    uint32_t procType = 0;
    bool isStatic = false;
    uint32_t parent = kNone;  // enclosing function of a nested one
    uint32_t scope = kNone;
    LocationRef frameBase;  // DW_AT_frame_base: what frame offsets count from
};

struct Label {
    std::string name;
    uint32_t value;
    uint32_t module;  // kNone for a global label
};

struct DataLabel {
    std::string name;
    uint32_t address;
    uint32_t type;
    uint32_t section;
    uint32_t address2;
    uint32_t module;
};

struct Variable {
    std::string name;
    uint32_t type = 0;
    uint32_t storage = 0;  // SYM_STORAGE_*
    bool isRegister = false;
    bool constVolatile = false;
    uint32_t mode = 0;
    uint32_t location[3] = {0, 0, 0};
    uint32_t module = kNone;
    uint32_t scope = kNone;
    uint32_t function = kNone;  // enclosing function, kNone at file level
    uint32_t start = 0;         // static and external: address range, end exclusive
    uint32_t end = 0;
    uint32_t nextInScope = kNone;
    LocationRef locationList;  // the image's own location description
    // A variable kept only as a constant: its bytes in the byte pool
    // (SymSetConstValue); its location list only says where it holds.
    bool hasConstValue = false;
    uint32_t constOffset = 0;
    uint32_t constLength = 0;
    uint32_t Attribute() const { return isRegister ? SYM_ATTR_REGISTER : storage; }
    bool HasAddress() const { return !isRegister && storage != SYM_STORAGE_LOCAL; }
};

class Store {
public:
    Store();

    // Load
    void Clear();
    SymResult CheckImageLoaded(std::string_view path, const ImageStamp& stamp);
    void EndLoad();
    LoadCounts Counts() const;
    void AddSection(std::string_view name, uint32_t index, uint32_t attribute);
    const std::vector<Section>& Sections() const { return sections_; }

    // Modules
    Result<uint32_t> OpenModule(std::string_view name, const ModuleOpening& how);
    SymResult ReopenModule(uint32_t handle, std::string_view name, const ModuleOpening& how);
    SymResult MarkNameShared(uint32_t handle);
    void CloseModule();
    SymResult SetRange(const SymRange& range, uint32_t handle);
    SymResult SetModuleAttr(uint32_t handle, std::string_view text);
    SymResult AddModuleByName(std::string_view name, uint32_t value);
    uint32_t ModulePosition(uint32_t handle) const;  // kNone when unknown
    const std::vector<Module>& Modules() const { return modules_; }
    const std::vector<SourceFile>& Files() const { return files_; }
    // A module handle (its first source file) or a source handle -> file
    // position; kNone when the key names neither or the module has no file.
    uint32_t FileOfKey(uint32_t key) const;
    bool IsModuleOrSourceKey(uint32_t key) const;
    uint32_t KeyOfFile(uint32_t file) const;
    std::string FileName(uint32_t file) const;
    Result<std::string> SourceNameOfKey(uint32_t key) const;
    // Module or source key of the n-th source file matching a file name.
    Result<uint32_t> FindModuleByFile(std::string_view fileName, uint32_t n);

    // Lines
    SymResult BeginLineTable(uint32_t key);
    SymResult AddLineRow(uint32_t line, uint32_t column, uint32_t address, bool statement = true);
    SymResult EndLineTable();
    const LineIndex& Lines();
    // The rows as the readers added them, table by table.
    const LineTables& LineRows() const { return lineTables_; }

    // Symbols
    SymResult AddPublicSymbol(std::string_view name, bool isStatic, const SymModuleDesc& range, uint32_t procType);
    SymResult EndSymbolBlock();
    Result<uint32_t> AddVariable(const VariableEntry& entry);
    void AddLabel(std::string_view name, uint32_t value);
    void AddDataLabel(uint32_t address, std::string_view name, uint32_t type, uint32_t section, uint32_t address2);
    Result<uint32_t> LookupNamedSymbol(uint32_t scope, std::string_view name) const;
    // Location descriptions (locations.cpp).
    SymResult SetLocationList(uint32_t handle, std::span<const SymLocationPiece> pieces);
    // The stored description of a variable or function handle; null when
    // the handle names neither.
    const LocationRef* LocationOf(uint32_t handle) const;
    SymLocationPiece Piece(const LocationRef& ref, uint32_t n) const;
    SymResult SetConstValue(uint32_t handle, std::span<const uint8_t> bytes);
    // The bytes of a constant-valued variable (empty for others).
    std::span<const uint8_t> ConstValueOf(const Variable& v) const
    {
        return v.hasConstValue ? std::span(locationBytes_).subspan(v.constOffset, v.constLength)
                               : std::span<const uint8_t>{};
    }
    Result<FunctionVariable> FunctionVariableAt(uint32_t function, uint32_t n) const;
    // Position of the first function of that name (via the function-name
    // map as well); kNone when none.
    uint32_t FindFunction(std::string_view name) const;
    void AddFuncName(std::string_view signature, std::string_view name);
    void ClearFuncNames() { funcNames_.clear(); }
    Result<SymbolDetails> Details(uint32_t handle);
    const std::vector<Function>& Functions() const { return functions_; }
    const std::vector<Variable>& Variables() const { return variables_; }
    const std::vector<Scope>& Scopes() const { return scopes_; }
    const std::vector<Label>& Labels() const { return labels_; }
    const std::vector<DataLabel>& DataLabels() const { return dataLabels_; }
    uint32_t FunctionHandle(uint32_t position) const { return functionHandles_.HandleOf(position); }
    uint32_t VariableHandle(uint32_t position) const { return variableHandles_.HandleOf(position); }
    uint32_t LabelHandle(uint32_t position) const { return labelHandles_.HandleOf(position); }
    uint32_t DataLabelHandle(uint32_t position) const { return dataLabelHandles_.HandleOf(position); }
    // Functions, labels, data labels and the variables that are not locals,
    // by name.
    const NameIndex& Names() const { return names_; }
    uint32_t LabelPosition(uint32_t handle) const { return labelHandles_.PositionIn(handle, labels_); }
    uint32_t DataLabelPosition(uint32_t handle) const { return dataLabelHandles_.PositionIn(handle, dataLabels_); }
    uint32_t FunctionPosition(uint32_t handle) const { return functionHandles_.PositionIn(handle, functions_); }
    uint32_t VariablePosition(uint32_t handle) const { return variableHandles_.PositionIn(handle, variables_); }

    // Address look-ups (innermost first); kNone when nothing holds the address.
    uint32_t FunctionAt(uint32_t address);
    uint32_t ModuleAt(uint32_t address);
    uint32_t VariableAt(uint32_t address);
    uint32_t LabelAtOrBelow(uint32_t address);  // nearest label at or below
    uint32_t DataLabelAt(uint32_t address);

    TypeTable& Types() { return types_; }
    const TypeTable& Types() const { return types_; }

    bool caseSensitive = false;
    // The call-frame rules of the image (SymAddFrameTable).
    FrameRules frameRules;
    // The watch lists outlive the symbols (Clear keeps them), and the
    // message of the last watch file that failed.
    WatchLists watchLists;
    std::string watchFileMessage;
    // Drops the derived per-module tables (module-name index, line index).
    void FreeDerived();

private:
    uint32_t NewModule(uint32_t handle, std::string_view name);
    void ApplyDesc(Module& m, const ModuleOpening& how);
    // Widens a module's range to cover [start, end]; no range (start
    // 0xFFFFFFFF or above end) changes nothing.
    void GrowRange(Module& m, uint32_t start, uint32_t end);
    uint32_t NewScope(ScopeKind kind, uint32_t owner, uint32_t parent);
    uint32_t CurrentScope() const;
    uint32_t FileForTable(uint32_t key);
    void CloseOpenFunctions();
    // Function and module ranges bound the last rows of line tables, so
    // they drop the line index too; other symbols only the address indexes.
    void TouchAddresses()
    {
        addrIndexesBuilt_ = false;
        linesBuilt_ = false;
    }
    void TouchSymbols() { addrIndexesBuilt_ = false; }
    void BuildAddressIndexes();
    void BuildModuleNames();
    uint32_t LineLimit(uint32_t address, uint32_t file);

    // Load state
    bool imageKnown_ = false;
    std::string imagePath_;
    ImageStamp imageStamp_{};
    uint32_t currentModule_ = kNone;  // open module
    uint32_t lastModule_ = kNone;     // the module handle 0 stands for
    uint32_t openTable_ = kNone;
    std::vector<uint32_t> openFunctions_;  // symbol blocks, innermost last

    std::vector<Section> sections_;
    std::vector<Module> modules_;
    std::unordered_map<uint32_t, uint32_t> moduleByHandle_;
    uint32_t nextModuleSerial_ = 1;
    std::vector<SourceFile> files_;
    HandleSpace fileHandles_{SYM_KIND_SOURCE};
    std::vector<Scope> scopes_;

    LineTables lineTables_;
    LineIndex lineIndex_;
    bool linesBuilt_ = false;

    std::vector<Function> functions_;
    HandleSpace functionHandles_{SYM_KIND_FUNCTION};
    std::vector<Label> labels_;
    HandleSpace labelHandles_{SYM_KIND_LABEL};
    std::vector<DataLabel> dataLabels_;
    HandleSpace dataLabelHandles_{SYM_KIND_DATA_LABEL};
    std::vector<Variable> variables_;
    std::unordered_map<uint64_t, uint32_t> variableByEntry_;  // image entry identity -> position
    HandleSpace variableHandles_{SYM_KIND_VARIABLE};
    std::vector<LocationPiece> locationPieces_;
    std::vector<uint8_t> locationBytes_;
    NameIndex names_;                                         // functions, labels, data labels, file-level variables
    std::unordered_map<std::string, std::string> funcNames_;  // folded signature or name -> name

    bool addrIndexesBuilt_ = false;
    RangeIndex functionIndex_, moduleIndex_, variableIndex_;
    std::vector<std::pair<uint32_t, uint32_t>> labelsByAddress_, dataLabelsByAddress_;
    bool moduleNamesBuilt_ = false;
    std::unordered_map<std::string, std::vector<uint32_t>> keysByName_;  // folded file name -> source keys

    TypeTable types_;
};

// The process-wide store behind the entry points.
Store& TheStore();

}  // namespace quinar
