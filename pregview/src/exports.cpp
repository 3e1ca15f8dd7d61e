// libHalvek.so: the exports over the process-wide description, and the
// target as the target access library, talvis and the main frame give it.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "description_reader.h"
#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "falcrest.h"
#include "halvek.h"
#include "halvek_library.h"
#include "platform/paths.h"
#include "platform/win32.h"
#include "row_model.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"
#include "win_messages.h"

namespace halvek {
namespace {

class LibraryTarget : public TargetAccess {
public:
    void SetBase(uint32_t current, uint32_t reset, int flag, uint32_t mask) override
    {
        emuSetHalvekBaseAddress(current, reset, flag, mask);
    }
    int GetIntReg(int offset, int width, int* value) override { return emuGetIntReg(offset, width, value, 0); }
    int SetIntReg(int offset, int width, int value) override { return emuSetIntReg(offset, width, value, 0); }
    int ReadBlock(uint32_t address, void* buffer, uint32_t count) override
    {
        return MemReadBlock(buffer, ADDR{address, ADDR_SPACE_TARGET}, count);
    }
    int WriteBlock(uint32_t address, const void* data, uint32_t count, int width) override
    {
        return MemWriteBlock(ADDR{address, ADDR_SPACE_TARGET}, data, count, width);
    }
    void UpdateViews(int kind, LPARAM parameter) override
    {
        if (mainFrame)
            SendMessage(mainFrame, WM_EMU_UPDATE_VIEWS, static_cast<WPARAM>(kind), parameter);
    }

    HWND mainFrame = nullptr;
    HWND window = nullptr;
    PeriWindowFactory factory = nullptr;
};

LibraryTarget& Target()
{
    static LibraryTarget target;
    return target;
}

bool ReadWholeFile(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    content = bytes.str();
    return true;
}

std::string LibraryFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&PeriInit), &info) || !info.dli_fname)
        return {};
    return platform::FolderOf(info.dli_fname);
}

void ResetHook(uint32_t base)
{
    ResetPeriBase(base);
}

// The reset entry is registered with the target access library while the
// library is loaded.
struct Registration {
    Registration() { emuRegisterPeriReset(&ResetHook); }
    ~Registration() { emuRegisterPeriReset(nullptr); }
} g_registration;

}  // namespace

PeriModel& TheModel()
{
    static PeriModel model(Target());
    return model;
}

HWND MainFrame()
{
    return Target().mainFrame;
}

HWND PeripheralWindow()
{
    return Target().window;
}

std::string FindDescriptionFile(const std::string& name)
{
    std::string found = platform::ResolvePathNoCase(name);
    if (found.empty() && !platform::IsAbsolutePath(name)) {
        const std::string folder = LibraryFolder();
        if (!folder.empty())
            found = platform::ResolvePathNoCase(platform::JoinPath(folder, platform::ToNativePath(name)));
    }
    return platform::IsRegularFile(found) ? found : std::string();
}

std::string RowTextAt(size_t row)
{
    return RowText(TheModel().description(), row, [](uint32_t address) {
        char text[16] = {};
        AdrAddrToHex(ADDR{address, ADDR_SPACE_TARGET}, text);
        return std::string(text);
    });
}

}  // namespace halvek

using namespace halvek;

extern "C" uint32_t PeriInit(void)
{
    PeriModel& model = TheModel();
    char cfg[128] = {};
    if (const int status = ProcInsertSpecificProcessor("PCF\\PERI%s.CFG", cfg))
        return static_cast<uint32_t>(status);
    char name[64] = {};
    if (const int status = ProcReturnProcessorName(name))
        return static_cast<uint32_t>(status);
    ProcessorKind kind;
    kind.name = name;
    DWORD family = 0;
    if (ProcReturnProcFamily(&family) == 0)
        kind.family = family;
    char cpuType[32] = {};
    if (ProcGetCpuType(cpuType) == 0)
        kind.cpuType = cpuType;
    model.SetProcessor(kind);

    LoadContext context;
    context.processorName = kind.name;
    context.cfgName = cfg;
    context.open = [](const std::string& file, std::string& content) {
        const std::string path = FindDescriptionFile(file);
        return !path.empty() && ReadWholeFile(path, content);
    };
    context.setBase = [](uint32_t current, uint32_t reset, int flag, uint32_t mask) {
        Target().SetBase(current, reset, flag, mask);
    };
    return LoadDescription(model.description(), context);
}

extern "C" uint32_t PeriOpenWindow(HWND mainFrame, HWND* window)
{
    LibraryTarget& t = Target();
    t.mainFrame = mainFrame;
    if (!TheModel().description().loaded)
        return 0;
    if (t.window) {
        if (window)
            *window = t.window;
        return 0;
    }
    HWND created = t.factory ? t.factory(mainFrame) : nullptr;
    if (!created)
        return PERI_WINDOW_FAILED;
    t.window = created;
    if (window)
        *window = created;
    return 0;
}

extern "C" uint32_t PeriCloseWindow(void)
{
    Target().window = nullptr;
    return 0;
}

extern "C" uint32_t PeriRefreshWindow(void)
{
    if (HWND w = Target().window)
        SendMessage(w, WM_COMMAND, PERI_CMD_REFRESH_DISPLAY, 0);
    return 0;
}

extern "C" int PeriGetRegInfo(const char* name, int* offset, int* width)
{
    if (!name || !TheModel().description().loaded)
        return -1;
    const Register* r = TheModel().FindRegister(name);
    if (!r)
        return -1;
    if (offset)
        *offset = static_cast<int>(r->offset);
    if (width)
        *width = r->width;
    return 0;
}

extern "C" uint32_t PeriUpdateBlockLocation(void)
{
    TheModel().UpdateBlockLocation();
    return 0;
}

extern "C" void ResetPeriBase(unsigned long base)
{
    TheModel().ResetBase(static_cast<uint32_t>(base));
}

extern "C" void HalvekRegisterWindowFactory(PeriWindowFactory factory)
{
    Target().factory = factory;
}
