// The type blocks of the debug part: a name record, then the type record
// that gives the type of that name, by its letter:
//
//   '!' size                 'V' '?' size           'N' size {name value}
//   'O' 'P' target           'S' 'U' size {name type offset}
//   'T' base                 'X' 'x' result attributes count {type}
//   'Z' element bound        'g' bit-offset width [base]
//
// A member whose type is a bit field ('g') carries that field's bits.
//
// Indexes of 256 and above are the module's own types, shifted to the
// indexes quinar hands out for this load; smaller ones are quinar's
// predefined types.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "ieee695_debug.h"
#include "quinar/symbol_store.h"

namespace quentor {

class DebugTypes {
public:
    DebugTypes(Ieee695Input& in, const DebugContext& cx, quinar::SymbolStore& symbols)
        : in_(in), cx_(cx), symbols_(symbols)
    {}

    // The records of one type block up to its F9; false when the block is
    // damaged (the input holds the fault).
    bool Block(bool global);
    // The store's index of a type index of the file.
    uint32_t Shift(uint32_t index) const;

private:
    bool Record(const std::string& name);
    void Refused(uint32_t index, SymResult r);

    Ieee695Input& in_;
    const DebugContext& cx_;
    quinar::SymbolStore& symbols_;
    uint32_t base_ = 0;
    uint32_t firstBase_ = 0;
    bool anyBlock_ = false;
    bool globalSeen_ = false;
    // The bit-field types read ('g'), by store index: a member of such a
    // type gets its bits as well.
    std::map<uint32_t, SymBitFieldInfo> bitFields_;
};

}  // namespace quentor
