#include "interp.h"

#include <pthread.h>

#include <algorithm>

#include "platform/dispatch.h"

namespace zk::script {

namespace {

inline constexpr uint64_t kMaxArrayElements = uint64_t{1} << 22;
inline constexpr int kMaxDepth = 20000;

uintptr_t StackLimit()
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return 0;
    void* low = nullptr;
    size_t size = 0;
    pthread_attr_getstack(&attr, &low, &size);
    pthread_attr_destroy(&attr);
    const size_t margin = std::min<size_t>(size / 4, size_t{2} << 20);
    return reinterpret_cast<uintptr_t>(low) + margin;
}

const Value& ArgValue(const Arg& a)
{
    return a.ref ? *a.ref : a.value;
}

std::string Quoted(const std::string& text, const std::string& name)
{
    return text + ": '" + name + "'";
}

// Holds a reference for the length of a call.
struct Hold {
    explicit Hold(IUnknown* p) : p(p)
    {
        if (p)
            p->AddRef();
    }
    ~Hold()
    {
        if (p)
            p->Release();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    IUnknown* p;
};

}  // namespace

// The Err object: reads and writes the error state of the current entry.
// A script may keep it after its engine is gone; it then answers empty.
class ErrObject final : public automation::DispatchObject {
public:
    Runtime* rt = nullptr;

protected:
    const char* SourceName() const override { return "Err"; }
    automation::DispatchTable Members() const override
    {
        using automation::DispatchCall;
        using automation::DispatchMember;
        using automation::DispatchObject;
        using automation::MemberKind;
        static const DispatchMember members[] = {
            {"Number", DISPID_VALUE, MemberKind::Property, VTS_NONE, VT_I4, 0,
             [](DispatchObject& o, DispatchCall& call) {
                 Runtime* rt = static_cast<ErrObject&>(o).rt;
                 call.Result().vt = VT_I4;
                 call.Result().lVal = rt ? rt->Err().number : 0;
                 return S_OK;
             },
             [](DispatchObject& o, DispatchCall& call) {
                 if (Runtime* rt = static_cast<ErrObject&>(o).rt)
                     rt->Err().number = call.Value().lVal;
                 return S_OK;
             }},
            {"Description", 1, MemberKind::Property, VTS_NONE, VT_BSTR, 0,
             [](DispatchObject& o, DispatchCall& call) {
                 Runtime* rt = static_cast<ErrObject&>(o).rt;
                 const std::string& s = rt ? rt->Err().description : std::string();
                 call.Result().vt = VT_BSTR;
                 call.Result().bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
                 return S_OK;
             },
             [](DispatchObject& o, DispatchCall& call) {
                 if (Runtime* rt = static_cast<ErrObject&>(o).rt)
                     rt->Err().description = call.Text(0).empty()
                         ? std::string(call.Value().bstrVal ? call.Value().bstrVal : "",
                                       SysStringLen(call.Value().bstrVal))
                         : call.Text(0);
                 return S_OK;
             }},
            {"Source", 2, MemberKind::Property, VTS_NONE, VT_BSTR, 0,
             [](DispatchObject& o, DispatchCall& call) {
                 Runtime* rt = static_cast<ErrObject&>(o).rt;
                 const std::string& s = rt ? rt->Err().source : std::string();
                 call.Result().vt = VT_BSTR;
                 call.Result().bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
                 return S_OK;
             },
             [](DispatchObject& o, DispatchCall& call) {
                 if (Runtime* rt = static_cast<ErrObject&>(o).rt)
                     rt->Err().source.assign(call.Value().bstrVal ? call.Value().bstrVal : "",
                                             SysStringLen(call.Value().bstrVal));
                 return S_OK;
             }},
            {"Clear", 3, MemberKind::Method, VTS_NONE, VT_EMPTY, 0,
             [](DispatchObject& o, DispatchCall&) {
                 if (Runtime* rt = static_cast<ErrObject&>(o).rt)
                     rt->Err() = ErrState{};
                 return S_OK;
             }},
            {"HelpFile", 4, MemberKind::Property, VTS_NONE, VT_BSTR, 0,
             [](DispatchObject&, DispatchCall& call) {
                 call.Result().vt = VT_BSTR;
                 call.Result().bstrVal = SysAllocString("");
                 return S_OK;
             }},
            {"HelpContext", 5, MemberKind::Property, VTS_NONE, VT_I4, 0,
             [](DispatchObject&, DispatchCall& call) {
                 call.Result().vt = VT_I4;
                 call.Result().lVal = 0;
                 return S_OK;
             }},
            // Raise is served by the interpreter itself (it throws).
            {"Raise", 6, MemberKind::Method, VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT, VT_EMPTY, 4,
             [](DispatchObject&, DispatchCall&) { return E_UNEXPECTED; }},
        };
        return members;
    }
};

Runtime::Runtime(Host& host) : m_host(host), m_errObject(new ErrObject)
{
    m_errObject->rt = this;
}

Runtime::~Runtime()
{
    m_errObject->rt = nullptr;
    m_errObject->Release();
}

void Runtime::Add(Program& program)
{
    for (auto& p : program.procs) {
        p->program = &program;
        m_procs[p->lower] = p.get();
    }
    for (const std::string& g : program.globals)
        if (!m_globalIndex.count(g)) {
            m_globalIndex.emplace(g, m_globals.size());
            m_globals.emplace_back();
        }
}

const Value* Runtime::Global(const std::string& lower) const
{
    auto it = m_globalIndex.find(lower);
    return it == m_globalIndex.end() ? nullptr : &m_globals[it->second];
}

namespace {

// Saves and restores the interpreter's entry state around one entry.
struct Entry {
    Entry(Runtime& rt, uintptr_t& limit) : rt(rt)
    {
        if (rt.depth == 0 && !limit)
            limit = StackLimit();
    }
    Runtime& rt;
};

}  // namespace

void Runtime::RunTop(Program& program)
{
    Entry entry(*this, m_stackLimit);
    Frame frame;
    frame.explicitVars = program.explicitVars;
    frame.program = &program;
    Frame* saved = m_frame;
    ErrState err;
    ErrState* savedErr = m_err;
    m_frame = &frame;
    m_err = &err;
    try {
        Exec(program.top);
    } catch (...) {
        m_frame = saved;
        m_err = savedErr;
        throw;
    }
    m_frame = saved;
    m_err = savedErr;
}

Value Runtime::EvalTop(Program& program)
{
    Entry entry(*this, m_stackLimit);
    Frame frame;
    frame.program = &program;
    Frame* saved = m_frame;
    ErrState err;
    ErrState* savedErr = m_err;
    m_frame = &frame;
    m_err = &err;
    Value result;
    try {
        Stmt& st = *program.top.at(0);
        try {
            result = Eval(*st.value);
        } catch (RuntimeError& e) {
            if (!e.positioned) {
                e.positioned = true;
                e.line = st.line;
                e.column = st.col;
            }
            throw;
        }
    } catch (...) {
        m_frame = saved;
        m_err = savedErr;
        throw;
    }
    m_frame = saved;
    m_err = savedErr;
    return result;
}

bool Runtime::Call(const std::string& lower, std::vector<Value>& values, Value* result)
{
    auto it = m_procs.find(lower);
    if (it == m_procs.end())
        return false;
    Entry entry(*this, m_stackLimit);
    std::vector<Arg> args(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        args[i].value = values[i];
    ErrState err;
    ErrState* savedErr = m_err;
    Frame* saved = m_frame;
    m_err = &err;
    try {
        Value r = CallProc(*it->second, args, nullptr);
        if (result)
            *result = std::move(r);
    } catch (RuntimeError& e) {
        if (!e.positioned) {
            e.positioned = true;
            e.line = it->second->line;
            e.origin = it->second->program;
        }
        m_err = savedErr;
        m_frame = saved;
        throw;
    } catch (...) {
        m_err = savedErr;
        m_frame = saved;
        throw;
    }
    m_err = savedErr;
    m_frame = saved;
    return true;
}

void Runtime::CheckStack()
{
    if (depth >= kMaxDepth)
        Throw(28);
    auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (m_stackLimit && here < m_stackLimit)
        Throw(28);
}

Runtime::Flow Runtime::Exec(Block& block)
{
    for (auto& st : block) {
        Flow f = ExecOne(*st);
        if (f != Flow::Normal)
            return f;
    }
    return Flow::Normal;
}

void Runtime::Check(Stmt&)
{
    ++executed;
    if (interrupt.load(std::memory_order_relaxed) || (budget && executed > budget))
        throw Interrupted{};
}

bool Runtime::Truth(Expr& e)
{
    Value v = Eval(e);
    if (v.vt == VT_BOOL)
        return v.boolVal != 0;
    if (v.vt == VT_NULL)
        return false;
    return ToBool(v);
}

Runtime::Flow Runtime::ExecOne(Stmt& st)
{
    Check(st);
    try {
        switch (st.kind) {
        case StmtKind::Assign: Assign(*st.target, Eval(*st.value), false); break;
        case StmtKind::Set: Assign(*st.target, Eval(*st.value), true); break;
        case StmtKind::Call: {
            Expr& callee = *st.value;
            if (callee.kind == ExprKind::Call) {  // "Call f(a)": the arguments are inside
                if (!st.args.empty())
                    Throw(450);
                EvalCall(callee);
                break;
            }
            if (callee.kind == ExprKind::Member) {
                std::vector<Arg> args = EvalArgs(st.args);
                EvalMember(callee, &args, nullptr, false);
                break;
            }
            if (callee.kind != ExprKind::Name) {
                Eval(callee);
                break;
            }
            // A name: a procedure, a global member, a builtin, or an
            // object variable's default member.
            std::vector<Arg> args = EvalArgs(st.args);
            auto it = m_procs.find(callee.lower);
            Value* var = FindVariable(callee);
            if (!var && it != m_procs.end()) {
                CallProc(*it->second, args, &callee);
                break;
            }
            if (var) {
                if (!var->IsObject())
                    Throw(13, Quoted("Type mismatch", callee.name));
                Value object = *var;
                InvokeObject(object, {}, DISPID_VALUE, DISPATCH_METHOD, args, nullptr);
                break;
            }
            IDispatch* object = nullptr;
            DISPID dispid = 0;
            if (IDispatch* item = m_host.FindItem(callee.lower)) {
                InvokeObject(Value::Object(item), {}, DISPID_VALUE, DISPATCH_METHOD, args, nullptr);
                break;
            }
            if (m_host.FindGlobalMember(callee.name, &object, &dispid)) {
                InvokeObject(Value::Object(object), {}, dispid, DISPATCH_METHOD, args, nullptr);
                break;
            }
            int id = FindBuiltin(callee.lower);
            if (id >= 0) {
                CallBuiltin(id, args, callee);
                break;
            }
            Throw(13, Quoted("Type mismatch", callee.name));
        }
        case StmtKind::If:
            for (Branch& b : st.branches)
                if (b.isElse || Truth(*b.cond))
                    return Exec(b.body);
            break;
        case StmtKind::Select: {
            Value subject = Eval(*st.value);
            for (Branch& b : st.branches)
                if (b.isElse || SelectMatches(subject, b))
                    return Exec(b.body);
            break;
        }
        case StmtKind::For: return For(st);
        case StmtKind::ForEach: return ForEach(st);
        case StmtKind::Do:
        case StmtKind::While:
            for (;;) {
                if (!st.flag && st.value) {
                    bool c = Truth(*st.value);
                    if (st.until ? c : !c)
                        break;
                }
                Flow f = Exec(st.body);
                if (f == Flow::ExitDo && st.kind == StmtKind::Do)
                    break;
                if (f != Flow::Normal)
                    return f;
                if (st.flag) {
                    bool c = Truth(*st.value);
                    if (st.until ? c : !c)
                        break;
                }
                Check(st);
            }
            break;
        case StmtKind::Exit:
            switch (st.exit) {
            case ExitKind::For: return Flow::ExitFor;
            case ExitKind::Do: return Flow::ExitDo;
            default: *m_err = ErrState{}; return Flow::ExitProc;
            }
        case StmtKind::Dim:
        case StmtKind::ReDim:
            for (DimItem& d : st.dims) {
                Value* v = Variable(*d.target, true);
                if (st.kind == StmtKind::Dim && d.array && d.dims.empty()) {
                    // "Dim a()": a dynamic array without elements until ReDim.
                    SAFEARRAY* none = SafeArrayCreateVector(VT_VARIANT, 0, 0);
                    if (!none)
                        Throw(7);
                    v->Clear();
                    v->vt = VT_ARRAY | VT_VARIANT;
                    v->parray = none;
                    continue;
                }
                if (st.kind == StmtKind::ReDim || !d.dims.empty()) {
                    if (st.kind == StmtKind::ReDim && v->IsArray() && v->parray && (v->parray->fFeatures & 0x0010))
                        Throw(10);
                    DimArray(*v, d.dims, st.flag);
                    if (st.kind == StmtKind::Dim)
                        Variable(*d.target, true)->parray->fFeatures |= 0x0010;  // fixed size
                }
            }
            break;
        case StmtKind::Const:
            for (DimItem& d : st.dims)
                Assign(*d.target, Eval(*d.dims[0]), false);
            break;
        case StmtKind::OnErrorResume:
            m_frame->resumeNext = true;
            *m_err = ErrState{};
            break;
        case StmtKind::OnErrorGoto0:
            m_frame->resumeNext = false;
            *m_err = ErrState{};
            break;
        case StmtKind::Erase: {
            Value* v = Variable(*st.target, false);
            if (!v || !v->IsArray())
                Throw(13);
            if (v->parray && (v->parray->fFeatures & 0x0010)) {
                ULONG count = 1;
                for (USHORT i = 0; i < v->parray->cDims; ++i)
                    count *= v->parray->rgsabound[i].cElements;
                auto* data = static_cast<VARIANT*>(v->parray->pvData);
                for (ULONG i = 0; i < count; ++i)
                    VariantClear(&data[i]);
            } else {
                v->Clear();
            }
            break;
        }
        }
    } catch (RuntimeError& e) {
        if (!e.positioned) {
            e.positioned = true;
            e.line = st.line;
            e.column = st.col;
            e.origin = m_frame->program;
        }
        if (!m_frame->resumeNext)
            throw;
        m_err->number = e.number;
        m_err->source = e.source;
        m_err->description = e.description;
    }
    return Flow::Normal;
}

bool Runtime::SelectMatches(const Value& subject, Branch& b)
{
    for (CaseItem& item : b.items) {
        Value a = Eval(*item.a);
        switch (item.kind) {
        case CaseItem::Single:
            if (Compare(subject, a) == 0)
                return true;
            break;
        case CaseItem::Range: {
            Value hi = Eval(*item.b);
            int lo = Compare(subject, a), up = Compare(subject, hi);
            if (lo != 2 && up != 2 && lo >= 0 && up <= 0)
                return true;
            break;
        }
        case CaseItem::Is: {
            Value r = Binary(item.op, subject, a);
            if (r.vt == VT_BOOL && r.boolVal)
                return true;
            break;
        }
        }
    }
    return false;
}

Runtime::Flow Runtime::For(Stmt& st)
{
    Value start = Eval(*st.value);
    Value end = Eval(*st.to);
    Value step = st.step ? Eval(*st.step) : Value::Int(1);
    if (start.IsObject())
        start = Deref(start);
    if (end.IsObject())
        end = Deref(end);
    if (step.IsObject())
        step = Deref(step);
    ToDouble(start), ToDouble(end);
    const bool up = ToDouble(step) >= 0;
    // The counter takes the widest type of its start, end and step.
    Value zero = Value::Int(0);
    Value widest = Binary(Op::Add, Binary(Op::Add, Binary(Op::Mul, start, zero), Binary(Op::Mul, end, zero)),
                          Binary(Op::Mul, step, zero));
    Value counter = start.vt == VT_BSTR ? Value::Dbl(ToDouble(start)) : start;
    counter = Binary(Op::Add, counter, widest);
    Assign(*st.target, std::move(counter), false);
    for (;;) {
        Value* var = Variable(*st.target, true);
        int c = Compare(*var, end);
        if (c == 2 || (up ? c > 0 : c < 0))
            break;
        Flow f = Exec(st.body);
        if (f == Flow::ExitFor)
            break;
        if (f != Flow::Normal)
            return f;
        var = Variable(*st.target, true);
        *var = Binary(Op::Add, *var, step);
        Check(st);  // an empty body or a zero step still heeds interrupts
    }
    return Flow::Normal;
}

namespace {

struct EnumHold {
    IEnumVARIANT* e = nullptr;
    ~EnumHold()
    {
        if (e)
            e->Release();
    }
};

}  // namespace

Runtime::Flow Runtime::ForEach(Stmt& st)
{
    Value group = Eval(*st.value);
    if (group.IsArray()) {
        std::vector<Value> items;
        if (group.parray) {
            ULONG count = 1;
            for (USHORT i = 0; i < group.parray->cDims; ++i)
                count *= group.parray->rgsabound[i].cElements;
            auto* data = static_cast<VARIANT*>(group.parray->pvData);
            items.resize(count);
            for (ULONG i = 0; i < count; ++i)
                items[i].Copy(data[i]);
        }
        for (Value& item : items) {
            Assign(*st.target, std::move(item), item.IsObject());
            Flow f = Exec(st.body);
            if (f == Flow::ExitFor)
                break;
            if (f != Flow::Normal)
                return f;
        }
        return Flow::Normal;
    }
    if (!group.IsObject() || !group.punkVal)
        Throw(451);
    std::vector<Arg> none;
    Value enumerator;
    try {
        enumerator = InvokeObject(group, {}, DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, nullptr);
    } catch (RuntimeError&) {
        Throw(451);
    }
    EnumHold hold;
    if (!enumerator.IsObject() || !enumerator.punkVal ||
        FAILED(enumerator.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&hold.e))))
        Throw(451);
    for (;;) {
        Value item;
        ULONG fetched = 0;
        if (hold.e->Next(1, &item, &fetched) != S_OK || fetched != 1)
            break;
        const bool isObject = item.IsObject();
        Assign(*st.target, std::move(item), isObject);
        Flow f = Exec(st.body);
        if (f == Flow::ExitFor)
            break;
        if (f != Flow::Normal)
            return f;
        Check(st);
    }
    return Flow::Normal;
}

