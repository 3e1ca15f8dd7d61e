// Source files of the modules: the unit's file name as the compiler saw it,
// turned into a path that exists where it can be found.
//
// Names come from DWARF, stabs and FILE symbols: relative to a compilation
// directory, with either separator, with a drive letter, or in the Cygwin
// forms /cygdrive/c/... and //c/... The resolved path is kept in the
// system's form (backslashes); its existence is checked on the real file
// system, where either separator works.
#pragma once

#include <cstdint>
#include <string>

namespace tarnel {

struct SourceFileRecord {
    uint32_t module = 0;       // the quinar module; the key of SourceFileMap
    std::string name;          // the unit's file name as given
    std::string baseName;      // without directory and extension; the extension is added once resolved
    std::string directory;     // the compilation directory; the real directory once resolved
    std::string resolvedPath;  // the full path built
    std::string extension;     // "." and what follows, once resolved
    bool resolved = false;     // resolvedPath names an existing file
};

// The base name of a path: after the last '/', ':' or '\\' (one at index 0
// does not count), up to its first '.': "a/b.c.o" gives "b".
std::string SplitFileName(const std::string& path);

// Builds the record's resolved path from its name and directory. 1 when the
// name is empty (nothing done), else 0.
int ResolveUnitSourcePath(SourceFileRecord& record);

// The rule of the readers: the directory is the compilation directory, or
// the image's directory when there is none; a path built on a compilation
// directory that does not resolve is tried again on the image's directory.
void ResolveSourceRecord(SourceFileRecord& record, const std::string& compilationDirectory,
                         const std::string& imageDirectory);

}  // namespace tarnel
