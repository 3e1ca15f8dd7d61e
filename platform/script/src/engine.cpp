// The VBScript engine object: states, named items, parsing into a waiting
// or a running engine, events bound to procedures named item_event, the
// site's notifications, interrupts and error reports.
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "interp.h"
#include "parser.h"
#include "platform/automation_ids.h"
#include "platform/script/active_script.h"

namespace zk::script {

namespace {

BSTR Bstr(const std::string& s)
{
    return SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

class ScriptErrorRecord final : public IActiveScriptError, public automation::RefCounted {
public:
    ScriptErrorRecord(ScriptError e, DWORD cookie, ULONG firstLine)
        : m_e(std::move(e)), m_cookie(cookie), m_firstLine(firstLine)
    {}
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IActiveScriptError) {
            AddRef();
            *object = static_cast<IActiveScriptError*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetExceptionInfo(EXCEPINFO* info) override
    {
        if (!info)
            return E_POINTER;
        *info = EXCEPINFO{};
        info->wCode = m_e.number > 0 && m_e.number < 0x10000 ? static_cast<WORD>(m_e.number) : 0;
        info->scode = ErrorScode(m_e.number);
        info->bstrSource = Bstr(m_e.source);
        info->bstrDescription = Bstr(m_e.description);
        return S_OK;
    }
    HRESULT GetSourcePosition(DWORD* context, ULONG* line, LONG* column) override
    {
        if (context)
            *context = m_cookie;
        if (line)
            *line = m_firstLine + static_cast<ULONG>(m_e.line) + 1;
        if (column)
            *column = m_e.column;
        return S_OK;
    }
    HRESULT GetSourceLineText(BSTR* line) override
    {
        if (!line)
            return E_POINTER;
        *line = Bstr(m_e.lineText);
        return S_OK;
    }

private:
    ScriptError m_e;
    DWORD m_cookie;
    ULONG m_firstLine;
};

class Engine;

// An IDispatch without type information whose names come from the script:
// the reference counting and the interfaces it answers, shared by the event
// sinks and the script's own dispatch object.
class PlainDispatch : public IDispatch, public automation::RefCounted {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || AlsoAnswers(riid)) {
            AddRef();
            *object = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

protected:
    // An events interface the object stands for besides IDispatch.
    virtual bool AlsoAnswers(REFIID) const { return false; }
};

// Receives one item's events and calls the procedure item_event.
class EventSink final : public PlainDispatch {
public:
    EventSink(Engine* engine, std::string item, const IID& events)
        : engine(engine), m_item(std::move(item)), m_events(events)
    {}
    Engine* engine;
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    bool AlsoAnswers(REFIID riid) const override { return riid == m_events; }

    std::string m_item;
    IID m_events;
};

struct Item {
    std::string name;
    std::string lower;
    DWORD flags = 0;
    IDispatch* object = nullptr;  // fetched from the site when first needed
    bool fetched = false;
    EventSink* sink = nullptr;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
};

struct Text {
    std::unique_ptr<Program> program;
    DWORD cookie = 0;
    ULONG firstLine = 0;
    bool persistent = false;
};

class Engine final : public IActiveScript, public IActiveScriptParse, public automation::RefCounted, public Host {
public:
    Engine() : m_runtime(std::make_unique<Runtime>(*this)) {}
    ~Engine() override { Shutdown(); }

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IActiveScript)
            *object = static_cast<IActiveScript*>(this);
        else if (riid == IID_IActiveScriptParse32 || riid == IID_IActiveScriptParse64)
            *object = static_cast<IActiveScriptParse*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }

