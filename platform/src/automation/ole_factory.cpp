// COleObjectFactory on the in-process class registry, and the application's
// automation lock count.
#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/ole.h"

namespace platform {

namespace {

std::vector<COleObjectFactory*>& Factories()
{
    static std::vector<COleObjectFactory*> factories;
    return factories;
}

std::atomic<LONG> g_lockCount{0};
std::atomic<BOOL> g_userCtrl{TRUE};

}  // namespace

COleObjectFactory::COleObjectFactory(REFCLSID clsid, const CRuntimeClass* runtimeClass, BOOL multiInstance,
                                     const char* progId)
    : m_clsid(clsid), m_pRuntimeClass(runtimeClass), m_bMultiInstance(multiInstance), m_progId(progId ? progId : "")
{
    Factories().push_back(this);
}

COleObjectFactory::~COleObjectFactory()
{
    Revoke();
    std::erase(Factories(), this);
}

BOOL COleObjectFactory::Register()
{
    if (m_registered)
        return TRUE;
    zk::automation::RegisterClass(m_clsid, m_progId.empty() ? nullptr : m_progId.c_str(), [this] { return Create(); });
    m_registered = TRUE;
    return TRUE;
}

void COleObjectFactory::Revoke()
{
    if (!m_registered)
        return;
    zk::automation::UnregisterClass(m_clsid);
    m_registered = FALSE;
}

BOOL COleObjectFactory::RegisterAll()
{
    BOOL all = TRUE;
    for (COleObjectFactory* f : Factories())
        all = f->Register() && all;
    return all;
}

void COleObjectFactory::RevokeAll()
{
    for (COleObjectFactory* f : Factories())
        f->Revoke();
}

CCmdTarget* COleObjectFactory::OnCreateObject()
{
    if (!m_pRuntimeClass)
        return nullptr;
    CObject* made = m_pRuntimeClass->CreateObject();
    auto* target = dynamic_cast<CCmdTarget*>(made);
    if (!target)
        delete made;
    return target;
}

IUnknown* COleObjectFactory::Create()
{
    // A single-instance class serves one client: the factory leaves the
    // registry once it has made its object.
    if (!m_bMultiInstance && m_made > 0)
        return nullptr;
    CCmdTarget* target = OnCreateObject();
    if (!target)
        return nullptr;
    IDispatch* dispatch = target->GetIDispatch(FALSE);  // the creator's reference goes with it
    if (!dispatch) {
        target->ExternalRelease();
        return nullptr;
    }
    ++m_made;
    if (!m_bMultiInstance)
        Revoke();
    return dispatch;
}

}  // namespace platform

void AfxOleLockApp()
{
    ++platform::g_lockCount;
}

void AfxOleUnlockApp()
{
    LONG now = platform::g_lockCount.load();
    while (now > 0 && !platform::g_lockCount.compare_exchange_weak(now, now - 1)) {}
}

LONG AfxOleLockCount()
{
    return platform::g_lockCount.load();
}

void AfxOleSetUserCtrl(BOOL userCtrl)
{
    platform::g_userCtrl = userCtrl;
}

BOOL AfxOleGetUserCtrl()
{
    return platform::g_userCtrl.load();
}