Value* Runtime::FindVariable(Expr& e)
{
    if (e.bind == BindKind::Local)
        return m_frame->refs[e.slot];
    if (e.bind == BindKind::Global)
        return &m_globals[e.slot];
    if (Proc* p = m_frame->proc) {
        if (p->isFunction && e.lower == p->lower)
            return m_frame->refs[0];
        auto it = p->locals.find(e.lower);
        if (it != p->locals.end() && p->declared[it->second]) {
            e.bind = BindKind::Local;
            e.slot = it->second;
            return m_frame->refs[e.slot];
        }
    }
    auto g = m_globalIndex.find(e.lower);
    if (g != m_globalIndex.end()) {
        e.bind = BindKind::Global;
        e.slot = g->second;
        return &m_globals[e.slot];
    }
    return nullptr;
}

Value* Runtime::Variable(Expr& e, bool create)
{
    if (Value* v = FindVariable(e))
        return v;
    Proc* p = m_frame->proc;
    if (p) {
        auto it = p->locals.find(e.lower);
        if (it != p->locals.end()) {
            if (!create || !(p->explicitVars))
                return m_frame->refs[it->second];
        }
    }
    if (!create)
        return nullptr;
    if (m_procs.count(e.lower) || m_host.FindItem(e.lower))
        Throw(501);
    if (p ? p->explicitVars : m_frame->explicitVars)
        Throw(500, Quoted("Variable is undefined", e.name));
    if (p)
        Throw(500, Quoted("Variable is undefined", e.name));
    m_globalIndex.emplace(e.lower, m_globals.size());
    m_globals.emplace_back();
    e.bind = BindKind::Global;
    e.slot = m_globals.size() - 1;
    return &m_globals.back();
}

