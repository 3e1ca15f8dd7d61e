// The layer's numbers against Debian's mingw-w64 headers, read as text:
// result codes, VARIANT types, dispatch flags and ids, and interface ids.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

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
