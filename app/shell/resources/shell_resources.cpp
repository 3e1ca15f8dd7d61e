// quelm's strings, menu table and dialog templates.
#include "platform/dlg_items.h"
#include "platform/resources.h"
#include "shell/shell_ids.h"

namespace shell {
namespace {

using platform::ControlKind;
using platform::DialogTemplate;
using platform::IDC_STATIC;
using platform::MenuDef;

void AddStrings()
{
    using platform::resources::AddString;
    AddString(IDR_MAINFRAME,
              "Zelkor for ARM\nZelkor\nZelkor Source File\n"
              "Source Files(*.c;*.cpp;*.cp;*.c++;*.cc;*.cxx;*.asm;*.s;*.h;*.inc;*.mak;*.bat)\n"
              ".c;*.cpp;*.cp;*.c++;*.cc;*.cxx;*.asm;*.s;*.h;*.inc;*.mak;*.bat\nVantirel.Document\nSource");
    AddString(IDR_PROJECT, "Zelkor\nZelkor\nZelkor Project\nProject (*.mpj)\n.mpj\nVantirel.Project\nZelkor Project");
    AddString(IDS_OLE_INIT_FAILED,
              "OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
    AddString(IDS_PROJECT_FILTER, "Project (*.mpj)|*.mpj|All Files(*.*)|*.*|");
    AddString(IDS_APP_TITLE, "Zelkor for Arm");
    AddString(IDS_IDLE_MESSAGE, "For Help, press F1");
    AddString(ID_INDICATOR_HALT, "Halt");
    AddString(ID_INDICATOR_PC, "PC:0000");
    AddString(ID_INDICATOR_TRACE, "Trace Off");
    AddString(ID_INDICATOR_BLANK, " ");
    AddString(ID_INDICATOR_LINE, "LINE");
    AddString(ID_INDICATOR_OVR, "OVR");
}

// The top-level order is fixed: 2nd "&Edit", 6th "&Option" with
// "&Build Tools" 4th, 7th "&Tools". Later windows add their items.
void AddMenus()
{
    std::vector<MenuDef> file = {{"&New\tCtrl+N", ID_FILE_NEW},
                                 {"&Open...\tCtrl+O", ID_FILE_OPEN},
                                 {"&Close", ID_FILE_CLOSE},
                                 {nullptr},
                                 {"&Save\tCtrl+S", ID_FILE_SAVE},
                                 {"Save &As...", ID_FILE_SAVE_AS},
                                 {nullptr},
                                 {"View &Binary...", ID_VIEW_BINARY},
                                 {nullptr},
                                 {"Recent File", ID_FILE_MRU_FILE1},
                                 {nullptr},
                                 {"E&xit", ID_APP_EXIT}};
    std::vector<MenuDef> edit = {{"&Undo\tCtrl+Z", ID_EDIT_UNDO},    {nullptr},
                                 {"Cu&t\tCtrl+X", ID_EDIT_CUT},      {"&Copy\tCtrl+C", ID_EDIT_COPY},
                                 {"&Paste\tCtrl+V", ID_EDIT_PASTE},  {nullptr},
                                 {"&Find...\tCtrl+F", ID_EDIT_FIND}, {"R&eplace...\tCtrl+H", ID_EDIT_REPLACE}};
    std::vector<MenuDef> view = {{"&Toolbar", ID_VIEW_TOOLBAR},
                                 {"&Status Bar", ID_VIEW_STATUS_BAR},
                                 {"&Debug Toolbar", ID_VIEW_DEBUG_TOOLBAR},
                                 {"&Edit Toolbar", ID_VIEW_EDIT_TOOLBAR},
                                 {nullptr},
                                 {"&Project Window", ID_VIEW_PROJECT_WINDOW},
                                 {"&Output Window", ID_VIEW_OUTPUT_WINDOW},
                                 {nullptr},
                                 {"View &Html", ID_VIEW_HTML}};
    std::vector<MenuDef> project = {{"&New...", ID_FILE_NEW_PROJECT},
                                    {"&Open...", ID_FILE_OPEN_PROJECT},
                                    {"&Save", ID_PROJECT_SAVE},
                                    {"Close A&ll", ID_PROJECT_CLOSE_ALL},
                                    {nullptr},
                                    {"&Add Source Files...", ID_PROJECT_ADD_SOURCES},
                                    {nullptr},
                                    {"&Build\tCtrl+F8", ID_PROJECT_BUILD},
                                    {"&Rebuild All", ID_PROJECT_REBUILD},
                                    {nullptr},
                                    {"Recent Project", ID_RECENT_PROJECT_FIRST}};
    std::vector<MenuDef> debug = {{"&Load", ID_DEBUG_CONNECT},
                                  {"Load &File...", ID_DEBUG_LOAD_FILE},
                                  {nullptr},
                                  {"Go", ID_DEBUG_GO},
                                  {"Halt", ID_DEBUG_HALT},
                                  {"Reset", ID_DEBUG_RESET},
                                  {"Restart", ID_DEBUG_RESTART},
                                  {nullptr},
                                  {"Step Into", ID_DEBUG_STEP_INTO},
                                  {"Step Over", ID_DEBUG_STEP_OVER},
                                  {"Step Out", ID_DEBUG_STEP_OUT},
                                  {"Goto Cursor", ID_DEBUG_GOTO_CURSOR},
                                  {"Step Into Continuously", ID_DEBUG_STEP_CONT},
                                  {"Step over Continuously", ID_DEBUG_STEP_OVER_CONT},
                                  {"Go Till Call", ID_DEBUG_GO_TILL_CALL},
                                  {"Go into Call", ID_DEBUG_GO_INTO_CALL},
                                  {"Go Till Return", ID_DEBUG_GO_TILL_RETURN},
                                  {"Go Over Return", ID_DEBUG_GO_OVER_RETURN},
                                  {"Free Run", ID_DEBUG_FREE_RUN},
                                  {nullptr},
                                  {"Jump", ID_DEBUG_JUMP},
                                  {"Jump to Cursor\tShift+F7", ID_DEBUG_JUMP_TO_CURSOR},
                                  {"Goto Address", ID_DEBUG_GOTO_ADDRESS},
                                  {nullptr},
                                  {"Breakpoint", ID_DEBUG_BREAKPOINT},
                                  {"Brea&kpoints", ID_DEBUG_BREAKPOINTS},
                                  {"&Watchpoint...", ID_DEBUG_WATCHPOINT},
                                  {nullptr},
                                  {"Memory Actions", ID_DEBUG_MEMORY_ACTIONS},
                                  {"Register Window", ID_DEBUG_REGISTER_WINDOW},
                                  {"Memory Window", ID_DEBUG_MEMORY_WINDOW},
                                  {"Watch Window", ID_DEBUG_WATCH_WINDOW},
                                  {"Call Stack Window", ID_DEBUG_CALL_STACK_WINDOW},
                                  {nullptr},
                                  {"Go to &Assembly", ID_GOTO_ASSEMBLY},
                                  {"Go to &Mixed Source", ID_GOTO_MIXED}};
    // "&Build Tools": its first item is replaced by the build-tool table.
    std::vector<MenuDef> buildTools = {{"GNU", 32982}};
    std::vector<MenuDef> option = {{"Startup Con&figuration", ID_STARTUP_CONFIG},
                                   {nullptr},
                                   {"Edit &Macro...", ID_EDIT_MACRO},
                                   {"&Build Tools", 0, buildTools}};
    std::vector<MenuDef> tools = {};
    std::vector<MenuDef> window = {
        {"&Cascade", ID_WINDOW_CASCADE}, {"&Tile", ID_WINDOW_TILE_HORZ}, {"&Arrange Icons", ID_WINDOW_ARRANGE}};
    std::vector<MenuDef> help = {{"&About Zelkor...", ID_APP_ABOUT}};
    platform::resources::AddMenu(IDR_MAINFRAME,
                                 {{"&File", 0, file},
                                  {"&Edit", 0, edit},
                                  {"&View", 0, view},
                                  {"&Project", 0, project},
                                  {"&Debug", 0, debug},
                                  {"&Option", 0, option},
                                  {"&Tools", 0, tools, MF_POPUP},
                                  {"&Window", 0, window},
                                  {"&Help", 0, help}});
}

// The main frame's Standard, Debug and Build toolbars (0: a gap).
void AddToolBars()
{
    using platform::resources::AddToolBar;
    AddToolBar(IDR_STANDARD_TOOLBAR,
               {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_EDIT_FIND,
                0, ID_APP_ABOUT});
    AddToolBar(IDR_DEBUG_TOOLBAR,
               {ID_DEBUG_GO, ID_DEBUG_HALT, ID_DEBUG_RESET, ID_DEBUG_RESTART, 0, ID_DEBUG_STEP_INTO, ID_DEBUG_STEP_OVER,
                ID_DEBUG_STEP_OUT, ID_DEBUG_GOTO_CURSOR, 0, ID_DEBUG_REGISTER_WINDOW, ID_DEBUG_MEMORY_WINDOW,
                ID_DEBUG_WATCH_WINDOW, ID_DEBUG_CALL_STACK_WINDOW});
    AddToolBar(IDR_BUILD_TOOLBAR, {ID_PROJECT_BUILD, ID_PROJECT_REBUILD, 0, ID_DEBUG_CONNECT});
}

// A control of a template with the default style.
platform::ControlTemplate Control(ControlKind kind, int id, const char* text, int x, int y, int cx, int cy)
{
    return {kind, id, text, x, y, cx, cy, 0, {}};
}

void AddDialogs()
{
    using platform::resources::AddDialog;
    auto about = std::make_shared<DialogTemplate>();
    about->caption = "About Zelkor";
    about->cx = 250;
    about->cy = 118;
    about->controls = {
        Control(ControlKind::Static, IDC_STATIC, "Zelkor for Arm", 10, 8, 170, 10),
        Control(ControlKind::Static, IDC_STATIC, "Version", 10, 24, 50, 8),
        Control(ControlKind::Static, IDC_ABOUT_VERSION, "", 64, 24, 110, 8),
        Control(ControlKind::Static, IDC_STATIC, "Build date", 10, 36, 50, 8),
        Control(ControlKind::Static, IDC_ABOUT_BUILD, "", 64, 36, 110, 8),
        Control(ControlKind::Static, IDC_STATIC, "Processor", 10, 48, 50, 8),
        Control(ControlKind::Static, IDC_ABOUT_PROCESSOR, "", 64, 48, 110, 8),
        Control(ControlKind::Static, IDC_ABOUT_FOURTH, "", 178, 48, 60, 8),
        Control(ControlKind::Static, IDC_ABOUT_NOTICE, "", 10, 64, 230, 44),
        Control(ControlKind::DefButton, IDOK, "OK", 190, 7, 50, 14),
    };
    AddDialog(IDD_ABOUTBOX, about);

    auto pc = std::make_shared<DialogTemplate>();
    pc->caption = "Change Program Counter";
    pc->cx = 150;
    pc->cy = 46;
    pc->controls = {
        Control(ControlKind::Static, IDC_STATIC, "PC:", 7, 9, 16, 8),
        Control(ControlKind::Edit, IDC_PC_EDIT, "", 26, 7, 117, 12),
        Control(ControlKind::DefButton, IDOK, "OK", 38, 26, 50, 14),
        Control(ControlKind::Button, IDCANCEL, "Cancel", 93, 26, 50, 14),
    };
    AddDialog(IDD_CHANGE_PC, pc);

    auto address = std::make_shared<DialogTemplate>();
    address->caption = "Address";
    address->cx = 170;
    address->cy = 46;
    address->controls = {
        Control(ControlKind::Static, IDC_ADDRESS_LABEL, "", 7, 9, 26, 8),
        Control(ControlKind::Edit, IDC_ADDRESS_EDIT, "", 36, 7, 127, 12),
        Control(ControlKind::DefButton, IDOK, "OK", 58, 26, 50, 14),
        Control(ControlKind::Button, IDCANCEL, "Cancel", 113, 26, 50, 14),
    };
    AddDialog(IDD_ADDRESS, address);
}

}  // namespace

void RegisterShellResources()
{
    static const bool done = [] {
        AddStrings();
        AddMenus();
        AddToolBars();
        AddDialogs();
        return true;
    }();
    (void)done;
}

}  // namespace shell
