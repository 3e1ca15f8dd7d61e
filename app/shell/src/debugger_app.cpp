#include "shell/debugger_app.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "morwen/morwen.h"
#include "platform/frame_wnd.h"
#include "platform/messages.h"
#include "platform/modules.h"
#include "platform/ole.h"
#include "platform/paths.h"
#include "platform/runtime_class.h"
#include "shell/incremental_source.h"
#include "shell/macro_dialog.h"
#include "shell/macro_files.h"
#include "shell/path_functions.h"
#include "shell/qedit_proxy.h"
#include "shell/script_host.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell/small_dialogs.h"

namespace shell {

const TemplateRow kTemplateRows[7] = {
    {"source", 1, "CQEditDoc", "CChildFrame", "CQEditView", true},
    {"project", 5, "CProjectDoc", nullptr, nullptr, true},
    {"hex", 1, "CHexDoc", "CAsmFrame", "CHexView", false},
    {"mixed", 1, "CQEditDoc", "CAsmFrame", "CMixedView", false},
    {"assembly", 1, "CQEditDoc", "CAsmFrame", "CAsmView", false},
    {"HTML", 1, "CHtmlDoc", "CHtmlFrame", "CInfoView", false},
    {"form", 1, "CDesignFormDoc", "CDesignFormFrame", "CDesignFormView", true},
};

namespace {

constexpr char kRegistryKey[] = "Zelkor";
constexpr int ERR_PROJECT_UNREADABLE = 32823;
constexpr UINT kWakeIdle = 0;  // WM_NULL: a thread message nobody handles

}  // namespace

StartSwitch FirstSwitch(const std::string& raw)
{
    if (raw.size() < 2 || raw[0] != '/')
        return StartSwitch::None;
    // A first argument with a second slash is a file's path ("/srv/a.c"),
    // not a switch.
    const std::string first = raw.substr(0, raw.find(' '));
    if (first.find('/', 1) != std::string::npos)
        return StartSwitch::None;
    switch (raw[1]) {
    case 'S':
    case 's': return StartSwitch::ConfigOnly;
    case 'B':
    case 'b': return StartSwitch::NoPrompt;
    case 'D':
    case 'd': return StartSwitch::Simulate;
    default: return StartSwitch::None;
    }
}

std::string JoinCommandLine(int argc, const char* const* argv)
{
    std::string raw;
    for (int i = 1; i < argc; ++i)
        raw += (i > 1 ? " " : "") + std::string(argv[i]);
    return raw;
}

UINT g_findReplaceMessage = 0;

CDebuggerApp::CDebuggerApp() : CWinApp("Zelkor for Arm")
{
    g_findReplaceMessage = RegisterWindowMessage("commdlg_FindReplace");
    const char* path = std::getenv("PATH");
    m_toolPath = path ? path : "";
    OnCommand(ID_EDIT_MACRO, [this] { OnEditMacro(); });
}

CDebuggerApp::~CDebuggerApp() = default;

void CDebuggerApp::SetCommandLine(int argc, const char* const* argv)
{
    args_.assign(argv, argv + argc);
    argc_ = argc;
    raw_ = JoinCommandLine(argc, argv);
}

bool CDebuggerApp::RunTargetConfiguration()
{
    CObject* object = platform::CRuntimeClass::CreateObject("CTargetConfigDlg");
    auto* dialog = dynamic_cast<CDialog*>(object);
    if (!dialog) {
        delete object;
        return false;
    }
    dialog->DoModal();
    delete dialog;
    return true;
}

BOOL CDebuggerApp::InitInstance()
{
    RegisterShellResources();
    // 1. The command line.
    CCommandLineInfo info;
    std::vector<const char*> argv;
    for (const auto& a : args_)
        argv.push_back(a.c_str());
    ParseCommandLine(info, argc_, argv.data());
    Step("parse");
    bool server = info.m_bRunEmbedded || info.m_bRunAutomated;
    if (info.m_nShellCommand == CCommandLineInfo::FileOpen || server)
        m_noPrompt = TRUE;
    // A program run for automation ends with its last client (CQEditProxy).
    if (server)
        AfxOleSetUserCtrl(FALSE);

    // 2. A switch counts only in the first two characters.
    switch (FirstSwitch(raw_)) {
    case StartSwitch::ConfigOnly:
        m_configOnly = TRUE;
        SetRegistryKey(kRegistryKey);
        Step("switch /S");
        Step(RunTargetConfiguration() ? "target configuration" : "no target configuration");
        return FALSE;
    case StartSwitch::NoPrompt: m_noPrompt = TRUE; break;
    case StartSwitch::Simulate: m_simulate = TRUE; break;
    case StartSwitch::None: break;
    }

    // 3. The splash, for an embedded or automation start only.
    if (server) {
        SplashTexts texts{"Zelkor",
                          {"An Integrated Tool for Embedded Development ", "Zelkor for Arm",
                           "A debugger and development environment for ARM targets"}};
        if (splashStarter_)
            splashStarter_(texts);
        m_splashStarted = TRUE;
        Step("splash");
    }

    // 4. The automation class factories, in the in-process class registry.
    COleObjectFactory::RegisterAll();
    SetRegistryKey(kRegistryKey);
    LoadStdProfileSettings(4);
    Step("profile");

    // 5. The recently used projects.
    m_recentProjects = std::make_unique<CRecentFileList>(0, "Recent Project", "Project%d", 4, 30);
    m_recentProjects->ReadList();

    // 6. The templates whose classes exist, in table order.
    MakeTemplates();
    Step("templates");

    // 9. The directory and macro lists.
    m_registryPath = std::string("Software\\") + kRegistryKey + "\\" + AppName();
    LoadDirectoryLists(m_lists, m_registryPath + "\\Settings");
    Step("directory lists");

    // 10. The installed tool chain fills empty INCLUDE, LIB and BIN.
    if (AddToolChainDefaults(m_lists, m_toolPath))
        Step("tool-chain defaults");

    // 11. The settings record; Simulate is always replaced.
    theSettings.Load(m_registryPath + "\\Configuration");
    if (platform::EqualNoCase(theSettings.Protocol, "Simulator"))
        m_simulate = TRUE;
    theSettings.Simulate = m_simulate;
    Step("settings");

    // 12. The main frame, through the maker the program puts in
    // (CMainFrame::LoadFrame of IDR_MAINFRAME).
    CWnd* frame = frameMaker_ ? frameMaker_(*this) : nullptr;
    if (!frame) {
        Step("no main frame");
        return FALSE;
    }
    m_pMainWnd = frame;
    Step("main frame");

    // 13. The error-text library reports over the frame.
    ErrInit(frame->m_hWnd);

    // 14. Shown maximised.
    frame->ShowWindow(m_nCmdShow);
    frame->ShowWindow(SW_SHOWMAXIMIZED);
    Step("shown");

    // 15. Connect once the loop runs. (The accelerator manager joins with
    // its window.)
    ::PostMessage(frame->m_hWnd, WM_COMMAND, ID_DEBUG_CONNECT, 0);
    Step("connect posted");

    // 16. The script server, when its class is there.
    m_scriptServer = platform::CRuntimeClass::CreateObject("CScriptServer");
    if (m_scriptServer)
        Step("script server");

    // 17. The file named on the command line; a macro file is loaded and
    // its "AutoDebug" run.
    bool macroRun = false;
    if (info.m_nShellCommand == CCommandLineInfo::FileOpen)
        macroRun = OpenCommandLineFile(info.m_strFileName);

    // 18. The listed macro files are read when the flag asks for it. An
    // unloaded list is kept, so that the frame's close writes it back whole.
    if (!macroRun && m_lists.loadMacroOnStart && ScriptHost()) {
        LoadMacros();
        Step("macros loaded");
    }
    Step("ready");
    return TRUE;
}

void CDebuggerApp::MakeTemplates()
{
    m_templatesMade.clear();
    m_sourceTemplate = nullptr;
    for (const TemplateRow& row : kTemplateRows) {
        using platform::CRuntimeClass;
        const CRuntimeClass* doc = CRuntimeClass::FromName(row.docClass);
        const CRuntimeClass* frame = row.frameClass ? CRuntimeClass::FromName(row.frameClass) : nullptr;
        const CRuntimeClass* view = row.viewClass ? CRuntimeClass::FromName(row.viewClass) : nullptr;
        if (!doc || (row.frameClass && !frame) || (row.viewClass && !view))
            continue;
        auto t = std::make_unique<CMultiDocTemplate>(row.resourceId, doc, frame, view);
        m_templatesMade.push_back(row.name);
        if (std::string_view(row.name) == "source")
            m_sourceTemplate = t.get();
        if (row.registered)
            AddDocTemplate(t.release());
        else
            m_unregisteredTemplates.push_back(std::move(t));
    }
}

bool CDebuggerApp::OpenCommandLineFile(const std::string& file)
{
    std::string name = GetFileNameOfPath(file);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        Step("file without extension");
        return false;
    }
    std::string ext = name.substr(dot);
    if (platform::EqualNoCase(ext, ".mpj")) {
        OpenProject(file, nullptr, nullptr, 0);
        Step("open project");
    } else if (platform::EqualNoCase(ext, ".mac")) {
        // The list keeps full paths: it is written back when the frame
        // closes, and read at the next start from any folder.
        std::error_code error;
        const std::filesystem::path full = std::filesystem::absolute(file, error);
        m_lists.macroFiles = {error ? file : full.lexically_normal().string()};
        Step("macro file");
        if (ScriptHost()) {
            LoadMacros();
            RunScript("AutoDebug");
            Step("AutoDebug");
            return true;
        }
    } else if (platform::EqualNoCase(ext, ".inc")) {
        pendingInclude_ = file;
        Step("include file kept");
    } else {
        Step(OpenDocumentFile(file.c_str()) ? "open source" : "source not opened");
    }
    return false;
}

