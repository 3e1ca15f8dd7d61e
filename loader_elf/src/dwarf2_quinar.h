// QuinarRecords: the one adapter between the DWARF 2 readers and the symbol
// store. The readers hand it typed records (dwarf2_records.h); it makes the
// store's calls, in the order the records come, and gives the store's
// answers back as results the readers act on.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dwarf2_locations.h"
#include "dwarf2_records.h"
#include "ldr_types.h"

namespace tarnel {

class QuinarRecords {
public:
    // The image's stamp, kept with every module.
    explicit QuinarRecords(const ImageStamp& stamp) : stamp_(stamp) {}

    // --- Types ---
    // A new type index: the store's highest plus `step`. False when the
    // store refused (its result in `result`).
    bool NewTypeIndex(uint32_t step, uint32_t& index, LdrResult& result);
    bool AddType(const TypeRecord& t);
    // Whether the index holds a type already.
    bool IndexTaken(uint32_t index);
    bool SetPointerTarget(uint32_t index, uint32_t target);
    // The store's result.
    LdrResult SetReferenceTarget(uint32_t index, uint32_t target);
    bool SetTypeBase(uint32_t index, uint32_t base);
    // The fix-up of a pointer or reference target after the pass.
    void UpdatePointerTarget(uint32_t index, uint32_t target);
    bool SetArrayDimension(uint32_t index, uint32_t inner, uint32_t bound);
    // An array whose element was not a type when it was made.
    bool UpdateArrayDimension(uint32_t index, uint32_t inner, uint32_t bound);
    // The byte size of a type the store knows with a size.
    std::optional<uint32_t> TypeSize(uint32_t index);
    // A procedure type's return type and parameters; stops at the first refusal.
    bool SetProcedure(uint32_t index, uint32_t returnType, std::span<const uint32_t> parameters);
    bool AddEnumConstant(uint32_t index, int32_t value, std::string_view name);
    bool SetBitField(uint32_t index, const BitFieldRecord& b);
    bool AddMember(uint32_t index, const MemberRecord& m);
    bool AddClassSlot(uint32_t index, const ClassSlotRecord& s);
    // The class is complete: its slots are all given.
    bool CompleteClass(uint32_t index);
    // The text of a type (a member function's parameter in its signature),
    // cut as the store's type records cut names; nothing when the store has
    // no such type.
    std::optional<std::string> TypeText(uint32_t index);

    // --- Functions and variables ---
    void AddFunctionName(std::string_view signature, std::string_view name);
    // Opens the function's symbol block; false when the store refused.
    bool OpenFunction(const FunctionRecord& f);
    bool EndFunction();
    // The variable's handle; nothing when the store refused it.
    std::optional<uint32_t> AddVariable(const VariableRecord& v);
    // Handle 0: the open function's frame base.
    void SetLocation(uint32_t handle, const std::vector<LocationPiece>& pieces);
    void SetLocation(uint32_t handle, const LocationPiece& piece);
    // A variable kept only as a constant: its bytes as in target memory.
    void SetConstValue(uint32_t handle, std::span<const uint8_t> bytes);

    // --- Modules ---
    // A unit of a name met before adds to that module; the store's result.
    LdrResult AddToModule(uint32_t module, const ModuleRecord& m);
    // A new module, open until CloseModule, and its handle; a module the
    // store accepted without a handle is not open.
    enum class Opened { Module, NoHandle, Refused };
    Opened OpenModule(const ModuleRecord& m, uint32_t& module);
    void CloseModule();
    void SetModuleRange(uint32_t module, uint32_t start, uint32_t end);
    void SetModuleSourceFile(uint32_t module, std::string_view path);
    // A code label of the open module; false when the store refused it.
    bool AddLabel(std::string_view name, uint32_t address);

    // --- Line tables ---
    bool BeginLineTable(uint32_t module);
    // LDR_OK or the store's result. `statement`: the row begins a statement.
    LdrResult AddLineRow(uint32_t line, uint32_t column, uint32_t address, bool statement = true);
    void EndLineTable();

private:
    const ImageStamp& stamp_;
};

}  // namespace tarnel