Value Runtime::Eval(Expr& e)
{
    switch (e.kind) {
    case ExprKind::Literal: return e.literal;
    case ExprKind::Name: return EvalName(e);
    case ExprKind::Paren: return Eval(*e.a);
    case ExprKind::Missing: return Value::Missing();
    case ExprKind::Unary: return Unary(e.op, Eval(*e.a));
    case ExprKind::Binary: {
        Value a = Eval(*e.a);
        Value b = Eval(*e.b);
        if (e.op == Op::Add && a.vt == VT_I4 && b.vt == VT_I4) {
            int64_t r = int64_t(a.lVal) + b.lVal;
            if (r >= INT32_MIN && r <= INT32_MAX)
                return Value::Long(static_cast<int32_t>(r));
        }
        return Binary(e.op, a, b);
    }
    case ExprKind::Member: return EvalMember(e, nullptr, nullptr, false);
    case ExprKind::Call: return EvalCall(e);
    }
    return Value();
}

Value Runtime::EvalName(Expr& e)
{
    if (Value* v = FindVariable(e))
        return *v;
    auto it = m_procs.find(e.lower);
    if (it != m_procs.end()) {
        std::vector<Arg> none;
        return CallProc(*it->second, none, &e);
    }
    if (IDispatch* item = m_host.FindItem(e.lower))
        return Value::Object(item);
    IDispatch* object = nullptr;
    DISPID dispid = 0;
    if (m_host.FindGlobalMember(e.name, &object, &dispid)) {
        std::vector<Arg> none;
        return InvokeObject(Value::Object(object), {}, dispid, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, nullptr);
    }
    if (e.lower == "err")
        return Value::Object(m_errObject);
    int id = FindBuiltin(e.lower);
    if (id >= 0) {
        std::vector<Arg> none;
        return CallBuiltin(id, none, e);
    }
    if (Proc* p = m_frame->proc) {
        auto l = p->locals.find(e.lower);
        if (l != p->locals.end() && !p->explicitVars)
            return *m_frame->refs[l->second];
    }
    if (m_frame->proc ? m_frame->proc->explicitVars : m_frame->explicitVars)
        Throw(500, Quoted("Variable is undefined", e.name));
    return Value();
}

