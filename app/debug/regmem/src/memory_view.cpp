// CMemoryView: layout state, reading, scrolling and the commands.
#include "regmem/memory_view.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <platform/global_memory.h>
#include <platform/modal_ui.h>

#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "falcrest.h"
#include "morwen/morwen.h"
#include "pirell/pirell.h"
#include "regmem/core_link.h"
#include "regmem/debug_services.h"
#include "regmem/memory_input.h"
#include "regmem/memory_window.h"
#include "regmem/modify_dialogs.h"
#include "regmem/regmem_ids.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace regmem {

IMPLEMENT_DYNCREATE(CMemoryView, CView)

CMemoryView::CMemoryView()
{
    MapCommands();
    openDisassemblyDialog = [this](int column, ADDR address) {
        if (column == 0) {
            CModifyMemDlg dialog(address, this, this);
            platform::RunModalDialog(dialog);
        } else {
            CAssembleDlg dialog(address, this, this);
            platform::RunModalDialog(dialog);
        }
    };
}

int CMemoryView::OnCreate()
{
    ReadMemory();
    UpdateScrollBar();
    return 0;
}

SIZE CMemoryView::Cell() const
{
    return GetHost() ? GetHost()->CellSize() : SIZE{8, 16};
}

bool CMemoryView::BigEndian() const
{
    return TargetBigEndian();
}

int CMemoryView::PageRows() const
{
    RECT client;
    GetClientRect(&client);
    const int lh = std::max<LONG>(1, Cell().cy);
    // Rows that show at least partly, and at least the heading and one row.
    return std::max<int>(2, static_cast<int>((client.Height() + lh - 1) / lh));
}

bool CMemoryView::Refused()
{
    return Services().AccessRefused();
}

void CMemoryView::AlignTop()
{
    if (format != Format::Disassembly)
        top_ -= top_ % static_cast<uint32_t>(BytesPerRow());
}

void CMemoryView::SetTop(uint32_t address)
{
    top_ = address;
    AlignTop();
    // A caret off the new page goes to its first row.
    const uint32_t bpr = static_cast<uint32_t>(BytesPerRow());
    const uint64_t pageBytes = static_cast<uint64_t>(std::max(1, PageRows() - 1)) * bpr;
    if (format != Format::Disassembly && (CaretAddress() < top_ || CaretAddress() >= top_ + pageBytes))
        SetCaretAddress(top_);
    ReadMemory();
    UpdateScrollBar();
    Invalidate();
}

int CMemoryView::ReadDisassembly()
{
    const int lines = std::max(1, PageRows() - 2);
    dis_.clear();
    char* text = nullptr;
    WORD length = 0;
    const int r = DadDisassembleLine({top_, space}, static_cast<WORD>(std::min(lines, 0xFFFF)), &text, &length);
    if (r != 0)
        return r;
    const std::string block(text, length);
    platform::FreeHandleBlock(text);
    size_t at = 0;
    while (at < block.size()) {
        size_t end = block.find('\r', at);
        if (end == std::string::npos)
            end = block.size();
        const std::string line = block.substr(at, end - at);
        at = end + 1;
        if (at < block.size() && block[at] == '\n')
            ++at;
        DisLine d;
        const size_t blank = line.find(' ');
        ADDR addr;
        d.address = AdrTextToAddr(line.substr(0, blank).c_str(), &addr, 1) == 1 ? addr.off : 0;
        if (blank != std::string::npos) {
            const size_t two = line.find("  ", blank + 1);
            d.opcode = line.substr(blank + 1, two == std::string::npos ? std::string::npos : two - blank - 1);
            if (two != std::string::npos)
                d.text = line.substr(line.find_first_not_of(' ', two) == std::string::npos
                                         ? line.size()
                                         : line.find_first_not_of(' ', two));
        }
        dis_.push_back(std::move(d));
    }
    nextDisAddress_ = dis_.empty() ? top_ : NextInstruction(dis_.back().address, dis_.back().opcode);
    return 0;
}

