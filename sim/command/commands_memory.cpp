// Commands on memory and caches: read, write, readcache, disassemble and
// getfile.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "command_table.h"
#include "operand.h"
#include "session.h"
#include "simdisasm/console_text.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

// Long outputs are printed in pieces of about this many bytes (a multiple of 4).
constexpr uint32_t kPrintPiece = 4096;

// A length in bytes: end - start + 1 with "-e", else the count, else the
// default. Lengths are signed 32-bit: anything not above 0 (or beyond
// 0x7FFFFFFF) is refused.
std::optional<uint32_t> RangeLength(uint32_t start, const Operand& end, const Operand* count, uint32_t fallback)
{
    int64_t length = fallback;
    if (end.present) {
        length = int64_t{end.value} - int64_t{start} + 1;
    } else if (count) {
        length = count->value;
    }
    if (length <= 0 || length > 0x7FFFFFFF)
        return std::nullopt;
    return static_cast<uint32_t>(length);
}

struct UnitRange {
    unsigned unit;
    uint32_t start;   // rounded down to a multiple of the unit
    uint32_t length;  // bytes
};

// The unit ("-b", "-h", else words), the start and the length of "read" and
// "write"; nothing (the help text) when the count and "-e", "-b" and "-h",
// or "-i" and `otherSide` come together, or when the length is not above 0.
std::optional<UnitRange> UnitRangeOf(const ParsedCommand& c, const Operand* count, std::string_view otherSide)
{
    const Operand& end = c.Option("-e");
    if ((count && end.present) || (c.Has("-b") && c.Has("-h")) || (c.Has("-i") && c.Has(otherSide))) {
        return std::nullopt;
    }
    const unsigned unit = c.Has("-b") ? 1 : c.Has("-h") ? 2 : 4;
    const uint32_t start = c.operands[0].value & ~(unit - 1);
    const std::optional<uint32_t> length = RangeLength(start, end, count, 1);
    if (!length)
        return std::nullopt;
    return UnitRange{unit, start, *length};
}

std::string ItemText(unsigned unit, uint32_t value)
{
    if (unit == 1)
        return Format("%02x ", value);
    if (unit == 2)
        return Format("0x%04x ", value);
    return Format("0x%08x ", value);
}

// Hexadecimal words separated by white space, as scanf's "%x" reads them:
// an optional "0x", then digits; the first token that is not a number ends
// the list.
std::vector<uint32_t> HexWords(const std::vector<char>& text)
{
    std::vector<uint32_t> words;
    size_t i = 0;
    const auto hexDigit = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    for (;;) {
        while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
            ++i;
        if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
            hexDigit(text[i + 2])) {
            i += 2;
        }
        const size_t begin = i;
        while (i < text.size() && hexDigit(text[i]))
            ++i;
        if (i == begin)
            return words;
        words.push_back(*ParseConstant("0x" + std::string(text.data() + begin, i - begin)));
    }
}

std::vector<char> ReadWholeFile(std::FILE* f)
{
    std::vector<char> bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    return bytes;
}

}  // namespace

int DoRead(Session& s, const ParsedCommand& c, std::string* area)
{
    const std::optional<UnitRange> range = UnitRangeOf(c, c.Positional(1), "-m");
    if (!range)
        return kShowHelp;
    const AccessKind kind = c.Has("-i") ? AccessKind::DebugInstruction
        : c.Has("-m")                   ? AccessKind::StoreOnly
                                        : AccessKind::DebugData;
    std::string text;
    uint32_t addr = range->start;
    for (int64_t remaining = range->length; remaining > 0; remaining -= range->unit, addr += range->unit) {
        if (addr != range->start && addr % 16 == 0) {
            // The text goes out a piece at a time: a read may span gigabytes.
            if (text.size() >= kPrintPiece)
                s.Print(std::exchange(text, std::string()));
            text += Format("\n|    0x%08x:  ", addr);
        }
        uint32_t value = 0;
        if (!s.sim.ReadMemory(addr, kind, range->unit, value)) {
            s.Print(text);
            s.Print(kMemoryRefusedText);
            return kDropLine;
        }
        const std::string item = ItemText(range->unit, value);
        text += item;
        if (area)
            area->append(item);
    }
    text += '\n';
    s.Print(text);
    return kNextCommand;
}

