// The DWARF 2 reader slots of the dispatch: each makes the read context of
// the load that runs (the image, its tables, the store's adapter, the
// error handler, the progress step) and hands it to its pass; what the pass
// found that the load keeps (the compiler kind, the counts of the progress
// record) goes back into the load state when the pass ends, however it ends.
#include <utility>

#include "dwarf2_context.h"
#include "dwarf2_lines.h"
#include "dwarf2_types.h"
#include "dwarf2_units.h"
#include "load_state.h"
#include "progress.h"

namespace tarnel {
namespace {

// A read context over the load state, whose findings go back to it.
class LoadReadContext {
public:
    LoadReadContext()
        : s_(tarnel::State()), records_(s_.stamp), errors_(LoadReadErrors()),
          cx_{s_.image, s_.notes,        s_.bigEndian, s_.imageDirectory, s_.tables, records_,
              errors_,  Dwarf2Entries(), {},           COMPILER_NONE,     0,         0,
              {}}
    {
        cx_.compilerKind = s_.compilerKind;
    }
    ~LoadReadContext()
    {
        s_.compilerKind = cx_.compilerKind;
        s_.record.functions += cx_.functions;
        s_.record.lineRows += cx_.lineRows;
    }
    LoadReadContext(const LoadReadContext&) = delete;
    LoadReadContext& operator=(const LoadReadContext&) = delete;

    Dwarf2ReadContext& Context() { return cx_; }

private:
    ElfLoadState& s_;
    QuinarRecords records_;
    ReadErrors errors_;
    Dwarf2ReadContext cx_;
};

}  // namespace

LdrResult ReadDwarf2Units(ReaderCall& call)
{
    LoadReadContext load;
    Dwarf2ReadContext& cx = load.Context();
    cx.unitReached = [&call](uint64_t position) { return ReaderReached(call.file, position); };
    return ReadDwarf2UnitPass(call, cx);
}

LdrResult ReadDwarf2LineProgram(ImageFile& file, bool, uint32_t)
{
    LoadReadContext load;
    return ReadDwarf2LinePass(file, load.Context());
}

void FixDwarf2TypeLinks()
{
    ElfLoadState& s = State();
    QuinarRecords records(s.stamp);
    FixDwarf2TypeLinks(s.tables, records);
}

}  // namespace tarnel
