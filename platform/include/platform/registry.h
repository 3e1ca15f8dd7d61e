// The registry store: the keys and values that the system keeps under
// HKEY_CURRENT_USER (`Software\Zelkor\Zelkor for Arm\Configuration` and its
// siblings), in one file under the user's configuration folder.
//
// Key paths are backslash-separated; key and value names compare without
// regard to ASCII case and keep the case they were created with. Values are
// typed: REG_SZ and REG_EXPAND_SZ hold text (kept without the terminating
// NUL), REG_DWORD four bytes, REG_BINARY and any other type raw bytes.
//
// Changes stay in memory until Flush (RegCloseKey and RegFlushKey flush, and
// the global store flushes at exit). Flush merges them into the current file
// under a lock (other processes' changes survive), writes a temporary file,
// syncs it and renames it over the old one: a failed write leaves the old
// file as it was and keeps the changes pending. A damaged file is reported
// with its path and line and never read in part; the store keeps what it
// holds, and the next successful flush moves the damaged file aside
// (<file>.damaged-<time>) instead of overwriting it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform {

struct RegValue {
    DWORD type = REG_NONE;
    std::string data;  // text without NUL, DWORD as 4 little-endian bytes, or raw bytes
};

// ASCII case-insensitive order of names.
struct NoCaseLess {
    using is_transparent = void;
    bool operator()(const std::string& a, const std::string& b) const;
};

// One consistent picture of keys and values.
class RegistryData {
public:
    struct Value {
        std::string name;  // as first written
        RegValue value;
    };
    struct Key {
        std::string path;  // as first created
        std::map<std::string, Value, NoCaseLess> values;
    };

    bool HasKey(const std::string& path) const;
    // Creates the key and every missing parent; true when it was new.
    bool CreateKey(const std::string& path);
    // Removes the key, its subkeys and their values.
    bool DeleteKey(const std::string& path);
    const Value* Find(const std::string& path, const std::string& name) const;
    void Set(const std::string& path, const std::string& name, RegValue value);
    bool Delete(const std::string& path, const std::string& name);
    std::vector<std::string> SubKeys(const std::string& path) const;
    std::vector<std::string> ValueNames(const std::string& path) const;
    const std::map<std::string, Key, NoCaseLess>& Keys() const { return keys_; }

    // The file form; Parse fills nothing on error and says where it failed.
    std::string Serialize() const;
    static bool Parse(const std::string& text, RegistryData& out, std::string& error);

private:
    std::map<std::string, Key, NoCaseLess> keys_;
};

// "a\\b\\\\c\\" -> "a\\b\\c": empty components dropped.
std::string NormalizeKeyPath(const std::string& path);

class Registry {
public:
    // A store over `file`; the file is read at the first access.
    explicit Registry(std::string file);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // The process-wide store of the Reg* functions: file $ZK_REGISTRY_FILE,
    // else $XDG_CONFIG_HOME/zelkor/registry, else ~/.config/zelkor/registry.
    static Registry& Global();
    static std::string DefaultFile();

    std::string File() const;
    // Points the store at another file (tests): pending changes are dropped
    // and the file is read at the next access.
    void SetFile(const std::string& file);
    // Reads the file again; pending changes are applied on top. On a damaged
    // file the store keeps what it holds and the result is false.
    bool Reload();
    // Writes pending changes; false (and LastError) when the write failed.
    bool Flush();
    bool HasPendingChanges() const;
    // The last read or write failure, with the file name; empty when none.
    std::string LastError() const;

    bool KeyExists(const std::string& path);
    bool CreateKey(const std::string& path);  // true when it was new
    bool DeleteKey(const std::string& path);
    std::vector<std::string> SubKeys(const std::string& path);
    std::vector<std::string> ValueNames(const std::string& path);

    std::optional<RegValue> GetValue(const std::string& key, const std::string& name);
    std::optional<std::string> GetString(const std::string& key, const std::string& name);
    std::optional<DWORD> GetDword(const std::string& key, const std::string& name);
    std::optional<std::vector<uint8_t>> GetBinary(const std::string& key, const std::string& name);
    // Setting a value creates its key.
    void SetValue(const std::string& key, const std::string& name, RegValue value);
    void SetString(const std::string& key, const std::string& name, const std::string& text);
    void SetDword(const std::string& key, const std::string& name, DWORD value);
    void SetBinary(const std::string& key, const std::string& name, const std::vector<uint8_t>& bytes);
    bool DeleteValue(const std::string& key, const std::string& name);

private:
    struct Change;
    void EnsureLoaded();
    bool LoadLocked();
    void Record(Change change);

    mutable std::mutex mutex_;
    std::string file_;
    bool loaded_ = false;
    RegistryData data_;
    std::vector<Change> pending_;
    std::string error_;
};

}  // namespace platform