    // ---- IActiveScript ----
    HRESULT SetScriptSite(IActiveScriptSite* site) override
    {
        if (!site)
            return E_POINTER;
        if (m_state == SCRIPTSTATE_CLOSED)
            return E_UNEXPECTED;
        if (m_site)
            return E_UNEXPECTED;
        site->AddRef();
        m_site = site;
        ChangeState(SCRIPTSTATE_INITIALIZED);
        return S_OK;
    }
    HRESULT GetScriptSite(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        return m_site ? m_site->QueryInterface(riid, object) : S_FALSE;
    }
    HRESULT SetScriptState(SCRIPTSTATE state) override
    {
        if (m_state == SCRIPTSTATE_CLOSED)
            return E_UNEXPECTED;
        switch (state) {
        case SCRIPTSTATE_STARTED:
        case SCRIPTSTATE_CONNECTED:
            if (!m_site)
                return E_UNEXPECTED;
            if (state == SCRIPTSTATE_CONNECTED)
                Bind();
            else
                Unbind();
            ChangeState(state);
            RunPending();
            return S_OK;
        case SCRIPTSTATE_DISCONNECTED:
            if (m_state != SCRIPTSTATE_CONNECTED && m_state != SCRIPTSTATE_STARTED &&
                m_state != SCRIPTSTATE_DISCONNECTED)
                return E_UNEXPECTED;
            Unbind();
            ChangeState(state);
            return S_OK;
        case SCRIPTSTATE_UNINITIALIZED:
        case SCRIPTSTATE_INITIALIZED:
            Reset();
            ChangeState(state);
            return S_OK;
        case SCRIPTSTATE_CLOSED: return Close();
        default: return E_INVALIDARG;
        }
    }
    HRESULT GetScriptState(SCRIPTSTATE* state) override
    {
        if (!state)
            return E_POINTER;
        *state = m_state;
        return S_OK;
    }
    HRESULT Close() override
    {
        if (m_state == SCRIPTSTATE_CLOSED)
            return S_OK;
        if (m_running > 0)
            m_runtime->interrupt = true;
        ChangeState(SCRIPTSTATE_CLOSED);
        Shutdown();
        return S_OK;
    }
    HRESULT AddNamedItem(LPCOLESTR name, DWORD flags) override
    {
        if (!name || !*name)
            return E_INVALIDARG;
        if (m_state == SCRIPTSTATE_CLOSED)
            return E_UNEXPECTED;
        std::string lower = Lower(name);
        Item* item = FindByName(lower);
        if (!item) {
            m_items.push_back(std::make_unique<Item>());
            item = m_items.back().get();
        } else {
            UnbindItem(*item);
            ReleaseObject(*item);
        }
        item->name = name;
        item->lower = lower;
        item->flags = flags;
        if (m_state == SCRIPTSTATE_CONNECTED && (flags & SCRIPTITEM_ISSOURCE))
            BindItem(*item);
        return S_OK;
    }
    HRESULT AddTypeLib(const GUID&, DWORD, DWORD, DWORD) override { return S_OK; }
    HRESULT GetScriptDispatch(LPCOLESTR, IDispatch** dispatch) override;
    HRESULT GetCurrentScriptThreadID(SCRIPTTHREADID* id) override
    {
        if (!id)
            return E_POINTER;
        *id = 0;
        return S_OK;
    }
    HRESULT GetScriptThreadID(DWORD, SCRIPTTHREADID* id) override
    {
        if (!id)
            return E_POINTER;
        *id = 0;
        return S_OK;
    }
    HRESULT GetScriptThreadState(SCRIPTTHREADID, SCRIPTTHREADSTATE* state) override
    {
        if (!state)
            return E_POINTER;
        *state = m_running > 0 ? SCRIPTTHREADSTATE_RUNNING : SCRIPTTHREADSTATE_NOTINSCRIPT;
        return S_OK;
    }
    HRESULT InterruptScriptThread(SCRIPTTHREADID, const EXCEPINFO* info, DWORD flags) override
    {
        if (info && (flags & SCRIPTINTERRUPT_RAISEEXCEPTION)) {
            std::lock_guard<std::mutex> hold(m_interruptLock);
            m_interruptError = ScriptError{};
            m_interruptError->number = info->scode ? info->scode : ErrorScode(info->wCode);
            if (info->bstrSource)
                m_interruptError->source.assign(info->bstrSource, SysStringLen(info->bstrSource));
            if (info->bstrDescription)
                m_interruptError->description.assign(info->bstrDescription, SysStringLen(info->bstrDescription));
        }
        // Only a running script is interrupted; a later one starts afresh.
        if (m_runtime && m_running.load() > 0)
            m_runtime->interrupt = true;
        return S_OK;
    }
    HRESULT Clone(IActiveScript** copy) override
    {
        if (copy)
            *copy = nullptr;
        return E_NOTIMPL;
    }

