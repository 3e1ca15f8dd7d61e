// The maker and device table of "Flash\device.cfg".
//
// One line at a time: leading blanks are dropped; empty lines and lines
// beginning with "//" are skipped; "[name]" starts a maker (the text up to the
// first "]"; a line without "]" is skipped); any other line lists devices of
// the maker named last, separated by commas, empty items skipped and items
// not trimmed (a blank after a comma stays at the name's start). Device
// lines before the first maker are ignored. A line ends at "\n" ("\r\n"
// too); a NUL byte ends the line's text, as it ends a C string.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mirobel {

struct FlashMaker {
    std::string name;
    std::vector<std::string> devices;  // each also names its routine file, "flash\<device>.o"
};

struct DeviceTable {
    std::vector<FlashMaker> makers;  // position = maker index (word 16, bits 24-31)

    // The devices of a maker; empty for a position outside the table.
    const std::vector<std::string>& DevicesOf(int maker) const;
    // The device at the two positions, or empty.
    std::string DeviceAt(int maker, int device) const;
};

DeviceTable ParseDeviceTable(std::string_view text);

}  // namespace mirobel
