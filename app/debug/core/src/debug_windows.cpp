// CDebugCore: opening, refreshing and forgetting the debug windows.
#include "appdebug/debug_core.h"
#include "emu_messages.h"
#include "platform/modal_ui.h"
#include "platform/win32.h"
#include "shell/settings.h"

namespace appdebug {

namespace {

const DebugWindowPlacement* SavedPlacement(int kind)
{
    return kind >= 0 && kind < kPlacementCount ? &g_windowPlacements[kind] : nullptr;
}

void SendRefreshCommand(HWND window)
{
    if (window)
        SendMessage(window, WM_COMMAND, ID_VIEW_REFRESH, 0);
}

}  // namespace

void CDebugCore::ShowDebugWindow(DebugWindow* window, int kind)
{
    if (window->IsVisible())
        return;
    const DebugWindowPlacement* saved = SavedPlacement(kind);
    if (saved && saved->IsValid())
        window->ApplyPlacement(*saved);
    window->BringToTop();
    window->Show();
    if (m_pMainFrame)
        m_pMainFrame->ActivateChild(window);
}

void CDebugCore::OpenSingleWindow(DebugWindow*& slot, int kind, const char* title)
{
    if (slot) {
        slot->BringToTop();
    } else {
        if (!m_pMainFrame)
            return;
        slot = m_pMainFrame->CreateDebugWindow(kind, title, kDebugChildStyle);
        if (!slot)
            return;
        if (kind == DVK_WATCH)
            SendRefreshCommand(slot->ActiveViewWindow());
    }
    ShowDebugWindow(slot, kind);
}

void CDebugCore::OpenRegisterWindow()
{
    OpenSingleWindow(m_pRegisterWnd, DVK_REGISTERS, "Registers");
}

void CDebugCore::OpenWatchWindow()
{
    OpenSingleWindow(m_pWatchWnd, DVK_WATCH, "Watch");
}

void CDebugCore::OpenCallStackWindow()
{
    OpenSingleWindow(m_pStackWnd, DVK_CALL_STACK, "Call Stack");
}

void CDebugCore::OpenMemoryWindow(int32_t address, uint32_t unit)
{
    if (!AccessAllowed())
        return;
    if (m_memoryWnds.size() >= 3) {
        platform::Beep(0xFFFFFFFF);
        m_memoryWnds.front()->BringToTop();
        return;
    }
    unsigned freeKinds = 0x7;  // bit n: kind 4 + n
    for (const DebugWindow* w : m_memoryWnds)
        if (w->Kind() >= DVK_MEMORY1 && w->Kind() <= DVK_MEMORY3)
            freeKinds &= ~(1u << (w->Kind() - DVK_MEMORY1));
    int kind = DVK_MEMORY1;
    while (kind <= DVK_MEMORY3 && !(freeKinds & (1u << (kind - DVK_MEMORY1))))
        ++kind;
    if (kind > DVK_MEMORY3 || !m_pMainFrame)
        return;
    DebugWindow* window = m_pMainFrame->CreateDebugWindow(kind, "Memory", kDebugChildStyle);
    if (!window)
        return;
    const DebugWindowPlacement& saved = g_windowPlacements[kind];
    uint16_t shownUnit = static_cast<uint16_t>(unit & 0xFFFF);
    uint32_t start = saved.StartAddress();
    if (shownUnit != 0 || address != -1) {
        if (shownUnit == 0)
            shownUnit = 1;
        if (address != -1)
            start = static_cast<uint32_t>(address);
    } else {
        shownUnit = saved.Unit() ? static_cast<uint16_t>(saved.Unit()) : 1;
    }
    window->SetStart(shownUnit, start);
    m_memoryWnds.push_back(window);
    window->ApplyFormatWords(saved.FormatWords());
    ShowDebugWindow(window, kind);
}

void CDebugCore::RefreshMemoryWindows(intptr_t param)
{
    // Senders pass the memory space they changed; 0 and -1 mean all.
    const int space = static_cast<int>(param & 0xFFFF);
    const bool all = param == 0 || param == -1;
    for (DebugWindow* w : m_memoryWnds)
        if (all || w->ViewSpace() == space)
            SendRefreshCommand(w->ActiveViewWindow());
    side_.PeriRefreshWindow();
}

void CDebugCore::RefreshDebugWindows(int kind, intptr_t param)
{
    switch (kind) {
    case DVK_REGISTERS:
        if (m_pRegisterWnd)
            SendMessage(m_pRegisterWnd->Window(), WM_EMU_REFRESH, 0, 0);
        break;
    case DVK_MEMORY1:
    case DVK_MEMORY2:
    case DVK_MEMORY3: RefreshMemoryWindows(param); break;
    case DVK_CALL_STACK:
        side_.SymNotifyTargetHalted();
        if (m_pStackWnd)
            SendMessage(m_pStackWnd->Window(), WM_EMU_REFRESH, 0, 0);
        break;
    case DVK_WATCH:
        if (m_pWatchWnd)
            SendRefreshCommand(m_pWatchWnd->ActiveViewWindow());
        for (const auto& [handle, inspector] : m_inspectWnds)
            if (IsWindow(handle))
                SendRefreshCommand(handle);
        break;
    case DVK_BIT_MEMORY:
        if (m_pBitWnd)
            SendRefreshCommand(m_pBitWnd->ActiveViewWindow());
        break;
    case DVK_AUX_WINDOW:
        if (m_hDeviceWnd && IsWindow(m_hDeviceWnd))
            PostMessage(m_hDeviceWnd, WM_COMMAND, ID_VIEW_REFRESH, 0);
        break;
    case DVK_KERNEL: side_.TaskOpenWindow(2); break;
    default: break;
    }
}

int CDebugCore::OnDebugWndClosed(int kind)
{
    // The window is being destroyed and deletes its own object: only the
    // pointer is forgotten here.
    switch (kind) {
    case DVK_REGISTERS: m_pRegisterWnd = nullptr; break;
    case DVK_MEMORY1:
    case DVK_MEMORY2:
    case DVK_MEMORY3: m_memoryWnds.remove_if([kind](const DebugWindow* w) { return w->Kind() == kind; }); break;
    case DVK_CALL_STACK: m_pStackWnd = nullptr; break;
    case DVK_WATCH: m_pWatchWnd = nullptr; break;
    case DVK_BIT_MEMORY: m_pBitWnd = nullptr; break;
    default: break;
    }
    return 1;
}

// The watch window and the inspectors come with their own library; until
// then both answer 1 and open nothing.
int CDebugCore::AddWatch(const std::string&)
{
    return 1;
}

int CDebugCore::OpenInspectWindow(const char*)
{
    return 1;
}

void CDebugCore::ForgetInspector(HWND window)
{
    m_inspectWnds.erase(window);
}

}  // namespace appdebug
