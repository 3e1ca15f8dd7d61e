// The stabs reader slot of the dispatch: the sections of the load that
// runs, the store's adapter, the error handler and the progress step;
// what the pass counted goes back into the load's progress record.
#include "load_state.h"
#include "progress.h"
#include "stabs_reader.h"

namespace tarnel {
namespace {

constexpr uint8_t STT_FUNC = 2;
constexpr size_t SYMBOL_SIZE = 16;

// The sizes of the function symbols of .symtab, by code address.
std::unordered_map<uint32_t, uint32_t> FunctionSizes(const ImageFile& file, const NotedSection& symtab, bool bigEndian)
{
    std::unordered_map<uint32_t, uint32_t> sizes;
    if (!symtab.present)
        return sizes;
    const std::span<const uint8_t> bytes = file.Range(symtab.offset, symtab.size);
    auto word = [&](size_t at) {
        const uint8_t* b = bytes.data() + at;
        return bigEndian ? uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]
                         : uint32_t(b[3]) << 24 | uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0];
    };
    for (size_t at = 0; at + SYMBOL_SIZE <= bytes.size(); at += SYMBOL_SIZE)
        if ((bytes[at + 12] & 0x0F) == STT_FUNC && word(at + 8) != 0)
            sizes.emplace(word(at + 4) & ~1u, word(at + 8));
    return sizes;
}

}  // namespace

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
                    FunctionSizes(call.file, s.notes[Noted::Symtab], s.bigEndian),
                    {},
                    0,
                    0};
    cx.moduleReached = [&call](uint64_t position) { return ReaderReached(call.file, position); };
    const LdrResult r = ReadStabsPass(call, cx);
    s.record.functions += cx.functions;
    s.record.lineRows += cx.lineRows;
    return r;
}

}  // namespace tarnel