int CMemoryView::ReadMemory()
{
    if (CFrameWnd* frame = GetParentFrame()) {
        (void)frame;  // the frame keeps no space of its own: the view's is used
    }
    if (format == Format::Disassembly)
        return ReadDisassembly();
    if (haveRead_) {
        previous_ = buffer_;
        previousFirst_ = bufferFirst_;
        previousSpace_ = space;
        havePrevious_ = true;
    }
    AdrGetAddrRange(space, &first_, &last_);
    if (top_ > last_)
        top_ = 0;
    const uint64_t page = static_cast<uint64_t>(PageRows() - 1) * static_cast<uint64_t>(BytesPerRow());
    const uint64_t available = uint64_t{last_} - top_ + 1;  // 64-bit: the whole space is 2^32
    const uint32_t length = static_cast<uint32_t>(std::min(page, available));
    buffer_.assign(length, 0xFF);
    bufferFirst_ = top_;
    const int r = MemReadBlock(buffer_.data(), {top_, space}, length);
    if (r != 0) {
        std::fill(buffer_.begin(), buffer_.end(), 0xFF);
        return r;
    }
    if (!haveRead_ || !havePrevious_) {
        previous_ = buffer_;
        previousFirst_ = bufferFirst_;
        previousSpace_ = space;
        havePrevious_ = true;
    }
    haveRead_ = true;
    return 0;
}

void CMemoryView::Refresh()
{
    const int r = ReadMemory();
    if (r == EMU_TARGET_LOST) {
        Services().ReportTargetConnectionLost();
        return;
    }
    if (r == 0)
        Invalidate();
}

void CMemoryView::RefreshChanged()
{
    if (format == Format::Disassembly || !haveRead_) {
        Refresh();
        return;
    }
    const std::vector<uint8_t> shown = buffer_, shownPrevious = previous_;
    const uint32_t shownFirst = bufferFirst_, shownPreviousFirst = previousFirst_;
    const uint16_t shownPreviousSpace = previousSpace_;
    const bool shownHavePrevious = havePrevious_;
    const int r = ReadMemory();
    if (r == EMU_TARGET_LOST) {
        Services().ReportTargetConnectionLost();
        return;
    }
    const bool same = buffer_ == shown && bufferFirst_ == shownFirst && previous_ == shownPrevious &&
        previousFirst_ == shownPreviousFirst && previousSpace_ == shownPreviousSpace &&
        havePrevious_ == shownHavePrevious;
    if (r == 0 && !same)
        Invalidate();
}

bool CMemoryView::ValueAt(uint32_t address, int size, uint32_t& value) const
{
    const uint64_t off = uint64_t{address} - bufferFirst_;
    if (address < bufferFirst_ || off + static_cast<uint64_t>(size) > buffer_.size())
        return false;
    value = ComposeValue(buffer_.data() + off, size, BigEndian());
    return true;
}

bool CMemoryView::PreviousValueAt(uint32_t address, int size, uint32_t& value) const
{
    if (!havePrevious_ || previousSpace_ != space)
        return false;
    const uint64_t off = uint64_t{address} - previousFirst_;
    if (address < previousFirst_ || off + static_cast<uint64_t>(size) > previous_.size())
        return false;
    value = ComposeValue(previous_.data() + off, size, BigEndian());
    return true;
}

void CMemoryView::UpdateScrollBar()
{
    SCROLLINFO info;
    info.fMask = 0x17;  // range, page, position
    info.nMin = 0;
    info.nMax = 0xFFFF;
    info.nPage = 1;
    info.nPos = static_cast<int>(top_ >> 16);
    SetScrollInfo(SB_VERT, info);
}

