// The path functions of the project, the window layout and the application:
// splitting, comparing and relating the system's paths. Both "\" and "/"
// separate components; a path with a drive colon and a separator, or one
// starting with "/", is a full path. Nothing here changes the case of a path.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"

namespace shell {

// The text after the last "." when the last separator stands before it;
// empty otherwise (a path without a separator has no extension).
std::string GetFileExtension(const std::string& path);
// The folder parts (before the last separator; a path without one counts
// whole) equal without regard to case or the kind of separator.
BOOL IsSameDirectory(const std::string& path1, const std::string& path2);
BOOL HasNoDirectory(const std::string& path);
// Up to and including the last separator; empty when there is none.
std::string GetDirectoryOfPath(const std::string& path);
// File name and extension.
std::string GetFileNameOfPath(const std::string& path);
// Drive and folder without a trailing separator ("/" alone stays "/").
std::string GetDriveDirOfPath(const std::string& path);
// No drive colon, not starting with "/", and a separator somewhere.
BOOL IsRelativeSubPath(const std::string& path);
std::string GetFileNameExtOfPath(const std::string& path);
// True for a drive colon with a separator, or a "/" in front.
bool IsFullPath(const std::string& path);
// `path` relative to the folder `base`, with "/" separators and "../" for
// each level up; empty when either is empty. Paths that share no leading
// component (another drive) come back whole, in "/" form.
void MakeRelativePath(const std::string& base, const std::string& path, std::string* out);
// A full path is cut to its file name and placed in the base's folder; any
// other path is appended to the base's folder ("../" left as it is).
std::string MakeAbsolutePath(const std::string& path, const std::string& base);
// The file-name parts compared without regard to case (<0, 0, >0).
int CompareSourceFileNames(const std::string& path1, const std::string& path2);
// Frees a text block handed out with its HGLOBAL in the 4 bytes in front;
// null is ignored.
void FreeGlobalBlock(const char* text);

// The number of tokens separated by blanks and commas; 0 for none.
int CountTokens(const char* text);
// Sets `count` 32-bit words to 0; returns 0.
int ClearWords(uint32_t* words, int count);
// Takes the first pending keyboard message off the calling thread's queue;
// TRUE only when it was WM_KEYDOWN of `vk`.
BOOL PeekKeyDown(int vk);

}  // namespace shell

using shell::ClearWords;
using shell::CompareSourceFileNames;
using shell::CountTokens;
using shell::FreeGlobalBlock;
using shell::GetDirectoryOfPath;
using shell::GetDriveDirOfPath;
using shell::GetFileExtension;
using shell::GetFileNameExtOfPath;
using shell::GetFileNameOfPath;
using shell::HasNoDirectory;
using shell::IsRelativeSubPath;
using shell::IsSameDirectory;
using shell::MakeAbsolutePath;
using shell::MakeRelativePath;
using shell::PeekKeyDown;
