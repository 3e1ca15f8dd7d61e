// Our window-layer numbers against the published interface as Debian's
// mingw-w64-common headers give it (read here, nothing copied): messages,
// virtual keys, scroll codes, message-box types and results, notifications,
// accelerator and menu flags, stock objects.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "platform/modal_ui.h"
#include "platform/win32.h"
#include "win_ui.h"

namespace {

const char* const kHeaders[] = {"/usr/share/mingw-w64/include/winuser.h", "/usr/share/mingw-w64/include/wingdi.h"};

class Defines {
public:
    bool Load(const std::string& path)
    {
        std::ifstream in(path);
        if (!in)
            return false;
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream s(line);
            std::string hash, name;
            s >> hash >> name;
            if (hash != "#define" || name.find('(') != std::string::npos)
                continue;
            std::string value;
            std::getline(s, value);
            if (!raw_.count(name))
                raw_[name] = value;
        }
        return true;
    }

    // The value of a name: numbers, other names, '|', '+' and '<<', parentheses,
    // __MSABI_LONG(x), TRUE.
    std::optional<long long> Value(const std::string& name, int depth = 0) const
    {
        if (name == "TRUE")
            return 1;
        if (name == "FALSE")
            return 0;
        auto it = raw_.find(name);
        if (it == raw_.end() || depth > 8)
            return std::nullopt;
        std::string e = it->second;
        for (std::string strip : {"__MSABI_LONG", "(", ")", "UINT", "DWORD"})
            for (size_t p; (p = e.find(strip)) != std::string::npos;)
                e.erase(p, strip.size());
        long long total = 0;
        char op = '|';
        std::istringstream s(e);
        std::string tok;
        while (s >> tok) {
            if (tok == "|" || tok == "+") {
                op = tok[0];
                continue;
            }
            std::optional<long long> v;
            if (size_t shift = tok.find("<<"); shift != std::string::npos) {
                v = std::stoll(tok.substr(0, shift), nullptr, 0) << std::stoll(tok.substr(shift + 2), nullptr, 0);
            } else if (std::isdigit(static_cast<unsigned char>(tok[0])) || tok[0] == '-') {
                while (!tok.empty() &&
                       (tok.back() == 'L' || tok.back() == 'U' || tok.back() == 'l' || tok.back() == 'u'))
                    tok.pop_back();
                v = std::stoll(tok, nullptr, 0);
            } else {
                v = Value(tok, depth + 1);
            }
            if (!v)
                return std::nullopt;
            total = op == '+' ? total + *v : (total | *v);
        }
        return total;
    }

private:
    std::map<std::string, std::string> raw_;
};