Arg::~Arg()
{
    if (array && array->IsArray() && array->parray)
        SafeArrayPutElement(array->parray, indices.data(), &value);
}

std::vector<Arg> Runtime::EvalArgs(std::vector<ExprPtr>& exprs)
{
    std::vector<Arg> args(exprs.size());
    for (size_t i = 0; i < exprs.size(); ++i) {
        Expr& x = *exprs[i];
        if (x.kind == ExprKind::Call && x.a->kind == ExprKind::Name) {
            Value* var = FindVariable(*x.a);
            if (var && var->IsArray() && var->parray && x.args.size() == var->parray->cDims) {
                std::vector<Arg> at = EvalArgs(x.args);
                Value element = Index(*var, at);
                var = FindVariable(*x.a);  // the indices may have run code
                if (var && var->IsArray()) {
                    args[i].value = std::move(element);
                    args[i].ref = &args[i].value;
                    args[i].indices.resize(at.size());
                    for (size_t k = 0; k < at.size(); ++k)
                        args[i].indices[k] = ToLong(at[k].ref ? *at[k].ref : at[k].value);
                    args[i].array = var;
                    continue;
                }
            }
        }
        if (x.kind == ExprKind::Name) {
            if (Value* v = FindVariable(x)) {
                args[i].ref = v;
                continue;
            }
            if (!m_procs.count(x.lower) && !m_host.FindItem(x.lower) && FindBuiltin(x.lower) < 0) {
                if (Proc* p = m_frame->proc) {
                    auto l = p->locals.find(x.lower);
                    if (l != p->locals.end() && !p->explicitVars) {
                        IDispatch* o;
                        DISPID d;
                        if (!m_host.FindGlobalMember(x.name, &o, &d)) {
                            args[i].ref = m_frame->refs[l->second];
                            continue;
                        }
                    }
                }
            }
        }
        args[i].value = Eval(x);
    }
    return args;
}

