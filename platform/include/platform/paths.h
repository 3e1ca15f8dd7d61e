// Path helpers for the system's paths: backslashes or slashes (both accepted
// everywhere), optional drive letters. Nothing here changes the case of a
// path; compare without regard to case only where the system's behaviour
// says so (EqualNoCase, EqualPathsNoCase).
#pragma once

#include <string>
#include <string_view>

namespace platform {

bool IsPathSeparator(char c);
// Backslashes become slashes, for opening on this system.
std::string ToNativePath(const std::string& path);
// Slashes become backslashes, for texts stored in the system's form.
std::string ToBackslashPath(const std::string& path);

struct DriveSplit {
    std::string drive;  // "C:" or empty
    std::string rest;
};
DriveSplit SplitDrive(const std::string& path);

// A separator (or drive letter and separator) in front.
bool IsAbsolutePath(const std::string& path);
// `b` when it is absolute; else a, one separator (the kind `a` uses) and b.
std::string JoinPath(const std::string& a, const std::string& b);
// The part after the last separator (or drive colon).
std::string FileNameOf(const std::string& path);
// The part before the last separator ("" when none; "/" stays "/", "C:\" stays "C:\").
std::string FolderOf(const std::string& path);
// From the last '.' of the file name on (".c"), "" when it has none.
std::string ExtensionOf(const std::string& path);
std::string StripExtension(const std::string& path);
// `extension` with or without its dot.
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// On the real file system, with either separator.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);
// The path as it exists on the file system, either separator accepted: each
// component missing as named is matched without case in its folder (the
// first match in name order). Empty when some component has no match.
std::string ResolvePathNoCase(const std::string& path);

// ASCII case-insensitive comparison (<0, 0, >0).
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualNoCase(std::string_view a, std::string_view b);
// Also treats '\\' and '/' as the same.
bool EqualPathsNoCase(const std::string& a, const std::string& b);

}  // namespace platform
