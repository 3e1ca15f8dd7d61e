// WM_EMU_MEMORY_TEST: the target memory test of a range, run in 256-byte
// blocks by talvis's block walk with the status bar's "Test" progress bar;
// Ctrl+Break between blocks ends it; the last text goes to the shell.
#include "brevan/brevan.h"
#include "emu_messages.h"
#include "mainframe/main_frame.h"
#include "shell/path_functions.h"
#include "shell/status_bar.h"
#include "talvis/block_walk.h"

namespace mainframe {

LRESULT CMainFrame::OnMemoryTest(WPARAM wParam, LPARAM lParam)
{
    // The start's low two bits carry the kind of the test (its access width).
    const auto packed = static_cast<uint32_t>(wParam);
    const int kind = static_cast<int>(packed & 3u);
    const ADDR start{packed & ~3u, ADDR_SPACE_TARGET};
    const ADDR end{static_cast<uint32_t>(lParam), ADDR_SPACE_TARGET};

    CProgressBar progress("Test", 90, 100, TRUE, 0);
    // The walk clips every block to the range, the last one included; the
    // block count only drives the progress.
    const talvis::BlockWalkOutcome outcome = talvis::TestRangeInBlocks(
        start, end, kind, [] { return shell::PeekKeyDown(VK_CANCEL) != FALSE; },
        [&progress](int percent) { progress.SetPos(percent); });
    if (!outcome.text.empty())
        ShlPrintMessage(outcome.text.c_str(), SHL_PRINT_MESSAGE);
    return outcome.passed || outcome.blocks == 0 ? 0 : 1;
}

}  // namespace mainframe
