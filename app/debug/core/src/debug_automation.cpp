// CDebugCore as the automation object IDebugCore ("Debugger" of scripts):
// its 33 members in DISPID order and the events interface IDebugEvents.
// Every member keeps its result in g_lastAutomationResult; members that
// need the target answer -1 (or an empty result) while the frame is not
// connected.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include "appdebug/debug_core.h"
#include "brevan/brevan.h"
#include "emu_messages.h"
#include "pirell/pirell.h"
#include "platform/dispatch.h"
#include "platform/global_memory.h"
#include "platform/win32.h"
#include "quinar/quinar.h"
#include "sarvik.h"
#include "shell/settings.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace appdebug {

const IID IID_IDebugCore = {0x4C1D2E61, 0x8A0B, 0x4F3E, {0x9B, 0x27, 0x51, 0x6E, 0x0D, 0x3A, 0x77, 0x12}};
const IID IID_IDebugEvents = {0x757675B1, 0xCE5F, 0x4E82, {0xA0, 0x97, 0x4F, 0x0B, 0x52, 0x14, 0xF6, 0xCD}};
const CLSID CLSID_DebugCore = {0xDA853FDB, 0x67FC, 0x4E41, {0x96, 0xC0, 0xCB, 0x5A, 0xDA, 0x6F, 0x4C, 0x2E}};

