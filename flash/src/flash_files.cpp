#include "mirobel/flash_files.h"

#include <dlfcn.h>

#include <mutex>

#include "mirobel/flash_record.h"
#include "platform/files.h"
#include "platform/ini_store.h"
#include "platform/paths.h"

namespace mirobel {

namespace {

std::mutex g_folderMutex;
std::string g_folderOverride;

std::string OwnFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) || !info.dli_fname)
        return ".";
    return platform::FolderOf(info.dli_fname);
}

}  // namespace

std::string LibraryFolder()
{
    std::lock_guard<std::mutex> lock(g_folderMutex);
    return g_folderOverride.empty() ? OwnFolder() : g_folderOverride;
}

void SetLibraryFolder(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(g_folderMutex);
    g_folderOverride = folder;
}

std::string FindFlashFile(const std::string& relative)
{
    const std::string native = platform::ToNativePath(relative);
    std::string found = platform::ResolvePathNoCase(native);
    if (!platform::IsRegularFile(found))
        found = platform::ResolvePathNoCase(platform::JoinPath(LibraryFolder(), native));
    return platform::IsRegularFile(found) ? found : std::string();
}

std::string DeviceIniPath()
{
    const std::string found = FindFlashFile(kDeviceIni);
    if (!found.empty())
        return found;
    const std::string folder = LibraryFolder();
    std::string flash = platform::ResolvePathNoCase(platform::JoinPath(folder, "Flash"));
    if (!platform::IsDirectory(flash))
        flash = platform::JoinPath(folder, "Flash");
    return platform::JoinPath(flash, "device.ini");
}

FlashSettings LoadSettings()
{
    FlashSettings settings;
    const std::string path = FindFlashFile(kDeviceIni);
    if (path.empty())
        return settings;
    FlashBytes bytes{};
    if (platform::GetProfileStruct(path, kIniSection, kIniRecordKey, bytes.data(), bytes.size()))
        settings.record = FromFileBytes(bytes);
    settings.imagePath = platform::GetProfileString(path, kIniSection, kIniFileKey).substr(0, kMaxImagePath);
    return settings;
}

bool SaveSettings(const FlashSettings& settings, std::string* error)
{
    const std::string path = DeviceIniPath();
    if (!platform::MakeFolders(platform::FolderOf(path), error))
        return false;
    platform::IniStore store = platform::IniStore::Load(path);
    const FlashBytes bytes = ToFileBytes(settings.record);
    store.Set(kIniSection, kIniRecordKey, platform::EncodeStructValue(bytes.data(), bytes.size()));
    store.Set(kIniSection, kIniFileKey, settings.imagePath.substr(0, kMaxImagePath));
    return store.Save(path, error);
}

bool LoadDeviceTable(DeviceTable& table)
{
    table = {};
    const std::string path = FindFlashFile(kDeviceCfg);
    std::string text;
    if (path.empty() || !platform::ReadWholeFile(path, text, nullptr))
        return false;
    table = ParseDeviceTable(text);
    return true;
}

bool ReadRoutine(const std::string& device, std::vector<uint8_t>& bytes, std::string& error)
{
    const std::string name = "flash\\" + device + ".o";
    // A device name is a file name in the folder, never a path elsewhere.
    if (device.empty() || device.find_first_of("/\\") != std::string::npos) {
        error = "Can not find the flash routine \"" + name + "\"";
        return false;
    }
    const std::string path = FindFlashFile(name);
    if (path.empty()) {
        error = "Can not find the flash routine \"" + name + "\"";
        return false;
    }
    std::string content;
    std::string why;
    if (!platform::ReadWholeFile(path, content, &why)) {
        error = "Can not read the flash routine \"" + path + "\": " + why;
        return false;
    }
    // An empty file would run whatever lies in target RAM, as a missing one.
    if (content.empty()) {
        error = "The flash routine \"" + path + "\" is empty";
        return false;
    }
    bytes.assign(content.begin(), content.end());
    return true;
}

}  // namespace mirobel
