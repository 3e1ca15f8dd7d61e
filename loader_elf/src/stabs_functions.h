// The functions and variables of a stabs module. A function's entries
// (parameters, locals, brackets, statics) are kept until its end is known
// (the empty function entry with its size, else the size of its ELF
// symbol, else its outermost right bracket, else its highest line
// address: optimised code goes on past the last bracket to its epilogue)
// and then handed to the store in
// one go, each variable with a location piece for the evaluator. Global
// and file-static variables go to the store when they are met.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dwarf2_locations.h"
#include "dwarf2_quinar.h"
#include "loader_tables.h"
#include "stabs_types.h"

namespace tarnel {

// Registers of gcc's frame pointer: r11 in ARM code, r7 in Thumb code.
inline constexpr uint8_t ARM_FRAME_REGISTER = 11;
inline constexpr uint8_t THUMB_FRAME_REGISTER = 7;
// gcc's Thumb code counts stabs frame offsets from r7 + 4 (the word above
// the frame pointer's own): a parameter stored at [r7, #4] is written 0.
inline constexpr int32_t THUMB_FRAME_BIAS = 4;

class StabsFunctions {
public:
    StabsFunctions(QuinarRecords& records, LoaderTables& tables, StabsTypes& types, bool bigEndian,
                   const std::unordered_map<uint32_t, uint32_t>& symbolSizes)
        : records_(records), tables_(tables), types_(types), bigEndian_(bigEndian), symbolSizes_(symbolSizes)
    {}

    // A function entry ("name:F(0,3)"), its code starting at `start`.
    LdrResult Begin(std::string_view text, uint32_t start, bool thumb, uint32_t place, uint32_t module);
    // The empty function entry after a function: its size.
    LdrResult EndBySize(uint32_t size);
    // Hands the open function over; LDR_E_SYMBOL_CALL when the store
    // refused its block's end.
    LdrResult Close();
    bool Open() const { return pending_.has_value(); }

    // A variable, parameter or local entry of stab type `type`.
    LdrResult Variable(std::string_view text, uint8_t type, uint32_t value, uint32_t place);
    void LeftBracket(uint32_t address);
    void RightBracket(uint32_t address);
    // Hands over the module's global and file-static variables, kept until
    // the typedefs that name their types are read.
    LdrResult FlushModule();
    // A line row's address, for the end of a function without brackets.
    void SeeLine(uint32_t address);

    // The code of the module's functions so far (low > high: none).
    CodeRange ModuleCode() const { return {moduleLow_, moduleHigh_}; }
    void ForgetModule();
    uint32_t Count() const { return count_; }

private:
    struct Var {
        std::string name;
        uint32_t type = 0;
        uint32_t storage = 0;
        bool inRegister = false;
        uint32_t words[2] = {0, 0};
        std::vector<uint8_t> expr;
        uint32_t low = 0;  // [low, high) where the location holds; 0, 0: the whole function
        uint32_t high = 0;
    };
    struct Block {
        uint32_t low = 0;
        std::vector<size_t> vars;
    };
    struct Pending {
        std::string name;
        bool isStatic = false;
        uint32_t start = 0;
        bool thumb = false;
        uint32_t returnType = 0;
        std::vector<uint32_t> params;
        std::vector<Var> vars;
        std::vector<size_t> unscoped;  // locals met since the last bracket
        std::vector<Block> blocks;
        std::optional<uint32_t> end;  // the address after the code
        bool endBySize = false;
        uint32_t highestLine = 0;
        uint32_t module = 0;
    };

    std::vector<uint8_t> FrameExpr(int32_t offset) const;
    static std::vector<uint8_t> RegisterExpr(uint32_t reg);
    std::vector<uint8_t> AddressExpr(uint32_t address) const;
    LdrResult AddNow(const Var& v);

    QuinarRecords& records_;
    LoaderTables& tables_;
    StabsTypes& types_;
    bool bigEndian_ = false;
    const std::unordered_map<uint32_t, uint32_t>& symbolSizes_;
    std::optional<Pending> pending_;
    std::vector<Var> moduleVars_;
    // Function statics met in a function: gcc writes them again at file level.
    std::set<std::pair<std::string, uint32_t>> functionStatics_;
    uint32_t moduleLow_ = 0xFFFFFFFF;
    uint32_t moduleHigh_ = 0;
    uint32_t count_ = 0;
    uint32_t lastStart_ = 0;
    bool lastThumb_ = false;
};

}  // namespace tarnel