namespace {

using zk::automation::DispatchCall;
using zk::automation::DispatchMember;
using zk::automation::MemberKind;

constexpr UINT ID_CLOSE_ALL = 32797;
constexpr UINT ID_REFRESH_WINDOW = 32802;
constexpr UINT ID_GOTO_ASSEMBLY = 32823;
constexpr UINT ID_GOTO_MIXED = 32861;
constexpr int kNotConnected = -1;
constexpr uint64_t kAddressSpaceEnd = uint64_t{1} << 32;

const DispatchMember kDebugEvents[] = {
    {"Halt", kEventHalt, MemberKind::Method, VTS_I2, VT_EMPTY, 0, nullptr, nullptr, nullptr, "sType"},
    {"LoadEnd", kEventLoadEnd, MemberKind::Method, VTS_I2, VT_EMPTY, 0, nullptr, nullptr, nullptr, "sRSV"},
};

ADDR Target(LONG address)
{
    return {static_cast<uint32_t>(address), ADDR_SPACE_TARGET};
}

// lSize bytes from lAddr lie inside the 32-bit address space.
bool RangeFits(LONG address, LONG size)
{
    return size >= 1 && uint64_t{static_cast<uint32_t>(address)} + static_cast<uint64_t>(size) <= kAddressSpaceEnd;
}

HRESULT Long(DispatchCall& call, LONG value)
{
    call.Result().vt = VT_I4;
    call.Result().lVal = value;
    return S_OK;
}

HRESULT Text(DispatchCall& call, const std::string& text)
{
    call.Result().vt = VT_BSTR;
    call.Result().bstrVal = SysAllocString(text.c_str());
    return S_OK;
}

HRESULT Nothing(DispatchCall&)
{
    return S_OK;
}

// The number of bytes of a MemDump or MemFill (a short): above 4 is 4.
LONG ClampedSize(DispatchCall& call, size_t i)
{
    const LONG size = call.Arg(i).iVal;
    return size > 4 ? 4 : size;
}

bool SameName(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

// The evaluator's value as a VARIANT: floating types as such, other values
// of up to 4 bytes as a long, wider ones as a double.
void ValueVariant(const SymExprValue& value, VARIANT* out)
{
    constexpr uint32_t kFloat = 14;
    constexpr uint32_t kDouble = 15;
    if (value.type == kFloat) {
        float f;
        const auto bits = static_cast<uint32_t>(value.value);
        std::memcpy(&f, &bits, sizeof f);
        out->vt = VT_R4;
        out->fltVal = f;
    } else if (value.type == kDouble) {
        double d;
        std::memcpy(&d, &value.value, sizeof d);
        out->vt = VT_R8;
        out->dblVal = d;
    } else if (value.size <= 4) {
        out->vt = VT_I4;
        out->lVal = static_cast<LONG>(static_cast<uint32_t>(value.value));
    } else {
        out->vt = VT_R8;
        out->dblVal = static_cast<double>(value.value);
    }
}

// Collects what the shell prints while a script's command runs.
class ShellCollector : public brevan::MessageSink {
public:
    explicit ShellCollector(std::string& text) : text_(text), previous_(brevan::SetMessageSink(this)) {}
    // The collected texts go on to the console (or the sink before) as well.
    ~ShellCollector() override
    {
        brevan::SetMessageSink(previous_);
        for (const auto& [text, flag] : printed_)
            ShlPrintMessage(text.c_str(), flag);
    }
    ShellCollector(const ShellCollector&) = delete;
    ShellCollector& operator=(const ShellCollector&) = delete;
    void Print(const std::string& text, int flag) override
    {
        text_ += text;
        if (flag == SHL_PRINT_MESSAGE && (text.empty() || text.back() != '\n'))
            text_ += '\n';
        printed_.emplace_back(text, flag);
    }

private:
    std::string& text_;
    brevan::MessageSink* previous_;
    std::vector<std::pair<std::string, int>> printed_;
};

}  // namespace

zk::automation::DispatchTable CDebugCore::GetEventMap() const
{
    return kDebugEvents;
}

HRESULT CDebugCore::GetClassID(CLSID* clsid)
{
    *clsid = CLSID_DebugCore;
    return S_OK;
}

LRESULT CDebugCore::SendResult(UINT msg, WPARAM w, LPARAM l)
{
    if (!m_pMainFrame || !m_pMainFrame->FrameWindow())
        return -1;
    return SendMessage(m_pMainFrame->FrameWindow(), msg, w, l);
}

int CDebugCore::ShellCommand(const std::string& command)
{
    if (!Connected())
        return kNotConnected;
    shellResult_.clear();
    {
        ShellCollector collector(shellResult_);
        side_.ShlExecuteCommand(">" + command);
    }
    ShlPrintMessage("\n", SHL_PRINT_RAW);
    return 0;
}

int CDebugCore::OpenDebugWnd(const std::string& name, BOOL open)
{
    const auto closeWindow = [](DebugWindow* window) {
        if (window && window->Window())
            SendMessage(window->Window(), WM_CLOSE, 0, 0);
    };
    if (SameName(name, "Watch")) {
        open ? OpenWatchWindow() : closeWindow(m_pWatchWnd);
    } else if (SameName(name, "Stack")) {
        open ? OpenCallStackWindow() : closeWindow(m_pStackWnd);
    } else if (SameName(name, "Trace")) {
        // No trace module in this system: nothing to open or close.
        return open ? 0 : -1;
    } else if (SameName(name, "Bit")) {
        if (!open)
            closeWindow(m_pBitWnd);
    } else if (SameName(name, "Memory")) {
        if (open) {
            OpenMemoryWindow();
        } else {
            for (DebugWindow* window : std::list<DebugWindow*>(m_memoryWnds))
                closeWindow(window);
        }
    } else if (SameName(name, "Register")) {
        open ? OpenRegisterWindow() : closeWindow(m_pRegisterWnd);
    } else if (SameName(name, "Asm")) {
        if (open)
            Send(WM_COMMAND, ID_GOTO_ASSEMBLY, 0);
    } else if (SameName(name, "Mixed")) {
        if (open)
            Send(WM_COMMAND, ID_GOTO_MIXED, 0);
    }
    return 0;
}

void CDebugCore::RefreshDebugWnd(const std::string& name)
{
    const auto refresh = [](DebugWindow* window) {
        if (window && window->Window())
            SendMessage(window->Window(), WM_COMMAND, ID_REFRESH_WINDOW, 0);
    };
    if (SameName(name, "Watch"))
        refresh(m_pWatchWnd);
    else if (SameName(name, "Stack"))
        refresh(m_pStackWnd);
    else if (SameName(name, "Bit"))
        refresh(m_pBitWnd);
    else if (SameName(name, "Memory"))
        for (DebugWindow* window : m_memoryWnds)
            refresh(window);
    else if (SameName(name, "Register") && m_pRegisterWnd && m_pRegisterWnd->Window())
        SendMessage(m_pRegisterWnd->Window(), WM_EMU_REFRESH, 0, 0);
}

int CDebugCore::LoadImage(const std::string& path, int type)
{
    HWND frame = m_pMainFrame ? m_pMainFrame->FrameWindow() : nullptr;
    if (!frame)
        return -1;
    HGLOBAL block = platform::GlobalTextBlock(path);
    if (!block)
        return -1;
    SendMessage(frame, WM_COMMAND, ID_CLOSE_ALL, 0);
    const WPARAM option = type != 0 ? 1 : static_cast<WPARAM>(theSettings.SrcLoadOption);
    // The frame frees the block.
    return static_cast<int>(SendMessage(frame, WM_EMU_OPEN_IMAGE, option, reinterpret_cast<LPARAM>(block)));
}

void CDebugCore::MapAutomation()
{
    m_piidEvents = &IID_IDebugEvents;
    m_piidPrimary = &IID_IDebugCore;
    SetAutomationSource("Debugger");
    int& last = g_lastAutomationResult;

    // 1-4: read-only properties.
    DispProperty("trace", VT_DISPATCH, [](DispatchCall& c) {
        c.Result().vt = VT_DISPATCH;
        c.Result().pdispVal = nullptr;
        return S_OK;
    });
    DispProperty("Breakpoints", VT_DISPATCH, [](DispatchCall& c) {
        c.Result().vt = VT_DISPATCH;
        c.Result().pdispVal = BptGetBkptCollection();
        return S_OK;
    });
    DispProperty("ShellResult", VT_BSTR, [this](DispatchCall& c) { return Text(c, shellResult_); });
    DispProperty("CpuStatus", VT_I4,
                 [this](DispatchCall& c) { return Long(c, static_cast<LONG>(side_.CpuGetCpuStatus())); });

    // 5-11: the run commands.
    DispMethod("StepInto", VT_EMPTY, VTS_NONE, [this](DispatchCall& c) {
        OnStepInto();
        return Nothing(c);
    });
    DispMethod("StepOver", VT_EMPTY, VTS_NONE, [this](DispatchCall& c) {
        OnStepOver();
        return Nothing(c);
    });
    DispMethod("StepOut", VT_EMPTY, VTS_NONE, [this](DispatchCall& c) {
        OnStepOut();
        return Nothing(c);
    });
    DispMethod("Restart", VT_EMPTY, VTS_NONE, [this](DispatchCall& c) {
        Restart();
        return Nothing(c);
    });
    DispMethod("Reset", VT_EMPTY, VTS_NONE, [this](DispatchCall& c) {
        Reset();
        return Nothing(c);
    });
    DispMethod("Halt", VT_EMPTY, VTS_NONE, [this](DispatchCall& c) {
        Halt();
        return Nothing(c);
    });
    DispMethod("GoToCursor", VT_EMPTY, VTS_NONE, [this](DispatchCall& c) {
        OnGotoCursor();
        return Nothing(c);
    });

    // 12-15: memory and registers.
    DispMethod("MemDump", VT_VARIANT, VTS_I4 VTS_I2, [this, &last](DispatchCall& c) {
        c.Result().vt = VT_EMPTY;
        const LONG size = ClampedSize(c, 1);
        if (!Connected()) {
            last = kNotConnected;
            return S_OK;
        }
        if (!RangeFits(c.I4(0), size)) {
            last = MEM_LIBRARY_ERROR;
            return S_OK;
        }
        uint8_t bytes[4] = {};
        last = MemReadBlock(bytes, Target(c.I4(0)), static_cast<uint32_t>(size));
        if (last != 0)
            return S_OK;
        // The bytes in target order, the target being little-endian.
        switch (size) {
        case 1:
            c.Result().vt = VT_UI1;
            c.Result().bVal = bytes[0];
            break;
        case 2:
            c.Result().vt = VT_I2;
            c.Result().iVal = static_cast<SHORT>(bytes[0] | bytes[1] << 8);
            break;
        case 4:
            c.Result().vt = VT_I4;
            c.Result().lVal = static_cast<LONG>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24);
            break;
        default: break;
        }
        return S_OK;
    });
    DispMethod("MemFill", VT_I4, VTS_I4 VTS_I2 VTS_I4, [this, &last](DispatchCall& c) {
        const LONG size = ClampedSize(c, 1);
        if (!Connected())
            last = kNotConnected;
        else if (!RangeFits(c.I4(0), size))
            last = MEM_LIBRARY_ERROR;
        else {
            const auto data = static_cast<uint32_t>(c.I4(2));
            const uint8_t pattern[4] = {static_cast<uint8_t>(data), static_cast<uint8_t>(data >> 8),
                                        static_cast<uint8_t>(data >> 16), static_cast<uint8_t>(data >> 24)};
            last = MemFillBlock(Target(c.I4(0)), Target(c.I4(0) + size - 1), pattern, static_cast<uint32_t>(size), 1);
        }
        return Long(c, last);
    });
    DispMethod("GetRegValue", VT_I4, VTS_BSTR, [this, &last](DispatchCall& c) {
        if (!Connected()) {
            last = kNotConnected;
            return Long(c, 0);
        }
        DWORD id = 0, value = 0;
        last = CpuFindRegisterId(c.Text(0).c_str(), &id);
        if (last == 0)
            last = CpuGetRegister(id, &value);
        return Long(c, static_cast<LONG>(value));
    });
    DispMethod("SetRegValue", VT_I4, VTS_BSTR VTS_I4, [this, &last](DispatchCall& c) {
        if (!Connected()) {
            last = kNotConnected;
            return Long(c, last);
        }
        DWORD id = 0;
        last = CpuFindRegisterId(c.Text(0).c_str(), &id);
        if (last == 0)
            last = CpuSetRegister(id, static_cast<DWORD>(c.I4(1)));
        return Long(c, last);
    });

