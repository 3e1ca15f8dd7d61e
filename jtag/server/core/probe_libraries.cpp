#include "probe_libraries.h"

#include <initializer_list>

namespace pellitons {

namespace {

// Loads `file` and binds `entry`; a library without it is not loaded.
HMODULE LoadWith(const char* file, const char* entry, DoCommandFn& fn)
{
    fn = nullptr;
    HMODULE module = LoadLibrary(file);
    if (!module)
        return nullptr;
    fn = reinterpret_cast<DoCommandFn>(GetProcAddress(module, entry));
    if (!fn) {
        FreeLibrary(module);
        return nullptr;
    }
    return module;
}

template <typename F>
bool Bind(HMODULE module, const char* name, F& fn)
{
    fn = reinterpret_cast<F>(GetProcAddress(module, name));
    return fn != nullptr;
}

}  // namespace

void ProbeLibraries::LoadAtStart()
{
    templ = LoadWith("TEMPLATE.DLL", "do_command", templateCommand);
    la = LoadWith("qeld_tla.DLL", "do_la", laCommand);
    // An HP library without its entry point is not loaded: calling it would
    // go through a null pointer.
    hp = LoadWith("HPPP.DLL", "do_hppp_cmd", hpCommand);
    usb = LoadWith("usbtemplate.DLL", "do_command", usbCommand);
    serialIce = LoadLibrary("SERIALICE1.DLL");
    if (serialIce) {
        SerialIceCalls c;
        const bool all = Bind(serialIce, "WriteTarget", c.writeTarget) && Bind(serialIce, "ReadTarget", c.readTarget) &&
            Bind(serialIce, "CheckTarget", c.checkTarget) && Bind(serialIce, "SerialIceCtrl", c.control) &&
            Bind(serialIce, "RunTarget", c.runTarget) && Bind(serialIce, "StopTarget", c.stopTarget) &&
            Bind(serialIce, "E0Handler", c.e0Handler);
        if (all) {
            ice = c;
        } else {
            FreeLibrary(serialIce);
            serialIce = nullptr;
        }
    }
}

bool ProbeLibraries::LoadEnet()
{
    if (!enet)
        enet = LoadWith("qeld_enet.DLL", "do_command", enetCommand);
    return EnetLoaded();
}

void ProbeLibraries::Unload()
{
    if (serialIce) {
        ice.control(21, 0, 0);
        FreeLibrary(serialIce);
    }
    for (HMODULE m : {templ, la, hp, enet, usb})
        if (m)
            FreeLibrary(m);
    *this = ProbeLibraries{};
}

}  // namespace pellitons
