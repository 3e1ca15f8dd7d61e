// The types of the loaded image by type index: the predefined base types,
// the records the readers store, their members, enumerators, parameters,
// class slots and array dimensions, and the type index allocator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "handles.h"
#include "quinar/quinar.h"

namespace quinar {

struct TypeRecord {
    uint32_t index = 0;
    uint32_t code = 0;  // SymTypeCode
    uint32_t size = 0;
    bool sizeKnown = false;
    bool predefined = false;
    bool isSigned = false;     // base types
    bool isFloat = false;      // base types
    bool dimsSet = false;      // arrays: SymSetArrayDims was given
    bool bitFieldSet = false;  // bit fields: SymSetBitFieldInfo was given
    std::string name;
    // Typedef base, pointer or reference target, array element, bit-field
    // base, procedure return type. Pointer targets may be a reader's raw
    // reference until it is fixed up.
    uint32_t link = 0;
    uint32_t bound = 0;      // arrays: upper bound
    uint32_t bitOffset = 0;  // bit fields
    uint32_t bitSize = 0;
    uint32_t declaredParams = 0;  // procedures: the count SymAddProcType gave
    // Items of the type, by its code: structure/union members, enumerators,
    // procedure parameters, class slots. Chained through their `next`.
    uint32_t firstItem = kNone;
    uint32_t lastItem = kNone;
    uint32_t itemCount = 0;
};

struct MemberItem {
    std::string name;
    uint32_t type, offset, byteSize, bitOffset, bitSize;
    uint32_t next = kNone;
};
struct EnumItem {
    std::string name;
    int32_t value;
    uint32_t next = kNone;
};
struct ParamItem {
    uint32_t type;
    uint32_t next = kNone;
};
struct SlotItem {
    std::string name;
    uint32_t type, offset, isFunction, lowPc, highPc, access;
    uint32_t next = kNone;
};

class TypeTable {
public:
    TypeTable() { Clear(); }
    // Back to the predefined types only; the allocator starts again.
    void Clear();

    SymResult Alloc(uint32_t* highest);
    SymResult Add(uint32_t index, const SymTypeDesc& desc);
    // The record under an index (DWARF 1 user fundamental codes name their
    // predefined ids); null when none.
    const TypeRecord* Find(uint32_t index) const;
    TypeRecord* FindMutable(uint32_t index);
    bool Known(uint32_t index) const { return Find(index) != nullptr; }
    size_t Count() const { return records_.size(); }
    // Every record, the predefined ones first, then in the order stored.
    const std::vector<TypeRecord>& Records() const { return records_; }

    SymResult SetBase(uint32_t index, uint32_t base);
    SymResult SetSize(uint32_t index, uint32_t size);
    SymResult SetTarget(uint32_t index, uint32_t target, bool referenceOnly);
    SymResult GetTarget(uint32_t index, uint32_t* target) const;
    SymResult SetArrayDims(uint32_t index, const SymArrayDim& dim);
    SymResult AddMember(uint32_t index, const SymStructMember& member);
    SymResult SetBitField(uint32_t index, const SymBitFieldInfo& info);
    SymResult AddEnumConstant(uint32_t index, int32_t value, std::string_view name);
    SymResult AddProcType(uint32_t index, uint32_t returnType, uint32_t parameterCount);
    SymResult AddProcParam(uint32_t index, uint32_t parameterType);
    SymResult AddClassSlot(uint32_t index, const SymClassSlot& slot);
    SymResult AddClassType(uint32_t index);
    void ClearClassTypes() { classTypes_.clear(); }
    const std::vector<uint32_t>& ClassTypes() const { return classTypes_; }

    // Size in bytes: the stored size, else what it follows from (typedef
    // base, array element times count); 0 when unknown.
    uint32_t SizeOf(uint32_t index) const;
    // Follows typedefs; the index itself for other types, 0 for none.
    uint32_t Resolve(uint32_t index) const;
    SymResult Describe(uint32_t index, SymTypeDesc* out) const;
    // C text of the type.
    std::string Text(uint32_t index) const;

    const MemberItem* Member(const TypeRecord& t, uint32_t n) const;
    const SlotItem* Slot(const TypeRecord& t, uint32_t n) const;
    const std::vector<MemberItem>& Members() const { return members_; }
    const std::vector<EnumItem>& Enumerators() const { return enums_; }
    const std::vector<ParamItem>& Params() const { return params_; }
    const std::vector<SlotItem>& Slots() const { return slots_; }

private:
    void AddPredefined(uint32_t index, const char* name, uint32_t size, bool isSigned, bool isFloat,
                       uint32_t code = SYM_TYPE_BASE);
    // The record of an index that readers may change (not a predefined one).
    SymResult Editable(uint32_t index, TypeRecord*& t);
    template <class Items>
    void Chain(TypeRecord& t, Items& items);
    uint32_t SizeOf(uint32_t index, int depth) const;
    std::string Text(uint32_t index, const std::string& inner, int depth) const;

    std::unordered_map<uint32_t, uint32_t> byIndex_;  // type index -> record position
    std::vector<TypeRecord> records_;
    std::vector<MemberItem> members_;
    std::vector<EnumItem> enums_;
    std::vector<ParamItem> params_;
    std::vector<SlotItem> slots_;
    std::vector<uint32_t> classTypes_;
    uint32_t highest_ = SYM_FIRST_TYPE_INDEX - 1;  // highest index in use or handed out
};

}  // namespace quinar