    // 16-17, 26: symbols.
    DispMethod("Evaluate", VT_VARIANT, VTS_BSTR, [this, &last](DispatchCall& c) {
        c.Result().vt = VT_EMPTY;
        if (!Connected()) {
            last = kNotConnected;
            return S_OK;
        }
        SymExprValue value{};
        last = SymEvaluateExpr(c.Text(0).c_str(), &value);
        if (last == 0)
            ValueVariant(value, &c.Result());
        return S_OK;
    });
    DispMethod("NameOf", VT_BSTR, VTS_I4, [&last](DispatchCall& c) {
        char name[256] = {};
        last = SymGetAddrSymbolName(static_cast<uint32_t>(c.I4(0)), name, sizeof name, SYM_NAME_CODE_OR_DATA);
        return Text(c, name);
    });

    // 18-20: breakpoints.
    DispMethod("BpDeleteAll", VT_I4, VTS_NONE, [&last](DispatchCall& c) {
        char word[] = "BC";
        char all[] = "ALL";
        char* argv[] = {word, all, nullptr};
        BptClearCmd(2, argv);
        last = 0;
        return Long(c, 0);
    });
    DispMethod("BpAddOnAddr", VT_I4, VTS_I4 VTS_BOOL, [this](DispatchCall& c) {
        return Long(c, AddBreakpoint(static_cast<uint32_t>(c.I4(0)), c.Arg(1).boolVal != 0));
    });
    DispMethod("BpAddOnLine", VT_I4, VTS_I4 VTS_BSTR VTS_BOOL, [this, &last](DispatchCall& c) {
        uint32_t module = 0, address = 0;
        last = SymFindModuleByName(c.Text(1).c_str(), &module);
        if (last == 0)
            last = SymSourceLineToAddr(module, static_cast<uint32_t>(c.I4(0)), &address);
        if (last != 0)
            return Long(c, last);
        return Long(c, AddBreakpoint(address, c.Arg(2).boolVal != 0));
    });

