// The DWARF 1 reader slots of the dispatch: each makes the read context of
// the load that runs (the .debug section, the tables, the store's adapter,
// the error handler, the progress step) and hands it to its pass; what the
// pass found that the load keeps (the compiler kind, the counts of the
// progress record) goes back into the load state when the pass ends.
#include "dwarf1_slots.h"

#include <platform/win32.h>

#include "dwarf1_context.h"
#include "dwarf1_types.h"
#include "dwarf1_units.h"
#include "load_state.h"
#include "progress.h"

namespace tarnel {
namespace {

// What the readers keep from the unit pass to the pass after the units.
Dwarf1LoadState& LoadKept()
{
    static Dwarf1LoadState kept;
    return kept;
}

Dwarf1Section DebugSection(const ElfLoadState& s, const ImageFile& file)
{
    const NotedSection& n = s.notes[Noted::Debug];
    if (!n.present)
        return {{}, 0, s.bigEndian};
    return {file.Range(n.offset, n.size), n.address, s.bigEndian};
}

class LoadReadContext {
public:
    explicit LoadReadContext(const ImageFile& file)
        : s_(State()), section_(DebugSection(s_, file)), records_(s_.stamp),
          errors_(LoadReadErrors()), cx_{section_,  file.Bytes(),
                                         s_.notes,  s_.imageDirectory,
                                         s_.tables, records_,
                                         errors_,   LoadKept(),
                                         3,         {},
                                         {},        COMPILER_NONE,
                                         0,         0,
                                         0,         {},
                                         0,         0}
    {
        cx_.detail = s_.ReaderKind();
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

    ElfLoadState& Load() { return s_; }
    Dwarf1ReadContext& Context() { return cx_; }

private:
    ElfLoadState& s_;
    Dwarf1Section section_;
    QuinarRecords records_;
    ReadErrors errors_;
    Dwarf1ReadContext cx_;
};

}  // namespace

LdrResult ReadDwarf1Units(ReaderCall& call)
{
    LoadKept() = {};
    LoadReadContext load(call.file);
    Dwarf1ReadContext& cx = load.Context();
    ElfLoadState& s = load.Load();
    cx.detail = call.kind;
    cx.unitReached = [&call](uint64_t position) { return ReaderReached(call.file, position); };
    cx.unknownFormat = [&s] { MessageBox(s.progressWindow, "Unknown Formate, Please Check Palvenor", "Error", MB_OK); };
    return ReadDwarf1UnitPass(call, cx);
}

void FixDwarf1Pointers(uint32_t, int pass)
{
    if (pass != 1)
        return;
    ElfLoadState& s = State();
    QuinarRecords records(s.stamp);
    FixDwarf1TypeLinks(s.tables, records, LoadKept());
}

void FreeDwarf1Pending()
{
    LoadKept().pendingArrays.clear();
    LoadKept().pendingVariables.clear();
    LoadKept().pendingLinks.clear();
    LoadKept().classes.clear();
}

LdrResult ReadDwarf1Lines(ImageFile& file, bool mode, uint32_t)
{
    const ElfLoadState& s = State();
    const NotedSection& n = s.notes[Noted::Line];
    if (!n.present || n.offset == 0)
        return LDR_OK;
    LoadReadContext load(file);
    return ReadDwarf1LinePass(file.Range(n.offset, n.size), load.Context(), !mode);
}

}  // namespace tarnel
