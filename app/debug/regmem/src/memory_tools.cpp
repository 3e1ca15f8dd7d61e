// Search, compare, checksum, copy, fill and the memory test of the memory
// tools, on talvis.
#include "regmem/memory_tools.h"

#include <cstdio>

#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "morwen/morwen.h"
#include "regmem/debug_services.h"
#include "talvis/block_walk.h"
#include "talvis/talvis.h"

namespace regmem {

namespace {

std::string Text(UINT id)
{
    ZkString t;
    ErrGetText(id, &t);
    return t;
}

std::string AddressText(ADDR a)
{
    char hex[16] = "";
    AdrAddrToHex(a, hex);
    return hex;
}

// A morwen text used as a printf format with one argument.
template <class T>
std::string Formatted(UINT id, T arg)
{
    char line[256];
    std::snprintf(line, sizeof line, Text(id).c_str(), arg);
    return line;
}

// A search's or compare's library result: a match lets the loop go on; a
// lost target and the library's own error end it (the error with a line).
enum class Step { Match, End, Lost };
Step Classify(int r, std::vector<std::string>& lines, bool& errorLine)
{
    if (r == EMU_TARGET_LOST) {
        Services().ReportTargetConnectionLost();
        return Step::Lost;
    }
    if (r == MEM_LIBRARY_ERROR) {
        lines.push_back(Text(ERR_MEM_LIBRARY));
        errorLine = true;
        return Step::End;
    }
    return r == 0 ? Step::Match : Step::End;
}

// The last line of a search or compare.
void Close(std::vector<std::string>& lines, int matches, bool errorLine, const char* none)
{
    if (matches == 0 && !errorLine)
        lines.push_back(none);
    else if (!errorLine)
        lines.push_back("*** the End ***");
}

}  // namespace

UnitRange RoundToUnit(uint32_t start, uint32_t end, uint32_t destination, int unit)
{
    const uint64_t u = unit == 2 || unit == 4 ? static_cast<uint64_t>(unit) : 1;
    return {start / u * u, (end / u + 1) * u - 1, destination / u * u};
}

std::vector<std::string> RunSearch(ADDR start, ADDR end, const std::vector<uint8_t>& pattern, bool caseSensitive)
{
    std::vector<std::string> lines;
    int matches = 0;
    bool errorLine = false;
    uint64_t from = start.off;
    while (from <= end.off) {
        ADDR found;
        const int r = MemSearchBlock({static_cast<uint32_t>(from), start.seg}, end, pattern.data(),
                                     static_cast<uint32_t>(pattern.size()), caseSensitive ? 0 : 1, &found, 1);
        const Step step = Classify(r, lines, errorLine);
        if (step == Step::Lost)
            return lines;
        if (step == Step::End)
            break;
        ++matches;
        lines.push_back(Formatted(ERR_MEM_FOUND_AT, AddressText(found).c_str()));
        if (matches == kToolListLimit) {
            lines.push_back("*** Find Limitation: 0xff ***");
            errorLine = true;
            break;
        }
        from = uint64_t{found.off} + 1;
    }
    Close(lines, matches, errorLine, "Search result: not found.");
    return lines;
}

std::vector<std::string> RunCompare(ADDR start, ADDR end, ADDR destination, bool stopAtFirst, int unit)
{
    std::vector<std::string> lines;
    int differences = 0;
    bool errorLine = false;
    const uint32_t firstStart = start.off;
    uint64_t from = start.off;
    while (from <= end.off) {
        const uint64_t dest = uint64_t{destination.off} + (from - firstStart);
        if (dest > 0xFFFFFFFFull)
            break;
        const UnitRange r = RoundToUnit(static_cast<uint32_t>(from), end.off, static_cast<uint32_t>(dest), unit);
        if (r.end > 0xFFFFFFFFull)
            break;
        ADDR diff;
        const int result =
            MemCompareBlock({static_cast<uint32_t>(r.start), start.seg}, {static_cast<uint32_t>(r.end), end.seg},
                            {static_cast<uint32_t>(r.destination), destination.seg}, &diff, 1);
        const Step step = Classify(result, lines, errorLine);
        if (step == Step::Lost)
            return lines;
        if (step == Step::End)
            break;
        ++differences;
        lines.push_back("Found difference at " + AddressText(diff));
        if (stopAtFirst)
            break;
        if (differences == kToolListLimit) {
            lines.push_back("*** Compare Limitation: 0xff ***");
            errorLine = true;
            break;
        }
        from = uint64_t{diff.off} + static_cast<uint64_t>(unit == 2 || unit == 4 ? unit : 1);
    }
    Close(lines, differences, errorLine, "No difference found!");
    return lines;
}

std::string RunChecksum(ADDR start, ADDR end)
{
    WORD sum = 0;
    const int r = MemChecksumBlock(start, end, &sum, 1);
    if (r == 0)
        return Formatted(ERR_MEM_CHECKSUM, static_cast<unsigned>(sum));
    return Text(r == MEM_LIBRARY_ERROR ? ERR_MEM_LIBRARY : ERR_MEM_FAILED);
}

std::string RunCopy(ADDR start, ADDR end, ADDR destination, int unit)
{
    const UnitRange r = RoundToUnit(start.off, end.off, destination.off, unit);
    const uint64_t destLast = r.destination + (r.end - r.start);
    if (r.end > 0xFFFFFFFFull || destLast > 0xFFFFFFFFull ||
        AdrCheckAddrRange({static_cast<uint32_t>(destLast), destination.seg}) != 1)
        return Text(ERR_MEM_DESTINATION_RANGE);
    const int result =
        MemCopyBlock({static_cast<uint32_t>(r.start), start.seg}, {static_cast<uint32_t>(r.end), end.seg},
                     {static_cast<uint32_t>(r.destination), destination.seg}, 1);
    UpdateAfterMemoryWrite(destination.seg, true);
    if (result == EMU_TARGET_LOST)
        Services().ReportTargetConnectionLost();
    return Text(result == 0 ? ERR_MEM_COPY_DONE : ERR_MEM_FAILED);
}

std::string RunFill(ADDR start, ADDR end, const std::vector<uint8_t>& pattern)
{
    const int r = MemFillBlock(start, end, pattern.data(), static_cast<uint32_t>(pattern.size()), 1);
    UpdateAfterMemoryWrite(start.seg, true);
    if (r == EMU_TARGET_LOST)
        Services().ReportTargetConnectionLost();
    return Text(r == 0 ? ERR_MEM_FILL_DONE : ERR_MEM_FILL_FAILED);
}

std::string RunTest(ADDR start, ADDR end, int action, int width, const TestHooks& hooks)
{
    if (Services().Simulate())
        return "Can not support in simulator!";
    char result[1024] = "";
    if (action == 1 || action == 2) {
        MemTestRange(start, end, result, action, width);
    } else {
        const talvis::BlockWalkOutcome outcome =
            talvis::TestRangeInBlocks(start, end, width, hooks.stop, hooks.progress);
        std::snprintf(result, sizeof result, "%s", outcome.text.c_str());
    }
    result[sizeof result - 1] = '\0';
    UpdateViews(DVK_MEMORY1, start.seg);
    UpdateViews(start.seg == ADDR_SPACE_TARGET ? DVK_CODE_VIEWS : DVK_CALL_STACK);
    UpdateViews(DVK_WATCH);
    return result;
}

}  // namespace regmem
