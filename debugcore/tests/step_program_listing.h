// What the tools say about the step engine's fixture (step_program.c built
// as ARM or Thumb code): its functions, its decoded line rows and its
// instructions, and the starting points of the step comparisons.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "arm_listings.h"

namespace sarvik::test {

class StepProgramListing {
public:
    explicit StepProgramListing(const std::string& image);

    // The rows of step_program.c, in address order within each function.
    struct Row {
        uint32_t address = 0;
        uint32_t line = 0;
        uint32_t next = 0;  // the next row's address (or the sequence's end)
        std::string function;
    };
    const std::vector<Row>& Rows() const { return rows_; }
    std::vector<Row> RowsOf(const std::string& function) const;
    uint32_t FunctionAddress(const std::string& name) const { return functions_.at(name); }

    // The instructions of [first, last).
    std::vector<zk::test::ObjdumpLine> Code(uint32_t first, uint32_t last) const;
    // The calls of a function: BL to another function, and the call through
    // the pointer (ARM: the bx after "mov lr, pc"; Thumb: the BL to the
    // function's own "bx r3").
    std::vector<zk::test::ObjdumpLine> Calls(const std::string& function) const;
    // The address the call at `call` returns to.
    uint32_t ReturnAddress(const zk::test::ObjdumpLine& call) const { return call.address + call.length; }
    // Where Step Into from a row goes by the line tables: the callee's entry
    // when the row calls one function (the pointer of apply is add), the
    // next row when the row neither calls nor branches and the next row is
    // another line's; nothing otherwise.
    std::optional<uint32_t> StepIntoTarget(const Row& row) const;
    // The first row after an address in the same function.
    std::optional<uint32_t> RowAfter(uint32_t address) const;

private:
    zk::test::ObjdumpImage code_;
    std::vector<Row> rows_;
    std::map<std::string, uint32_t> functions_;
};

}  // namespace sarvik::test