    // ---- IActiveScriptParse ----
    HRESULT InitNew() override
    {
        if (m_state == SCRIPTSTATE_CLOSED)
            return E_UNEXPECTED;
        if (m_site && m_state == SCRIPTSTATE_UNINITIALIZED)
            ChangeState(SCRIPTSTATE_INITIALIZED);
        return S_OK;
    }
    HRESULT AddScriptlet(LPCOLESTR, LPCOLESTR, LPCOLESTR, LPCOLESTR, LPCOLESTR, LPCOLESTR, DWORD, ULONG, DWORD,
                         BSTR* name, EXCEPINFO*) override
    {
        if (name)
            *name = nullptr;
        return E_NOTIMPL;
    }
    HRESULT ParseScriptText(LPCOLESTR code, LPCOLESTR, IUnknown*, LPCOLESTR, DWORD cookie, ULONG firstLine, DWORD flags,
                            VARIANT* result, EXCEPINFO* info) override
    {
        if (result)
            VariantInit(result);
        if (m_state == SCRIPTSTATE_CLOSED || !m_runtime)
            return E_UNEXPECTED;
        std::string_view text = code ? std::string_view(code, std::strlen(code)) : std::string_view();
        auto t = std::make_unique<Text>();
        t->cookie = cookie;
        t->firstLine = firstLine;
        t->persistent = (flags & SCRIPTTEXT_ISPERSISTENT) != 0;
        const bool expression = (flags & SCRIPTTEXT_ISEXPRESSION) != 0;
        try {
            t->program = Parse(text, expression);
        } catch (ScriptError& e) {
            e.lineText = LineOf(text, e.line);
            Report(e, cookie, firstLine, info);
            return SCRIPT_E_REPORTED;
        } catch (std::bad_alloc&) {
            ScriptError e{7, kCompileSource, ErrorText(7), true, 0, 0, {}};
            Report(e, cookie, firstLine, info);
            return E_OUTOFMEMORY;
        }
        Program& program = *t->program;
        m_runtime->Add(program);
        const bool running = m_state == SCRIPTSTATE_STARTED || m_state == SCRIPTSTATE_CONNECTED;
        if (expression) {
            if (!running)
                return E_UNEXPECTED;
            Text* kept = t.get();
            m_texts.push_back(std::move(t));
            Value value;
            HRESULT hr = Run(*kept, &value, info);
            if (SUCCEEDED(hr) && result)
                VariantCopy(result, &value);
            return hr;
        }
        Text* kept = t.get();
        m_texts.push_back(std::move(t));
        if (running && !(flags & SCRIPTTEXT_DELAYEXECUTION))
            return Run(*kept, nullptr, info);
        m_pending.push_back(kept);
        return S_OK;
    }

    // ---- Host ----
    IDispatch* FindItem(const std::string& lower) override
    {
        Item* item = FindByName(lower);
        if (!item || !(item->flags & SCRIPTITEM_ISVISIBLE))
            return nullptr;
        return ObjectOf(*item);
    }
    bool FindGlobalMember(const std::string& name, IDispatch** object, DISPID* dispid) override
    {
        for (auto& item : m_items) {
            if (!(item->flags & SCRIPTITEM_GLOBALMEMBERS))
                continue;
            IDispatch* d = ObjectOf(*item);
            if (!d)
                continue;
            std::string n = name;
            LPOLESTR names[] = {n.data()};
            if (SUCCEEDED(d->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, dispid))) {
                *object = d;
                return true;
            }
        }
        return false;
    }

    // An event from an item's sink.
    HRESULT FireEvent(const std::string& item, DISPID dispid, const IID& events, DISPPARAMS* params)
    {
        if (m_state != SCRIPTSTATE_CONNECTED || !m_runtime)
            return S_OK;
        std::string event;
        for (const automation::DispatchMember& m : automation::FindInterface(events))
            if (m.dispid == dispid)
                event = m.name;
        if (event.empty())
            return S_OK;
        std::string proc = item + "_" + Lower(event);
        if (!m_runtime->HasProc(proc))
            return S_OK;
        std::vector<Value> args;
        if (params)
            for (UINT i = params->cArgs; i > params->cNamedArgs; --i) {
                Value v;
                v.Copy(params->rgvarg[i - 1]);
                args.push_back(std::move(v));
            }
        Enter();
        HRESULT hr = S_OK;
        try {
            m_runtime->Call(proc, args, nullptr);
        } catch (RuntimeError& e) {
            ReportRuntime(e, nullptr);
            hr = S_OK;
        } catch (Interrupted&) {
            Interruption();
        } catch (std::bad_alloc&) {
            RuntimeError e{7, kRuntimeSource, ErrorText(7)};
            ReportRuntime(e, nullptr);
        }
        Leave();
        return hr;
    }