// clang-format off
#define ZK_CONSTANTS(X)                                                                                                \
    X(WM_CREATE)                                                                                                       \
    X(WM_DESTROY)                                                                                                      \
    X(WM_SIZE)                                                                                                         \
    X(WM_SETFOCUS)                                                                                                     \
    X(WM_KILLFOCUS) X(WM_PAINT) X(WM_CLOSE) X(WM_QUIT) X(WM_KEYDOWN) X(WM_KEYUP) X(WM_CHAR) X(WM_SYSKEYDOWN) X(        \
        WM_SYSCHAR) X(WM_COMMAND) X(WM_TIMER) X(WM_HSCROLL) X(WM_VSCROLL) X(WM_USER) X(WM_SETTEXT) X(WM_GETTEXT)       \
        X(WM_ACTIVATEAPP) X(WM_SETFONT) X(WM_NOTIFY) X(WM_CONTEXTMENU) X(WM_NCDESTROY) X(WM_INITDIALOG) X(             \
            WM_INITMENUPOPUP) X(WM_MOUSEMOVE) X(WM_LBUTTONDOWN) X(WM_LBUTTONUP) X(WM_LBUTTONDBLCLK) X(WM_RBUTTONDOWN)  \
            X(WM_MOUSEWHEEL) X(WM_MDICREATE) X(WM_MDIDESTROY) X(WM_MDIACTIVATE) X(WM_MDINEXT) X(WM_MDITILE)            \
                X(WM_MDICASCADE) X(WM_MDIGETACTIVE) X(WM_DROPFILES) X(WM_COPY) X(WM_PASTE) X(WM_APP) X(VK_CANCEL)      \
                    X(VK_BACK) X(VK_TAB) X(VK_RETURN) X(VK_SHIFT) X(VK_CONTROL) X(VK_MENU) X(VK_ESCAPE) X(VK_SPACE)    \
                        X(VK_PRIOR) X(VK_NEXT) X(VK_END) X(VK_HOME) X(VK_LEFT) X(VK_UP) X(VK_RIGHT) X(VK_DOWN) X(      \
                            VK_INSERT) X(VK_DELETE) X(VK_F1) X(VK_F5) X(VK_F9) X(VK_F12) X(VK_NUMLOCK) X(SB_HORZ)      \
                            X(SB_VERT) X(SB_LINEUP) X(SB_LINEDOWN) X(SB_PAGEUP) X(SB_PAGEDOWN) X(SB_THUMBPOSITION) X(  \
                                SB_THUMBTRACK) X(SB_TOP) X(SB_BOTTOM) X(SB_ENDSCROLL) X(SIF_RANGE) X(SIF_PAGE)         \
                                X(SIF_POS) X(SIF_TRACKPOS) X(SIF_ALL) X(SW_HIDE) X(SW_SHOW) X(SW_SHOWMAXIMIZED) X(     \
                                    MK_LBUTTON) X(MK_SHIFT) X(MK_CONTROL) X(MB_OK)                                     \
                                    X(MB_OKCANCEL) X(MB_YESNOCANCEL) X(MB_YESNO) X(MB_RETRYCANCEL) X(MB_ICONHAND) X(   \
                                        MB_ICONQUESTION) X(MB_ICONEXCLAMATION) X(MB_ICONASTERISK)                      \
                                        X(MB_DEFBUTTON2) X(MB_TASKMODAL) X(IDOK) X(IDCANCEL) X(                        \
                                            IDABORT) X(IDRETRY) X(IDIGNORE) X(IDYES) X(IDNO) X(IDCLOSE) X(IDHELP)      \
                                            X(BN_CLICKED) X(BN_DOUBLECLICKED) X(EN_SETFOCUS) X(EN_KILLFOCUS) X(        \
                                                EN_CHANGE) X(EN_UPDATE) X(LBN_SELCHANGE) X(LBN_DBLCLK)                 \
                                                X(CBN_SELCHANGE) X(CBN_DBLCLK) X(CBN_EDITCHANGE) X(CBN_DROPDOWN) X(    \
                                                    CBN_SELENDOK) X(LB_ERR)                                            \
                                                    X(CB_ERR) X(FVIRTKEY) X(FNOINVERT) X(                              \
                                                        FSHIFT) X(FCONTROL) X(FALT) X(MF_GRAYED) X(MF_DISABLED)        \
                                                        X(MF_CHECKED) X(MF_POPUP) X(MF_BYPOSITION) X(MF_SEPARATOR) X(  \
                                                            TPM_RIGHTBUTTON) X(TPM_RETURNCMD) X(TPM_NONOTIFY)          \
                                                            X(PM_REMOVE) X(OEM_FIXED_FONT) X(ANSI_FIXED_FONT) X(       \
                                                                ANSI_VAR_FONT) X(SYSTEM_FONT)                          \
                                                                X(SYSTEM_FIXED_FONT) X(DEFAULT_GUI_FONT) X(FW_NORMAL)  \
                                                                    X(FW_BOLD) X(FIXED_PITCH) X(VARIABLE_PITCH)        \
                                                                        X(FF_MODERN) X(FF_SWISS) X(ANSI_CHARSET)       \
                                                                            X(OEM_CHARSET) X(LF_FACESIZE)              \
                                                                                X(LOGPIXELSY) X(HORZRES) X(VERTRES)    \
                                                                                    X(TRANSPARENT) X(OPAQUE)           \
                                                                                        X(CF_TEXT)
// clang-format on

TEST(WinConstantsTest, EqualTheMingwHeaders)
{
    Defines defines;
    for (const char* h : kHeaders)
        ASSERT_TRUE(defines.Load(h)) << h << " is missing: scripts/setup installs mingw-w64-common";
    int checked = 0;
#define ZK_CHECK(name)                                                                                                 \
    {                                                                                                                  \
        auto v = defines.Value(#name);                                                                                 \
        ASSERT_TRUE(v.has_value()) << #name << " not found in the headers";                                            \
        EXPECT_EQ(static_cast<long long>(name), *v) << #name;                                                          \
        ++checked;                                                                                                     \
    }
    ZK_CONSTANTS(ZK_CHECK)
#undef ZK_CHECK
    EXPECT_GT(checked, 150);
}

}  // namespace