Value Runtime::EvalCall(Expr& e)
{
    Expr& callee = *e.a;
    if (callee.kind == ExprKind::Member) {
        std::vector<Arg> args = EvalArgs(e.args);
        return EvalMember(callee, &args, nullptr, false);
    }
    if (callee.kind != ExprKind::Name) {
        Value target = Eval(callee);
        std::vector<Arg> args = EvalArgs(e.args);
        if (target.IsArray())
            return Index(target, args);
        if (target.IsObject())
            return InvokeObject(target, {}, DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr);
        Throw(13);
    }
    Value* var = FindVariable(callee);
    Proc* self = m_frame->proc;
    if (var && self && self->isFunction && callee.lower == self->lower)
        var = nullptr;  // "f(x)" inside f calls f
    std::vector<Arg> args = EvalArgs(e.args);
    if (var) {
        if (var->IsArray())
            return Index(*var, args);
        if (var->IsObject()) {
            Value object = *var;
            return InvokeObject(object, {}, DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr);
        }
        Throw(13, Quoted("Type mismatch", callee.name));
    }
    auto it = m_procs.find(callee.lower);
    if (it != m_procs.end())
        return CallProc(*it->second, args, &callee);
    if (IDispatch* item = m_host.FindItem(callee.lower))
        return InvokeObject(Value::Object(item), {}, DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args,
                            nullptr);
    IDispatch* object = nullptr;
    DISPID dispid = 0;
    if (m_host.FindGlobalMember(callee.name, &object, &dispid))
        return InvokeObject(Value::Object(object), {}, dispid, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr);
    int id = FindBuiltin(callee.lower);
    if (id >= 0)
        return CallBuiltin(id, args, callee);
    if (self) {
        auto l = self->locals.find(callee.lower);
        if (l != self->locals.end() && !self->explicitVars) {
            Value& v = *m_frame->refs[l->second];
            if (v.IsArray())
                return Index(v, args);
        }
    }
    Throw(13, Quoted("Type mismatch", callee.name));
}