int CDebuggerApp::OpenProject(const std::string&, CDocument** out, const char*, int)
{
    if (out)
        *out = nullptr;
    return ERR_PROJECT_UNREADABLE;
}

CDebuggerApp::Project* CDebuggerApp::NewProject(const std::string& path, const char* outputName)
{
    if (activeProject_ && platform::EqualNoCase(activeProject_->path, path))
        return activeProject_.get();
    if (!outputName)
        return nullptr;
    auto project = std::make_unique<Project>();
    project->path = path;
    project->outputName = outputName;
    activeProject_ = std::move(project);
    return activeProject_.get();
}

std::string CDebuggerApp::GetProjectImagePath() const
{
    if (!activeProject_ || activeProject_->outputName.empty())
        return {};
    const std::string& name = activeProject_->outputName;
    if (IsFullPath(name))
        return name;
    return platform::JoinPath(platform::FolderOf(activeProject_->path), name);
}

std::string CDebuggerApp::TakePendingInclude()
{
    std::string file = std::move(pendingInclude_);
    pendingInclude_.clear();
    return file;
}

void CDebuggerApp::OnAppAbout(BOOL connected)
{
    CAboutDlg dlg(connected);
    dlg.DoModal();
}

BOOL CDebuggerApp::OnIdle(LONG count)
{
    bool more = false;
    if (m_sourceTemplate && !platform::InNestedPump()) {
        for (CDocument* doc : std::vector<CDocument*>(m_sourceTemplate->Documents()))
            if (auto* source = dynamic_cast<CIncrementalSource*>(doc)) {
                source->LoadRemainingLines(false);
                more = more || !source->IsComplete();
            }
    }
    // Messages that wait are dispatched before the next step, in their order.
    if (more)
        ::PostThreadMessage(platform::GuiThreadId(), kWakeIdle, 0, 0);
    return CWinApp::OnIdle(count) || more;
}

