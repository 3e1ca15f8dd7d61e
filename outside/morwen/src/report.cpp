// Numbered messages shown through the modal service.
#include <platform/modal_ui.h>

#include "morwen/morwen.h"

namespace {

HWND& Owner()
{
    static HWND owner = nullptr;
    return owner;
}

}  // namespace

extern "C" {

int ErrInit(HWND owner)
{
    Owner() = owner;
    return 0;
}

int ReportError(UINT id, UINT caption, UINT flags)
{
    platform::MessageBoxRequest request;
    request.owner = Owner();
    ErrGetText(id, &request.text);
    ErrGetText(caption, &request.caption);
    request.type = flags;
    return platform::ShowMessageBox(request);
}

}  // extern "C"
