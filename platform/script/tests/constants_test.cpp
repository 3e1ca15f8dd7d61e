// The host interface's numbers and interface ids against Debian's
// mingw-w64-common header (read here, nothing copied).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "platform/script/active_script.h"

namespace {

const char* const kHeader = "/usr/share/mingw-w64/include/activscp.h";

// "#define NAME value" and "NAME = value," entries, and DEFINE_GUID lines.
struct Header {
    std::map<std::string, long long> values;
    std::map<std::string, std::string> guids;

    bool Load()
    {
        std::ifstream in(kHeader);
        if (!in)
            return false;
        std::string line;
        const std::regex define(
            R"(^#define\s+(SCRIPT\w+)\s+(?:__MSABI_LONG\()?\(?(?:\(SCRIPTTHREADID\))?(-?(?:0x)?[0-9A-Fa-f]+)L?\)?)");
        const std::regex member(R"(^\s*(SCRIPT\w+)\s*=\s*(-?\d+))");
        const std::regex guid(R"(^DEFINE_GUID\((IID_\w+),\s*(.*)\);)");
        std::smatch m;
        while (std::getline(in, line)) {
            if (std::regex_search(line, m, define) || std::regex_search(line, m, member))
                values.emplace(m[1], std::stoll(m[2], nullptr, 0));
            else if (std::regex_search(line, m, guid)) {
                std::string text = m[2];
                text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
                guids.emplace(m[1], text);
            }
        }
        return true;
    }
};

std::string GuidText(const GUID& g)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "0x%08x,0x%04x,0x%04x,0x%02x,0x%02x,0x%02x,0x%02x,0x%02x,0x%02x,0x%02x,0x%02x",
                  g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                  g.Data4[6], g.Data4[7]);
    return buffer;
}

TEST(ScriptConstants, MatchThePublishedHeader)
{
    Header h;
    ASSERT_TRUE(h.Load()) << kHeader << " is missing (Debian package mingw-w64-common)";
    const std::map<std::string, long long> ours = {
        {"SCRIPTSTATE_UNINITIALIZED", SCRIPTSTATE_UNINITIALIZED},
        {"SCRIPTSTATE_INITIALIZED", SCRIPTSTATE_INITIALIZED},
        {"SCRIPTSTATE_STARTED", SCRIPTSTATE_STARTED},
        {"SCRIPTSTATE_CONNECTED", SCRIPTSTATE_CONNECTED},
        {"SCRIPTSTATE_DISCONNECTED", SCRIPTSTATE_DISCONNECTED},
        {"SCRIPTSTATE_CLOSED", SCRIPTSTATE_CLOSED},
        {"SCRIPTTHREADSTATE_NOTINSCRIPT", SCRIPTTHREADSTATE_NOTINSCRIPT},
        {"SCRIPTTHREADSTATE_RUNNING", SCRIPTTHREADSTATE_RUNNING},
        {"SCRIPTITEM_ISVISIBLE", SCRIPTITEM_ISVISIBLE},
        {"SCRIPTITEM_ISSOURCE", SCRIPTITEM_ISSOURCE},
        {"SCRIPTITEM_GLOBALMEMBERS", SCRIPTITEM_GLOBALMEMBERS},
        {"SCRIPTITEM_ISPERSISTENT", SCRIPTITEM_ISPERSISTENT},
        {"SCRIPTITEM_CODEONLY", SCRIPTITEM_CODEONLY},
        {"SCRIPTITEM_NOCODE", SCRIPTITEM_NOCODE},
        {"SCRIPTTEXT_DELAYEXECUTION", SCRIPTTEXT_DELAYEXECUTION},
        {"SCRIPTTEXT_ISVISIBLE", SCRIPTTEXT_ISVISIBLE},
        {"SCRIPTTEXT_ISEXPRESSION", SCRIPTTEXT_ISEXPRESSION},
        {"SCRIPTTEXT_ISPERSISTENT", SCRIPTTEXT_ISPERSISTENT},
        {"SCRIPTINFO_IUNKNOWN", SCRIPTINFO_IUNKNOWN},
        {"SCRIPTINFO_ITYPEINFO", SCRIPTINFO_ITYPEINFO},
        {"SCRIPTINTERRUPT_DEBUG", SCRIPTINTERRUPT_DEBUG},
        {"SCRIPTINTERRUPT_RAISEEXCEPTION", SCRIPTINTERRUPT_RAISEEXCEPTION},
        {"SCRIPT_E_REPORTED", static_cast<uint32_t>(SCRIPT_E_REPORTED)},
    };
    for (const auto& [name, value] : ours) {
        ASSERT_TRUE(h.values.count(name)) << name;
        EXPECT_EQ(h.values[name], value) << name;
    }
    const std::map<std::string, GUID> ids = {
        {"IID_IActiveScript", IID_IActiveScript},
        {"IID_IActiveScriptParse32", IID_IActiveScriptParse32},
        {"IID_IActiveScriptParse64", IID_IActiveScriptParse64},
        {"IID_IActiveScriptSite", IID_IActiveScriptSite},
        {"IID_IActiveScriptError", IID_IActiveScriptError},
        {"IID_IActiveScriptSiteWindow", IID_IActiveScriptSiteWindow},
    };
    for (const auto& [name, guid] : ids) {
        ASSERT_TRUE(h.guids.count(name)) << name;
        std::string text = h.guids[name];
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(text, GuidText(guid)) << name;
    }
}

}  // namespace