    // 21-23: memory tools.
    DispMethod("MemCopy", VT_I4, VTS_I4 VTS_I4 VTS_I4, [this, &last](DispatchCall& c) {
        const LONG source = c.I4(0), length = c.I4(1), destination = c.I4(2);
        if (!Connected())
            last = kNotConnected;
        else if (!RangeFits(source, length) || !RangeFits(destination, length))
            last = MEM_LIBRARY_ERROR;
        else
            last = MemCopyBlock(Target(source), Target(source + length - 1), Target(destination), 1);
        return Long(c, last);
    });
    DispMethod("ShellCmd", VT_I4, VTS_BSTR, [this, &last](DispatchCall& c) {
        last = ShellCommand(c.Text(0));
        return Long(c, last);
    });
    DispMethod("MemSearch", VT_I4, VTS_I4 VTS_I4 VTS_BSTR VTS_I4 VTS_BOOL, [this, &last](DispatchCall& c) {
        if (!Connected()) {
            last = kNotConnected;
            return Long(c, -1);
        }
        const std::string pattern = c.Text(2);
        // Never more bytes than the pattern has.
        const LONG wanted = c.I4(3);
        const uint32_t length =
            wanted < 0 ? 0 : std::min(static_cast<uint32_t>(wanted), static_cast<uint32_t>(pattern.size()));
        ADDR found{};
        last =
            MemSearchBlock(Target(c.I4(0)), Target(c.I4(1)), pattern.data(), length, c.Arg(4).boolVal == 0, &found, 1);
        return Long(c, last == 0 ? static_cast<LONG>(found.off) : -1);
    });

