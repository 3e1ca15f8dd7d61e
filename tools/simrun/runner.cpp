#include "runner.h"

#include <platform/messages.h>
#include <platform/win32.h>

#include <strings.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "brevan/brevan.h"
#include "console_input.h"
#include "emu_messages.h"
#include "falcrest.h"
#include "ldr_result_text.h"
#include "quentor.h"
#include "quinar/symbol_store.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"
#include "sim_command.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "tarnel/elf_image.h"
#include "vexlor/vexlor.h"

namespace simrun {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kProcessor = "ARM7TDMI";
// The reference machine's memory (128 MiB): the semihosting heap
// information puts the stack at its top.
constexpr uint32_t kTopOfMemory = 0x08000000;
constexpr uint32_t kOptions = EMU_CFG_BREAK_IN_STEPS | (1u << EMU_CFG_SEMIHOST_SHIFT);
constexpr uint32_t kSemihostVector = 8;

// True while the breakpoint test runs: a caught exception's console line is
// the debugger's, not the program's.
bool g_inHitTest = false;

int CheckHit(const ADDR* pc)
{
    g_inHitTest = true;
    const int hit = BptCheckHit(pc);
    g_inHitTest = false;
    return hit;
}

// The first word of a script line, lower case.
std::string CommandWord(const std::string& line)
{
    std::istringstream words(line);
    std::string word;
    words >> word;
    for (char& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word;
}

// "file:line" of the source line holding an address, empty without one.
std::string SourcePlace(uint32_t address)
{
    quinar::SymbolStore& symbols = quinar::Symbols();
    const quinar::Result<quinar::SourceLine> line = symbols.SourceLineAt(address);
    if (!line)
        return {};
    const quinar::Result<std::string> name = symbols.SourceFileName(line->file);
    if (!name)
        return {};
    const size_t slash = name->find_last_of("/\\");
    return (slash == std::string::npos ? *name : name->substr(slash + 1)) + ":" + std::to_string(line->line);
}

const sarvik::StopEntries kCore = {&EmuTargetStopped, &BptFindBp, &CheckHit,    &EmuIsHaltAction,
                                   &EmuRun,           &EmuIsBusy, &RemoveTempBp};

class Runner : public sarvik::StopDisplay {
public:
    explicit Runner(const RunOptions& options) : options_(options) {}

    int Run()
    {
        window_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) { return OnMessage(msg, w, l); });
        const int status = !Connect() ? 2 : options_.script.empty() ? Go() : RunScript();
        std::fflush(stdout);
        MemExitServer();
        ExitABIDLL();
        platform::DestroySink(window_);
        return status;
    }

    void ShowHalt(uint16_t, const char* text) override
    {
        haltText_ = text;
        ++shown_;
    }
    void Refresh() override { stopped_ = true; }

private:
    // The simulator's instruction count, asked of the library the target
    // library loaded (the same module: loading it again only counts a use).
    static bool InstructionCount(uint32_t& count)
    {
        HMODULE module = LoadLibrary(SIM_LIBRARY_NAME);
        if (!module)
            return false;
        using Command = int (*)(int, intptr_t, intptr_t, intptr_t, intptr_t);
        const auto command = reinterpret_cast<Command>(GetProcAddress(module, SIM_COMMAND_ENTRY));
        const bool read =
            command && command(SIM_CMD_INSTRUCTION_COUNT, reinterpret_cast<intptr_t>(&count), 0, 0, 0) == 0;
        FreeLibrary(module);
        return read;
    }

