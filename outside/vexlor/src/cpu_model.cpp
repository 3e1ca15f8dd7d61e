// Start of the CPU model at connect.
#include "cpu_model.h"

#include "vexlor/vexlor.h"

namespace vexlor {

CpuModel& Model()
{
    static CpuModel model;
    return model;
}

}  // namespace vexlor

using namespace vexlor;

extern "C" int InitDLL_CpuServer(intptr_t appValue, HWND mainFrame, const char* processorName, int byteOrder)
{
    CpuModel& m = Model();
    m.appValue = appValue;
    m.processorName = std::string(processorName ? processorName : "").substr(0, PROCESSOR_NAME_MAX);
    m.byteOrder = byteOrder;
    m.mainFrame = mainFrame;
    m.configured = true;
    RegisterWithTarget();
    return 0;
}
