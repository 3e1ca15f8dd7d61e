// Scripts call command targets through their dispatch maps: properties read
// and assigned, methods with arguments, the default member, and errors
// raised by a member reaching the script's Err object.
#include <gtest/gtest.h>

#include "platform/cmd_target.h"
#include "platform/dispatch.h"
#include "test_site.h"

namespace zk::script::testing {
namespace {

using automation::DispatchCall;

class CRegisterFile : public CCmdTarget {
public:
    CRegisterFile()
    {
        EnableAutomation();
        DispProperty(
            "PC", VT_I4, [this](DispatchCall& c) { return Long(c, pc); },
            [this](DispatchCall& c) {
                pc = c.Value().lVal;
                return S_OK;
            });
        DispMethod("Step", VT_I4, VTS_I4, [this](DispatchCall& c) {
            if (c.I4(0) < 0)
                return c.Raise(hresult(0x800A0005), "Invalid procedure call or argument");
            pc += 4 * c.I4(0);
            return Long(c, pc);
        });
        DispMethodId("Reg", DISPID_VALUE, VT_I4, VTS_I4, [](DispatchCall& c) { return Long(c, 100 + c.I4(0)); });
    }
    static HRESULT Long(DispatchCall& c, LONG v)
    {
        c.Result().vt = VT_I4;
        c.Result().lVal = v;
        return S_OK;
    }
    LONG pc = 0x8000;
};

TEST(CmdTargetScript, ScriptReadsAssignsAndCallsMembersOfACommandTarget)
{
    const long live = automation::LiveObjects();
    auto* regs = new CRegisterFile;
    const RunResult r = RunScriptWith("Out.Print Hex(Regs.PC)\n"
                                      "Regs.PC = &H100\n"
                                      "Out.Print Hex(Regs.Step(3)) & \" \" & Regs(2)\n"
                                      "On Error Resume Next\n"
                                      "Regs.Step -1\n"
                                      "Out.Print Err.Number & \" \" & Err.Description\n"
                                      "Err.Clear\n"
                                      "Regs.Missing\n"
                                      "Out.Print Err.Number",
                                      "Regs", regs->GetIDispatch(FALSE));
    EXPECT_EQ(Joined(r.output), "8000|10C 102|5 Invalid procedure call or argument|438");
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(regs->pc, 0x10C);
    EXPECT_EQ(regs->ExternalRefCount(), 1u);  // the script let go of its references
    regs->ExternalRelease();
    EXPECT_EQ(automation::LiveObjects(), live);
}

}  // namespace
}  // namespace zk::script::testing
