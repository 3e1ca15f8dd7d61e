// regmem_page_bench [RUNS]: pages the memory window offscreen through 1 MiB
// of the simulator's memory (the example loaded at its start), in hex words
// and in disassembly; each page is a scroll by one page and a synchronous
// repaint of the widget. Prints the time per page of each run and the
// minimum and median of the runs.
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <platform/messages.h>
#include <platform/qt/hosts.h>
#include <platform/qt/qt_loop.h>

#include "falcrest.h"
#include "pirell/pirell.h"
#include "quentor.h"
#include "regmem/memory_view.h"
#include "regmem/regmem_ids.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace {

constexpr uint32_t kStart = 0x8000;
constexpr uint32_t kBytes = 1u << 20;

// Microseconds per page of one pass over the MiB.
double Pass(regmem::CMemoryView* view, platform::qt::ViewWidget* widget, UINT format, int* pages)
{
    view->SendMessage(WM_COMMAND, regmem::ID_MEM_LONG, 0);
    view->SendMessage(WM_COMMAND, format, 0);
    view->SetTop(kStart);
    *pages = 0;
    const auto begin = std::chrono::steady_clock::now();
    while (view->Top() - kStart < kBytes) {
        const uint32_t before = view->Top();
        view->SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
        widget->viewport()->repaint();
        ++*pages;
        if (view->Top() == before)
            break;
    }
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - begin).count() / *pages;
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::qt::QtLoop loop;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    HWND frame = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    InitDLL_CpuServer(0, frame, "ARM7TDMI", 0);
    int port = 0;
    if (NewABIDLL(1, "ARM7TDMI", &port, "Simulator", 1) != 1) {
        std::fprintf(stderr, "regmem_page_bench: no simulator (libDorvel.so)\n");
        return 1;
    }
    MemInitServer(frame);
    LdrLoadWin(ZK_EXAMPLE_ELF, 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr);
    DadSetDisMod(DAD_MODE_MIXED);

    auto* view = new regmem::CMemoryView;
    auto* widget = new platform::qt::ViewWidget(view);
    widget->resize(760, 420);
    view->Create(nullptr, 1);
    widget->show();
    QApplication::processEvents();

    const struct {
        const char* name;
        UINT format;
    } modes[] = {{"hex words", regmem::ID_MEM_HEX}, {"disassembly", regmem::ID_MEM_DISASSEMBLY}};
    for (const auto& m : modes) {
        std::vector<double> times;
        int pages = 0;
        for (int r = 0; r < runs; ++r) {
            times.push_back(Pass(view, widget, m.format, &pages));
            std::printf("%-12s run %d: %d pages, %.1f us/page\n", m.name, r + 1, pages, times.back());
        }
        std::sort(times.begin(), times.end());
        std::printf("%-12s min %.1f us/page, median %.1f us/page (%d rows a page)\n", m.name, times.front(),
                    times[times.size() / 2], view->PageRows());
    }
    delete widget;
    MemExitServer();
    ExitABIDLL();
    return 0;
}