Value Runtime::EvalMember(Expr& e, std::vector<Arg>* args, const Value* put, bool putRef)
{
    Value object = Eval(*e.a);
    std::vector<Arg> none;
    std::vector<Arg>& a = args ? *args : none;
    if (object.IsObject() && object.punkVal == static_cast<IUnknown*>(static_cast<IDispatch*>(m_errObject)) && !put) {
        if (e.lower == "raise") {
            if (a.empty() || ArgValue(a[0]).vt == VT_ERROR)
                Throw(450);
            int32_t number = ToLong(ArgValue(a[0]));
            std::string source = a.size() > 1 && ArgValue(a[1]).vt != VT_ERROR ? ToStr(ArgValue(a[1])) : "";
            std::string text = a.size() > 2 && ArgValue(a[2]).vt != VT_ERROR ? ToStr(ArgValue(a[2])) : "";
            if (number == 0)
                Throw(5);
            if (source.empty())
                source = kRuntimeSource;
            if (text.empty())
                text = ErrorText(number);
            if (text.empty())
                text = "Unknown runtime error";
            throw RuntimeError{number, source, text};
        }
    }
    WORD flags =
        put ? (putRef ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT) : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    return InvokeObject(object, e.name, 0, flags, a, put);
}

Value Runtime::InvokeObject(const Value& object, const std::string& name, DISPID dispid, WORD flags,
                            std::vector<Arg>& args, const Value* put)
{
    if (!object.IsObject())
        Throw(424, name.empty() ? std::string() : Quoted(ErrorText(424), name));
    if (!object.punkVal)
        Throw(424, name.empty() ? std::string() : Quoted(ErrorText(424), name));
    IDispatch* d = nullptr;
    if (object.vt == VT_DISPATCH) {
        d = object.pdispVal;
        d->AddRef();
    } else if (FAILED(object.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d))) || !d) {
        Throw(438);
    }
    Hold hold(d);
    d->Release();  // the hold keeps it for the call
    if (!name.empty()) {
        std::string n = name;
        LPOLESTR names[] = {n.data()};
        if (FAILED(d->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid)))
            Throw(438, Quoted(ErrorText(438), name));
    }
    const size_t extra = put ? 1 : 0;
    std::vector<VARIANT> argv(args.size() + extra);
    DISPID named = DISPID_PROPERTYPUT;
    for (size_t i = 0; i < args.size(); ++i) {
        VARIANT& slot = argv[extra + args.size() - 1 - i];
        if (args[i].ref) {
            slot.vt = VT_BYREF | VT_VARIANT;
            slot.pvarVal = args[i].ref;
        } else {
            slot = args[i].value;
        }
    }
    if (put)
        argv[0] = *put;
    DISPPARAMS params{argv.data(), put ? &named : nullptr, static_cast<UINT>(argv.size()), put ? 1u : 0u};
    Value result;
    EXCEPINFO info{};
    UINT argErr = 0;
    HRESULT hr =
        d->Invoke(dispid, GUID_NULL, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : &result, &info, &argErr);
    if (SUCCEEDED(hr))
        return result;
    // Take this thread's error information so that it does not outlive the call.
    IErrorInfo* errorInfo = nullptr;
    std::string infoText;
    if (GetErrorInfo(0, &errorInfo) == S_OK && errorInfo) {
        BSTR d = nullptr;
        if (SUCCEEDED(errorInfo->GetDescription(&d)) && d)
            infoText.assign(d, SysStringLen(d));
        SysFreeString(d);
        errorInfo->Release();
    }
    std::string source = info.bstrSource ? std::string(info.bstrSource, SysStringLen(info.bstrSource)) : "";
    std::string text =
        info.bstrDescription ? std::string(info.bstrDescription, SysStringLen(info.bstrDescription)) : "";
    SCODE code = info.scode ? info.scode : (info.wCode ? ErrorScode(info.wCode) : hr);
    automation::ClearExcepInfo(&info);
    if (text.empty())
        text = infoText;
    if (hr == DISP_E_EXCEPTION) {
        if ((static_cast<uint32_t>(code) & 0xFFFF0000u) == 0x800A0000u)
            code &= 0xFFFF;  // the language's own number
        ThrowMember(code, source, text);
    }
    switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: Throw(438, name.empty() ? std::string() : Quoted(ErrorText(438), name));
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_NONAMEDARGS: Throw(450);
    case DISP_E_TYPEMISMATCH: Throw(13);
    case DISP_E_OVERFLOW: Throw(6);
    case DISP_E_BADINDEX: Throw(9);
    case DISP_E_PARAMNOTOPTIONAL: Throw(449);
    case E_OUTOFMEMORY: Throw(7);
    default: break;
    }
    if ((static_cast<uint32_t>(hr) & 0xFFFF0000u) == 0x800A0000u)
        Throw(hr & 0xFFFF);
    ThrowMember(hr, kRuntimeSource, text);
}

