// Per-thread error information: the last failure's source and description,
// for a script host to show after a failed call.
#include <string>

#include "platform/automation.h"

using namespace zk::automation;

namespace {

// Released when its thread ends, so a worker's last error does not leak.
struct ThreadError {
    IErrorInfo* info = nullptr;
    ~ThreadError()
    {
        if (info)
            info->Release();
    }
};
thread_local ThreadError t_error;

BSTR Text(const std::string& text)
{
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

class ErrorInfo final : public IErrorInfo, public RefCounted {
public:
    ErrorInfo(const GUID& guid, const char* source, const char* description)
        : m_guid(guid), m_source(source ? source : ""), m_description(description ? description : "")
    {}
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
            *object = static_cast<IErrorInfo*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetGUID(GUID* guid) override { return guid ? (*guid = m_guid, S_OK) : E_POINTER; }
    HRESULT GetSource(BSTR* source) override { return source ? (*source = Text(m_source), S_OK) : E_POINTER; }
    HRESULT GetDescription(BSTR* description) override
    {
        return description ? (*description = Text(m_description), S_OK) : E_POINTER;
    }
    HRESULT GetHelpFile(BSTR* helpFile) override { return helpFile ? (*helpFile = nullptr, S_OK) : E_POINTER; }
    HRESULT GetHelpContext(DWORD* helpContext) override { return helpContext ? (*helpContext = 0, S_OK) : E_POINTER; }

private:
    GUID m_guid;
    std::string m_source;
    std::string m_description;
};

}  // namespace

HRESULT SetErrorInfo(ULONG, IErrorInfo* info)
{
    if (info)
        info->AddRef();
    if (t_error.info)
        t_error.info->Release();
    t_error.info = info;
    return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = t_error.info;
    t_error.info = nullptr;
    return *info ? S_OK : S_FALSE;
}

HRESULT SetAutomationError(const GUID& guid, const char* source, const char* description)
{
    auto* info = new ErrorInfo(guid, source, description);
    SetErrorInfo(0, info);
    info->Release();
    return S_OK;
}
