// The breakpoint set and clear commands.
#include <platform/win32.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>

#include "bp_command.h"
#include "bp_file.h"
#include "bp_list.h"
#include "brevan/brevan.h"
#include "core.h"
#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "ids.h"
#include "sarvik_strings.h"
#include "tarnel.h"
#include "watch_units.h"

namespace sarvik {

namespace {

// The library's string resource 22 (14 to 17 come from the string table).
constexpr const char* kAllCleared = "All of the breakpoints are cleared";
constexpr const char* kAlreadyExisted = "The breakpoint has already existed";

// The bp command's save file; empty: none.
std::string& SaveFile()
{
    static std::string path = BP_SAVE_FILE;
    return path;
}

// "Breakpoint at 0x00008000, Enable"; empty for an address without a text.
std::string BreakpointLine(const CBpData& bp)
{
    char hex[16];
    if (AdrAddrToHex(bp.GetAddr(), hex) != 1)
        return {};
    return Format(res::String(res::IDS_BREAKPOINT_AT).c_str(), hex) +
        res::String(bp.IsEnable() ? res::IDS_ENABLE : res::IDS_DISABLE);
}

// Clears a watchpoint unit for "BC HW0" / "BC HW1".
EmuResult ClearUnit(int u)
{
    if (!Core().units.Unit(u).used) {
        PrintToShell(Format("Watchpoint %d not set!", u));
        return EMU_OK;
    }
    if (u == 1 && !Core().config.hwBreakpoints &&
        AfxMessageBox(kUnit1ReservedClear, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        PrintToShell("Watchpoint 1 is reserved!");
        return EMU_OK;
    }
    const EmuResult r = Core().units.Clear(u);
    if (r == EMU_OK)
        PrintToShell(Format("Watchpoint %d is cleared!", u));
    return r;
}

}  // namespace

void PrintToShell(const std::string& text)
{
    ShlPrintMessage(text.c_str(), SHL_PRINT_MESSAGE);
}

std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

bool SameWord(const char* a, const char* b)
{
    return strcasecmp(a, b) == 0;
}

std::string AddressWordError(const char* text)
{
    const std::string word = text ? text : "";
    if (!word.empty() && word[0] == '#')
        return Format("The symbol %s does not exist!", word.substr(1).c_str());
    const auto nameChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; };
    // A C name that is no hexadecimal number: the '#' was left out.
    const bool name = !word.empty() && (std::isalpha(static_cast<unsigned char>(word[0])) || word[0] == '_') &&
        std::all_of(word.begin(), word.end(), nameChar) &&
        word.find_first_not_of("0123456789abcdefABCDEFxX") != std::string::npos;
    if (name)
        return Format("The address is not correct! A symbol is written #%s.", word.c_str());
    return "The address is not correct!";
}

bool CBptCommand::ParseLocation(const char* text)
{
    ADDR at{};
    if (!text || AdrTextToAddr(text, &at, 1) != 1)
        return false;
    at.off &= LdrIsInThumbRange(at.off) ? ~1u : ~3u;
    char symbol[ADR_SYMBOL_TEXT_SIZE];
    m_bp = CBpDataEx(at, AdrAddrToSymbol(at, symbol) == 1 ? symbol : "", 1, 0, "", BP_NO_ACCESS_ADDR, "", 0);
    return true;
}

EmuResult CBptCommand::Set(int argc, char** argv)
{
    if (argc == 1) {
        PrintToShell(Format(res::String(res::IDS_TOTAL_BREAKPOINTS).c_str(),
                            static_cast<int>(Core().breakpoints.Records().size())));
        for (const CBpDataEx* r : Core().breakpoints.Records()) {
            if (const std::string line = BreakpointLine(*r); !line.empty())
                PrintToShell(line);
        }
        return EMU_OK;
    }
    if (argc != 2) {
        PrintToShell("Syntax error!");
        return EMU_OK;
    }
    if (!ParseLocation(argv[1])) {
        PrintToShell(AddressWordError(argv[1]));
        return EMU_OK;
    }
    const ADDR at = m_bp.GetAddr();
    switch (BptFindBp(&at, ADDR{}, nullptr)) {
    case BPT_MARK_SW_ENABLED: PrintToShell(kAlreadyExisted); return EMU_OK;
    case BPT_MARK_SW_DISABLED:
        if (const EmuResult r = BptEnableBp(&at, 0, 1); r != EMU_OK)
            return r;
        PrintToShell(BreakpointLine(m_bp));
        return EMU_OK;
    default: break;
    }
    const bool inCode = LdrIsInCode(at.off) != 0;
    const bool full = Core().breakpoints.Full();
    if (const EmuResult r = BptSetBp(&at, "", 1, 0, 1, 0xFFFFFFFFu); r != EMU_OK) {
        // Refusals of the manager itself are no target failures.
        if (r == 1 && (!inCode || full)) {
            char hex[16] = "";
            AdrAddrToHex(at, hex);
            PrintToShell(!inCode ? Format("No code at %s: the breakpoint is not set!", hex)
                                 : std::string("Too many breakpoints: the breakpoint is not set!"));
            return EMU_OK;
        }
        return r;
    }
    Core().breakpoints.Records().back()->SetSymbol(m_bp.GetSymbol());
    PrintToShell(BreakpointLine(m_bp));
    if (!SaveFile().empty())
        SaveBpFile(SaveFile().c_str());
    return EMU_OK;
}

EmuResult CBptCommand::Clear(int argc, char** argv)
{
    if (argc != 2) {
        PrintToShell("Syntax error!");
        return EMU_OK;
    }
    const char* word = argv[1];
    if (SameWord(word, "ALL")) {
        const ADDR all{};
        const EmuResult r = BptClearBp(&all, 0);
        Core().units.Clear(0);
        if (Core().config.hwBreakpoints)
            Core().units.Clear(1);
        PrintToShell(kAllCleared);
        return r;
    }
    if (SameWord(word, "HW0"))
        return ClearUnit(0);
    if (SameWord(word, "HW1"))
        return ClearUnit(1);
    if (!ParseLocation(word)) {
        PrintToShell(AddressWordError(word));
        return EMU_OK;
    }
    const ADDR at = m_bp.GetAddr();
    return BptClearBp(&at, 0);
}

}  // namespace sarvik

using namespace sarvik;

extern "C" {

void SetBpSaveFile(const char* path)
{
    SaveFile() = path ? path : "";
}

void BptSetCmd(int argc, char** argv)
{
    CBptCommand command;
    if (command.Set(argc, argv) != EMU_OK)
        PrintToShell(kCommunicationFailed);
}

void BptClearCmd(int argc, char** argv)
{
    CBptCommand command;
    if (command.Clear(argc, argv) != EMU_OK) {
        PrintToShell(kCommunicationFailed);
        return;
    }
    SendToMain(WM_EMU_UPDATE_VIEWS, DVK_BREAKPOINTS, -1);
    SendToMain(WM_EMU_UPDATE_VIEWS, DVK_REGISTERS, 0);
}

}  // extern "C"
