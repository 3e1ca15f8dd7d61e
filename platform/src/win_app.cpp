#include "platform/win_app.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "platform/modal_ui.h"
#include "platform/registry.h"

namespace platform {
namespace {

CWinApp* g_app = nullptr;

bool SameNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}

// --- Command line ----------------------------------------------------------------

void CCommandLineInfo::ParseParam(const char* param, BOOL flag, BOOL)
{
    if (flag) {
        if (strcasecmp(param, "Embedding") == 0) {
            m_bRunEmbedded = TRUE;
            m_bShowSplash = FALSE;
        } else if (strcasecmp(param, "Automation") == 0) {
            m_bRunAutomated = TRUE;
            m_bShowSplash = FALSE;
        } else if (strcasecmp(param, "p") == 0) {
            m_nShellCommand = FilePrint;
        }
        return;
    }
    if (m_strFileName.empty()) {
        m_strFileName = param;
        if (m_nShellCommand == FileNew)
            m_nShellCommand = FileOpen;
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info, int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* p = argv[i];
        // A switch never holds a second slash: "/home/a/main.c" is a file.
        bool flag = p[0] == '-' || (p[0] == '/' && std::strchr(p + 1, '/') == nullptr);
        info.ParseParam(flag ? p + 1 : p, flag, i == argc - 1);
    }
    // Started by automation, the program opens no empty document.
    if (info.m_bRunEmbedded || info.m_bRunAutomated)
        if (info.m_nShellCommand == CCommandLineInfo::FileNew)
            info.m_nShellCommand = CCommandLineInfo::FileNothing;
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info)
{
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew: OnFileNew(); return TRUE;
    case CCommandLineInfo::FileOpen:
    case CCommandLineInfo::FilePrint: return OpenDocumentFile(info.m_strFileName.c_str()) != nullptr;
    default: return TRUE;
    }
}

// --- Application -----------------------------------------------------------------

CWinApp::CWinApp(const char* appName) : appName_(appName ? appName : "")
{
    g_app = this;
    if (!appName_.empty() && platform::AppName().empty())
        SetAppName(appName_);
    OnCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    OnCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    OnCommandRange(ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, [this](UINT id) {
        int index = static_cast<int>(id - ID_FILE_MRU_FIRST);
        if (!recent_ || index >= recent_->GetSize() || (*recent_)[index].empty())
            return;
        std::string path = (*recent_)[index];
        if (!OpenDocumentFile(path.c_str()))
            recent_->Remove(index);
    });
    OnUpdate(ID_FILE_MRU_FILE1, [this](CCmdUI* ui) {
        if (ui->m_pMenu && recent_)
            recent_->UpdateMenu(*ui->m_pMenu);
        else
            ui->Enable(recent_ && recent_->Count() > 0);
    });
    OnCommand(ID_APP_EXIT, [this] {
        if (m_pMainWnd && m_pMainWnd->m_hWnd)
            m_pMainWnd->PostMessage(WM_CLOSE);
    });
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    return 0;
}

BOOL CWinApp::OnIdle(LONG count)
{
    if (count != 0 || InNestedPump())
        return FALSE;
    if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd))
        if (frame->m_hWnd)
            frame->OnIdleUpdateCmdUI();
    return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg)
{
    if (!msg->hwnd)
        return FALSE;  // thread messages go to the map of whoever hooks them
    auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd);
    return frame && frame->m_hWnd && frame->PreTranslateMessage(msg);
}

void CWinApp::SetRegistryKey(const char* key)
{
    registryKey_ = key ? key : "";
}

std::string CWinApp::ProfileKey(const char* section) const
{
    return "Software\\" + registryKey_ + "\\" + appName_ + "\\" + (section ? section : "");
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    auto v = Registry::Global().GetDword(ProfileKey(section), entry);
    return v ? *v : static_cast<UINT>(defaultValue);
}

std::string CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue)
{
    auto v = Registry::Global().GetString(ProfileKey(section), entry);
    return v ? *v : std::string(defaultValue ? defaultValue : "");
}

