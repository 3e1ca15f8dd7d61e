// Look-ups over the loaded program that need the loaded-module list: whether
// an address lies in a module, the source file and line of an address for
// the stop display, and the address of a source line.
#pragma once

#include <cstdint>
#include <string>

#include "emu_types.h"
#include "lookups/sym_lookups.h"
#include "win_types.h"

namespace appdebug {

// TRUE when the symbol library maps the address to a module.
BOOL SymIsAddrInModule(const ADDR* address);

// The source file of a code address: the file of its line when the symbol
// library has one, else the file of its module. The path is the resolved
// one (the loaded-module list's, else ResolveSourcePath against the image
// loaded last); a file that resolves nowhere gives its name as the symbol
// library has it. *word = the source key. FALSE when no module holds the
// address.
BOOL SymFindSourceFileOfAddr(const ADDR* address, std::string& path, int* word);

// The one-based source line of a code address (no 16-bit limit); -1 when
// it has none.
int SourceLineOfAddr(uint32_t address);

// Source line to address: the lowest code address of a one-based line of a
// file (any folder, '/' or '\', the name without regard to case) that
// belongs to a loaded module. FALSE when the file is no module's or the
// line has no code.
BOOL SourceLineToAddr(const std::string& file, int line, ADDR* address);

// The look-ups' links to the loaded-module list (a file's module, a
// module's name, a file's resolved path) and the source folders (the
// application's SRC list, the active project's folder, the image's folder).
// The program adds its main window and its transfer flag.
lookups::ProgramLinks LoadedModuleLinks();

// The path of the image loaded last (empty before the first load).
const std::string& LoadedImagePath();
void SetLoadedImagePath(const std::string& path);

}  // namespace appdebug
