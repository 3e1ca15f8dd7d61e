// The program's semihosting console through the main frame
// (WM_EMU_SEMIHOST_IO): output of standard output and standard error into
// the "Console" tab, and the input line a read waits for. While a read
// waits, the target is inside its semihosting call: the commands that would
// run, step or load it are refused, the frame does not close, Halt ends the
// wait with no bytes (the target stays halted) and a quit ends it too (the
// quit stays queued for the outer loop).
#include <algorithm>
#include <cstring>

#include "appdebug/debug_ids.h"
#include "console_view.h"
#include "emu_messages.h"
#include "mainframe/main_frame.h"
#include "platform/messages.h"
#include "shell/shell_ids.h"

namespace mainframe {

using namespace appdebug;

namespace {

SemihostOutputTap& Tap()
{
    static SemihostOutputTap tap;
    return tap;
}

// A halt ended the wait: the read gets no bytes.
bool g_haltEndedWait = false;

// What could re-enter the target inside its semihosting call.
bool RefusedWhileInputWaits(UINT id)
{
    static constexpr UINT kRefused[] = {
        ID_DEBUG_GO,
        ID_DEBUG_FREE_RUN,
        ID_DEBUG_RESET,
        ID_DEBUG_RESTART,
        ID_DEBUG_STEP_INTO,
        ID_DEBUG_STEP_OVER,
        ID_DEBUG_STEP_OUT,
        ID_DEBUG_GOTO_CURSOR,
        ID_DEBUG_STEP_INTO_CONT,
        ID_DEBUG_STEP_OVER_CONT,
        ID_DEBUG_GO_TILL_CALL,
        ID_DEBUG_GO_INTO_CALL,
        ID_DEBUG_GO_TILL_RETURN,
        ID_DEBUG_GO_OVER_RETURN,
        ID_DEBUG_JUMP,
        ID_DEBUG_JUMP_TO_CURSOR,
        ID_DEBUG_GOTO_ADDRESS,
        ID_DEBUG_LOAD_PROGRAM,
        shell::ID_DEBUG_CONNECT,
        ID_DEBUG_DOWNLOAD_MEMORY,
        ID_DEBUG_FLASH,
    };
    return std::find(std::begin(kRefused), std::end(kRefused), id) != std::end(kRefused);
}

}  // namespace

SemihostOutputTap SetSemihostOutputTap(SemihostOutputTap tap)
{
    SemihostOutputTap previous = std::move(Tap());
    Tap() = std::move(tap);
    return previous;
}

bool ConsoleInputWaits()
{
    return ConsoleInputState().waiting != 0;
}

CConsoleView* CMainFrame::ShowConsole()
{
    for (int i = 0; i < outputBar_.GetTabCount(); ++i) {
        if (outputBar_.Tabs()[i].label != "Console")
            continue;
        if (outputBar_.GetActiveIndex() != i)
            outputBar_.SetActiveView(i);
        return dynamic_cast<CConsoleView*>(outputBar_.GetView(i));
    }
    return nullptr;
}

LRESULT CMainFrame::OnSemihostIo(WPARAM wParam, LPARAM lParam)
{
    CConsoleView* console = ShowConsole();
    const auto* buffer = reinterpret_cast<const uint8_t*>(lParam);
    if (!buffer)
        return 0;
    if (wParam == 0) {
        std::string_view text;
        switch (buffer[0]) {
        case SEMIHOST_IO_TEXT:
        case SEMIHOST_IO_ERROR_TEXT: text = reinterpret_cast<const char*>(buffer + 1); break;
        case SEMIHOST_IO_CHAR:
        case SEMIHOST_IO_ERROR_CHAR: text = std::string_view(reinterpret_cast<const char*>(buffer + 1), 1); break;
        default: return 1;
        }
        if (Tap())
            Tap()(buffer[0], text);
        if (console)
            console->AppendText(text);
        return 1;
    }

    // A read: nothing can be typed without the console.
    if (!console)
        return 0;
    // The prompt is on screen before the wait.
    console->ShowOutput();
    ConsoleInput& input = ConsoleInputState();
    if (!input.waiting) {
        input.waiting = 1;
        input.count = 0;
    }
    g_haltEndedWait = false;
    // Timers are taken from the queue, not dispatched, while this waits. A
    // quit ends the wait and stays queued for the outer loop.
    const bool typed = platform::ModalWait([&input] { return input.waiting == 0; });
    input.waiting = 0;
    if (!typed || g_haltEndedWait)
        input.count = 0;
    g_haltEndedWait = false;
    const size_t count =
        std::min<size_t>(wParam, static_cast<size_t>(std::clamp(input.count, 0, ConsoleInput::kCapacity)));
    std::memcpy(reinterpret_cast<uint8_t*>(lParam), input.buffer, count);
    return static_cast<LRESULT>(count);
}

BOOL CMainFrame::FilterCommandWhileInputWaits(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    if (!ConsoleInputWaits())
        return FALSE;
    if (id == ID_DEBUG_HALT) {
        if (code == CN_UPDATE_COMMAND_UI && extra) {
            static_cast<CCmdUI*>(extra)->Enable(TRUE);
            return TRUE;
        }
        // The wait ends with no bytes; the halt itself goes on to the core,
        // so the target is not resumed after the call.
        if (code == CN_COMMAND && !info) {
            g_haltEndedWait = true;
            ConsoleInputState().waiting = 0;
        }
        return FALSE;
    }
    if (!RefusedWhileInputWaits(id))
        return FALSE;
    if (info) {
        info->pTarget = this;
        return TRUE;
    }
    if (code == CN_UPDATE_COMMAND_UI && extra)
        static_cast<CCmdUI*>(extra)->Enable(FALSE);
    return TRUE;
}

}  // namespace mainframe
