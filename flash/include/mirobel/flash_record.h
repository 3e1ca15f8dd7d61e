// The settings record in its three forms: the 60 bytes of device.ini
// (little-endian words), the parameter block in target RAM (every word
// byte-reversed) and the dialog's control values.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "flash_info.h"

namespace mirobel {

using FlashBytes = std::array<uint8_t, sizeof(FlashInfo)>;

FlashBytes ToFileBytes(const FlashInfo& info);
FlashInfo FromFileBytes(const FlashBytes& bytes);

// What the flash routine reads at R: each word's bytes reversed from the
// target's little-endian order, i.e. most significant byte first.
FlashBytes ToTargetBlock(const FlashInfo& info);
// One word as the routine sees it (for the per-chunk destination and length)
// and back (the result word).
std::array<uint8_t, 4> ToTargetWord(uint32_t value);
uint32_t FromTargetWord(const uint8_t bytes[4]);

// The dialog's controls: list positions (-1: nothing selected) and the
// hexadecimal fields as text.
struct FlashControls {
    int maker = 0;
    int device = 0;
    int portSize = 0;
    std::string flashStart;
    std::string flashSize;
    std::string flashOffset;
    std::string ramStart;
    std::string ramEnd;
};

FlashControls ControlsFromRecord(const FlashInfo& info);
// Takes the values into the record (word 16 rebuilt from the two list
// positions). False, with the record untouched and `badField` naming the
// control ("Flash start:" and the like), when a field is no hexadecimal
// 32-bit number.
bool RecordFromControls(const FlashControls& controls, FlashInfo& info, std::string* badField = nullptr);

// A hexadecimal field's text: digits with an optional "0x", blanks around.
bool ParseHexField(const std::string& text, uint32_t& value);

}  // namespace mirobel