CCmdTarget* CDebuggerApp::ScriptServer() const
{
    return dynamic_cast<CCmdTarget*>(static_cast<CObject*>(m_scriptServer));
}

CScriptHost* CDebuggerApp::ScriptHost() const
{
    return dynamic_cast<CScriptHost*>(static_cast<CObject*>(m_scriptServer));
}

int CDebuggerApp::LoadMacros()
{
    const MacroLoad load = ReadMacroFiles(m_lists.macroFiles);
    if (!load.ok)
        return 0;
    m_macroProcedures = load.procedures;
    if (load.script.empty())
        return 1;
    CScriptHost* host = ScriptHost();
    return host ? host->LoadScriptText(load.script) : 0;
}

void CDebuggerApp::CloseMacros()
{
    if (CScriptHost* host = ScriptHost())
        host->StopScript();
    m_lists.macroFiles.clear();
    m_macroProcedures.clear();
}

void CDebuggerApp::RunScript(const std::string& text)
{
    if (CScriptHost* host = ScriptHost())
        host->ExecuteScript(text);
}

void CDebuggerApp::SaveMacroSettings(const std::string& root)
{
    shell::SaveMacroSettings(m_lists, root + "\\Settings");
}

void CDebuggerApp::OnEditMacro()
{
    CMacroDialog dialog(m_lists.macroFiles, m_pMainWnd);
    dialog.m_runMacro = [this](const std::string& procedure) { RunScript(procedure); };
    dialog.DoModal();
}

void CDebuggerApp::CloseScriptServer()
{
    CCmdTarget* server = ScriptServer();
    if (!server)
        return;
    if (CScriptHost* host = ScriptHost())
        host->CloseScriptEngine();
    m_scriptServer = nullptr;
    // The creator's reference: the server goes when no script holds it.
    server->ExternalRelease();
}

int CDebuggerApp::ExitInstance()
{
    // 1. A live automation object no longer ends the program when it goes.
    if (m_pAutomationProxy) {
        m_pAutomationProxy->m_pApp = nullptr;
        m_pAutomationProxy = nullptr;
    }
    CloseScriptServer();
    // 2. A "/S" start writes nothing.
    if (m_configOnly) {
        Step("exit without saving");
        return 0;
    }
    // 3. The templates the document manager doesn't own.
    m_unregisteredTemplates.clear();
    // 4. The recently used projects.
    if (m_recentProjects) {
        m_recentProjects->WriteList();
        m_recentProjects.reset();
    }
    // 5. The lists and the settings record.
    if (!m_registryPath.empty()) {
        SaveDirectoryLists(m_lists, m_registryPath + "\\Settings");
        theSettings.Save(m_registryPath + "\\Configuration");
    }
    // 6. The editor font.
    theSettings.DeleteEditorFont();
    Step("saved");
    return CWinApp::ExitInstance();
}

}  // namespace shell
