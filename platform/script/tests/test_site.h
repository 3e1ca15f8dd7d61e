// A host for the engine in tests: named items by name, the output of the
// "Out" item's Print, the errors, state changes and entries it is told of.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/script/active_script.h"

namespace zk::script::testing {

struct ReportedError {
    int number;  // wCode, or the SCODE when wCode is 0
    uint32_t scode;
    std::string source;
    std::string description;
    unsigned line;
    long column;
    std::string lineText;
};

class TestSite final : public IActiveScriptSite, public automation::RefCounted {
public:
    TestSite();
    ~TestSite() override;
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** typeInfo) override;
    HRESULT GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT OnStateChange(SCRIPTSTATE state) override;
    HRESULT OnScriptError(IActiveScriptError* error) override;
    HRESULT OnEnterScript() override;
    HRESULT OnLeaveScript() override;

    // Adds an item object (the site keeps a reference).
    void Put(const std::string& name, IUnknown* object);

    std::vector<std::string> output;
    std::vector<ReportedError> errors;
    std::vector<int> states;
    int enters = 0, leaves = 0, depth = 0, maxDepth = 0;

private:
    std::map<std::string, IUnknown*> m_items;
};

// The "Out" item: Print(text) appends to the site's output.
IDispatch* NewOutput(std::vector<std::string>* output);

// Runs a whole script in a fresh engine with "Out" (visible) and "Obj"
// (a test object, visible and a source of events), connected at once.
struct RunResult {
    std::vector<std::string> output;
    std::vector<ReportedError> errors;
};
RunResult RunScript(const std::string& text);
// The same with one more visible item of the caller's (the site holds a
// reference while the script runs).
RunResult RunScriptWith(const std::string& text, const std::string& itemName, IUnknown* item);
std::string Joined(const std::vector<std::string>& lines);

}  // namespace zk::script::testing
