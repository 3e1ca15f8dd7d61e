// The settings record: the debugger's and the editors' options, loaded from
// the registry key ...\Configuration once at start-up and saved once at a
// normal exit. Every part of the program reads the one instance theSettings
// directly; each field carries its registry value name.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdi.h"

namespace shell {

// The 13 text format classes in the order of the "Format Colors" pairs.
inline constexpr int kFormatClassCount = 13;

struct ColorPair {
    COLORREF fore = 0;
    COLORREF back = 0;
};

// The 16 named colours of the colour lists (COLORREF 0x00BBGGRR).
namespace color {
inline constexpr COLORREF Black = 0x000000, Maroon = 0x000080, Green = 0x008000, Olive = 0x008080, Navy = 0x800000,
                          Purple = 0x800080, Teal = 0x808000, Grey = 0x808080, Silver = 0xC0C0C0, Red = 0x0000FF,
                          Lime = 0x00FF00, Yellow = 0x00FFFF, Blue = 0xFF0000, Fushcia = 0xFF00FF, Aqua = 0xFFFF00,
                          White = 0xFFFFFF;
}

class CDebuggerSettings {
public:
    CDebuggerSettings() = default;
    ~CDebuggerSettings();
    CDebuggerSettings(const CDebuggerSettings&) = delete;
    CDebuggerSettings& operator=(const CDebuggerSettings&) = delete;

    // Reads every field from HKEY_CURRENT_USER\<keyPath> (created when
    // missing); values that are missing or of another type take the defaults.
    void Load(const std::string& keyPath);
    // Writes the saved fields (never Simulate, SimulateAfterFail, SemiHosting,
    // TopMemory, SemiHostVector).
    void Save(const std::string& keyPath);
    void SetDefaultColors();
    // Deletes the editor font (the application's exit does it after Save).
    void DeleteEditorFont();

    int DataTip = 0;
    int LineNumbe = 0;
    int Symbolic = 0;
    int Simulate = 0;
    int SimulateAfterFail = 0;
    int IgnoreBP = 0;
    int LdrClrBP = 0;
    int CursorLink = 0;
    int Case = 0;
    int ShowLoadInfo = 0;
    int RunAccess = 0;
    int SavedCommands = 0;
    int SrcLoadOption = 0;
    int MaxUndoLen = 0;
    int ExitOption = 0;
    ColorPair FormatColors[kFormatClassCount] = {};
    // Null: the views use their own font.
    HFONT EditorFont = nullptr;
    // The face name as stored: a LOGFONT face holds 31 characters, a longer
    // stored name is kept whole here and written back whole.
    std::string EditorFontName;
    int DisableStepOver = 0;
    uint32_t DisableCache = 0;
    uint32_t DisableCache2 = 0;
    uint32_t SmartEdit = 0;
    int OnlyStartAddr = 0;
    std::string CMainEntry;
    // The Debug page's "Temp BP Use" choice "Watchpoint"; never stored.
    static inline int UseWatchpointBP = 0;
    uint32_t Exceptions = 0;
    int IsLoadInitFile = 0;
    std::string Protocol;
    std::string InitFileName;
    int OcdLog = 0;
    int SemiHosting = 0;
    uint32_t TopMemory = 0;
    uint32_t SemiHostVector = 0;
    std::string ToolChain;
};

extern CDebuggerSettings theSettings;

// The image-load option word of the main frame's image loading; Load copies
// SrcLoadOption into it.
extern int g_loadOption;

// The application's loading flag: set while a program image load or a
// memory download runs (breakpoint toggles and the shell's Enter wait).
extern int g_loadingImage;

// Where Load hands the restart option: the debugger core library's
// SetRestartOption unless a test puts a recorder in its place.
using RestartOptionFn = void (*)(int stopAtEntry, const char* symbol);
RestartOptionFn SetRestartOptionTarget(RestartOptionFn fn);

}  // namespace shell

using shell::CDebuggerSettings;
using shell::theSettings;