    // 24-25: windows by name.
    DispMethod("OpenDebugWnd", VT_I4, VTS_BSTR VTS_BOOL, [this, &last](DispatchCall& c) {
        last = OpenDebugWnd(c.Text(0), c.Arg(1).boolVal != 0);
        return Long(c, last);
    });
    DispMethod("RefreshDebugWnd", VT_EMPTY, VTS_BSTR, [this](DispatchCall& c) {
        RefreshDebugWnd(c.Text(0));
        return S_OK;
    });
    DispMethod("AddressOf", VT_I4, VTS_BSTR, [&last](DispatchCall& c) {
        uint32_t address = 0;
        last = SymGetSymbolAddr(c.Text(0).c_str(), &address);
        return Long(c, static_cast<LONG>(address));
    });

    // 27-28: the line assembler and the listing.
    DispMethod("Asm", VT_I4, VTS_I4 VTS_BSTR, [this, &last](DispatchCall& c) {
        if (!Connected()) {
            last = kNotConnected;
            return Long(c, last);
        }
        DWORD length = 0;
        BYTE* code = nullptr;
        last = DadAssembleLine(Target(c.I4(0)), c.Text(1).c_str(), &length, 1, &code);
        if (code)
            platform::FreeHandleBlock(code);
        return Long(c, last);
    });
    DispMethod("Disasm", VT_BSTR, VTS_I4 VTS_I2, [this, &last](DispatchCall& c) {
        if (!Connected()) {
            last = kNotConnected;
            return Text(c, "");
        }
        char* text = nullptr;
        WORD length = 0;
        last = DadDisassembleLine(Target(c.I4(0)), 1, &text, &length);
        std::string line = text ? std::string(text, length) : std::string();
        if (text)
            platform::FreeHandleBlock(text);
        return Text(c, line);
    });

    // 29-33: run, jump and files.
    DispMethod("Go", VT_I4, VTS_I2 VTS_I4, [this, &last](DispatchCall& c) {
        const int result = Go(c.Arg(0).iVal, c.I4(1));
        last = result;
        return Long(c, result);
    });
    DispMethod("Jump", VT_I4, VTS_I4, [this, &last](DispatchCall& c) {
        last = Connected() ? side_.EmuSetPC(Target(c.I4(0))) : kNotConnected;
        if (last == 0)
            Send(WM_EMU_REFRESH, 0, 0);
        return Long(c, last);
    });
    // The memory transfers come with their own windows; until then they
    // fail rather than report a transfer that did not happen.
    DispMethod("Download", VT_I4, VTS_BSTR VTS_I4 VTS_I4, [&last](DispatchCall& c) {
        last = -1;
        return Long(c, last);
    });
    DispMethod("Upload", VT_I4, VTS_BSTR VTS_I4 VTS_I4 VTS_I4, [&last](DispatchCall& c) {
        last = -1;
        return Long(c, last);
    });
    DispMethod("LoadImage", VT_I4, VTS_BSTR VTS_I4, [this, &last](DispatchCall& c) {
        last = LoadImage(c.Text(0), c.I4(1));
        return Long(c, last);
    });
}

int CDebugCore::AddBreakpoint(uint32_t address, bool add)
{
    if (!Connected())
        return g_lastAutomationResult = kNotConnected;
    const ADDR at{address, ADDR_SPACE_TARGET};
    const EmuResult result = add ? BptSetBp(&at, "", 1, 0, 1, static_cast<DWORD>(-1)) : BptClearBp(&at, 0);
    Send(WM_EMU_UPDATE_VIEWS, DVK_BREAKPOINTS, -1);
    return g_lastAutomationResult = result;
}

}  // namespace appdebug
