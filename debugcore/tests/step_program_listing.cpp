#include "step_program_listing.h"

#include <algorithm>
#include <set>

namespace sarvik::test {

namespace {

const std::set<std::string> kFunctions = {"add", "scale", "twice", "apply", "spin", "main"};

bool IsBranch(const zk::test::ObjdumpLine& l)
{
    const std::string& m = l.mnemonic;
    // The fixture's only calls are plain "bl" (ble, bls, blt are branches).
    return (m[0] == 'b' && m != "bl") || m.compare(0, 3, "pop") == 0 || l.operands.compare(0, 2, "pc") == 0;
}

}  // namespace

StepProgramListing::StepProgramListing(const std::string& image) : code_(zk::test::ReadObjdump(image))
{
    for (const zk::test::ObjdumpLine& l : code_.lines) {
        if (kFunctions.count(l.function) && !functions_.count(l.function))
            functions_[l.function] = l.address;
    }
    std::vector<zk::test::DecodedRow> decoded = zk::test::ReadDecodedLines(image);
    for (size_t i = 0; i < decoded.size(); ++i) {
        const zk::test::DecodedRow& d = decoded[i];
        if (d.endOfSequence || d.file != "step_program.c" || i + 1 == decoded.size())
            continue;
        Row row{d.address, d.line, decoded[i + 1].address, {}};
        for (const zk::test::ObjdumpLine& l : code_.lines) {
            if (l.address == d.address)
                row.function = l.function;
        }
        rows_.push_back(row);
    }
    std::sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.address < b.address; });
}

std::vector<StepProgramListing::Row> StepProgramListing::RowsOf(const std::string& function) const
{
    std::vector<Row> out;
    std::copy_if(rows_.begin(), rows_.end(), std::back_inserter(out),
                 [&](const Row& r) { return r.function == function; });
    return out;
}

std::vector<zk::test::ObjdumpLine> StepProgramListing::Code(uint32_t first, uint32_t last) const
{
    std::vector<zk::test::ObjdumpLine> out;
    for (const zk::test::ObjdumpLine& l : code_.lines) {
        if (!l.data && l.address >= first && l.address < last)
            out.push_back(l);
    }
    return out;
}

std::vector<zk::test::ObjdumpLine> StepProgramListing::Calls(const std::string& function) const
{
    std::vector<zk::test::ObjdumpLine> out;
    const zk::test::ObjdumpLine* previous = nullptr;
    for (const zk::test::ObjdumpLine& l : code_.lines) {
        if (l.function == function && !l.data) {
            const bool bl = l.mnemonic == "bl";
            const bool pointer =
                l.mnemonic == "bx" && previous && previous->mnemonic == "mov" && previous->operands.find("lr, pc") == 0;
            if (bl || pointer)
                out.push_back(l);
        }
        previous = &l;
    }
    return out;
}

std::optional<uint32_t> StepProgramListing::StepIntoTarget(const Row& row) const
{
    std::optional<uint32_t> callee;
    int calls = 0;
    for (const zk::test::ObjdumpLine& l : Code(row.address, row.next)) {
        const bool bl = l.mnemonic == "bl";
        const bool pointer = l.mnemonic == "bx" && l.operands.find("r3") == 0 && row.function == "apply";
        if (bl || pointer) {
            ++calls;
            const size_t open = l.operands.find('<'), close = l.operands.find('>');
            const std::string name = open == std::string::npos ? "" : l.operands.substr(open + 1, close - open - 1);
            // apply's pointer is add: a BL to its own "bx r3", or the bx.
            callee = functions_.count(name) ? functions_.at(name) : functions_.at("add");
        } else if (IsBranch(l)) {
            return std::nullopt;
        }
    }
    if (calls > 1)
        return std::nullopt;
    if (calls)
        return callee;
    // The next row of another line (a row of the same line goes on).
    for (const Row& r : rows_) {
        if (r.address >= row.next && r.function == row.function)
            return r.line != row.line && r.address == row.next ? std::optional<uint32_t>(r.address) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<uint32_t> StepProgramListing::RowAfter(uint32_t address) const
{
    const auto holder = std::find_if(rows_.rbegin(), rows_.rend(), [&](const Row& r) { return r.address <= address; });
    if (holder == rows_.rend())
        return std::nullopt;
    for (const Row& r : rows_) {
        if (r.address > address && r.function == holder->function)
            return r.address;
    }
    return std::nullopt;
}

}  // namespace sarvik::test