Value Runtime::CallProc(Proc& proc, std::vector<Arg>& args, const Expr*)
{
    if (args.size() != proc.params.size())
        Throw(450, Quoted(ErrorText(450), proc.name));
    CheckStack();
    Frame f;
    f.proc = &proc;
    f.program = proc.program;
    f.explicitVars = proc.explicitVars;
    f.own.resize(proc.slots);
    f.refs.resize(proc.slots);
    for (size_t i = 0; i < proc.slots; ++i)
        f.refs[i] = &f.own[i];
    for (size_t i = 0; i < args.size(); ++i) {
        const size_t slot = i + 1;
        if (args[i].ref && !proc.params[i].byVal)
            f.refs[slot] = args[i].ref;
        else if (args[i].ref)
            f.own[slot] = *args[i].ref;
        else
            f.own[slot] = std::move(args[i].value);
    }
    Frame* saved = m_frame;
    m_frame = &f;
    ++depth;
    try {
        Exec(proc.body);
    } catch (...) {
        m_frame = saved;
        --depth;
        throw;
    }
    m_frame = saved;
    --depth;
    return std::move(f.own[0]);
}

void Runtime::Assign(Expr& target, Value value, bool isSet)
{
    if (isSet) {
        if (!value.IsObject())
            Throw(424);
    } else if (value.IsObject()) {
        value = Deref(value);
    }
    if (value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND)
        value.Clear();
    switch (target.kind) {
    case ExprKind::Name: {
        if (Value* v = FindVariable(target)) {
            *v = std::move(value);
            return;
        }
        IDispatch* object = nullptr;
        DISPID dispid = 0;
        if (!m_procs.count(target.lower) && m_host.FindGlobalMember(target.name, &object, &dispid)) {
            std::vector<Arg> none;
            InvokeObject(Value::Object(object), {}, dispid, isSet ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT,
                         none, &value);
            return;
        }
        *Variable(target, true) = std::move(value);
        return;
    }
    case ExprKind::Member: EvalMember(target, nullptr, &value, isSet); return;
    case ExprKind::Call: AssignIndexed(target, std::move(value), isSet); return;
    default: Throw(501);
    }
}