bool CWinApp::GetProfileBinary(const char* section, const char* entry, std::vector<uint8_t>& out)
{
    auto v = Registry::Global().GetBinary(ProfileKey(section), entry);
    if (!v)
        return false;
    out = *v;
    return true;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    Registry::Global().SetDword(ProfileKey(section), entry, static_cast<DWORD>(value));
    return TRUE;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value)
{
    if (!entry) {
        Registry::Global().DeleteKey(ProfileKey(section));
        return TRUE;
    }
    if (!value) {
        Registry::Global().DeleteValue(ProfileKey(section), entry);
        return TRUE;
    }
    Registry::Global().SetString(ProfileKey(section), entry, value);
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(const char* section, const char* entry, const std::vector<uint8_t>& bytes)
{
    Registry::Global().SetBinary(ProfileKey(section), entry, bytes);
    return TRUE;
}

void CWinApp::LoadStdProfileSettings(UINT maxMRU)
{
    if (maxMRU == 0)
        return;
    maxMRU = std::min<UINT>(maxMRU, 16);
    recent_ = std::make_unique<CRecentFileList>(0, "Recent File List", "File%d", static_cast<int>(maxMRU));
    recent_->ReadList();
}

void CWinApp::SaveStdProfileSettings()
{
    if (recent_)
        recent_->WriteList();
    Registry::Global().Flush();
}

void CWinApp::AddToRecentFileList(const char* path)
{
    if (recent_ && path && *path)
        recent_->Add(path);
}

void CWinApp::AddDocTemplate(CDocTemplate* t)
{
    docs_.AddDocTemplate(t);
}

// --- Recent files ---------------------------------------------------------------

CRecentFileList::CRecentFileList(UINT start, const char* section, const char* entryFormat, int size, int maxDisplay)
    : start_(start), section_(section), format_(entryFormat), maxDisplay_(maxDisplay),
      files_(static_cast<size_t>(std::max(size, 1)))
{}

int CRecentFileList::Count() const
{
    return static_cast<int>(std::count_if(files_.begin(), files_.end(), [](auto& f) { return !f.empty(); }));
}

void CRecentFileList::Add(const std::string& path)
{
    auto it = std::find_if(files_.begin(), files_.end(), [&](const std::string& f) { return SameNoCase(f, path); });
    if (it == files_.end())
        it = files_.end() - 1;
    std::rotate(files_.begin(), it, it + 1);
    files_.front() = path;
}

void CRecentFileList::Remove(int index)
{
    if (index < 0 || index >= GetSize())
        return;
    files_.erase(files_.begin() + index);
    files_.emplace_back();
}

void CRecentFileList::ReadList()
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    for (int i = 0; i < GetSize(); ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, format_.c_str(), i + 1);
        files_[i] = app->GetProfileString(section_.c_str(), entry, "");
    }
}

void CRecentFileList::WriteList()
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    for (int i = 0; i < GetSize(); ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, format_.c_str(), i + 1);
        if (files_[i].empty())
            app->WriteProfileString(section_.c_str(), entry, nullptr);
        else
            app->WriteProfileString(section_.c_str(), entry, files_[i].c_str());
    }
}

std::string CRecentFileList::GetDisplayName(int index) const
{
    if (index < 0 || index >= GetSize() || files_[index].empty())
        return {};
    std::string name = files_[index];
    size_t slash = name.find_last_of("/\\");
    if (static_cast<int>(name.size()) > maxDisplay_ && slash != std::string::npos)
        name = name.substr(slash + 1);
    std::string escaped;
    for (char c : name) {
        if (c == '&')
            escaped += '&';
        escaped += c;
    }
    return "&" + std::to_string(index + 1 + static_cast<int>(start_)) + " " + escaped;
}

void CRecentFileList::UpdateMenu(CMenu& menu)
{
    // Remove the items of the previous pass, keep the first slot's position.
    int first = -1;
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        UINT id = menu.GetMenuItemID(i);
        if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) {
            if (first < 0)
                first = i;
            menu.RemoveMenu(static_cast<UINT>(i), MF_BYPOSITION);
            --i;
        }
    }
    if (first < 0)
        return;
    if (Count() == 0) {
        menu.InsertMenu(static_cast<UINT>(first), MF_BYPOSITION | MF_GRAYED, ID_FILE_MRU_FILE1, "Recent File");
        return;
    }
    int pos = first;
    for (int i = 0; i < GetSize(); ++i) {
        if (files_[i].empty())
            continue;
        menu.InsertMenu(static_cast<UINT>(pos++), MF_BYPOSITION, ID_FILE_MRU_FIRST + i, GetDisplayName(i).c_str());
    }
}

}  // namespace platform
