// The demo's resources: strings, menus, accelerators, toolbar, dialogs.
#include "demo.h"
#include "platform/resources.h"

namespace guidemo {

void RegisterResources()
{
    using namespace resources;
    AddString(IDR_MAINFRAME, "Window Demo");
    AddString(IDR_SOURCE, "Source");
    AddString(ID_INDICATOR_LINE, "Ln 9999");
    AddString(ID_INDICATOR_CAPS, "CAP");
    AddString(ID_INDICATOR_NUM, "NUM");

    // A long menu of tool commands, as the user tools fill it.
    std::vector<MenuDef> tools;
    static const std::vector<std::string> toolNames = [] {
        std::vector<std::string> n;
        for (int i = 1; i <= 120; ++i)
            n.push_back("Tool " + std::to_string(i));
        return n;
    }();
    for (int i = 0; i < 120; ++i)
        tools.push_back({toolNames[i].c_str(), static_cast<UINT>(33000 + i)});

    std::vector<MenuDef> file = {{"&New\tCtrl+N", ID_FILE_NEW},
                                 {"&Open...\tCtrl+O", ID_FILE_OPEN},
                                 {"&Close", ID_FILE_CLOSE},
                                 {"&Save\tCtrl+S", ID_FILE_SAVE},
                                 {"Save &As...", ID_FILE_SAVE_AS},
                                 {nullptr},
                                 {"&Print...\tCtrl+P", ID_FILE_PRINT},
                                 {nullptr},
                                 {"Recent File", ID_FILE_MRU_FILE1},
                                 {nullptr},
                                 {"E&xit", ID_APP_EXIT}};
    std::vector<MenuDef> edit = {{"&Undo\tCtrl+Z", ID_EDIT_UNDO},
                                 {nullptr},
                                 {"Cu&t\tCtrl+X", ID_EDIT_CUT},
                                 {"&Copy\tCtrl+C", ID_EDIT_COPY},
                                 {"&Paste\tCtrl+V", ID_EDIT_PASTE},
                                 {"Select &All", ID_EDIT_SELECT_ALL},
                                 {nullptr},
                                 {"&Find...\tCtrl+F", ID_EDIT_FIND}};
    std::vector<MenuDef> view = {{"&Toolbar", ID_VIEW_TOOLBAR}, {"&Status Bar", ID_VIEW_STATUS_BAR}};
    std::vector<MenuDef> option = {
        {"&Options...\tAlt+O", ID_DEMO_OPTIONS}, {"&Settings...", ID_DEMO_SHEET}, {"&Toggle", ID_DEMO_TOGGLE}};
    std::vector<MenuDef> debug = {
        {"&Run\tF5", ID_DEMO_RUN}, {"&Build\tCtrl+B", ID_DEMO_BUILD}, {"Toggle &Breakpoint\tF9", ID_DEMO_BREAK}};
    std::vector<MenuDef> window = {{"&Cascade", ID_WINDOW_CASCADE}, {"&Tile", ID_WINDOW_TILE_HORZ}};
    std::vector<MenuDef> help = {{"&About...", ID_APP_ABOUT}};

    AddMenu(IDR_MAINFRAME,
            {{"&File", 0, file}, {"&View", 0, view}, {"&Option", 0, option}, {"&Tools", 0, tools}, {"&Help", 0, help}});
    AddMenu(IDR_SOURCE,
            {{"&File", 0, file},
             {"&Edit", 0, edit},
             {"&View", 0, view},
             {"&Option", 0, option},
             {"&Debug", 0, debug},
             {"&Tools", 0, tools},
             {"&Window", 0, window},
             {"&Help", 0, help}});
    std::vector<ACCEL> keys = {{FVIRTKEY, VK_F5, static_cast<WORD>(ID_DEMO_RUN)},
                               {FVIRTKEY | FCONTROL, 'B', static_cast<WORD>(ID_DEMO_BUILD)},
                               {FVIRTKEY | FALT, 'O', static_cast<WORD>(ID_DEMO_OPTIONS)},
                               {FVIRTKEY | FCONTROL, 'N', static_cast<WORD>(ID_FILE_NEW)},
                               {FVIRTKEY | FCONTROL, 'O', static_cast<WORD>(ID_FILE_OPEN)},
                               {FVIRTKEY | FCONTROL, 'P', static_cast<WORD>(ID_FILE_PRINT)},
                               {FVIRTKEY | FCONTROL, 'S', static_cast<WORD>(ID_FILE_SAVE)}};
    AddAccelerators(IDR_MAINFRAME, keys);
    keys.push_back({FVIRTKEY, VK_F9, static_cast<WORD>(ID_DEMO_BREAK)});
    AddAccelerators(IDR_SOURCE, keys);
    AddToolBar(IDR_MAINFRAME,
               {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                ID_SEPARATOR, ID_DEMO_BUILD, ID_DEMO_RUN, ID_DEMO_BREAK, ID_SEPARATOR, ID_FILE_PRINT, ID_APP_ABOUT});

    auto options = std::make_shared<DialogTemplate>();
    options->caption = "Options";
    options->cx = 220;
    options->cy = 150;
    options->controls = {
        {ControlKind::Static, IDC_STATIC, "&Name:", 7, 9, 40, 8},
        {ControlKind::Edit, IDC_NAME, "", 50, 7, 100, 12},
        {ControlKind::Static, IDC_STATIC, "&Address:", 7, 25, 40, 8},
        {ControlKind::Edit, IDC_ADDRESS, "", 50, 23, 60, 12},
        {ControlKind::Check, IDC_VERBOSE, "&Verbose output", 7, 41, 100, 10},
        {ControlKind::Group, IDC_STATIC, "Mode", 7, 55, 100, 40},
        {ControlKind::Radio, IDC_ARM, "A&RM", 14, 67, 60, 10, WS_GROUP},
        {ControlKind::Radio, IDC_THUMB, "&Thumb", 14, 79, 60, 10},
        {ControlKind::Static, IDC_STATIC, "&Speed:", 115, 57, 30, 8},
        {ControlKind::DropList, IDC_SPEED, "", 115, 67, 60, 50},
        {ControlKind::List, IDC_FILES, "", 7, 100, 100, 40},
        {ControlKind::DefButton, IDOK, "OK", 163, 7, 50, 14},
        {ControlKind::Button, IDCANCEL, "Cancel", 163, 24, 50, 14},
    };
    AddDialog(IDD_OPTIONS, options);
    auto viewPage = std::make_shared<DialogTemplate>();
    viewPage->caption = "View";
    viewPage->cx = 180;
    viewPage->cy = 60;
    viewPage->controls = {{ControlKind::Static, IDC_STATIC, "&Tab width:", 7, 9, 50, 8},
                          {ControlKind::Edit, IDC_TABS, "", 60, 7, 30, 12}};
    AddDialog(IDD_PAGE_VIEW, viewPage);
    auto targetPage = std::make_shared<DialogTemplate>();
    targetPage->caption = "Target";
    targetPage->cx = 180;
    targetPage->cy = 60;
    targetPage->controls = {{ControlKind::Static, IDC_STATIC, "&Load address:", 7, 9, 50, 8},
                            {ControlKind::Edit, IDC_ADDRESS, "", 60, 7, 60, 12}};
    AddDialog(IDD_PAGE_TARGET, targetPage);
}

}  // namespace guidemo