    // A call from the script dispatch object.
    HRESULT CallFromHost(const std::string& lower, std::vector<Value>& args, Value* result, EXCEPINFO* info)
    {
        if (!m_runtime || m_state == SCRIPTSTATE_CLOSED)
            return E_UNEXPECTED;
        if (!m_runtime->HasProc(lower)) {
            if (const Value* v = m_runtime->Global(lower)) {
                if (result)
                    *result = *v;
                return S_OK;
            }
            return DISP_E_MEMBERNOTFOUND;
        }
        Enter();
        HRESULT hr = S_OK;
        try {
            m_runtime->Call(lower, args, result);
        } catch (RuntimeError& e) {
            ReportRuntime(e, info);
            hr = info ? DISP_E_EXCEPTION : SCRIPT_E_REPORTED;
        } catch (Interrupted&) {
            Interruption();
            hr = E_ABORT;
        }
        Leave();
        return hr;
    }
    bool Knows(const std::string& lower) const
    {
        return m_runtime && (m_runtime->HasProc(lower) || m_runtime->Global(lower));
    }

    void SetBudget(uint64_t n)
    {
        if (m_runtime)
            m_runtime->budget = n;
    }
    uint64_t Executed() const { return m_runtime ? m_runtime->executed : 0; }

private:
    void ChangeState(SCRIPTSTATE state)
    {
        m_state = state;
        if (m_site)
            m_site->OnStateChange(state);
    }
    void Enter()
    {
        if (m_running++ == 0 && m_runtime && m_runtime->depth == 0) {}
        if (m_site)
            m_site->OnEnterScript();
    }
    void Leave()
    {
        if (m_site)
            m_site->OnLeaveScript();
        if (--m_running == 0 && m_runtime)
            m_runtime->interrupt = false;
    }

    HRESULT Run(Text& text, Value* value, EXCEPINFO* info)
    {
        Enter();
        HRESULT hr = S_OK;
        try {
            if (value)
                *value = m_runtime->EvalTop(*text.program);
            else
                m_runtime->RunTop(*text.program);
        } catch (RuntimeError& e) {
            if (!e.origin)
                e.origin = text.program.get();
            ReportRuntime(e, info);
            hr = SCRIPT_E_REPORTED;
        } catch (Interrupted&) {
            hr = Interruption();
        } catch (std::bad_alloc&) {
            RuntimeError e{7, kRuntimeSource, ErrorText(7)};
            e.origin = text.program.get();
            ReportRuntime(e, info);
            hr = SCRIPT_E_REPORTED;
        }
        Leave();
        return hr;
    }
    void RunPending()
    {
        while (!m_pending.empty() && m_runtime) {
            Text* t = m_pending.front();
            m_pending.erase(m_pending.begin());
            Run(*t, nullptr, nullptr);
            if (m_state == SCRIPTSTATE_CLOSED)
                return;
        }
    }
    HRESULT Interruption()
    {
        std::optional<ScriptError> error;
        {
            std::lock_guard<std::mutex> hold(m_interruptLock);
            error.swap(m_interruptError);
        }
        if (error && m_running <= 1) {
            Report(*error, 0, 0, nullptr);
            return SCRIPT_E_REPORTED;
        }
        return E_ABORT;
    }

