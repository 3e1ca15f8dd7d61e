#include "exception_catch.h"

#include <cstring>

#include "bp_list.h"
#include "core.h"
#include "emu_messages.h"
#include "falcrest.h"

namespace sarvik {

namespace {

struct CatchVector {
    uint32_t maskBit;
    uint32_t offset;
    const char* report;
};

// The reserved vector at 0x14 is never caught; mask bits 0x001 and 0x008
// (Error, Address Exception) select no vector on ARM.
constexpr CatchVector kVectors[] = {
    {EMU_CATCH_RESET, 0x00, "Encounter the Reset Exception!\n"},
    {EMU_CATCH_UNDEFINED, 0x04, "Encounter the Undefined Instruction Exception!\n"},
    {EMU_CATCH_SWI, 0x08, "Encounter the Software Interrupt Exception!\n"},
    {EMU_CATCH_PREFETCH_ABORT, 0x0C, "Encounter the Prefetch Abort Exception!\n"},
    {EMU_CATCH_DATA_ABORT, 0x10, "Encounter the Data Abort Exception!\n"},
    {EMU_CATCH_IRQ, 0x18, "Encounter the IRQ Exception!\n"},
    {EMU_CATCH_FIQ, 0x1C, "Encounter the FIQ Exception!\n"},
};

uint32_t VectorBase(uint32_t mask)
{
    return (mask & EMU_CATCH_HIGH_VECTORS) ? 0xFFFF0000u : 0;
}

}  // namespace

void PlantCatchBreakpoints(bool apply)
{
    const uint32_t mask = Core().config.catchMask;
    for (const CatchVector& v : kVectors) {
        const ADDR at{VectorBase(mask) + v.offset, ADDR_SPACE_TARGET};
        const bool wanted = (mask & v.maskBit) != 0;
        CBpData* record = nullptr;
        switch (BptFindBp(&at, at, &record)) {
        case BPT_MARK_NONE:
            if (wanted)
                BptSetBp(&at, "", 1, 0, 1, 0xFFFFFFFFu);
            break;
        case BPT_MARK_SW_DISABLED:
            if (wanted && apply) {
                record->Enable(1);
                emuSetBp(at);
            }
            break;
        case BPT_MARK_SW_ENABLED:
            if (!wanted && apply)
                BptClearBp(&at, 0);
            break;
        default: break;
        }
    }
    SendToMain(WM_EMU_UPDATE_VIEWS, DVK_CODE_VIEWS, 0);
}

void ClearCatchBreakpoints(uint32_t mask)
{
    for (const CatchVector& v : kVectors) {
        const ADDR at{VectorBase(mask) + v.offset, ADDR_SPACE_TARGET};
        BptClearBp(&at, 0);
    }
}

void ReportCaughtException(uint32_t pc)
{
    const uint32_t mask = Core().config.catchMask;
    for (const CatchVector& v : kVectors) {
        if ((mask & v.maskBit) && pc == VectorBase(mask) + v.offset) {
            // Console output: byte 0 the kind, the text from byte 1.
            char buffer[64] = {static_cast<char>(SEMIHOST_IO_TEXT)};
            std::strncpy(buffer + 1, v.report, sizeof buffer - 2);
            SendToMain(WM_EMU_SEMIHOST_IO, 0, reinterpret_cast<LPARAM>(buffer));
            return;
        }
    }
}

}  // namespace sarvik
