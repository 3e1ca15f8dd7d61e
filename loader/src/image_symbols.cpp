#include "image_symbols.h"

#include <platform/modal_ui.h>

#include "front_state.h"
#include "quinar/symbol_store.h"
#include "tarnel.h"

namespace quentor {
namespace {

bool AskToLoadSymbolsAgain()
{
    platform::MessageBoxRequest request;
    request.text = "The symbols of this image are loaded already.\nLoad them again?";
    request.caption = "Load";
    request.type = MB_YESNO | MB_ICONQUESTION;
    return platform::ShowMessageBox(request) == IDYES;
}

}  // namespace

LdrResult BeginImageSymbols(const std::string& path, const ImageStamp& stamp)
{
    quinar::SymbolStore& symbols = quinar::Symbols();
    // No clear in front of the first check: it would forget the image it
    // asks about, and the question of LOAD_ASK_AGAIN could never come.
    // quinar lets the symbols of another image go by itself.
    if (symbols.CheckImageLoaded(path, stamp) == SYM_S_IMAGE_LOADED) {
        if ((FrontState().flags & LOAD_ASK_AGAIN) && !AskToLoadSymbolsAgain())
            return LDR_S_UNCHANGED;
        symbols.Clear();
        if (symbols.CheckImageLoaded(path, stamp) == SYM_S_IMAGE_LOADED)
            return LDR_S_UNCHANGED;
    }
    // This image's symbols replace those of an ELF image loaded before:
    // tarnel's answers for that one (Thumb code, frames, sources) go too.
    ResetOnCloseELF();
    return LDR_OK;
}

void AbandonImageSymbols()
{
    quinar::Symbols().EndLoad();
    quinar::Symbols().Clear();
}

}  // namespace quentor