bool CMemoryView::ScrollRows(int64_t rows)
{
    if (format == Format::Disassembly) {
        if (rows > 0) {
            if (dis_.empty())
                return false;
            top_ = rows == 1 && dis_.size() > 1 ? dis_[1].address : nextDisAddress_;
        } else {
            const int step = DadGetDisMod() == DAD_MODE_THUMB ? 2 : 4;
            const int64_t back = static_cast<int64_t>(-rows) * step;
            top_ = top_ >= back ? static_cast<uint32_t>(top_ - back) : 0;
        }
    } else {
        const int64_t bpr = BytesPerRow();
        const int64_t lastRow = int64_t{last_} / bpr * bpr;
        const int64_t firstRow = int64_t{first_} / bpr * bpr;
        const int64_t target = std::clamp<int64_t>(int64_t{top_} + rows * bpr, firstRow, lastRow);
        if (target == top_)
            return false;
        top_ = static_cast<uint32_t>(target);
    }
    ReadMemory();
    UpdateScrollBar();
    Invalidate();
    return true;
}

void CMemoryView::OnVScroll(UINT code, UINT pos)
{
    if (Refused())
        return;
    const int64_t page = std::max(1, PageRows() - 2);
    switch (code) {
    case SB_LINEUP: ScrollRows(-1); break;
    case SB_LINEDOWN: ScrollRows(1); break;
    case SB_PAGEUP: ScrollRows(-page); break;
    case SB_PAGEDOWN: ScrollRows(page); break;
    case SB_TOP: SetTop(first_); break;
    case SB_BOTTOM: SetTop(last_); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: SetTop(static_cast<uint32_t>(pos) << 16); break;
    default: break;
    }
}

void CMemoryView::OnSize(UINT, int, int)
{
    ReadMemory();
    Invalidate();
}

void CMemoryView::SetUnit(Unit u)
{
    unit = u;
    if (format == Format::Disassembly)
        format = Format::Hex;
    caret_.cell = 0;
    caret_.position = 0;
    editText_.clear();
    AlignTop();
    Refresh();
}

void CMemoryView::SetFormat(Format f)
{
    if (Refused())
        return;
    const uint32_t caretAddress = CaretAddress();
    format = f;
    AlignTop();
    caret_ = {};
    editText_.clear();
    if (f != Format::Disassembly)
        SetCaretAddress(caretAddress);
    haveRead_ = havePrevious_ = false;
    Refresh();
}

void CMemoryView::AddWatch()
{
    static constexpr const char* kTypes[] = {"unsigned char", "unsigned short", "unsigned int"};
    const int kind = unit == Unit::Byte ? 0 : unit == Unit::Half ? 1 : 2;
    const uint32_t address = CaretAddress() / static_cast<uint32_t>(UnitSize(unit)) * UnitSize(unit);
    char text[64];
    std::snprintf(text, sizeof text, "*(%s *)0x%08X", kTypes[kind], address);
    Services().AddWatch(text);
}

void CMemoryView::ChooseColor(bool text)
{
    COLORREF c = text ? textColor : background;
    if (!platform::ShowColorDialog(GetSafeHwnd(), c))
        return;
    (text ? textColor : background) = c;
    if (textColor == background) {
        background = RGB(255, 255, 255);
        textColor = RGB(0, 0, 0);
    }
    Invalidate();
}

namespace {

std::string TrimmedFindText(const std::string& text)
{
    const size_t b = text.find_first_not_of(" \t"), e = text.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
}

}  // namespace

bool CMemoryView::Find()
{
    if (!TrimmedFindText(Services().FindText()).empty())
        return FindNext();
    std::string text;
    if (!platform::GetModalUi().TextInput({GetSafeHwnd(), "Find what:", "Find", ""}, text))
        return false;
    text = TrimmedFindText(text);
    if (text.empty())
        return false;
    Services().AddFindText(text);
    return Search(text);
}

bool CMemoryView::FindNext()
{
    const std::string text = TrimmedFindText(Services().FindText());
    if (text.empty())
        return Find();  // the find command asks for a text instead
    return Search(text);
}

