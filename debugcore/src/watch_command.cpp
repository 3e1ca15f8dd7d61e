// The watchpoint command: print the units, or program one from name-value
// pairs ("addr", "amask", "data", "dmask", hexadecimal values) and options
// read from the end ("Read"/"Write", then "fetch"/"access", then "-b",
// "-hw" or "-w"; a given option makes its field compared), the unit named
// by a last word "hw0"/"hw1" or else the first free one.
#include <platform/win32.h>

#include <cctype>
#include <cstdlib>

#include "bp_command.h"
#include "core.h"
#include "emu_messages.h"
#include "tarnel.h"
#include "watch_units.h"

namespace sarvik {

namespace {

constexpr const char* kAllUnitsSet = "All watchpoint have set, if revise, please select which to revise";
constexpr const char* kWatchpointSet = "set watchpoint is OK!";
constexpr const char* kWatchpointFailed = "Could not set watchpoint!";

// Control value bits and the mask half's bits of the fields (bit 16 + n
// leaves value bit n uncompared); bits 4-7 are never compared.
constexpr uint32_t CONTROL_WRITE = 0x1;
constexpr uint32_t CONTROL_SIZE_SHIFT = 1;
constexpr uint32_t CONTROL_SIZE = 0x6;
constexpr uint32_t CONTROL_DATA = 0x8;
constexpr uint32_t CONTROL_ENABLE = 0x100;
constexpr uint32_t CONTROL_UNUSED = 0xF0;

void PrintUnit(int u)
{
    const WHPT_UNIT& unit = Core().units.Unit(u);
    if (!unit.used) {
        PrintToShell(Format("HW%1X watchpoint not used", u));
        return;
    }
    PrintToShell(Format("HW%1X watchpoint:", u));
    PrintToShell(Format("    address: 0x%08X, addr_mask: 0x%08X", unit.address, unit.addressMask));
    PrintToShell(Format("    data:    0x%08X, data_mask: 0x%08X", unit.data, unit.dataMask));
    const uint32_t value = unit.control & 0xFFFF;
    const uint32_t ignored = unit.control >> 16;
    std::string line;
    if (!(ignored & CONTROL_WRITE))
        line += Format("  %s cycle", value & CONTROL_WRITE ? "write" : "read");
    if (!(ignored & CONTROL_SIZE)) {
        static const char* const sizes[] = {"  byte size", "  halfword size", "  word size", ""};
        line += sizes[(value & CONTROL_SIZE) >> CONTROL_SIZE_SHIFT];
    }
    if (!(ignored & CONTROL_DATA))
        line += Format("  %s", value & CONTROL_DATA ? "data access" : "instruction fetch");
    if (!line.empty())
        PrintToShell(line);
}

// A hexadecimal value word, with or without "0x".
bool ReadHex(const char* text, uint32_t* value)
{
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 16);
    if (end == text || *end != '\0' || v > 0xFFFFFFFFull || *text == '-' || *text == '+' ||
        std::isspace(static_cast<unsigned char>(*text)))
        return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

// The compared fields, read backwards from the word before `end`; -1 for a
// field left don't-care. Returns the index after the last value word.
struct Options {
    int write = -1;  // 0 read, 1 write
    int size = -1;   // 0 byte, 1 halfword, 2 word
    int data = -1;   // 0 instruction fetch, 1 data access
};

int ReadOptions(char** argv, int end, Options* o)
{
    int at = end - 1;
    if (at >= 1 && (SameWord(argv[at], "Read") || SameWord(argv[at], "Write")))
        o->write = SameWord(argv[at--], "Write") ? 1 : 0;
    if (at >= 1 && (SameWord(argv[at], "fetch") || SameWord(argv[at], "access")))
        o->data = SameWord(argv[at--], "access") ? 1 : 0;
    if (at >= 1) {
        static const char* const sizes[] = {"-b", "-hw", "-w"};
        for (int s = 0; s < 3; ++s) {
            if (SameWord(argv[at], sizes[s])) {
                o->size = s;
                --at;
                break;
            }
        }
    }
    return at + 1;
}

uint32_t ControlOf(const Options& o)
{
    uint32_t value = CONTROL_ENABLE;
    uint32_t ignored = CONTROL_UNUSED;
    if (o.write < 0)
        ignored |= CONTROL_WRITE;
    else if (o.write)
        value |= CONTROL_WRITE;
    if (o.size < 0)
        ignored |= CONTROL_SIZE;
    else
        value |= static_cast<uint32_t>(o.size) << CONTROL_SIZE_SHIFT;
    if (o.data < 0)
        ignored |= CONTROL_DATA;
    else if (o.data)
        value |= CONTROL_DATA;
    return value | ignored << 16;
}

// A byte watch keeps its address; a halfword or word watch is aligned to
// its size. Without a size the address is aligned as code is (Thumb:
// halfword, ARM: word).
uint32_t AlignedAddress(uint32_t address, int size)
{
    switch (size) {
    case 0: return address;
    case 1: return address & ~1u;
    case 2: return address & ~3u;
    default: return address & (LdrIsInThumbRange(address) ? ~1u : ~3u);
    }
}

}  // namespace

EmuResult CBptCommand::Watchpoint(int argc, char** argv)
{
    if (argc <= 1) {
        PrintUnit(0);
        PrintUnit(1);
        return EMU_OK;
    }
    int named = -1;
    if (SameWord(argv[argc - 1], "hw0"))
        named = 0;
    else if (SameWord(argv[argc - 1], "hw1"))
        named = 1;
    if (argc == 2 && named >= 0) {
        PrintUnit(named);
        return EMU_OK;
    }
    int unit = named;
    for (int u = 0; unit < 0 && u < WATCH_UNIT_COUNT; ++u) {
        if (!Core().units.Unit(u).used)
            unit = u;
    }
    if (unit < 0) {
        PrintToShell(kAllUnitsSet);
        return EMU_OK;
    }

    Options options;
    const int valuesEnd = ReadOptions(argv, named >= 0 ? argc - 1 : argc, &options);
    WHPT_UNIT watch = Core().units.Unit(unit);
    for (int at = 1; at + 1 < valuesEnd; at += 2) {
        const char* name = argv[at];
        uint32_t value = 0;
        const bool known =
            SameWord(name, "addr") || SameWord(name, "amask") || SameWord(name, "data") || SameWord(name, "dmask");
        if (!known)
            break;
        if (!ReadHex(argv[at + 1], &value)) {
            PrintToShell(kWatchpointFailed);
            return EMU_OK;
        }
        if (SameWord(name, "addr")) {
            watch.address = value;
            if (watch.addressMask == 0xFFFFFFFFu)
                watch.addressMask = 0;
        } else if (SameWord(name, "amask")) {
            watch.addressMask = value;
        } else if (SameWord(name, "data")) {
            watch.data = value;
            if (watch.dataMask == 0xFFFFFFFFu)
                watch.dataMask = 0;
        } else {
            watch.dataMask = value;
        }
    }
    watch.control = ControlOf(options);
    watch.address = AlignedAddress(watch.address, options.size);

    if (unit == 1 && !Core().config.hwBreakpoints &&
        AfxMessageBox(kUnit1ReservedSet, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        PrintToShell(kWatchpointFailed);
        return EMU_OK;
    }
    if (WatchUnits::ProgramWatchpoint(unit, watch) != EMU_OK) {
        PrintToShell(kWatchpointFailed);
        return EMU_OK;
    }
    watch.used = 1;
    watch.enabled = 1;
    Core().units.Store(unit, watch);
    SendToMain(WM_EMU_UPDATE_VIEWS, DVK_REGISTERS, 0);
    PrintToShell(kWatchpointSet);
    return EMU_OK;
}

}  // namespace sarvik

using namespace sarvik;

extern "C" void WatchpointCmd(int argc, char** argv)
{
    CBptCommand command;
    if (command.Watchpoint(argc, argv) != EMU_OK)
        PrintToShell(kCommunicationFailed);
    SendToMain(WM_EMU_UPDATE_VIEWS, DVK_CODE_VIEWS, 0);
}
