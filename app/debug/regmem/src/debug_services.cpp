// The installed services of the debug windows and the updates they send.
#include "regmem/debug_services.h"

#include <platform/modal_ui.h>
#include <platform/win32.h>

#include "emu_messages.h"
#include "falcrest.h"
#include "vexlor/vexlor.h"

namespace regmem {

namespace {
DebugServices gDefault;
DebugServices* gServices = &gDefault;
}  // namespace

int DebugServices::AccessSize()
{
    int16_t size = 0;
    return emuGetAccessSize(&size) == 0 && (size == 1 || size == 2 || size == 4) ? size : 4;
}

DebugServices& Services()
{
    return *gServices;
}

DebugServices* SetServices(DebugServices* services)
{
    DebugServices* old = gServices == &gDefault ? nullptr : gServices;
    gServices = services ? services : &gDefault;
    return old;
}

void UpdateViews(int kind, LPARAM parameter)
{
    if (HWND main = Services().MainWindow())
        ::SendMessage(main, WM_EMU_UPDATE_VIEWS, static_cast<WPARAM>(kind), parameter);
}

void UpdateAfterMemoryWrite(uint16_t space, bool all)
{
    UpdateViews(DVK_MEMORY1, space);
    if (space == ADDR_SPACE_TARGET) {
        UpdateViews(DVK_CODE_VIEWS);
    } else if (all) {
        UpdateViews(DVK_CALL_STACK);
        UpdateViews(DVK_WATCH);
    }
}

bool TargetBigEndian()
{
    int order = 0;
    return ProcReturnByteOrder(&order) == 0 && order == 1;
}

void WarningBeep()
{
    platform::Beep(0xFFFFFFFF);
}

}  // namespace regmem