bool CMemoryView::Search(const std::string& text)
{
    const std::vector<uint8_t> pattern =
        ReadPattern(text, kSearchPatternMax, kSearchPatternMax * 4, Services().AccessSize(), BigEndian());
    if (pattern.empty()) {
        ReportError(ERR_MEM_BAD_PATTERN, 0x8001, MB_ICONEXCLAMATION);
        return false;
    }
    // Again at a match: the next one is searched, not the same.
    const uint64_t from = uint64_t{CaretAddress()} + (haveFound_ && CaretAddress() == lastFound_ ? 1 : 0);
    // To the end of the space as it is now (its range may have changed
    // since the page was read).
    uint32_t first = first_, last = last_;
    AdrGetAddrRange(space, &first, &last);
    if (from > last) {
        platform::ShowMessageBox({GetSafeHwnd(), "Not Found!", platform::AppName(), MB_OK});
        return false;
    }
    ADDR found;
    const int r = MemSearchBlock({static_cast<uint32_t>(from), space}, {last, space}, pattern.data(),
                                 static_cast<uint32_t>(pattern.size()), 0, &found, 1);
    if (r == EMU_TARGET_LOST) {
        Services().ReportTargetConnectionLost();
        return false;
    }
    if (r != 0) {
        platform::ShowMessageBox({GetSafeHwnd(), "Not Found!", platform::AppName(), MB_OK});
        return false;
    }
    lastFound_ = found.off;
    haveFound_ = true;
    SetCaretAddress(found.off);
    SetTop(found.off);
    return true;
}

// The context menu, built at each right click with the items' states of
// the moment. A point of (-1, -1) (the keyboard's menu key) opens it at
// the client area's top left corner.
void CMemoryView::OnContextMenu(POINT point)
{
    if (point.x == -1 && point.y == -1) {
        point = {0, 0};
        ClientToScreen(&point);
    }
    CMenu menu;
    // The toolbar belongs to the window: its command goes there.
    CFrameWnd* frame = GetParentFrame();
    const auto targetOf = [&](UINT id) -> CCmdTarget* {
        return id == ID_MEM_TOOLBAR && frame ? static_cast<CCmdTarget*>(frame) : this;
    };
    const auto add = [&](UINT id, const char* text) {
        const CCmdUI state = targetOf(id)->QueryCommandState(id);
        menu.AppendMenu(MF_STRING | (state.enabled ? 0 : MF_GRAYED) | (state.checked ? MF_CHECKED : 0), id, text);
    };
    add(ID_MEM_REFRESH, "&Refresh");
    add(ID_MEM_ACTION, "&Action...");
    menu.AppendMenu(MF_SEPARATOR);
    add(ID_MEM_SHORT_LINE, "Sh&ort line mode");
    add(ID_MEM_BYTE, "&Byte");
    add(ID_MEM_WORD, "&Word");
    add(ID_MEM_LONG, "&Long");
    menu.AppendMenu(MF_SEPARATOR);
    add(ID_MEM_HEX, "&Hexadecimal");
    add(ID_MEM_SIGNED, "&Signed");
    add(ID_MEM_UNSIGNED, "&Unsigned");
    add(ID_MEM_DISASSEMBLY, "D&isassembly");
    add(ID_MEM_VIEW_ASCII, "View Ascii");
    if (format == Format::Disassembly) {
        menu.AppendMenu(MF_SEPARATOR);
        add(ID_MEM_MIX_ARM_THUMB, "&Mix ARM/Thumb");
        add(ID_MEM_ARM_ONLY, "&ARM Only");
        add(ID_MEM_THUMB_ONLY, "&Thumb Only");
    }
    menu.AppendMenu(MF_SEPARATOR);
    add(ID_MEM_ADD_WATCH, "Add &Watch");
    add(ID_MEM_BACKGROUND_COLOR, "Back&ground Color");
    add(ID_MEM_TEXT_COLOR, "&Text Color");
    const auto* window = dynamic_cast<CMemoryWindow*>(frame);
    add(ID_MEM_TOOLBAR, window && !window->toolbarVisible ? "&View Memory Toolbar" : "&Hide Memory Toolbar");
    add(ID_MEM_AUTO_UPDATE, "Auto Up&date");
    const UINT id = menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, this);
    if (id == ID_MEM_TOOLBAR && frame)
        frame->SendMessage(WM_COMMAND, id, 0);
    else if (id != 0)
        SendMessage(WM_COMMAND, id, 0);
}