int DoWrite(Session& s, const ParsedCommand& c, std::string*)
{
    // With three positional operands they are start, count and data.
    const bool withCount = c.operands.size() == 3;
    const std::optional<UnitRange> range = UnitRangeOf(c, withCount ? &c.operands[1] : nullptr, "-d");
    if (!range)
        return kShowHelp;
    const uint32_t data = c.operands[withCount ? 2 : 1].value;
    const AccessKind kind = c.Has("-i") ? AccessKind::InvalidateI
        : c.Has("-d")                   ? AccessKind::InvalidateD
                                        : AccessKind::InvalidateBoth;
    uint32_t addr = range->start;
    for (int64_t remaining = range->length; remaining > 0; remaining -= range->unit, addr += range->unit) {
        s.sim.WriteMemory(addr, kind, range->unit, data);  // a refused write is skipped
    }
    return kNextCommand;
}

int DoReadCache(Session& s, const ParsedCommand& c, std::string*)
{
    const Operand* count = c.Positional(1);
    const Operand& end = c.Option("-e");
    if (count && end.present)
        return kShowHelp;
    const Cache& cache = s.sim.Memory().CacheOf(c.Has("-i") ? Side::Instruction : Side::Data);
    const uint64_t start = c.operands[0].value;
    uint64_t sets = 4;
    if (end.present) {
        sets = end.value >= start ? end.value - start + 1 : 0;
    } else if (count) {
        sets = count->value;
    }
    std::string text;
    for (uint64_t index = start; index < start + sets; ++index) {
        std::optional<std::string> set =
            index <= 0xFFFFFFFFu ? cache.ShowSet(static_cast<uint32_t>(index)) : std::nullopt;
        if (!set) {
            text += "Reach the end of cache!!!\n";
            break;
        }
        text += *set;
    }
    s.Print(text);
    return kNextCommand;
}

int DoDisassemble(Session& s, const ParsedCommand& c, std::string*)
{
    const Operand* length = c.Positional(1);
    const Operand& end = c.Option("-e");
    if ((length && end.present) || (c.Has("-32") && c.Has("-16")))
        return kShowHelp;
    const CpuState& cpu = s.sim.Cpu();
    const bool thumb = c.Has("-16") || (!c.Has("-32") && cpu.thumb);
    const uint32_t start = c.Positional(0) ? c.operands[0].value : DefaultListingStart(cpu.pc, thumb);
    const std::optional<uint32_t> bytes = RangeLength(start, end, length, DefaultListingLength(thumb));
    if (!bytes)
        return kShowHelp;
    // A piece at a time, so that a long listing never sits in memory whole.
    const uint32_t base = start & ~3u;
    for (uint32_t offset = 0; offset < *bytes; offset += kPrintPiece) {
        const std::string text = DisassemblyListing(base + offset, std::min<uint32_t>(kPrintPiece, *bytes - offset),
                                                    thumb, cpu.pc, [&](uint32_t addr, unsigned width, uint32_t& value) {
                                                        return s.sim.ReadMemory(addr, AccessKind::Fetch, width, value);
                                                    });
        s.Print(text);
        if (text.ends_with(kMemoryRefusedText))
            break;
    }
    return kNextCommand;
}

int DoGetFile(Session& s, const ParsedCommand& c, std::string*)
{
    const std::string& name = c.operands[0].token;
    const uint32_t addr = c.Positional(1) ? c.operands[1].value : 0;
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        s.Print(Format("| Can not open %s file!!!\n", name.c_str()));
        return kDropLine;
    }
    const std::vector<char> content = ReadWholeFile(f);
    std::fclose(f);
    uint32_t written = 0;
    if (c.Has("-x")) {
        for (uint32_t word : HexWords(content)) {
            s.sim.WriteMemory(addr + written, AccessKind::StoreOnly, 4, word);
            written += 4;
        }
    } else {
        for (char byte : content) {
            s.sim.WriteMemory(addr + written, AccessKind::StoreOnly, 1, static_cast<uint8_t>(byte));
            ++written;
        }
    }
    s.Print(Format("| Load 0x%X bytes from %s file to memory 0x%X successfully!!!\n", written, name.c_str(), addr));
    return kNextCommand;
}

}  // namespace zk::sim
