// Whole-file helpers shared by the stores of the platform layer.
#pragma once

#include <string>

namespace platform {

// Replaces `path` with `bytes` so that a reader sees either the old or the
// new file, never a part: a temporary file in the same folder, written,
// synced, renamed over the target, and the folder synced. On failure the old
// file is untouched, the temporary file removed and `error` says why.
bool WriteFileAtomic(const std::string& path, const std::string& bytes, std::string* error);

// The whole file; false (with the reason) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error);

// Creates a folder and its missing parents.
bool MakeFolders(const std::string& path, std::string* error);

}  // namespace platform