    void ReportRuntime(const RuntimeError& r, EXCEPINFO* info)
    {
        ScriptError e;
        e.number = r.number;
        e.source = r.source;
        e.description = r.description;
        e.line = r.line;
        e.column = r.column;
        DWORD cookie = 0;
        ULONG first = 0;
        for (auto& t : m_texts)
            if (t->program.get() == r.origin) {
                cookie = t->cookie;
                first = t->firstLine;
                if (static_cast<size_t>(r.line) < t->program->lines.size())
                    e.lineText = t->program->lines[r.line];
            }
        Report(e, cookie, first, info);
    }
    void Report(const ScriptError& e, DWORD cookie, ULONG firstLine, EXCEPINFO* info)
    {
        if (info) {
            *info = EXCEPINFO{};
            info->wCode = e.number > 0 && e.number < 0x10000 ? static_cast<WORD>(e.number) : 0;
            info->scode = ErrorScode(e.number);
            info->bstrSource = Bstr(e.source);
            info->bstrDescription = Bstr(e.description);
        }
        if (!m_site)
            return;
        auto* record = new ScriptErrorRecord(e, cookie, firstLine);
        m_site->OnScriptError(record);
        record->Release();
    }
    static std::string LineOf(std::string_view text, int line)
    {
        size_t start = 0;
        for (int i = 0; i < line; ++i) {
            size_t n = text.find('\n', start);
            if (n == std::string_view::npos)
                return {};
            start = n + 1;
        }
        size_t end = text.find('\n', start);
        std::string_view l = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
        return std::string(l.substr(0, 1024));
    }

    Item* FindByName(const std::string& lower)
    {
        for (auto& item : m_items)
            if (item->lower == lower)
                return item.get();
        return nullptr;
    }
    IDispatch* ObjectOf(Item& item)
    {
        if (item.fetched)
            return item.object;
        if (!m_site)
            return nullptr;
        item.fetched = true;
        IUnknown* unknown = nullptr;
        if (FAILED(m_site->GetItemInfo(item.name.c_str(), SCRIPTINFO_IUNKNOWN, &unknown, nullptr)) || !unknown)
            return nullptr;
        void* d = nullptr;
        unknown->QueryInterface(IID_IDispatch, &d);
        unknown->Release();
        item.object = static_cast<IDispatch*>(d);
        return item.object;
    }
    void ReleaseObject(Item& item)
    {
        if (item.object)
            item.object->Release();
        item.object = nullptr;
        item.fetched = false;
    }

    void Bind()
    {
        for (auto& item : m_items)
            if ((item->flags & SCRIPTITEM_ISSOURCE) && !item->point)
                BindItem(*item);
    }
    void BindItem(Item& item)
    {
        IDispatch* object = ObjectOf(item);
        if (!object)
            return;
        IProvideClassInfo2* info = nullptr;
        IID events = GUID_NULL;
        if (SUCCEEDED(object->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info))) && info) {
            if (FAILED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)))
                events = GUID_NULL;
            info->Release();
        }
        if (events == GUID_NULL)
            return;
        IConnectionPointContainer* container = nullptr;
        if (FAILED(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) ||
            !container)
            return;
        IConnectionPoint* point = nullptr;
        container->FindConnectionPoint(events, &point);
        container->Release();
        if (!point)
            return;
        auto* sink = new EventSink(this, item.lower, events);
        DWORD cookie = 0;
        if (FAILED(point->Advise(static_cast<IDispatch*>(sink), &cookie))) {
            sink->engine = nullptr;
            sink->Release();
            point->Release();
            return;
        }
        item.sink = sink;
        item.point = point;
        item.cookie = cookie;
    }
    void UnbindItem(Item& item)
    {
        if (item.point) {
            item.point->Unadvise(item.cookie);
            item.point->Release();
            item.point = nullptr;
        }
        if (item.sink) {
            item.sink->engine = nullptr;
            item.sink->Release();
            item.sink = nullptr;
        }
    }
    void Unbind()
    {
        for (auto& item : m_items)
            UnbindItem(*item);
    }

    // Back to an engine without code: items stay named, their objects and
    // the code that was not persistent go.
    void Reset()
    {
        Unbind();
        for (auto& item : m_items)
            ReleaseObject(*item);
        if (m_running > 0) {
            m_runtime->interrupt = true;
            return;  // the running script ends first; its code stays meanwhile
        }
        DropDispatch();
        m_pending.clear();
        std::vector<std::unique_ptr<Text>> kept;
        for (auto& t : m_texts)
            if (t->persistent)
                kept.push_back(std::move(t));
        m_texts.clear();
        m_runtime = std::make_unique<Runtime>(*this);
        for (auto& t : kept) {
            m_runtime->Add(*t->program);
            m_pending.push_back(t.get());
            m_texts.push_back(std::move(t));
        }
    }
    void DropDispatch();
    void Shutdown()
    {
        Unbind();
        for (auto& item : m_items)
            ReleaseObject(*item);
        m_items.clear();
        DropDispatch();
        m_pending.clear();
        if (m_running == 0) {
            m_runtime.reset();
            m_texts.clear();
        }
        if (m_site) {
            IActiveScriptSite* site = m_site;
            m_site = nullptr;
            site->Release();
        }
    }

    IActiveScriptSite* m_site = nullptr;
    SCRIPTSTATE m_state = SCRIPTSTATE_UNINITIALIZED;
    std::vector<std::unique_ptr<Item>> m_items;
    std::vector<std::unique_ptr<Text>> m_texts;
    std::vector<Text*> m_pending;
    std::unique_ptr<Runtime> m_runtime;
    std::atomic<int> m_running{0};
    std::mutex m_interruptLock;
    std::optional<ScriptError> m_interruptError;

