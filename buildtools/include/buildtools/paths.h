// Path helpers of the writers: the record's texts may hold Windows-style
// backslashes; on this system '/' separates, and every '\' becomes '/'.
#pragma once

#include <string>

namespace fendrix {

std::string Slashed(std::string path);
// Folder part without the trailing '/' ("" when there is none).
std::string FolderOf(const std::string& path);
// File name and extension.
std::string FileNameOf(const std::string& path);
// The path with its final extension (after the last '.' of the file name)
// replaced by `extension` (given without the dot); appended when there is none.
std::string WithExtension(const std::string& path, const std::string& extension);
// The output folder relative to the project folder, "./" when they are the
// same, ending with '/'; empty when either is empty.
std::string RelativeFolder(const std::string& projectDir, const std::string& outputDir);

}  // namespace fendrix
