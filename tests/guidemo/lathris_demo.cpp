#include "lathris_demo.h"

#include <fstream>

#include "platform/resources.h"

namespace guidemo {

IMPLEMENT_DYNCREATE(CFilesView, CView)
IMPLEMENT_DYNCREATE(CRegisterView, CDockableView)
IMPLEMENT_DYNCREATE(CLathrisDemoFrame, CCJMDIFrameWnd)

HWND CRegisterView::host = nullptr;

namespace {

const char* const kGroupNames[] = {"User", "FIQ", "IRQ", "SVC"};

CellPaint TextPaint(const std::vector<std::string>& lines, int firstRow, int rows)
{
    CellPaint paint;
    paint.margin = 4;
    paint.formats = {CellColors{RGB(0, 0, 0), RGB(255, 255, 255)}, CellColors{RGB(0, 0, 128), RGB(255, 255, 255)}};
    for (int r = 0; r < rows && firstRow + r < static_cast<int>(lines.size()); ++r) {
        CellRow row;
        row.row = r;
        const std::string& line = lines[static_cast<size_t>(firstRow + r)];
        size_t gap = line.find(' ');
        row.runs.push_back({0, line.substr(0, gap), 1});
        if (gap != std::string::npos)
            row.runs.push_back({static_cast<int>(gap), line.substr(gap), 0});
        paint.rows.push_back(std::move(row));
    }
    return paint;
}

}  // namespace

bool CFilesView::GetCellPaint(int firstRow, int rows, CellPaint& paint)
{
    paint = TextPaint(files, firstRow, rows);
    return true;
}

CRegisterView::CRegisterView()
{
    OnCommand(ID_VIEW_DOCK_TOGGLE, [this] { RequestDockToggle(host); });
}

std::vector<std::string> CRegisterView::Lines() const
{
    std::vector<std::string> lines;
    // Banked registers differ by group; the values are the demo's own.
    for (int r = 0; r < 16; ++r) {
        char hex[9];
        FormatHex8(hex, static_cast<DWORD>(0x1000u * group + 0x11111111u * static_cast<DWORD>(r)));
        std::string name = r == 13 ? "SP" : r == 14 ? "LR" : r == 15 ? "PC" : "R" + std::to_string(r);
        name.resize(5, ' ');
        lines.push_back(name + hex);
    }
    lines.push_back(std::string("Mode ") + kGroupNames[group % 4]);
    return lines;
}

bool CRegisterView::GetCellPaint(int firstRow, int rows, CellPaint& paint)
{
    paint = TextPaint(Lines(), firstRow, rows);
    return true;
}

CLathrisDemoFrame::CLathrisDemoFrame() : dock(workspace, this)
{
    OnMessage(WM_EMU_DOCK_TOGGLE, [this](WPARAM, LPARAM l) { return dock.OnDockToggle(l); });
    OnCommand(ID_DEMO_FIND, [this] {
        if (auto* find = toolBar.GetComboButton(ID_DEMO_FIND))
            log.push_back("find " + find->GetText());
    });
    OnCommand(ID_DEMO_RUN, [this] { log.push_back("run"); });
    OnCommand(ID_DEMO_BUILD, [this] { log.push_back("build"); });
}

int CLathrisDemoFrame::OnCreate()
{
    if (!toolBar.Create(this, lathris::CBRS_ALIGN_TOP, AFX_IDW_TOOLBAR) || !toolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    toolBar.SetWindowText("Standard");
    lathris::CBCGToolbarComboBoxButton find(ID_DEMO_FIND, -1, lathris::CBS_DROPDOWN, 160);
    for (const char* item : {"main", "uart_init", "Reset_Handler"})
        find.AddItem(item);
    find.SelectItem(0);
    toolBar.InsertSeparator();
    toolBar.InsertButton(find);
    toolBar.SetDefaultButtons();
    if (!statusBar.Create(this))
        return -1;
    statusBar.SetIndicators({ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM});
    statusBar.SetPaneText(0, "Ready");

    EnableDockingSizeBar(lathris::CBRS_ALIGN_ANY);
    if (!workspace.Create(this, IDW_DEMO_WORKSPACE, "Workspace", {220, 400}, lathris::CBRS_ALIGN_LEFT))
        return -1;
    workspace.EnableDockingOnSizeBar(lathris::CBRS_ALIGN_ANY);
    DockSizeBar(&workspace, lathris::CBRS_ALIGN_LEFT);
    CRegisterView::host = m_hWnd;
    if (!workspace.AddView("Files", RUNTIME_CLASS(CFilesView)) ||
        !workspace.AddView("User", RUNTIME_CLASS(CRegisterView), nullptr, 0))
        return -1;
    dock.SetGroupTabs(1);
    return 0;
}

void CLathrisDemoFrame::OnDestroy()
{
    if (CRegisterView::host == m_hWnd)
        CRegisterView::host = nullptr;
    CCJMDIFrameWnd::OnDestroy();
}

lathris::CBCGToolbarCustomize* OpenCustomize(CLathrisDemoFrame* frame)
{
    auto* sheet = new lathris::CBCGToolbarCustomize(frame);
    sheet->AddToolBar("Standard", IDR_MAINFRAME);
    sheet->AddMenu(IDR_SOURCE);
    sheet->AddButton("Macro", lathris::CBCGToolbarButton(59424, 0, "AutoDebug", TRUE));
    sheet->SetUserCategory("Macro");
    sheet->EnableUserDefinedToolbars();
    frame->m_Impl.InitUserToobars("Software\\Zelkor\\Guidemo", ID_USER_TOOLBAR_FIRST, ID_USER_TOOLBAR_LAST);
    sheet->Create();
    return sheet;
}

CLathrisDemoFrame* MakeLathrisFrame(const std::string& source)
{
    auto* frame = new CLathrisDemoFrame;
    if (!frame->LoadFrame(IDR_MAINFRAME))
        return nullptr;
    frame->SetTitle("Lathris demo");
    // A register group floats from the start, as the dock request makes it.
    frame->dock.MakeFloatingFrame(RUNTIME_CLASS(CRegisterView), "FIQ", 1);
    if (!source.empty()) {
        auto* doc = new CSourceDoc;
        std::ifstream in(source);
        for (std::string line; std::getline(in, line);)
            doc->lines.push_back(ExpandTabs(line));
        doc->SetPathName(source, FALSE);
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(CSourceView);
        context.m_pCurrentDoc = doc;
        auto* child = new CCJMDIChildWnd;
        child->SetSharedMenu(resources::LoadMenu(IDR_SOURCE));
        if (child->LoadFrame(IDR_SOURCE, frame, &context))
            child->InitialUpdateFrame(doc, TRUE);
    }
    return frame;
}

}  // namespace guidemo
