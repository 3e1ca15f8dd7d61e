// scriptbench: statements per second of a loop with integer arithmetic, a
// string append and a dispatch call (goal: 10^6 iterations within 1 s on
// one core), the parse time of 10,000 lines, and property calls per second
// on a member table and on a command target's dispatch map. Each figure is
// measured three times; min and median are printed.
#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/cmd_target.h"
#include "platform/dispatch.h"
#include "platform/script/active_script.h"

namespace {

using Clock = std::chrono::steady_clock;

// A host object with one property, the dispatch call of the loop.
class Counter final : public zk::automation::DispatchObject {
protected:
    zk::automation::DispatchTable Members() const override
    {
        static const zk::automation::DispatchMember members[] = {
            {"Value", DISPID_VALUE, zk::automation::MemberKind::Property, VTS_NONE, VT_I4, 0,
             [](DispatchObject& o, zk::automation::DispatchCall& call) {
                 call.Result().vt = VT_I4;
                 call.Result().lVal = static_cast<Counter&>(o).m_value;
                 return S_OK;
             },
             [](DispatchObject& o, zk::automation::DispatchCall& call) {
                 static_cast<Counter&>(o).m_value = call.Value().lVal;
                 return S_OK;
             }},
        };
        return members;
    }

private:
    LONG m_value = 0;
};

// The same property on a command target's dispatch map.
class CCounterTarget final : public CCmdTarget {
public:
    CCounterTarget()
    {
        EnableAutomation();
        DispPropertyId(
            "Value", DISPID_VALUE, VT_I4,
            [this](zk::automation::DispatchCall& call) {
                call.Result().vt = VT_I4;
                call.Result().lVal = m_value;
                return S_OK;
            },
            [this](zk::automation::DispatchCall& call) {
                m_value = call.Value().lVal;
                return S_OK;
            });
    }

private:
    LONG m_value = 0;
};

class Site final : public IActiveScriptSite, public zk::automation::RefCounted {
public:
    IDispatch* counter = new Counter;
    IDispatch* target = (new CCounterTarget)->GetIDispatch(FALSE);
    ~Site() override
    {
        counter->Release();
        target->Release();
    }
    HRESULT QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT GetItemInfo(LPCOLESTR name, DWORD, IUnknown** item, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        *item = strcasecmp(name, "Target") == 0 ? target : counter;
        (*item)->AddRef();
        return S_OK;
    }
    HRESULT GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT OnScriptError(IActiveScriptError* error) override
    {
        EXCEPINFO info{};
        error->GetExceptionInfo(&info);
        std::fprintf(stderr, "script error: %s\n", info.bstrDescription ? info.bstrDescription : "");
        zk::automation::ClearExcepInfo(&info);
        failed = true;
        return S_OK;
    }
    HRESULT OnEnterScript() override { return S_OK; }
    HRESULT OnLeaveScript() override { return S_OK; }
    bool failed = false;
};

// Seconds to parse (connected: false) or run a text; statements run.
double Measure(const std::string& text, bool run, uint64_t* statements)
{
    auto* site = new Site;
    IActiveScript* engine = zk::script::NewVBScriptEngine();
    IActiveScriptParse* parse = nullptr;
    engine->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&parse));
    engine->SetScriptSite(site);
    parse->InitNew();
    engine->AddNamedItem("Counter", SCRIPTITEM_ISVISIBLE);
    engine->AddNamedItem("Target", SCRIPTITEM_ISVISIBLE);
    if (run)
        engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    auto start = Clock::now();
    parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (statements)
        *statements = zk::script::StatementsRun(engine);
    engine->Close();
    parse->Release();
    engine->Release();
    if (site->failed)
        seconds = -1;
    site->Release();
    return seconds;
}

void Report(const char* what, std::vector<double> times, const char* unit, double scale)
{
    std::sort(times.begin(), times.end());
    std::printf("%-44s min %10.3f  median %10.3f %s\n", what, times[0] * scale, times[1] * scale, unit);
}

}  // namespace

int main()
{
    const std::string loop = "For i = 1 To 1000000\n"
                             "  x = x + i * 2 - 1\n"
                             "  s = \"item \" & i\n"
                             "  Counter.Value = i\n"
                             "Next\n";
    std::vector<double> loopTimes, rates;
    for (int i = 0; i < 3; ++i) {
        uint64_t statements = 0;
        double t = Measure(loop, true, &statements);
        if (t < 0)
            return 1;
        loopTimes.push_back(t);
        rates.push_back(statements / t);
    }
    Report("loop of 10^6 iterations (s)", loopTimes, "s", 1);
    std::sort(rates.begin(), rates.end());
    std::printf("%-44s min %10.0f  median %10.0f statements/s\n", "statements per second", rates[0], rates[1]);

    std::string lines;
    for (int i = 0; i < 10000; i += 5)
        lines += "Sub P" + std::to_string(i) +
            "(a, b)\n  If a > b Then x = a * 2 + b Else x = \"t\" & b\n  "
            "Counter.Value = Len(x)\n  For Each v In Array(1, 2) : y = y + v : Next\nEnd Sub\n";
    std::vector<double> parseTimes;
    for (int i = 0; i < 3; ++i)
        parseTimes.push_back(Measure(lines, false, nullptr));
    Report("parse of 10,000 lines (ms)", parseTimes, "ms", 1000);

    // A put and a get per iteration: 2 x 10^6 property calls.
    for (const char* item : {"Counter", "Target"}) {
        const std::string calls =
            std::string("For i = 1 To 1000000\n  ") + item + ".Value = i\n  x = " + item + ".Value\nNext\n";
        std::vector<double> callRates;
        for (int i = 0; i < 3; ++i) {
            double t = Measure(calls, true, nullptr);
            if (t < 0)
                return 1;
            callRates.push_back(2e6 / t);
        }
        std::sort(callRates.begin(), callRates.end());
        std::printf("%-44s min %10.0f  median %10.0f calls/s\n",
                    item == std::string("Counter") ? "property calls, member table" : "property calls, CCmdTarget map",
                    callRates[0], callRates[1]);
    }
    return 0;
}
