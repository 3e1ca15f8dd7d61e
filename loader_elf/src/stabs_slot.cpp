// The stabs reader slot of the dispatch: the sections of the load that
// runs, the store's adapter, the error handler and the progress step;
// what the pass counted goes back into the load's progress record.
#include "load_state.h"
#include "progress.h"
#include "stabs_reader.h"

namespace tarnel {

LdrResult ReadStabs(ReaderCall& call)
{
    ElfLoadState& s = State();
    const NotedSection& stab = s.notes[Noted::Stab];
    if (!stab.present || stab.size == 0)
        return LDR_OK;
    const NotedSection& stabstr = s.notes[Noted::Stabstr];
    QuinarRecords records(s.stamp);
    const ReadErrors errors = LoadReadErrors();
    // Sections cut at the file's end.
    const std::span<const uint8_t> strings =
        stabstr.present ? call.file.Range(stabstr.offset, stabstr.size) : std::span<const uint8_t>{};
    StabsContext cx{call.file.Range(stab.offset, stab.size),
                    strings,
                    stab.offset,
                    s.bigEndian,
                    s.imageDirectory,
                    s.tables,
                    records,
                    errors,
                    {},
                    0,
                    0};
    cx.moduleReached = [&call, &s](uint64_t position) {
        if (PollUserAbort())
            return true;
        call.file.SetPosition(position);
        s.record.filePosition = position;
        ReportLoadProgress();
        return false;
    };
    const LdrResult r = ReadStabsPass(call, cx);
    s.record.functions += cx.functions;
    s.record.lineRows += cx.lineRows;
    return r;
}

}  // namespace tarnel
