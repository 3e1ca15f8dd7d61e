// The probe libraries the server loads at run time by file name; each may be
// missing. A library counts as found only with all its entry points.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace pellitons {

using DoCommandFn = int32_t (*)(const uint8_t* packet, uint8_t* reply);

// The serial ICE library's entry points.
struct SerialIceCalls {
    int32_t (*writeTarget)(int32_t space, uint32_t index, uint32_t value, int32_t size) = nullptr;
    uint32_t (*readTarget)(int32_t space, uint32_t index, int32_t size) = nullptr;
    int32_t (*checkTarget)(int32_t a, int32_t b, void* p) = nullptr;
    int32_t (*control)(int32_t request, int32_t a, int32_t b) = nullptr;
    int32_t (*runTarget)(int32_t a, int32_t b, int32_t c) = nullptr;
    int32_t (*stopTarget)(int32_t a, void* data, void* p) = nullptr;
    // Command 224's requests: `p` holds the request text (length byte first)
    // on entry and the answer the same way on return; 0 means success.
    int32_t (*e0Handler)(uint8_t* p, int32_t state) = nullptr;
};

struct ProbeLibraries {
    HMODULE templ = nullptr, la = nullptr, hp = nullptr, enet = nullptr, usb = nullptr, serialIce = nullptr;
    DoCommandFn templateCommand = nullptr;
    DoCommandFn laCommand = nullptr;
    DoCommandFn hpCommand = nullptr;
    DoCommandFn enetCommand = nullptr;
    DoCommandFn usbCommand = nullptr;
    SerialIceCalls ice;

    bool TemplateLoaded() const { return templateCommand != nullptr; }
    bool LaLoaded() const { return laCommand != nullptr; }
    bool HpLoaded() const { return hpCommand != nullptr; }
    bool EnetLoaded() const { return enetCommand != nullptr; }
    bool UsbLoaded() const { return usbCommand != nullptr; }
    bool SerialIceLoaded() const { return serialIce != nullptr; }

    // The libraries loaded when the server loads (all but the Ethernet one).
    void LoadAtStart();
    // The Ethernet library, when its connection is selected.
    bool LoadEnet();
    void Unload();
};

}  // namespace pellitons