public:
    class ScriptDispatch* m_dispatch = nullptr;
};

HRESULT EventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (result)
        VariantInit(result);
    if (!engine)
        return S_OK;
    AddRef();  // the engine may let the sink go inside the event
    Engine* e = engine;
    e->AddRef();
    HRESULT hr = e->FireEvent(m_item, member, m_events, params);
    e->Release();
    Release();
    return hr;
}

// The script's procedures and globals as a dispatch object for the host.
class ScriptDispatch final : public PlainDispatch {
public:
    explicit ScriptDispatch(Engine* engine) : engine(engine) {}
    Engine* engine;
    std::vector<std::string> names;

    HRESULT GetIDsOfNames(REFIID, LPOLESTR* n, UINT count, LCID, DISPID* ids) override
    {
        if (!n || !ids || count == 0)
            return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        std::string lower = Lower(n[0] ? n[0] : "");
        if (!engine || !engine->Knows(lower))
            return DISP_E_UNKNOWNNAME;
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == lower) {
                ids[0] = static_cast<DISPID>(i + 1);
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
            }
        names.push_back(lower);
        ids[0] = static_cast<DISPID>(names.size());
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                   UINT*) override
    {
        if (result)
            VariantInit(result);
        if (!engine)
            return E_UNEXPECTED;
        if (member < 1 || static_cast<size_t>(member) > names.size())
            return DISP_E_MEMBERNOTFOUND;
        std::vector<Value> args;
        if (params)
            for (UINT i = params->cArgs; i > params->cNamedArgs; --i) {
                Value v;
                v.Copy(params->rgvarg[i - 1]);
                args.push_back(std::move(v));
            }
        Value r;
        Engine* e = engine;
        e->AddRef();
        AddRef();
        HRESULT hr = e->CallFromHost(names[member - 1], args, &r, info);
        Release();
        e->Release();
        if (SUCCEEDED(hr) && result)
            VariantCopy(result, &r);
        return hr;
    }
};

HRESULT Engine::GetScriptDispatch(LPCOLESTR, IDispatch** dispatch)
{
    if (!dispatch)
        return E_POINTER;
    *dispatch = nullptr;
    if (m_state == SCRIPTSTATE_CLOSED || !m_runtime)
        return E_UNEXPECTED;
    if (!m_dispatch)
        m_dispatch = new ScriptDispatch(this);
    m_dispatch->AddRef();
    *dispatch = m_dispatch;
    return S_OK;
}

void Engine::DropDispatch()
{
    if (m_dispatch) {
        m_dispatch->engine = nullptr;
        m_dispatch->Release();
        m_dispatch = nullptr;
    }
}

}  // namespace

IActiveScript* NewVBScriptEngine()
{
    return new Engine;
}

void RegisterVBScriptEngine()
{
    automation::RegisterClass(CLSID_VBScript, "VBScript",
                              [] { return static_cast<IUnknown*>(static_cast<IActiveScript*>(new Engine)); });
}

void SetStatementBudget(IActiveScript* engine, uint64_t statements)
{
    static_cast<Engine*>(engine)->SetBudget(statements);
}

uint64_t StatementsRun(IActiveScript* engine)
{
    return static_cast<Engine*>(engine)->Executed();
}

}  // namespace zk::script
