// Mirobel's files: "Flash\device.ini" (the settings), "Flash\device.cfg"
// (the device table) and "flash\<device>.o" (a device's routine). Each is
// looked for in the current folder, then in the library's folder, with
// every part of its path matched without case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "flash_info.h"
#include "mirobel/device_table.h"

namespace mirobel {

inline constexpr const char* kDeviceIni = "Flash\\device.ini";
inline constexpr const char* kDeviceCfg = "Flash\\device.cfg";
inline constexpr const char* kIniSection = "current";
inline constexpr const char* kIniRecordKey = "FlashInfo";
inline constexpr const char* kIniFileKey = "FlashFile";
// The image path kept in device.ini is at most this long.
inline constexpr size_t kMaxImagePath = 255;
inline constexpr const char* kNoDeviceConfigText = "Can not find device config file!";

// The folder of libMirobel.so, or the folder a test set (empty: the
// library's own again).
std::string LibraryFolder();
void SetLibraryFolder(const std::string& folder);

// The file as it exists (current folder first, then the library's folder),
// or empty.
std::string FindFlashFile(const std::string& relative);
// Where device.ini is read and written: where it was found, else in the
// library's folder (its "Flash" folder matched without case when it exists).
std::string DeviceIniPath();

struct FlashSettings {
    FlashInfo record;       // the defaults unless device.ini holds a right value
    std::string imagePath;  // empty when missing
};
FlashSettings LoadSettings();
// Writes both keys (the path cut to kMaxImagePath), creating the folder.
bool SaveSettings(const FlashSettings& settings, std::string* error = nullptr);

// False when device.cfg is missing or unreadable (kNoDeviceConfigText).
bool LoadDeviceTable(DeviceTable& table);

// A device's routine file, whole. False with a text naming the file and the
// reason when it is missing or cannot be read.
bool ReadRoutine(const std::string& device, std::vector<uint8_t>& bytes, std::string& error);

}  // namespace mirobel
