// The start of a symbol load that both readers of the front end share: the
// check whether quinar holds this very image already (and the question of
// LOAD_ASK_AGAIN), then the ELF image of tarnel is forgotten.
#pragma once

#include <string>

#include "ldr_types.h"

namespace quentor {

// 0, or LDR_S_UNCHANGED when the symbols are loaded and not to be loaded again.
LdrResult BeginImageSymbols(const std::string& path, const ImageStamp& stamp);
// A symbol load that failed after it began: ended and quinar emptied.
void AbandonImageSymbols();

}  // namespace quentor