    bool Connect()
    {
        InitDLL_CpuServer(0, window_, kProcessor, 0);
        int port = 0;
        if (NewABIDLL(1, kProcessor, &port, "Simulator", 1) != 1) {
            std::fprintf(stderr, "simrun: the simulator library (libDorvel.so) cannot be loaded\n");
            return false;
        }
        MemInitServer(window_);
        EmuInit(window_);
        const EMU_TARGET_CONFIG config{kOptions, kSemihostVector, kTopOfMemory, EMU_PROTOCOL_SIMULATOR,
                                       EMU_CATCH_DEFAULT};
        EmuSetTargetConfig(&config);
        // A headless run leaves no breakpoint file behind unless asked.
        SetBpSaveFile(options_.breakpointFile.c_str());

        const LdrResult loaded =
            LdrLoadWin(options_.image.c_str(), 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr);
        if (loaded != LDR_OK) {
            // Standard error is the program's own once it runs: the loader's
            // messages are shown only when the image cannot be loaded.
            for (const std::string& message : tarnel::LoadMessages())
                std::fprintf(stderr, "simrun: %s\n", message.c_str());
            std::fprintf(stderr, "simrun: %s: the image cannot be loaded: %s\n", options_.image.c_str(),
                         LdrResultText(loaded).c_str());
            return false;
        }
        // As a debug monitor gives it: the image, then its arguments.
        std::string line = options_.image;
        for (const std::string& a : options_.args)
            line += " " + a;
        SemihostSetCommandLine(line.c_str());
        ADDR start{0, ADDR_SPACE_TARGET};
        LdrGetStartPC(&start);
        if (EmuResetTarget(start) != EMU_OK) {
            std::fprintf(stderr, "simrun: the target cannot be reset\n");
            return false;
        }
        return true;
    }

