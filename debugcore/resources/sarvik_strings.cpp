// sarvik's string table.
#include "sarvik_strings.h"

#include <platform/resources.h>

#include <mutex>

#include "ids.h"

namespace sarvik::res {

void RegisterDialogTemplates();

void RegisterResources()
{
    static std::once_flag once;
    std::call_once(once, [] {
        using platform::resources::AddString;
        AddString(IDS_BPT_FILTER, "Bkpt Files(*.bpt)|*.bpt|All Files (*.*)|*.*||");
        AddString(IDS_BREAKPOINT_AT, "Breakpoint at %s, ");
        AddString(IDS_ENABLE, "Enable");
        AddString(IDS_DISABLE, "Disable");
        AddString(IDS_TOTAL_BREAKPOINTS, "Total Breakpoint number: %d");
        RegisterDialogTemplates();
    });
}

std::string String(unsigned id)
{
    RegisterResources();
    return platform::resources::LoadString(id);
}

}  // namespace sarvik::res
