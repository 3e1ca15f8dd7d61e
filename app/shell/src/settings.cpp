#include "shell/settings.h"

#include <cstring>
#include <vector>

#include "sarvik.h"
#include "shell/reg_key.h"

namespace shell {

CDebuggerSettings theSettings;
int g_loadOption = 0;
int g_loadingImage = 0;

namespace {

RestartOptionFn g_restartOption = &SetRestartOption;

// Download (0x2) without any segment bits 24-26 loads every segment kind.
constexpr int kLoadDownload = 0x2;
constexpr int kLoadSegmentBits = 0x7000000;

template <class T>
void ReadOr(RegKey& key, const char* name, T& field, T fallback)
{
    if (!key.Read(name, field))
        field = fallback;
}

}  // namespace

RestartOptionFn SetRestartOptionTarget(RestartOptionFn fn)
{
    RestartOptionFn old = g_restartOption;
    g_restartOption = fn ? fn : &SetRestartOption;
    return old;
}

CDebuggerSettings::~CDebuggerSettings()
{
    DeleteEditorFont();
}

void CDebuggerSettings::DeleteEditorFont()
{
    if (EditorFont)
        DeleteObject(EditorFont);
    EditorFont = nullptr;
}

void CDebuggerSettings::SetDefaultColors()
{
    using namespace color;
    static constexpr COLORREF fore[kFormatClassCount] = {Black, Blue,  Green,  Red,     Black, Olive, Black,
                                                         Black, Black, Purple, Fushcia, Black, Grey};
    for (int i = 0; i < kFormatClassCount; ++i)
        FormatColors[i] = {fore[i], White};
}

void CDebuggerSettings::Load(const std::string& keyPath)
{
    RegKey key;
    key.OpenOrCreate(keyPath);
    key.Read("Simulate", Simulate);
    key.Read("SimulateAfterFail", SimulateAfterFail);
    ReadOr(key, "Case", Case, 0);
    ReadOr(key, "DataTip", DataTip, 1);
    ReadOr(key, "LineNumbe", LineNumbe, 1);
    ReadOr(key, "Symbolic", Symbolic, 1);
    ReadOr(key, "IgnoreBP", IgnoreBP, 1);
    ReadOr(key, "LdrClrBP", LdrClrBP, 0);
    ReadOr(key, "CursorLink", CursorLink, 1);
    ReadOr(key, "SavedCommands", SavedCommands, 100);
    ReadOr(key, "SrcLoadOption", SrcLoadOption, 0x100F);
    if ((SrcLoadOption & kLoadDownload) && !(SrcLoadOption & kLoadSegmentBits))
        SrcLoadOption |= kLoadSegmentBits;
    ReadOr(key, "MaxUndoLen", MaxUndoLen, 4096);
    ReadOr(key, "ShowLoadInfo", ShowLoadInfo, 0);
    ReadOr(key, "RunAccess", RunAccess, 0);
    ReadOr(key, "ExitOption", ExitOption, 0);
    ReadOr(key, "DisableStepOver", DisableStepOver, 0);
    ReadOr(key, "DisableCache", DisableCache, 0u);
    ReadOr(key, "DisableCache2", DisableCache2, 0u);
    ReadOr(key, "SmartEdit", SmartEdit, 1u);
    ReadOr(key, "OnlyStartAddr", OnlyStartAddr, 1);
    ReadOr(key, "CMainEntry", CMainEntry, std::string("main"));
    g_restartOption(OnlyStartAddr, CMainEntry.c_str());
    ReadOr(key, "OcdLog", OcdLog, 0);
    ReadOr(key, "Exceptions", Exceptions, 0x1B9u);
    ReadOr(key, "IsLoadInitFile", IsLoadInitFile, 0);
    ReadOr(key, "InitFileName", InitFileName, std::string());
    ReadOr(key, "Protocol", Protocol, std::string("Pelliton"));
    ReadOr(key, "SemiHosting", SemiHosting, 1);
    ReadOr(key, "SemiHostVector", SemiHostVector, 8u);
    ReadOr(key, "TopMemory", TopMemory, 0x74000u);
    ReadOr(key, "ToolChain", ToolChain, std::string("fendrix"));

    DeleteEditorFont();
    EditorFontName.clear();
    std::string face;
    if (key.Read("FontName", face)) {
        int height = 0, width = 0;
        key.Read("FontHeight", height);
        key.Read("FontWidth", width);
        LOGFONT lf{};
        lf.lfHeight = height;
        lf.lfWidth = width;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        EditorFont = CreateFontIndirect(&lf);
        EditorFontName = face;
    }

    // A shorter list keeps the whole pairs it holds; the rest stay default.
    SetDefaultColors();
    CDWordArray words;
    if (key.Read("Format Colors", words))
        for (size_t i = 0; i + 1 < words.size() && i / 2 < kFormatClassCount; i += 2)
            FormatColors[i / 2] = {words[i], words[i + 1]};
    key.Close();
    g_loadOption = SrcLoadOption;
}

void CDebuggerSettings::Save(const std::string& keyPath)
{
    RegKey key;
    key.OpenOrCreate(keyPath);
    key.Write("Case", Case);
    key.Write("DataTip", DataTip);
    key.Write("LineNumbe", LineNumbe);
    key.Write("Symbolic", Symbolic);
    key.Write("IgnoreBP", IgnoreBP);
    key.Write("LdrClrBP", LdrClrBP);
    key.Write("CursorLink", CursorLink);
    key.Write("SavedCommands", SavedCommands);
    key.Write("SrcLoadOption", SrcLoadOption);
    key.Write("MaxUndoLen", MaxUndoLen);
    key.Write("ShowLoadInfo", ShowLoadInfo);
    key.Write("RunAccess", RunAccess);
    key.Write("ExitOption", ExitOption);
    key.Write("DisableStepOver", DisableStepOver);
    key.Write("DisableCache", static_cast<DWORD>(DisableCache));
    key.Write("DisableCache2", static_cast<DWORD>(DisableCache2));
    key.Write("SmartEdit", static_cast<DWORD>(SmartEdit));
    key.Write("OnlyStartAddr", OnlyStartAddr);
    key.Write("CMainEntry", CMainEntry);
    key.Write("OcdLog", OcdLog);
    key.Write("Exceptions", static_cast<DWORD>(Exceptions));
    key.Write("IsLoadInitFile", IsLoadInitFile);
    key.Write("InitFileName", InitFileName);
    key.Write("Protocol", Protocol);
    key.Write("toolchain", ToolChain);

    LOGFONT lf{};
    if (EditorFont && GetObject(EditorFont, sizeof lf, &lf) > 0) {
        std::string face(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
        // The font made from a longer stored name carries its first 31
        // characters: the whole name goes back.
        if (EditorFontName.size() > face.size() && EditorFontName.compare(0, face.size(), face) == 0)
            face = EditorFontName;
        key.Write("FontName", face);
        key.Write("FontHeight", static_cast<int>(lf.lfHeight));
        key.Write("FontWidth", static_cast<int>(lf.lfWidth));
    }

    CDWordArray words;
    for (const ColorPair& p : FormatColors) {
        words.push_back(p.fore);
        words.push_back(p.back);
    }
    key.Write("Format Colors", words);
    key.Close();
}

}  // namespace shell
