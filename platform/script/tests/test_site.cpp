#include "test_site.h"

#include "platform/dispatch.h"
#include "test_object.h"

namespace zk::script::testing {

namespace {

class Output final : public automation::DispatchObject {
public:
    explicit Output(std::vector<std::string>* out) : m_out(out) {}

protected:
    automation::DispatchTable Members() const override
    {
        static const automation::DispatchMember members[] = {
            {"Print", 1, automation::MemberKind::Method, VTS_BSTR, VT_EMPTY, 0,
             [](automation::DispatchObject& o, automation::DispatchCall& call) {
                 static_cast<Output&>(o).m_out->push_back(call.Text(0));
                 return S_OK;
             }},
        };
        return members;
    }

private:
    std::vector<std::string>* m_out;
};

const automation::DispatchMember kTestEvents[] = {
    {"Changed", automation::testing::kEventChanged, automation::MemberKind::Method, VTS_I4, VT_EMPTY},
};

}  // namespace

IDispatch* NewOutput(std::vector<std::string>* output)
{
    return new Output(output);
}

TestSite::TestSite()
{
    automation::RegisterInterface(automation::testing::DIID_TestEvents, kTestEvents);
}

TestSite::~TestSite()
{
    for (auto& [name, item] : m_items)
        item->Release();
}

HRESULT TestSite::QueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IUnknown || riid == IID_IActiveScriptSite) {
        AddRef();
        *object = static_cast<IActiveScriptSite*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

void TestSite::Put(const std::string& name, IUnknown* object)
{
    object->AddRef();
    if (m_items.count(name))
        m_items[name]->Release();
    m_items[name] = object;
}

HRESULT TestSite::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** typeInfo)
{
    if ((mask & SCRIPTINFO_IUNKNOWN) && !item)
        return E_INVALIDARG;
    if ((mask & SCRIPTINFO_ITYPEINFO) && !typeInfo)
        return E_INVALIDARG;
    if (item)
        *item = nullptr;
    if (typeInfo)
        *typeInfo = nullptr;
    auto it = m_items.find(name);
    if (it == m_items.end())
        return TYPE_E_ELEMENTNOTFOUND;
    if (mask & SCRIPTINFO_IUNKNOWN) {
        it->second->AddRef();
        *item = it->second;
    }
    return S_OK;
}

HRESULT TestSite::OnStateChange(SCRIPTSTATE state)
{
    states.push_back(state);
    return S_OK;
}

HRESULT TestSite::OnScriptError(IActiveScriptError* error)
{
    EXCEPINFO info{};
    error->GetExceptionInfo(&info);
    DWORD cookie = 0;
    ULONG line = 0;
    LONG column = 0;
    error->GetSourcePosition(&cookie, &line, &column);
    BSTR text = nullptr;
    error->GetSourceLineText(&text);
    ReportedError r;
    r.number = info.wCode ? info.wCode : info.scode;
    r.scode = static_cast<uint32_t>(info.scode);
    r.source = info.bstrSource ? info.bstrSource : "";
    r.description = info.bstrDescription ? info.bstrDescription : "";
    r.line = line;
    r.column = column;
    r.lineText = text ? text : "";
    SysFreeString(text);
    automation::ClearExcepInfo(&info);
    errors.push_back(r);
    return S_OK;
}

HRESULT TestSite::OnEnterScript()
{
    ++enters;
    maxDepth = std::max(maxDepth, ++depth);
    return S_OK;
}

HRESULT TestSite::OnLeaveScript()
{
    ++leaves;
    --depth;
    return S_OK;
}

RunResult RunScript(const std::string& text)
{
    return RunScriptWith(text, {}, nullptr);
}

RunResult RunScriptWith(const std::string& text, const std::string& itemName, IUnknown* item)
{
    automation::testing::RegisterTestObject();
    auto* site = new TestSite;
    IDispatch* out = NewOutput(&site->output);
    IDispatch* obj = automation::testing::NewTestObject();
    site->Put("Out", out);
    site->Put("Obj", obj);
    out->Release();
    obj->Release();
    if (item)
        site->Put(itemName, item);
    IActiveScript* engine = NewVBScriptEngine();
    IActiveScriptParse* parse = nullptr;
    engine->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&parse));
    engine->SetScriptSite(site);
    parse->InitNew();
    engine->AddNamedItem("Out", SCRIPTITEM_ISVISIBLE);
    engine->AddNamedItem("Obj", SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE);
    if (item)
        engine->AddNamedItem(itemName.c_str(), SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE);
    engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr);
    engine->Close();
    parse->Release();
    engine->Release();
    RunResult r{site->output, site->errors};
    site->Release();
    return r;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            s += '|';
        s += lines[i];
    }
    return s;
}

}  // namespace zk::script::testing
