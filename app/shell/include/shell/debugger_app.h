// The application object of quelm: start-up builds what the main window
// needs in a fixed order (switches, registry key, splash, recent projects,
// templates, directory lists, tool-chain defaults, settings, main frame,
// connect command, script server, the file named on the command line);
// shut-down writes the lists and the settings back.
//
// Classes of later windows are made by run-time class name, so the program
// starts without them: a template whose classes are missing is left out,
// the script server stays null, project opening answers its error.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_app.h"
#include "shell/directory_lists.h"

class IDispatch;

namespace shell {

class CQEditProxy;
class CScriptHost;

// The switch of the raw command line's first two characters (none when the
// first argument is a path: it holds a second slash).
enum class StartSwitch { None, ConfigOnly, NoPrompt, Simulate };
StartSwitch FirstSwitch(const std::string& rawCommandLine);
// The command line as one text, arguments joined by blanks.
std::string JoinCommandLine(int argc, const char* const* argv);

// The texts the splash shows.
struct SplashTexts {
    std::string title;
    std::vector<std::string> lines;
};

// The document templates of start-up step 6, by run-time class names.
struct TemplateRow {
    const char* name;
    UINT resourceId;
    const char* docClass;
    const char* frameClass;  // null: none
    const char* viewClass;   // null: none
    bool registered;         // with the document manager
};
extern const TemplateRow kTemplateRows[7];

// The number of the registered window message "commdlg_FindReplace", which
// the text views' find dialogs use; set by the application's constructor.
extern UINT g_findReplaceMessage;

class CDebuggerApp : public CWinApp {
public:
    CDebuggerApp();
    ~CDebuggerApp() override;

    // The program's arguments (argv[0] is the program).
    void SetCommandLine(int argc, const char* const* argv);
    BOOL InitInstance() override;
    int ExitInstance() override;
    // The idle turn: one loading step for every source document that is
    // still partly read, then the class library's idle work. While one
    // stays partly read, a posted empty message brings the next turn.
    BOOL OnIdle(LONG count) override;

    // Start-up step 12: the main frame. Until the frame class exists this
    // fails, so start-up ends there; the program's Qt part (and tests) put
    // the frame maker in.
    using FrameMaker = std::function<CWnd*(CDebuggerApp&)>;
    void SetFrameMaker(FrameMaker maker) { frameMaker_ = std::move(maker); }
    // Starts the splash (embedded or automation server starts only).
    using SplashStarter = std::function<void(const SplashTexts&)>;
    void SetSplashStarter(SplashStarter starter) { splashStarter_ = std::move(starter); }
    // Runs the target configuration dialog alone ("/S"); false when its
    // class is not there.
    virtual bool RunTargetConfiguration();

    // Opens a ".mpj" project as the active project: 0, or the number of an
    // error-text message (32823 while the project document class is missing).
    virtual int OpenProject(const std::string& path, CDocument** out, const char* outputName, int reserved);

    // A new project as the active one (the same path, without regard to
    // case: the active project itself). Until the project document exists a
    // project is its file's path and its output image, kept in memory only:
    // nothing is written and no debug state is restored. Without an output
    // name the project settings would be asked; there are none yet: null.
    struct Project {
        std::string path;        // the project file (".mpj")
        std::string outputName;  // the output image as the project names it
    };
    virtual Project* NewProject(const std::string& path, const char* outputName);
    Project* ActiveProject() const { return activeProject_.get(); }
    // The active project's output image made absolute against the project
    // file's folder ('/' and '\' both separate); empty without a project.
    std::string GetProjectImagePath() const;

    // The about box (command 57664).
    void OnAppAbout(BOOL connected);

    // The ".inc" file named on the command line, kept for the first
    // successful connection; taking it empties it.
    std::string TakePendingInclude();

    // The debug core's automation interface (referenced) while the main
    // frame reports a connected target, else null: what the installed
    // source answers (none until the debug core is an automation object).
    using DispatchSource = std::function<IDispatch*()>;
    void SetDebuggerDispatch(DispatchSource source) { debuggerDispatch_ = std::move(source); }
    IDispatch* DebuggerDispatch() const { return debuggerDispatch_ ? debuggerDispatch_() : nullptr; }
    // The script server as a command target, or null.
    CCmdTarget* ScriptServer() const;
    // Its engine operations, or null.
    CScriptHost* ScriptHost() const;

    // --- Macro files ---------------------------------------------------------
    // Reads every listed macro file into the script engine: the server's
    // load result, 1 when there was nothing to load, 0 after a file error
    // (reported with 32856; nothing is loaded then). The procedure names of
    // every file are kept (m_macroProcedures).
    int LoadMacros();
    // Stops the engine and empties the macro file list.
    void CloseMacros();
    // Runs a text (a procedure's name) in the running engine.
    void RunScript(const std::string& text);
    // Writes "Macro" and "LoadMacroOnStart" under `root` + "\Settings".
    void SaveMacroSettings(const std::string& root);
    // The macro dialog (command 32880): its Run runs the procedure.
    void OnEditMacro();
    // Shut-down of the script server: its engine closed, the server gone.
    void CloseScriptServer();

    // What start-up and shut-down did, in order ("parse", "switch /S", ...).
    const std::vector<std::string>& Steps() const { return steps_; }

    BOOL m_noPrompt = FALSE;
    BOOL m_simulate = FALSE;
    BOOL m_configOnly = FALSE;
    BOOL m_splashStarted = FALSE;
    void* m_scriptServer = nullptr;
    // The procedure names of the loaded macro files, in file order.
    std::vector<std::string> m_macroProcedures;
    // The live application automation object, or null (it enters and
    // clears itself).
    CQEditProxy* m_pAutomationProxy = nullptr;
    DirectoryLists m_lists;
    std::string m_registryPath;
    std::unique_ptr<CRecentFileList> m_recentProjects;
    std::vector<std::unique_ptr<CDocTemplate>> m_unregisteredTemplates;
    std::vector<std::string> m_templatesMade;
    CDocTemplate* m_sourceTemplate = nullptr;  // the source template, when made
    // The tool chain is searched on this PATH (the environment's by default).
    std::string m_toolPath;

private:
    void Step(std::string what) { steps_.push_back(std::move(what)); }
    void MakeTemplates();
    // True when a macro file was loaded and its AutoDebug run.
    bool OpenCommandLineFile(const std::string& file);

    int argc_ = 0;
    std::vector<std::string> args_;
    std::string raw_;
    FrameMaker frameMaker_;
    SplashStarter splashStarter_;
    DispatchSource debuggerDispatch_;
    std::string pendingInclude_;
    std::unique_ptr<Project> activeProject_;
    std::vector<std::string> steps_;
};

}  // namespace shell

using shell::CDebuggerApp;
