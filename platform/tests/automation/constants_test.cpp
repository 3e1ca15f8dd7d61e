// The layer's numbers against Debian's mingw-w64 headers, read as text:
// result codes, VARIANT types, dispatch flags and ids, and interface ids.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "platform/automation_ids.h"
#include "platform/connection.h"

namespace {

const char* const kHeaders = "/usr/share/mingw-w64/include/";

std::string ReadHeader(const char* name)
{
    std::ifstream in(std::string(kHeaders) + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every "#define NAME value" and "NAME = value," whose value is a number,
// a typed number, an HRESULT made from parts, or an earlier name plus one.
std::map<std::string, int64_t> Numbers()
{
    std::map<std::string, int64_t> values;
    const std::regex define(R"(#define\s+(\w+)\s+(.+))");
    const std::regex enumerator(R"(^\s*(\w+)\s*=\s*(\w+),?\s*$)");
    const std::regex plain(R"(^\(*(?:\(\w+\))?\s*(-?(?:0x[0-9a-fA-F]+|\d+))\)*$)");
    const std::regex typed(R"(_HRESULT_TYPEDEF_\((0x[0-9a-fA-F]+)L?\))");
    const std::regex scode(R"(MAKE_SCODE\(SEVERITY_ERROR,\s*FACILITY_ITF,\s*(0x[0-9a-fA-F]+)\))");
    const std::regex sum(R"(^\((\w+)\s*\+\s*(\d+)\)$)");
    for (const char* file : {"winerror.h", "wtypes.h", "wtypesbase.h", "oleauto.h", "oaidl.h", "olectl.h", "ocidl.h"}) {
        std::istringstream lines(ReadHeader(file));
        std::string line;
        while (std::getline(lines, line)) {
            std::smatch m, v;
            if (!std::regex_search(line, m, define) && !std::regex_match(line, m, enumerator))
                continue;
            std::string value = m[2].str();
            while (!value.empty() && (value.back() == ' ' || value.back() == '\r'))
                value.pop_back();
            if (std::regex_search(value, v, typed))
                values[m[1]] = static_cast<int32_t>(std::stoul(v[1].str(), nullptr, 16));
            else if (std::regex_search(value, v, scode))
                values[m[1]] = static_cast<int32_t>(0x80040000u | std::stoul(v[1], nullptr, 16));
            else if (std::regex_match(value, v, sum) && values.count(v[1]))
                values[m[1]] = values[v[1]] + std::stol(v[2]);
            else if (std::regex_match(value, v, plain))
                values[m[1]] = std::stoll(v[1].str(), nullptr, 0);
        }
    }
    return values;
}

TEST(AutomationConstants, EqualThePublishedHeaders)
{
    const auto published = Numbers();
    ASSERT_GT(published.size(), 100u) << "mingw-w64-common headers missing under " << kHeaders;
    const std::pair<const char*, int64_t> ours[] = {
#define C(name) {#name, static_cast<int64_t>(name)}
        C(S_OK),
        C(S_FALSE),
        C(E_NOTIMPL),
        C(E_NOINTERFACE),
        C(E_POINTER),
        C(E_ABORT),
        C(E_FAIL),
        C(E_UNEXPECTED),
        C(E_OUTOFMEMORY),
        C(E_INVALIDARG),
        C(DISP_E_UNKNOWNINTERFACE),
        C(DISP_E_MEMBERNOTFOUND),
        C(DISP_E_PARAMNOTFOUND),
        C(DISP_E_TYPEMISMATCH),
        C(DISP_E_UNKNOWNNAME),
        C(DISP_E_NONAMEDARGS),
        C(DISP_E_BADVARTYPE),
        C(DISP_E_EXCEPTION),
        C(DISP_E_OVERFLOW),
        C(DISP_E_BADINDEX),
        C(DISP_E_UNKNOWNLCID),
        C(DISP_E_ARRAYISLOCKED),
        C(DISP_E_BADPARAMCOUNT),
        C(DISP_E_PARAMNOTOPTIONAL),
        C(CLASS_E_NOAGGREGATION),
        C(CLASS_E_CLASSNOTAVAILABLE),
        C(REGDB_E_CLASSNOTREG),
        C(CO_E_CLASSSTRING),
        C(CONNECT_E_NOCONNECTION),
        C(CONNECT_E_ADVISELIMIT),
        C(CONNECT_E_CANNOTCONNECT),
        C(VT_EMPTY),
        C(VT_NULL),
        C(VT_I2),
        C(VT_I4),
        C(VT_R4),
        C(VT_R8),
        C(VT_CY),
        C(VT_DATE),
        C(VT_BSTR),
        C(VT_DISPATCH),
        C(VT_ERROR),
        C(VT_BOOL),
        C(VT_VARIANT),
        C(VT_UNKNOWN),
        C(VT_UI1),
        C(VT_ARRAY),
        C(VT_BYREF),
        C(VT_TYPEMASK),
        C(VARIANT_TRUE),
        C(VARIANT_FALSE),
        C(VARIANT_NOVALUEPROP),
        C(DISPATCH_METHOD),
        C(DISPATCH_PROPERTYGET),
        C(DISPATCH_PROPERTYPUT),
        C(DISPATCH_PROPERTYPUTREF),
        C(DISPID_VALUE),
        C(DISPID_UNKNOWN),
        C(DISPID_PROPERTYPUT),
        C(DISPID_NEWENUM),
        C(GUIDKIND_DEFAULT_SOURCE_DISP_IID),
        C(CLSCTX_INPROC_SERVER),
#undef C
    };
    for (const auto& [name, value] : ours) {
        const auto it = published.find(name);
        if (it == published.end()) {
            ADD_FAILURE() << name << " not found in the headers";
            continue;
        }
        EXPECT_EQ(value, it->second) << name;
    }
}

std::string GuidText(const GUID& g)
{
    char text[128];
    std::snprintf(text, sizeof text, "0x%08x, 0x%04x, 0x%04x, 0x%02x,0x%02x, 0x%02x,0x%02x,0x%02x,0x%02x,0x%02x,0x%02x",
                  g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                  g.Data4[6], g.Data4[7]);
    return text;
}

TEST(AutomationConstants, InterfaceIdsEqualThePublishedHeaders)
{
    const std::string all = ReadHeader("unknwnbase.h") + ReadHeader("oaidl.h") + ReadHeader("ocidl.h");
    const std::pair<const char*, GUID> ours[] = {
        {"IUnknown", IID_IUnknown},
        {"IDispatch", IID_IDispatch},
        {"IEnumVARIANT", IID_IEnumVARIANT},
        {"IErrorInfo", IID_IErrorInfo},
        {"IConnectionPointContainer", IID_IConnectionPointContainer},
        {"IConnectionPoint", IID_IConnectionPoint},
        {"IProvideClassInfo2", IID_IProvideClassInfo2},
        {"IClassFactory", IID_IClassFactory},
    };
    for (const auto& [name, guid] : ours) {
        const std::string decl = "__CRT_UUID_DECL(" + std::string(name) + ", " + GuidText(guid) + ")";
        EXPECT_NE(all.find(decl), std::string::npos) << decl;
    }
}

}  // namespace

namespace {

// The system's identifiers as its type library and registry write them.
TEST(AutomationIds, TextFormsRoundTrip)
{
    const std::pair<const char*, GUID> ids[] = {
        {"{FD493322-9870-4C9E-B2E4-D5C384F36E50}", LIBID_Zelkor},
        {"{E75464BA-976A-4B12-A8E0-480A8E8EA514}", IID_IBreakpoints},
        {"{7B584135-FC17-4E55-9A16-6F5955DF7C39}", IID_IBreakpoint},
        {"{DA853FDB-67FC-4E41-96C0-CB5ADA6F4C2E}", CLSID_DebugCore},
        {"{757675B1-CE5F-4E82-A097-4F0B5214F6CD}", DIID_IDebugEvents},
        {"{79276215-7C43-4F0B-BFD8-24473AF73A52}", IID_IScriptServer},
        {"{18E5C56A-E505-4724-A7D2-147091309B8A}", CLSID_ScriptServer},
        {"{94DE81E2-F9C5-4486-910E-6478F63D070A}", CLSID_Application},
        {"{44A92079-7F66-4505-B260-85BD5F39F4FB}", CLSID_SourceDocument},
        {"{9029E1FA-4976-43FF-84FE-4418C5AD4027}", IID_IProjectDoc},
        {"{B54F3741-5B07-11CF-A4B0-00AA004A55E8}", CLSID_VBScript},
        {"{0002E005-0000-0000-C000-000000000046}", CLSID_StdComponentCategoriesMgr},
        {"{0002E013-0000-0000-C000-000000000046}", IID_ICatInformation},
        {"{40FC6ED8-2438-11CF-A3DB-080036F12502}", CATID_DocObject},
        {"{6E182020-F460-11CE-9BCD-00AA00608E01}", CLSID_FormsControl},
        {"{00020400-0000-0000-C000-000000000046}", IID_IDispatch},
    };
    for (const auto& [text, id] : ids) {
        CLSID read = GUID_NULL;
        EXPECT_EQ(CLSIDFromString(text, &read), S_OK) << text;
        EXPECT_EQ(read, id) << text;
        char written[39];
        EXPECT_EQ(StringFromGUID2(id, written, sizeof written), 39);
        EXPECT_STREQ(written, text);
    }
    CLSID lower = GUID_NULL;
    EXPECT_EQ(CLSIDFromString("{da853fdb-67fc-4e41-96c0-cb5ada6f4c2e}", &lower), S_OK);
    EXPECT_EQ(lower, CLSID_DebugCore);
    for (const char* bad : {"", "DA853FDB-67FC-4E41-96C0-CB5ADA6F4C2E", "{DA853FDB-67FC-4E41-96C0-CB5ADA6F4C2G}",
                            "{DA853FDB-67FC-4E41+96C0-CB5ADA6F4C2E}", "{DA853FDB-67FC-4E41-96C0-CB5ADA6F4C2E}x"}) {
        EXPECT_EQ(CLSIDFromString(bad, &lower), CO_E_CLASSSTRING) << bad;
        EXPECT_EQ(lower, GUID_NULL);
    }
    char small[38];
    EXPECT_EQ(StringFromGUID2(IID_IDispatch, small, sizeof small), 0);
}

}  // namespace
