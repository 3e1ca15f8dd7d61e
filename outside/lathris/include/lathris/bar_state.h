// The saved forms of bar layouts.
//
// A toolbar's buttons ("ZKTB" record, little-endian):
//   "ZKTB", u16 version (1), u32 count, then per button
//   u8 kind (0 button, 1 separator, 2 combo), u32 command id, i32 image,
//   u8 user image, u32 text length + text; a combo adds u32 width,
//   u32 combo style, u32 item count and per item a text and u32 data.
// The dock layout ("ZKDS" record): "ZKDS", u16 version (1), u32 count and
// the ids of the bars it places, u32 length and the window layer's layout
// bytes, u32 CRC-32 of everything before it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lathris/toolbar.h"

namespace lathris {

using ButtonList = std::vector<std::unique_ptr<CBCGToolbarButton>>;

std::string EncodeButtons(const ButtonList& buttons);
// The buttons of a whole, valid record; false with `error` ("offset N: what")
// and `out` untouched otherwise.
bool DecodeButtons(const std::string& record, ButtonList& out, std::string& error);

struct DockState {
    std::vector<UINT> barIds;
    std::string layout;  // the window layer's own bytes
};
std::string EncodeDockState(const DockState& state);
bool DecodeDockState(const std::string& record, DockState& out, std::string& error);

uint32_t Crc32(const std::string& bytes);

}  // namespace lathris
