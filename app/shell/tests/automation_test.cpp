// The application's automation objects: events of CCmdTargetPlus to sinks
// and to script handlers, and the application object "Vantirel.Application"
// with its references and the end of a program run for automation.
#include <gtest/gtest.h>

#include "platform/automation_ids.h"
#include "platform/messages.h"
#include "shell/cmd_target_plus.h"
#include "shell/debugger_app.h"
#include "shell/qedit_proxy.h"
#include "shell_test_support.h"
#include "test_object.h"
#include "test_site.h"

namespace shell {
namespace {

using zk::automation::DispatchCall;
using zk::automation::DispatchMember;
using zk::automation::LiveObjects;
using zk::automation::MemberKind;
using zk::automation::testing::TestSink;

const IID IID_ISourceEvents = {0x2E00BB01, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
const IID IID_ISource = {0x2E00BB02, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};

// Events as the debug core has them: "Halt" 1 and "LoadEnd" 2, one short each.
const DispatchMember kSourceEvents[] = {
    {"Halt", 1, MemberKind::Method, VTS_I2, VT_EMPTY},
    {"LoadEnd", 2, MemberKind::Method, VTS_I2, VT_EMPTY},
};

class CSource : public CCmdTargetPlus {
public:
    CSource()
    {
        m_piidEvents = &IID_ISourceEvents;
        m_piidPrimary = &IID_ISource;
        DispProperty("State", VT_I4, [](DispatchCall& c) {
            c.Result().vt = VT_I4;
            c.Result().lVal = 7;
            return S_OK;
        });
    }
    zk::automation::DispatchTable GetEventMap() const override { return kSourceEvents; }
};

class Automation : public ::testing::Test {
protected:
    void SetUp() override { m_live = LiveObjects(); }
    void TearDown() override { EXPECT_EQ(LiveObjects(), m_live); }
    long m_live = 0;
};

TEST_F(Automation, EventsReachEveryConnectedSinkAndFailingSinksArePassedOver)
{
    auto* source = new CSource;
    source->FireEvent(1, VTS_I2, 3);  // nobody connected: nothing happens

    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(source->ExternalQueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
              S_OK);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(IID_ISourceEvents, &point), S_OK);
    container->Release();
    IID iid = GUID_NULL;
    point->GetConnectionInterface(&iid);
    EXPECT_EQ(iid, IID_ISourceEvents);

    std::vector<std::string> log;
    auto* failing = new TestSink("f", &log, false);
    failing->result = E_FAIL;
    auto* plain = new TestSink("d", &log, false);  // answers IDispatch only
    DWORD c1 = 0, c2 = 0;
    ASSERT_EQ(point->Advise(failing, &c1), S_OK);
    ASSERT_EQ(point->Advise(plain, &c2), S_OK);
    source->FireEvent(1, VTS_I2, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"f:5", "d:5"}));
    EXPECT_EQ(source->ConnectedSinks(), 2u);
    point->Unadvise(c1);
    point->Unadvise(c2);
    point->Release();
    failing->Release();
    plain->Release();

    // Class information names the events interface for kind 1 only.
    IProvideClassInfo2* info = nullptr;
    ASSERT_EQ(source->ExternalQueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info)), S_OK);
    GUID guid = IID_ISource;
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), S_OK);
    EXPECT_EQ(guid, IID_ISourceEvents);
    EXPECT_EQ(info->GetGUID(2, &guid), E_INVALIDARG);
    EXPECT_EQ(guid, GUID_NULL);
    info->Release();
    void* same = nullptr;
    ASSERT_EQ(source->ExternalQueryInterface(IID_ISource, &same), S_OK);
    EXPECT_EQ(same, source->GetIDispatch(FALSE));
    source->ExternalRelease();
    EXPECT_EQ(source->ExternalRelease(), 0u);
}

TEST_F(Automation, WithoutAnEventsInterfaceThereIsNoHookAndThePointNamesNone)
{
    auto* plain = new CCmdTargetPlus;
    EXPECT_EQ(plain->GetConnectionHook(IID_ISourceEvents), nullptr);
    EXPECT_EQ(plain->GetConnectionHook(GUID_NULL), nullptr);
    IID iid = IID_ISource;
    plain->EventConnectionPoint()->GetConnectionInterface(&iid);
    EXPECT_EQ(iid, GUID_NULL);
    IID primary;
    EXPECT_FALSE(plain->GetDispatchIID(&primary));
    CLSID clsid = IID_ISource;
    EXPECT_EQ(plain->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, GUID_NULL);
    EXPECT_EQ(plain->ExternalRelease(), 0u);
}

