// The application object: the main window, documents, the profile under
// SetRegistryKey, the recent file list, the command line and the idle turn.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/doc_view.h"

namespace platform {

class CCommandLineInfo {
public:
    enum ShellCommand {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppRegister,
        AppUnregister,
        FileNothing = -1
    };
    virtual ~CCommandLineInfo() = default;
    // One argument: `flag` when it started with '/' or '-' (without it).
    virtual void ParseParam(const char* param, BOOL flag, BOOL last);

    ShellCommand m_nShellCommand = FileNew;
    std::string m_strFileName;
    BOOL m_bRunEmbedded = FALSE;   // "/Embedding"
    BOOL m_bRunAutomated = FALSE;  // "/Automation"
    BOOL m_bShowSplash = TRUE;
};

// The recent files: entries "File1".."FileN" in the profile section.
class CRecentFileList {
public:
    CRecentFileList(UINT start, const char* section, const char* entryFormat, int size, int maxDisplay = 40);
    int GetSize() const { return static_cast<int>(files_.size()); }
    const std::string& operator[](int i) const { return files_[i]; }
    int Count() const;  // non-empty entries
    // To the front; an entry of the same path (case-insensitive) moves.
    void Add(const std::string& path);
    void Remove(int index);
    void ReadList();
    void WriteList();
    // "&1 main.c": the menu text of an entry.
    std::string GetDisplayName(int index) const;
    // Replaces the items from ID_FILE_MRU_FILE1 with the list ("Recent File"
    // greyed when empty).
    void UpdateMenu(CMenu& menu);

private:
    UINT start_;
    std::string section_, format_;
    int maxDisplay_;
    std::vector<std::string> files_;
};

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();
    // One idle turn of the outermost loop: the update pass of the main
    // frame's bars at count 0. Never called from a nested pump.
    virtual BOOL OnIdle(LONG count);
    // Thread messages and keys before dispatch: the main frame's route.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // "Software\<key>\<app name>\<section>" in the registry.
    void SetRegistryKey(const char* key);
    std::string ProfileKey(const char* section) const;
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
    std::string GetProfileString(const char* section, const char* entry, const char* defaultValue = "");
    bool GetProfileBinary(const char* section, const char* entry, std::vector<uint8_t>& out);
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);
    BOOL WriteProfileBinary(const char* section, const char* entry, const std::vector<uint8_t>& bytes);
    // The recent file list (of up to `maxMRU` entries) from the profile.
    void LoadStdProfileSettings(UINT maxMRU = 4);
    void SaveStdProfileSettings();
    virtual void AddToRecentFileList(const char* path);
    CRecentFileList* RecentFiles() const { return recent_.get(); }

    void ParseCommandLine(CCommandLineInfo& info, int argc, const char* const* argv);
    BOOL ProcessShellCommand(CCommandLineInfo& info);

    void AddDocTemplate(CDocTemplate* t);
    CDocManager* DocManager() { return &docs_; }
    virtual CDocument* OpenDocumentFile(const char* path) { return docs_.OpenDocumentFile(path); }
    void OnFileNew() { docs_.OnFileNew(); }
    void OnFileOpen() { docs_.OnFileOpen(); }
    BOOL SaveAllModified() { return docs_.SaveAllModified(); }
    void CloseAllDocuments(BOOL endSession) { docs_.CloseAllDocuments(endSession); }

    const std::string& AppName() const { return appName_; }
    const std::string& RegistryKey() const { return registryKey_; }
    UINT m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;

    DECLARE_DYNAMIC(CWinApp)

private:
    std::string appName_;
    std::string registryKey_;
    std::unique_ptr<CRecentFileList> recent_;
    CDocManager docs_;
};

// The one application object (null before one exists).
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

}  // namespace platform

using platform::AfxGetApp;
using platform::AfxGetMainWnd;
using platform::CCommandLineInfo;
using platform::CRecentFileList;
using platform::CWinApp;
