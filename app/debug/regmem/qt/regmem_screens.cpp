// The register and memory windows for tools/screens, over examples/hello
// loaded into the real simulator: the register tabs after a few steps (the
// changed values on yellow), the memory window in byte, word and
// disassembly modes, each page of the memory tools, and the modify and
// assemble dialogs.
#include <QTabWidget>

#include <cstdio>
#include <memory>
#include <vector>

#include <platform/messages.h>
#include <platform/qt/dialog_widget.h>
#include <platform/qt/hosts.h>
#include <platform/qt/screens.h>
#include <platform/qt/sheet_widget.h>

#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "falcrest.h"
#include "lathris/frame.h"
#include "pirell/pirell.h"
#include "quentor.h"
#include "regmem/core_link.h"
#include "regmem/cpu_view.h"
#include "regmem/mem_tools_dlg.h"
#include "regmem/memory_view.h"
#include "regmem/memory_window.h"
#include "regmem/modify_dialogs.h"
#include "regmem/qt/cpu_view_widget.h"
#include "regmem/regmem_ids.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace regmem::qt {
namespace {

using platform::qt::ScreenRegistrar;

// The simulator with examples/hello loaded, a few instructions run from its
// entry; the start address of its code.
uint32_t Target()
{
    static const uint32_t start = [] {
        static HWND frame = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
        InitDLL_CpuServer(0, frame, "ARM7TDMI", 0);
        int port = 0;
        NewABIDLL(1, "ARM7TDMI", &port, "Simulator", 1);
        MemInitServer(frame);
        LdrLoadWin(ZK_EXAMPLE_ELF, 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr);
        ADDR entry{0x8000, ADDR_SPACE_TARGET};
        LdrGetStartPC(&entry);
        CpuSetPC(entry.off);
        return entry.off;
    }();
    return start;
}

// The register tabs as the window shows them; the first one after two more
// steps, so that the registers those steps changed are yellow.
QWidget* RegisterScreen()
{
    Target();
    auto* tabs = new QTabWidget;
    tabs->setWindowTitle("REGS");
    int groups = 0;
    std::vector<ZkString> names;
    CpuGetRegGroupNumName(&groups, &names);
    std::vector<CCpuView*> views;
    for (int g = 0; g < groups; ++g) {
        auto* view = new CCpuView;
        view->SetGroup(static_cast<BYTE>(g));
        view->m_strName = names[static_cast<size_t>(g)];
        auto* w = new CpuViewWidget(view);
        w->resize(520, 300);
        view->Create(nullptr, 1);
        tabs->addTab(w, QString::fromStdString(names[static_cast<size_t>(g)]));
        views.push_back(view);
    }
    for (int i = 0; i < 2; ++i)  // the third is the start code's semihosting call
        emuStepOne(0);
    views[0]->Refresh();
    tabs->resize(560, 330);
    return tabs;
}

ScreenRegistrar registers("regmem_register_window", RegisterScreen);

// The memory window: the frame (an MDI child of a frame of its own) with
// its toolbar (address combo, Goto) over the view.
QWidget* MemoryScreen(UINT unit, UINT format, uint32_t top)
{
    const uint32_t start = Target();
    static auto* main = [] {
        auto* frame = new lathris::CCJMDIFrameWnd;
        frame->Create(nullptr, 1);
        return frame;
    }();
    auto* frame = dynamic_cast<CMemoryWindow*>(CreateRegMemWindow(DVK_MEMORY1, main, "Memory"));
    char text[16];
    AdrAddrToHex({top ? top : start, ADDR_SPACE_TARGET}, text);
    frame->addressText = text;
    auto* window = new platform::qt::ChildFrameWidget(frame);
    window->resize(760, 420);
    CMemoryView* view = frame->View();
    view->SendMessage(WM_COMMAND, unit, 0);  // a unit leaves disassembly: it goes first
    view->SendMessage(WM_COMMAND, format, 0);
    if (format == ID_MEM_DISASSEMBLY)
        view->SendMessage(WM_COMMAND, ID_MEM_MIX_ARM_THUMB, 0);
    view->SetTop(top ? top : start);
    frame->RefreshView();
    window->setWindowTitle(QString::fromStdString(frame->GetWindowText()));
    return window;
}

ScreenRegistrar memoryBytes("regmem_memory_bytes", [] { return MemoryScreen(ID_MEM_BYTE, ID_MEM_HEX, 0); });
ScreenRegistrar memoryWords("regmem_memory_words", [] { return MemoryScreen(ID_MEM_LONG, ID_MEM_HEX, 0); });
ScreenRegistrar memorySigned("regmem_memory_signed_halves", [] { return MemoryScreen(ID_MEM_WORD, ID_MEM_SIGNED, 0); });
ScreenRegistrar memoryCode("regmem_memory_disassembly",
                           [] { return MemoryScreen(ID_MEM_BYTE, ID_MEM_DISASSEMBLY, 0); });

// Types a field of a tools page as the user does.
void Type(CMemPage& page, int id, const std::string& text)
{
    page.SetDlgItemText(id, text);
    page.SendMessage(WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), 0);
}

// The tools sheet with page `index` in front; Compare and Fill after a run
// over the hello image (its code against the code one word on, a fill of a
// free RAM area).
QWidget* ToolsScreen(int index)
{
    const uint32_t start = Target();
    static std::vector<std::unique_ptr<CMemDlg>> sheets;
    sheets.push_back(std::make_unique<CMemDlg>());
    CMemDlg& sheet = *sheets.back();
    auto* w = new platform::qt::SheetWidget(sheet);
    w->Tabs()->setCurrentIndex(index);
    char from[16], to[16], dest[16];
    std::snprintf(from, sizeof from, "%X", start);
    std::snprintf(to, sizeof to, "%X", start + 0x3F);
    std::snprintf(dest, sizeof dest, "%X", start + 4);
    if (index == 0) {
        Type(sheet.compare, IDC_COMPARE_START, from);
        Type(sheet.compare, IDC_COMPARE_END, to);
        Type(sheet.compare, IDC_COMPARE_DEST, dest);
        sheet.PressApply();
    } else if (index == 2) {
        Type(sheet.fill, IDC_FILL_START, "100000");
        Type(sheet.fill, IDC_FILL_END, "1000FF");
        Type(sheet.fill, IDC_FILL_PATTERN, "0x12345678");
        sheet.PressApply();
    }
    w->resize(480, 340);
    return w;
}

ScreenRegistrar toolsCompare("regmem_tools_compare", [] { return ToolsScreen(0); });
ScreenRegistrar toolsCopy("regmem_tools_copy", [] { return ToolsScreen(1); });
ScreenRegistrar toolsFill("regmem_tools_fill", [] { return ToolsScreen(2); });
ScreenRegistrar toolsTest("regmem_tools_test", [] { return ToolsScreen(3); });

template <class Dialog>
QWidget* DialogScreen()
{
    const uint32_t start = Target();
    static std::vector<std::unique_ptr<Dialog>> dialogs;
    dialogs.push_back(std::make_unique<Dialog>(ADDR{start, ADDR_SPACE_TARGET}, nullptr));
    auto* w = new platform::qt::DialogWidget(*dialogs.back()->Template());
    w->Attach(*dialogs.back());
    return w;
}

ScreenRegistrar modify("regmem_modify_memory", [] { return DialogScreen<CModifyMemDlg>(); });
ScreenRegistrar assemble("regmem_assemble", [] { return DialogScreen<CAssembleDlg>(); });

}  // namespace
}  // namespace regmem::qt
