// The Win32 registry functions over the global store. Only HKEY_CURRENT_USER
// is served; an open key handle remembers its path.
#include <cstring>
#include <mutex>

#include "handle_table.h"
#include "platform/registry.h"

using namespace platform;

namespace {

struct KeyTable {
    std::mutex mutex;
    detail::HandleTable<std::string, 16> table;
};

KeyTable& Keys()
{
    static auto* keys = new KeyTable;
    return *keys;
}

bool IsPredefined(HKEY key)
{
    auto v = reinterpret_cast<uintptr_t>(key);
    return v >= 0x80000000u && v <= 0x800000FFu;
}

LONG PathOf(HKEY key, std::string& path)
{
    if (key == HKEY_CURRENT_USER) {
        path.clear();
        return ERROR_SUCCESS;
    }
    if (IsPredefined(key))
        return ERROR_FILE_NOT_FOUND;
    std::lock_guard<std::mutex> lock(Keys().mutex);
    const std::string* p = Keys().table.Find(detail::HandleNumber(key));
    if (!p)
        return ERROR_INVALID_HANDLE;
    path = *p;
    return ERROR_SUCCESS;
}

std::string Join(const std::string& path, const char* subKey)
{
    return NormalizeKeyPath(path + "\\" + (subKey ? subKey : ""));
}

LONG NewHandle(const std::string& path, HKEY* result)
{
    std::lock_guard<std::mutex> lock(Keys().mutex);
    uint32_t number = Keys().table.Add(path);
    if (number == 0)
        return ERROR_NOT_ENOUGH_MEMORY;
    *result = detail::HandleFromNumber<HKEY>(number);
    return ERROR_SUCCESS;
}

bool IsText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

}  // namespace

extern "C" {

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD, REGSAM, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    std::string path;
    if (LONG err = PathOf(key, path))
        return err;
    std::string full = Join(path, subKey);
    if (!Registry::Global().KeyExists(full))
        return ERROR_FILE_NOT_FOUND;
    return NewHandle(full, result);
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM, void*, HKEY* result, DWORD* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    std::string path;
    if (IsPredefined(key) && key != HKEY_CURRENT_USER)
        return ERROR_ACCESS_DENIED;
    if (LONG err = PathOf(key, path))
        return err;
    std::string full = Join(path, subKey);
    bool created = Registry::Global().CreateKey(full);
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return NewHandle(full, result);
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize)
{
    std::string path;
    if (LONG err = PathOf(key, path))
        return err;
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    auto value = Registry::Global().GetValue(path, valueName ? valueName : "");
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    std::string bytes = value->data;
    if (IsText(value->type))
        bytes.push_back('\0');
    if (type)
        *type = value->type;
    if (!dataSize)
        return ERROR_SUCCESS;
    DWORD size = static_cast<DWORD>(bytes.size());
    if (!data) {
        *dataSize = size;
        return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, bytes.data(), size);
    *dataSize = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const char* valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize)
{
    std::string path;
    if (LONG err = PathOf(key, path))
        return err;
    if (!data && dataSize)
        return ERROR_INVALID_PARAMETER;
    std::string bytes(reinterpret_cast<const char*>(data), data ? dataSize : 0);
    if (IsText(type))
        bytes.resize(std::strlen(bytes.c_str()));  // up to the first NUL
    else if (type == REG_DWORD && bytes.size() != 4)
        return ERROR_INVALID_PARAMETER;
    Registry::Global().SetValue(path, valueName ? valueName : "", RegValue{type, bytes});
    return ERROR_SUCCESS;
}

LONG RegDeleteValue(HKEY key, const char* valueName)
{
    std::string path;
    if (LONG err = PathOf(key, path))
        return err;
    return Registry::Global().DeleteValue(path, valueName ? valueName : "") ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG RegDeleteKey(HKEY key, const char* subKey)
{
    std::string path;
    if (LONG err = PathOf(key, path))
        return err;
    if (!subKey || !*subKey)
        return ERROR_INVALID_PARAMETER;
    std::string full = Join(path, subKey);
    Registry& reg = Registry::Global();
    if (!reg.KeyExists(full))
        return ERROR_FILE_NOT_FOUND;
    if (!reg.SubKeys(full).empty())
        return ERROR_ACCESS_DENIED;
    reg.DeleteKey(full);
    return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY key)
{
    std::string path;
    if (LONG err = PathOf(key, path))
        return err;
    return Registry::Global().Flush() ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}

LONG RegCloseKey(HKEY key)
{
    if (!IsPredefined(key)) {
        std::lock_guard<std::mutex> lock(Keys().mutex);
        if (!Keys().table.Remove(detail::HandleNumber(key)))
            return ERROR_INVALID_HANDLE;
    }
    // A failed write keeps the changes pending and is reported by the store;
    // closing still succeeds, as on the original platform.
    Registry::Global().Flush();
    return ERROR_SUCCESS;
}

}  // extern "C"