TEST_F(Automation, ScriptHandlersReceiveTheEventsByName)
{
    auto* source = new CSource;
    IDispatch* d = source->GetIDispatch(FALSE);
    // The script fires through its own call of a member that fires.
    struct Firing : CCmdTarget {
        explicit Firing(CSource* s)
        {
            EnableAutomation();
            DispMethod("Fire", VT_EMPTY, VTS_I2, [s](DispatchCall& c) {
                s->FireEvent(1, VTS_I2, static_cast<int>(c.Arg(0).iVal));
                return S_OK;
            });
        }
    };
    auto* firing = new Firing(source);
    IDispatch* f = firing->GetIDispatch(FALSE);
    const auto r = zk::script::testing::RunScriptWith("Sub Src_Halt(cause)\n Out.Print \"halt \" & cause\nEnd Sub\n"
                                                      "Out.Print Src.State\n",
                                                      "Src", d);
    EXPECT_EQ(zk::script::testing::Joined(r.output), "7");
    EXPECT_TRUE(r.errors.empty());
    // Bound while connected: the event reaches the handler inside a run.
    auto* site = new zk::script::testing::TestSite;
    IDispatch* out = zk::script::testing::NewOutput(&site->output);
    site->Put("Out", out);
    site->Put("Src", d);
    site->Put("Fire", f);
    out->Release();
    IActiveScript* engine = zk::script::NewVBScriptEngine();
    IActiveScriptParse* parse = nullptr;
    engine->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&parse));
    engine->SetScriptSite(site);
    parse->InitNew();
    engine->AddNamedItem("Out", SCRIPTITEM_ISVISIBLE);
    engine->AddNamedItem("Src", SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE);
    engine->AddNamedItem("Fire", SCRIPTITEM_ISVISIBLE);
    engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    parse->ParseScriptText("Sub Src_Halt(cause)\n Out.Print \"halt \" & cause\nEnd Sub\nFire.Fire 4\n", nullptr,
                           nullptr, nullptr, 0, 0, 0, nullptr, nullptr);
    source->FireEvent(2, VTS_I2, 0);  // LoadEnd: no handler
    source->FireEvent(1, VTS_I2, 9);  // from the host, between scripts
    EXPECT_EQ(zk::script::testing::Joined(site->output), "halt 4|halt 9");
    EXPECT_TRUE(site->errors.empty());
    engine->Close();
    parse->Release();
    engine->Release();
    site->Release();
    EXPECT_EQ(source->ConnectedSinks(), 0u);
    firing->ExternalRelease();
    EXPECT_EQ(source->ExternalRelease(), 0u);
}

class ProxyTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        m_live = LiveObjects();
        m_app = std::make_unique<CDebuggerApp>();
        g_qeditProxyFactory.Register();
    }
    void TearDown() override
    {
        g_qeditProxyFactory.Revoke();
        AfxOleSetUserCtrl(TRUE);
        m_app.reset();
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {}
        EXPECT_EQ(LiveObjects(), m_live);
        RegistryTest::TearDown();
    }
    static bool QuitPosted()
    {
        MSG msg;
        return PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }
    std::unique_ptr<CDebuggerApp> m_app;
    long m_live = 0;
};

TEST_F(ProxyTest, ClientsReachTheDebuggerOnlyWhileConnectedAndCountTheirReferences)
{
    const LONG locks = AfxOleLockCount();
    COleDispatchDriver proxy;
    ASSERT_TRUE(proxy.CreateDispatch("Vantirel.Application"));
    EXPECT_EQ(m_app->m_pAutomationProxy, CCmdTarget::FromIDispatch(proxy.m_lpDispatch));
    EXPECT_EQ(AfxOleLockCount(), locks + 1);

    IDispatch* debugger = reinterpret_cast<IDispatch*>(1);
    proxy.GetProperty(kProxyDebugger, VT_DISPATCH, &debugger);
    EXPECT_EQ(debugger, nullptr);  // not connected
    IDispatch* core = zk::automation::testing::NewTestObject();
    m_app->SetDebuggerDispatch([core] {
        core->AddRef();
        return core;
    });
    proxy.GetProperty(kProxyDebugger, VT_DISPATCH, &debugger);
    EXPECT_EQ(debugger, core);
    debugger->Release();
    IDispatch* app = reinterpret_cast<IDispatch*>(1);
    proxy.GetProperty(kProxyApp, VT_DISPATCH, &app);
    EXPECT_EQ(app, nullptr);  // no script server
    EXPECT_THROW(proxy.SetProperty(kProxyDebugger, VT_DISPATCH, core), COleDispatchException);
    m_app->SetDebuggerDispatch({});
    core->Release();

    CCmdTarget* object = CCmdTarget::FromIDispatch(proxy.m_lpDispatch);
    proxy.InvokeHelper(kProxyAddRefer, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_NONE);
    EXPECT_EQ(object->ExternalRefCount(), 2u);
    proxy.InvokeHelper(kProxyReleaseRefer, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_NONE);
    EXPECT_EQ(object->ExternalRefCount(), 1u);
    proxy.ReleaseDispatch();
    EXPECT_EQ(m_app->m_pAutomationProxy, nullptr);
    EXPECT_EQ(AfxOleLockCount(), locks);
}

TEST_F(ProxyTest, OnlyAProgramRunForAutomationEndsWithItsLastClient)
{
    struct Row {
        BOOL userCtrl;
        bool exitFirst;
        bool quit;
    } rows[] = {{TRUE, false, false}, {FALSE, false, true}, {FALSE, true, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "user " << r.userCtrl << " exit first " << r.exitFirst);
        AfxOleSetUserCtrl(r.userCtrl);
        COleDispatchDriver proxy;
        ASSERT_TRUE(proxy.CreateDispatch(CLSID_Application));
        if (r.exitFirst) {
            m_app->ExitInstance();
            EXPECT_EQ(m_app->m_pAutomationProxy, nullptr);
        }
        proxy.ReleaseDispatch();
        EXPECT_EQ(QuitPosted(), r.quit);
    }
}

}  // namespace
}  // namespace shell
