// The run and step text commands of the shell: go, step, halt, reset and
// jump, reporting to the shell console.
#include <platform/win32.h>
#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bp_command.h"
#include "brevan/brevan.h"
#include "core.h"
#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "quentor.h"
#include "run_control.h"
#include "step_engine.h"
#include "vexlor/vexlor.h"

namespace sarvik {

namespace {

// The go command keeps at most this many words of its line.
constexpr size_t kGoWords = 16;

void Say(const char* text)
{
    ShlPrintMessage(text, SHL_PRINT_MESSAGE);
}

bool Is(const std::string& word, const char* what)
{
    return strcasecmp(word.c_str(), what) == 0;
}

bool Address(const std::string& text, ADDR* addr)
{
    return AdrTextToAddr(text.c_str(), addr, 1) == 1;
}

// A count of the step command: C's conversion of base 0, kept as 16 bits.
uint16_t Count(const char* text)
{
    return static_cast<uint16_t>(std::strtoul(text, nullptr, 0));
}

}  // namespace

}  // namespace sarvik

using namespace sarvik;

extern "C" {

int EmuGoCmd(int argc, char** argv)
{
    std::vector<std::string> words;
    for (int i = 0; i < argc && words.size() < kGoWords; ++i) {
        if (i == 0 || !Is(argv[i], "FLY"))
            words.emplace_back(argv[i]);
    }
    std::unique_ptr<RunRequest> request(new (std::nothrow) RunRequest);
    if (!request) {
        AfxMessageBox("Out of Memory!");
        return EMU_REFUSED;
    }
    request->fly = words.size() < static_cast<size_t>(argc);
    bool freeRun = false;
    std::string from, till;
    switch (words.size() - 1) {
    case 1:
    case 3: freeRun = true; break;
    case 2:
        if (Is(words[1], "FROM"))
            from = words[2];
        else if (Is(words[1], "TILL"))
            till = words[2];
        break;
    case 4:
        from = words[2];
        till = words[4];
        break;
    default: break;
    }
    ADDR at{};
    if (!from.empty()) {
        if (!Address(from, &at)) {
            Say(AddressWordError(from.c_str()).c_str());
            return EMU_REFUSED;
        }
        request->from = at;
    }
    if (!till.empty()) {
        if (!Address(till, &request->till)) {
            Say(AddressWordError(till.c_str()).c_str());
            return EMU_REFUSED;
        }
    }
    if (!from.empty()) {
        if (const EmuResult r = SetPcForCode(at.off); r != EMU_OK)
            return r;
    }
    Core().run.freeRun = freeRun;
    request->freeRun = freeRun;
    const EmuResult r = RunSequence(*request);
    if (r == EMU_TARGET_LOST)
        Say("Communication Failed!");
    return r;
}

int EmuStepCmd(int argc, char** argv)
{
    RunState& run = Core().run;
    if (run.runCommandActive)
        return EMU_REFUSED;
    std::unique_ptr<StepRequest> request(new (std::nothrow) StepRequest);
    if (!request)
        return EMU_REFUSED;
    StepRequest& r = *request;
    switch (argc) {
    case 1: break;
    case 2:
        if (Is(argv[1], "OVER")) {
            r.mode = EMU_STEP_OVER;
        } else if (Is(argv[1], "OUT")) {
            r.mode = EMU_STEP_OUT;
        } else if (Is(argv[1], "FOREVER")) {
            r.mode = EMU_STEP_INTO_CONTINUOUS;
        } else {
            r.countGiven = true;
            r.count = Count(argv[1]);
            if (r.count == 0)
                return EMU_OK;
        }
        break;
    case 3:
        if (Is(argv[1], "TILL")) {
            Say("Not support this command!");
            return EMU_REFUSED;
        }
        if (!Is(argv[1], "OVER"))
            return EMU_REFUSED;
        if (Is(argv[2], "FOREVER")) {
            r.mode = EMU_STEP_OVER_CONTINUOUS;
        } else {
            r.mode = EMU_STEP_OVER;
            r.countGiven = true;
            r.count = Count(argv[2]);
            if (r.count == 0)
                return EMU_OK;
        }
        break;
    case 5: {
        const std::string place = argv[2];
        r.value = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 0));
        if (!place.empty() && place[0] == '@') {
            DWORD id = 0;
            r.registerName = place.substr(1);
            if (CpuFindRegisterId(r.registerName.c_str(), &id) != 0) {
                Say("The register does not exist!");
                return EMU_REFUSED;
            }
            r.registerCondition = true;
        } else {
            if (!Address(place, &r.memoryAddress)) {
                Say("The address is not correct!");
                return EMU_REFUSED;
            }
            r.memoryCondition = true;
        }
        break;
    }
    default: return EMU_REFUSED;
    }
    r.showLine = true;
    SendToMain(WM_EMU_BUSY, 2, 0);
    const EmuResult result = RunStepBody(r, run.sourceLevel);
    SendToMain(WM_EMU_BUSY, 2, 1);
    return result;
}

int EmuHaltCmd(int, char**)
{
    return HaltTarget(true);
}

int EmuResetCmd(int argc, char** argv)
{
    ADDR pc{0, ADDR_SPACE_TARGET};
    if (argc == 1) {
        LdrGetStartPC(&pc);
        pc.seg = ADDR_SPACE_TARGET;
    } else if (argc == 2) {
        const char* text = argv[1];
        const int first = std::toupper(static_cast<unsigned char>(text[0]));
        if (first == 'X') {
            Say("Syntax error!");
            return EMU_REFUSED;
        }
        if (first == 'P')
            text += text[1] ? 2 : 1;  // "P=8000"
        pc.off = static_cast<uint32_t>(std::strtoul(text, nullptr, 16));
    } else {
        Say("Syntax error!");
        return EMU_OK;
    }
    return EmuResetTarget(pc);
}

int EmuJumpCmd(int argc, char** argv)
{
    ADDR at{};
    if (argc != 2 || !Address(argv[1], &at)) {
        Say("Syntax error!");
        return EMU_REFUSED;
    }
    // Not aligned: the PC goes where the user said, in the code's state.
    return SetPcWhenStopped(at.off, false);
}

}  // extern "C"