void Runtime::AssignIndexed(Expr& call, Value value, bool isSet)
{
    Expr& callee = *call.a;
    std::vector<Arg> args = EvalArgs(call.args);
    if (callee.kind == ExprKind::Member) {
        EvalMember(callee, &args, &value, isSet);
        return;
    }
    if (callee.kind != ExprKind::Name)
        Throw(501);
    Value* var = FindVariable(callee);
    if (!var && m_frame->proc) {
        auto l = m_frame->proc->locals.find(callee.lower);
        if (l != m_frame->proc->locals.end() && !m_procs.count(callee.lower))
            var = m_frame->refs[l->second];
    }
    if (var && var->IsArray()) {
        if (!var->parray || args.size() != var->parray->cDims)
            Throw(9);
        std::vector<LONG> idx(args.size());
        for (size_t i = 0; i < args.size(); ++i)
            idx[i] = ToLong(ArgValue(args[i]));
        HRESULT hr = SafeArrayPutElement(var->parray, idx.data(), &value);
        if (FAILED(hr))
            Throw(hr == DISP_E_BADINDEX ? 9 : 13);
        return;
    }
    if (var && var->IsObject()) {
        Value object = *var;
        InvokeObject(object, {}, DISPID_VALUE, isSet ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, args, &value);
        return;
    }
    if (var)
        Throw(13, Quoted("Type mismatch", callee.name));
    IDispatch* object = nullptr;
    DISPID dispid = 0;
    if (IDispatch* item = m_host.FindItem(callee.lower)) {
        InvokeObject(Value::Object(item), {}, DISPID_VALUE, isSet ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT,
                     args, &value);
        return;
    }
    if (m_host.FindGlobalMember(callee.name, &object, &dispid)) {
        InvokeObject(Value::Object(object), {}, dispid, isSet ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, args,
                     &value);
        return;
    }
    if (m_procs.count(callee.lower) || FindBuiltin(callee.lower) >= 0)
        Throw(501);
    Throw(13, Quoted("Type mismatch", callee.name));
}

Value Runtime::Index(const Value& array, std::vector<Arg>& args)
{
    if (!array.parray || args.size() != array.parray->cDims)
        Throw(9);
    std::vector<LONG> idx(args.size());
    for (size_t i = 0; i < args.size(); ++i)
        idx[i] = ToLong(ArgValue(args[i]));
    Value r;
    HRESULT hr = SafeArrayGetElement(array.parray, idx.data(), &r);
    if (FAILED(hr))
        Throw(hr == DISP_E_BADINDEX ? 9 : 13);
    return r;
}

void Runtime::DimArray(Value& target, std::vector<ExprPtr>& dims, bool preserve)
{
    std::vector<SAFEARRAYBOUND> bounds(dims.size());
    uint64_t total = 1;
    for (size_t i = 0; i < dims.size(); ++i) {
        int32_t upper = ToLong(Eval(*dims[i]));
        if (upper < -1)
            Throw(9);
        bounds[i].lLbound = 0;
        bounds[i].cElements = static_cast<ULONG>(upper + 1);
        total *= bounds[i].cElements;
        if (total > kMaxArrayElements)
            Throw(7);
    }
    if (bounds.empty() || bounds.size() > 60)
        Throw(9);
    SAFEARRAY* created = SafeArrayCreate(VT_VARIANT, static_cast<UINT>(bounds.size()), bounds.data());
    if (!created)
        Throw(7);
    Value fresh;
    fresh.vt = VT_ARRAY | VT_VARIANT;
    fresh.parray = created;
    if (preserve && target.IsArray() && target.parray) {
        SAFEARRAY* old = target.parray;
        if (old->cDims != bounds.size())
            Throw(9);
        for (size_t d = 0; d + 1 < bounds.size(); ++d)
            if (old->rgsabound[bounds.size() - 1 - d].cElements != bounds[d].cElements)
                Throw(9);
        // Walk every index both arrays share.
        std::vector<LONG> idx(bounds.size(), 0);
        std::vector<ULONG> limit(bounds.size());
        for (size_t d = 0; d < bounds.size(); ++d)
            limit[d] = std::min(bounds[d].cElements, old->rgsabound[bounds.size() - 1 - d].cElements);
        bool any = std::all_of(limit.begin(), limit.end(), [](ULONG n) { return n > 0; });
        while (any) {
            Value v;
            if (SUCCEEDED(SafeArrayGetElement(old, idx.data(), &v)))
                SafeArrayPutElement(created, idx.data(), &v);
            size_t d = bounds.size();
            while (d > 0) {
                --d;
                if (static_cast<ULONG>(++idx[d]) < limit[d])
                    break;
                idx[d] = 0;
                if (d == 0)
                    any = false;
            }
        }
    }
    target = std::move(fresh);
}

}  // namespace zk::script