    int Go()
    {
        const Clock::time_point begin = Clock::now();
        StartTheBound(begin);
        const EmuResult started = EmuRun(EMU_RUN_GO, ADDR{});
        const Clock::time_point running = Clock::now();
        if (started != EMU_OK) {
            std::fprintf(stderr, "simrun: the run cannot start (%d)\n", started);
            return 1;
        }
        bool timedOut = false;
        while (!stopped_) {
            if (Clock::now() >= deadline_ || inputTimedOut_) {
                timedOut = true;
                EmuHalt();
                platform::PumpPending();
                break;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
            platform::PumpWait(static_cast<int>(left.count() < 100 ? left.count() : 100));
        }
        if (options_.stats) {
            using Us = std::chrono::duration<double, std::micro>;
            const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
            std::fprintf(stderr, "simrun: EmuRun returned after %.1f us; run %.3f s; %d semihosting stops\n",
                         Us(running - begin).count(), seconds, served_);
            uint32_t count = 0;
            if (InstructionCount(count)) {
                std::fprintf(stderr, "simrun: %u instructions, %.1f M instructions/s\n", count,
                             seconds > 0 ? count / seconds / 1e6 : 0.0);
            }
        }
        return Outcome(timedOut);
    }

    // The shell's output, printed as it comes (between the program's own).
    class PrintSink : public brevan::MessageSink {
    public:
        void Print(const std::string& text, int flag) override
        {
            std::fputs(text.c_str(), stdout);
            if (flag == SHL_PRINT_MESSAGE)
                std::fputc('\n', stdout);
        }
    };

    int RunScript()
    {
        std::ifstream in(options_.script);
        if (!in) {
            std::fprintf(stderr, "simrun: %s: the script cannot be read\n", options_.script.c_str());
            return 2;
        }
        ShlInitServer(window_, 0, 1);
        ShlStartServer();
        EmuSetSourceLevel(options_.sourceLevel ? 1 : 0);
        PrintSink sink;
        brevan::MessageSink* previous = brevan::SetMessageSink(&sink);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::printf("> %s\n", line.c_str());
            const std::string word = CommandWord(line);
            if (ended_ && (word == "go" || word == "step")) {
                std::printf("The program has ended: reset to run it again\n");
                std::fflush(stdout);
                continue;
            }
            if (word == "reset" || word == "jump") {
                // The program's data and its library's state are the end's:
                // a new run starts from the image as loaded.
                if (ended_ && word == "reset" && !ReloadCode())
                    continue;
                ended_ = false;
            }
            const Clock::time_point lineStart = Clock::now();
            const int shownBefore = shown_;
            const bool endedBefore = SemihostGetExit(nullptr, nullptr) != 0;
            const DWORD runsBefore = CpuGetRunCount(), stopsBefore = CpuGetStopCount();
            int mode = 0, wait = 0;
            StartTheBound(Clock::now());  // the command, its runs and the program's input waits
            // A step runs inside the command: at the bound it is ended as
            // the user ends it, by Esc.
            bool escaped = false;
            platform::PumpHook previousHook = platform::SetPumpHook([&] {
                if (!escaped && Clock::now() >= deadline_) {
                    escaped = true;
                    PostMessage(window_, WM_KEYDOWN, VK_ESCAPE, 0);
                }
            });
            ShlExecuteCommand(line.c_str(), static_cast<int>(line.size()), &mode, &wait);
            platform::SetPumpHook(std::move(previousHook));
            if (escaped) {
                std::printf("simrun: no stop within %g seconds\n", options_.maxSeconds);
                platform::DiscardKeyMessages();
            }
            WaitForTheRun(runsBefore, stopsBefore);
            // A go's shown stop, or the program's end inside a step.
            if (shown_ != shownBefore || (!endedBefore && SemihostGetExit(nullptr, nullptr)))
                ReportStop();
            std::fflush(stdout);
            if (options_.stats) {
                // From the line's start to its stop shown and reported.
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - lineStart).count();
                std::fprintf(stderr, "simrun: %.3f ms: %s\n", ms, line.c_str());
            }
        }
        brevan::SetMessageSink(previous);
        ShlExitServer();
        return 0;
    }

    // --max-seconds from now: the end of the wait for a stop and of the
    // program's wait for input. A bound beyond half the clock's remaining
    // range (centuries) is none: its conversion to the clock's ticks could
    // overflow.
    void StartTheBound(Clock::time_point now)
    {
        const std::chrono::duration<double> bound(options_.maxSeconds);
        deadline_ = options_.maxSeconds > 0 && bound < (Clock::time_point::max() - now) / 2
            ? now + std::chrono::duration_cast<Clock::duration>(bound)
            : Clock::time_point::max();
    }

    // A go leaves the target running: the frame's part is played until its
    // stop is shown (bounded by --max-seconds), then what waits in the
    // queue is handled. The run's state turns to stopped before its end's
    // announcement is posted, and the count of ends heard moves after the
    // post: the wait goes on until every run started has been heard of and
    // no announcement waits in the queue. A served semihosting call starts
    // the next run from the queue, and that run's end may be posted while
    // the queue is being handled.
    void WaitForTheRun(DWORD runsBefore, DWORD stopsBefore)
    {
        const int shownBefore = shown_;
        const auto settled = [&] {
            MSG waiting;
            return (CpuGetCpuStatus(0, 1) & 1) == 0 &&
                CpuGetRunCount() - runsBefore <= CpuGetStopCount() - stopsBefore &&
                !PeekMessage(&waiting, nullptr, WM_EMU_ERROR, WM_EMU_ERROR, PM_NOREMOVE);
        };
        while (shown_ == shownBefore) {
            if (settled())
                break;
            if (Clock::now() >= deadline_) {
                std::printf("simrun: no stop within %g seconds\n", options_.maxSeconds);
                EmuHalt();
                break;
            }
            platform::PumpWait(100);
        }
        platform::PumpPending();
    }

    void ReportStop()
    {
        DWORD reason = 0, status = 0;
        if (SemihostGetExit(&reason, &status)) {
            ended_ = true;
            if (reason == SEMIHOST_REASON_APPLICATION_EXIT)
                std::printf("Program ended (status %u)\n", static_cast<unsigned>(status));
            else
                std::fputs(SemihostExitText(reason), stdout);
            return;
        }
        PrintHalt(stdout);
    }

    // The shown halt's text and the PC the target stopped at.
    void PrintHalt(std::FILE* out)
    {
        DWORD pc = 0;
        CpuGetPC(&pc);
        std::string place;
        if (options_.sourceLevel && !(place = SourcePlace(pc)).empty())
            place = "    " + place;
        std::fprintf(out, "%s (PC 0x%08x)%s\n", haltText_.empty() ? "Halt" : haltText_.c_str(),
                     static_cast<unsigned>(pc), place.c_str());
    }

    // Writes the image's code and data again (its symbols stay).
    bool ReloadCode()
    {
        const LdrResult loaded = LdrLoadWin(options_.image.c_str(), 1, LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr);
        if (loaded == LDR_OK || loaded == LDR_S_UNCHANGED)
            return true;
        std::printf("simrun: %s: the image cannot be loaded again: %s\n", options_.image.c_str(),
                    LdrResultText(loaded).c_str());
        return false;
    }

    int Outcome(bool timedOut)
    {
        std::fflush(stdout);
        DWORD reason = 0, status = 0;
        if (!timedOut && SemihostGetExit(&reason, &status)) {
            if (reason == SEMIHOST_REASON_APPLICATION_EXIT)
                return static_cast<int>(status & 0xFF);
            std::fputs(SemihostExitText(reason), stderr);
            return 1;
        }
        if (timedOut)
            std::fprintf(stderr, "simrun: no end within %g seconds\n", options_.maxSeconds);
        PrintHalt(stderr);
        return 1;
    }

    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l)
    {
        switch (msg) {
        case WM_EMU_ERROR:
            if (sarvik::HandleTargetStop(kCore, *this, w, l) == sarvik::StopOutcome::RunsOn)
                ++served_;
            return 1;
        case WM_EMU_REFRESH:
            // Sent by the run control when a go stops at once, or a halt.
            stopped_ = true;
            return 1;
        case WM_EMU_SEMIHOST_IO:
            return w == 0 ? Output(reinterpret_cast<const char*>(l)) : Input(reinterpret_cast<uint8_t*>(l), w);
        default: return 1;
        }
    }

    LRESULT Output(const char* buffer)
    {
        if (!buffer)
            return 1;
        const BYTE kind = static_cast<BYTE>(buffer[0]);
        // The program's end comes with a console line: the runner reports
        // the end itself.
        if (SemihostGetExit(nullptr, nullptr))
            return 1;
        // A caught exception's console line is the debugger's, not the
        // program's output.
        const bool error = g_inHitTest || kind == SEMIHOST_IO_ERROR_TEXT || kind == SEMIHOST_IO_ERROR_CHAR;
        std::FILE* out = error ? stderr : stdout;
        switch (kind) {
        case SEMIHOST_IO_TEXT:
        case SEMIHOST_IO_ERROR_TEXT: std::fputs(buffer + 1, out); break;
        case SEMIHOST_IO_CHAR:
        case SEMIHOST_IO_ERROR_CHAR: std::fputc(static_cast<unsigned char>(buffer[1]), out); break;
        default: break;
        }
        if (out == stderr)
            std::fflush(stderr);
        return 1;
    }

    LRESULT Input(uint8_t* buffer, WPARAM count)
    {
        std::fflush(stdout);  // a prompt shows before the program waits
        bool timedOut = false;
        const size_t n = input_.ReadLine(buffer, static_cast<size_t>(count), deadline_, timedOut);
        if (timedOut)
            inputTimedOut_ = true;
        return static_cast<LRESULT>(n);
    }

    const RunOptions& options_;
    HWND window_ = nullptr;
    Clock::time_point deadline_ = Clock::time_point::max();
    ConsoleInput input_;
    bool stopped_ = false;
    bool inputTimedOut_ = false;
    bool ended_ = false;  // the program reported its end; a reset runs it again
    std::string haltText_;
    int shown_ = 0;
    int served_ = 0;
};

}  // namespace

int RunImage(const RunOptions& options)
{
    return Runner(options).Run();
}

}  // namespace simrun