void CMemoryView::MapCommands()
{
    OnCommand(ID_MEM_REFRESH, [this] {
        emuHardRefresh(2);
        RefreshChanged();
    });
    OnCommand(ID_MEM_SHORT_LINE, [this] {
        if (format == Format::Disassembly)
            return;
        const uint32_t caretAddress = CaretAddress();
        divisor = divisor == 1 ? 2 : 1;
        AlignTop();
        SetCaretAddress(caretAddress);
        haveRead_ = havePrevious_ = false;
        Refresh();
    });
    OnUpdateCommandUI(ID_MEM_SHORT_LINE, [this](CCmdUI* ui) {
        ui->Enable(format != Format::Disassembly);
        ui->SetCheck(divisor == 2);
    });
    const struct {
        UINT id;
        Unit unit;
    } units[] = {{ID_MEM_BYTE, Unit::Byte}, {ID_MEM_WORD, Unit::Half}, {ID_MEM_LONG, Unit::Word}};
    for (const auto& u : units) {
        OnCommand(u.id, [this, v = u.unit] { SetUnit(v); });
        OnUpdateCommandUI(u.id,
                          [this, v = u.unit](CCmdUI* ui) { ui->SetCheck(unit == v && format != Format::Disassembly); });
    }
    const struct {
        UINT id;
        Format format;
    } formats[] = {{ID_MEM_SIGNED, Format::Signed},
                   {ID_MEM_UNSIGNED, Format::Unsigned},
                   {ID_MEM_HEX, Format::Hex},
                   {ID_MEM_DISASSEMBLY, Format::Disassembly}};
    for (const auto& f : formats) {
        OnCommand(f.id, [this, v = f.format] { SetFormat(v); });
        OnUpdateCommandUI(f.id, [this, v = f.format](CCmdUI* ui) {
            ui->Enable(!Refused());
            ui->SetCheck(format == v);
        });
    }
    OnCommand(ID_MEM_VIEW_ASCII, [this] {
        ascii = !ascii;
        if (!ascii)
            caret_.pane = DataPane;
        Invalidate();
    });
    OnUpdateCommandUI(ID_MEM_VIEW_ASCII, [this](CCmdUI* ui) { ui->SetCheck(ascii); });
    OnCommand(ID_MEM_AUTO_UPDATE, [this] { autoUpdate = !autoUpdate; });
    OnUpdateCommandUI(ID_MEM_AUTO_UPDATE, [this](CCmdUI* ui) { ui->SetCheck(autoUpdate); });
    OnCommand(ID_MEM_ADD_WATCH, [this] { AddWatch(); });
    // The memory tools run modally; the views show what they changed.
    OnCommand(ID_MEM_ACTION, [this] {
        RunMemoryTools(GetParentFrame());
        RefreshChanged();
    });
    OnCommand(ID_MEM_BACKGROUND_COLOR, [this] { ChooseColor(false); });
    OnCommand(ID_MEM_TEXT_COLOR, [this] { ChooseColor(true); });
    const UINT modes[] = {ID_MEM_MIX_ARM_THUMB, ID_MEM_ARM_ONLY, ID_MEM_THUMB_ONLY};
    for (int m = 0; m < 3; ++m) {
        OnCommand(modes[m], [this, m] {
            DadSetDisMod(m);
            Refresh();
        });
        OnUpdateCommandUI(modes[m], [this, m](CCmdUI* ui) {
            ui->Enable(format == Format::Disassembly);
            ui->SetCheck(DadGetDisMod() == m);
        });
    }
    // Find and Find Next both search on with the Edit toolbar's text; with
    // an empty box Find asks for one.
    OnCommand(ID_MEM_FIND, [this] {
        if (!Refused())
            Find();
    });
    OnCommand(ID_MEM_FIND_NEXT, [this] {
        if (!Refused())
            FindNext();
    });
    for (UINT id : {ID_MEM_FIND, ID_MEM_FIND_NEXT})
        OnUpdateCommandUI(id, [this](CCmdUI* ui) { ui->Enable(!Refused()); });
}

}  // namespace regmem
