// Parses and runs any text under a statement budget against the test
// objects: the engine ends every script (error, budget or normal end) and
// every reference it took is given back.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/modal_ui.h"
#include "test_object.h"
#include "test_site.h"

namespace {

class SilentUi final : public platform::ModalUi {
public:
    int MessageBox(const platform::MessageBoxRequest&) override { return IDOK; }
    bool FileDialog(const platform::FileDialogRequest&, platform::FileDialogResult&) override { return false; }
    bool FolderDialog(const platform::FolderDialogRequest&, std::string&) override { return false; }
    bool TextInput(const platform::TextRequest& r, std::string& text) override
    {
        text = r.text;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace zk;
    static SilentUi ui;
    static bool once = [] {
        platform::SetModalUi(&ui);
        script::SetStringLimit(1 << 16);
        automation::testing::RegisterTestObject();
        return true;
    }();
    (void)once;
    const long live = automation::LiveObjects();
    std::string text(reinterpret_cast<const char*>(data), size);
    // The test object's Child may hold the object itself: a cycle that no
    // reference count undoes (as with any reference-counted host). Scripts
    // here do not reach it, so every other reference must come back.
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (size_t p = lower.find("child"); p != std::string::npos; p = lower.find("child", p + 1))
        text[p + 4] = '_';
    {
        auto* site = new script::testing::TestSite;
        IDispatch* out = script::testing::NewOutput(&site->output);
        IDispatch* obj = automation::testing::NewTestObject();
        site->Put("Out", out);
        site->Put("Obj", obj);
        site->Put("Scripter", obj);
        out->Release();
        IActiveScript* engine = script::NewVBScriptEngine();
        script::SetStatementBudget(engine, 2000);
        IActiveScriptParse* parse = nullptr;
        engine->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&parse));
        engine->SetScriptSite(site);
        parse->InitNew();
        engine->AddNamedItem("Out", SCRIPTITEM_ISVISIBLE);
        engine->AddNamedItem("Obj", SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE);
        engine->AddNamedItem("Scripter", SCRIPTITEM_ISVISIBLE | SCRIPTITEM_GLOBALMEMBERS);
        parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr);
        engine->SetScriptState(SCRIPTSTATE_CONNECTED);
        // Events and a second entry after the first text ran.
        automation::InvokeHelper(obj, automation::testing::kRaise, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, VTS_I4,
                                 1);
        engine->Close();
        parse->Release();
        engine->Release();
        obj->Release();
        site->Release();
    }
    if (automation::LiveObjects() != live)
        __builtin_trap();  // a reference was kept
    return 0;
}
