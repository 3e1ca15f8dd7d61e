// The build-tool record of a project (the host owns one per project and
// fendrix reads and writes it in place), the build request the host hands to
// `TCBuild`, and the thread message through which a build's output comes back.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "emu_messages.h"
#include "win_types.h"

// One link module of a project: its source path and the list it belongs to
// (the makefile writer sorts by kind 0, 1 and 2; kind 1 is Thumb code in an
// interwork project).
struct ModuleEntry {
    std::string path;
    int32_t kind = 0;
    std::string text;
};

// Entries are shared: the copy operation makes two records hold the same
// entries, and a load replaces a record's entries; whoever holds the last
// reference frees an entry.
using ModuleEntryPtr = std::shared_ptr<ModuleEntry>;

inline constexpr size_t kPageStateSize = 4096;

struct CompilerInfo {
    int32_t projectType = 0;  // 0 ARM Executable, 1 ARM Library, 2 Thumb Executable, 3 Thumb Library, 4 Interwork
    int32_t customBuild = 0;
    std::string customBuildFile;
    std::vector<ModuleEntryPtr> modules;
    std::string projectPath;
    std::string extraText1;  // include directories, each ended by ";"
    std::string extraText2;
    std::string compilerOptions;
    std::string assemblerOptions;
    std::string linkerOptions;
    std::string extraText3;
    std::string extraText4;
    std::string extraText5;
    std::string outputPath;  // output directory, "/" and output file name
    std::string extraText6;
    std::string extraText7;  // C library directory; compiler support library directory (each ended by ";")
    std::string extraText8;  // copied, never stored
    int32_t useDefaults = 0;
    uint32_t pageStateLength = 0;
    std::array<uint8_t, kPageStateSize> pageState{};
};

// Thread message of a build: wParam 0 with lParam an HGLOBAL holding one
// NUL-terminated chunk of output (the receiver frees it with GlobalFree);
// wParam 1 when the build has ended, lParam the exit status of the build
// command (128 + signal when a signal ended it, 127 when it could not start).
// (BuildOutputMessage, 0x479, is listed with the other private messages.)

// The request block: thread id (4 bytes), custom-build flag (2 bytes), then
// 14 NUL-terminated strings back to back. The 1st string is the custom build
// file, the 10th the full path of the project file; the others are the host's.
struct BuildRequest {
    static constexpr size_t kStrings = 14;
    static constexpr size_t kCustomBuildFile = 0;
    static constexpr size_t kProjectPath = 9;

    DWORD threadId = 0;
    uint16_t customBuild = 0;
    std::array<std::string, kStrings> strings;
};

// One `operator new` block in the request format (the receiver frees it with
// `operator delete`). A string's own NUL ends it early.
inline void* WriteBuildRequest(const BuildRequest& request)
{
    size_t size = 6;
    for (const std::string& s : request.strings)
        size += std::strlen(s.c_str()) + 1;
    auto* block = static_cast<uint8_t*>(::operator new(size));
    std::memcpy(block, &request.threadId, 4);
    std::memcpy(block + 4, &request.customBuild, 2);
    size_t at = 6;
    for (const std::string& s : request.strings) {
        const size_t n = std::strlen(s.c_str()) + 1;
        std::memcpy(block + at, s.c_str(), n);
        at += n;
    }
    return block;
}

// Reads a request block; reading stops at the 14th string's NUL.
inline BuildRequest ReadBuildRequest(const void* block)
{
    BuildRequest request;
    const auto* bytes = static_cast<const uint8_t*>(block);
    std::memcpy(&request.threadId, bytes, 4);
    std::memcpy(&request.customBuild, bytes + 4, 2);
    const char* at = reinterpret_cast<const char*>(bytes + 6);
    for (std::string& s : request.strings) {
        s = at;
        at += s.size() + 1;
    }
    return request;
}

// fendrix's entry points, bound by name (LoadLibrary("fendrix")).
// TCHandleCompilerInfo: op 0 copies record `a` into record `b`; op 1 loads or
// stores record `a` through the CArchive `b` for project file version `c`;
// op 2 resets record `a` to the defaults, `b` (when not null) the project path.
extern "C" {
void TCHandleCompilerInfo(int op, void* a, void* b, int c);
int GetProjectSetting(CompilerInfo* info, void* projectFiles);
int TCUpdateLinkModules(CompilerInfo* info);
// Takes over the request block (an `operator new` block) and frees it.
void* TCBuild(void* request);
void TCStopBuild();
const char* GetDefaultCompiler();
void GetSupportCompilers(int);
void GetLibDir(void* libraryDirs);
}

using TCHandleCompilerInfoProc = void (*)(int, void*, void*, int);
using GetProjectSettingProc = int (*)(CompilerInfo*, void*);
using TCUpdateLinkModulesProc = int (*)(CompilerInfo*);
using TCBuildProc = void* (*)(void*);
using TCStopBuildProc = void (*)();
