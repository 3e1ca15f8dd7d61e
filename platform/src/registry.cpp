// The registry store over its file: lazy read, pending changes, merged and
// atomic writes under a lock file.
#include "platform/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/files.h"

namespace platform {

struct Registry::Change {
    enum Kind { kSet, kDeleteValue, kCreateKey, kDeleteKey } kind;
    std::string key;
    std::string name;
    RegValue value;

    void ApplyTo(RegistryData& data) const
    {
        switch (kind) {
        case kSet: data.Set(key, name, value); break;
        case kDeleteValue: data.Delete(key, name); break;
        case kCreateKey: data.CreateKey(key); break;
        case kDeleteKey: data.DeleteKey(key); break;
        }
    }
};

namespace {

bool Exists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Serialises writers of the same file across processes.
class FileLock {
public:
    explicit FileLock(const std::string& file)
    {
        fd_ = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {}
    }
    ~FileLock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

std::string DamagedName(const std::string& file)
{
    char stamp[32];
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string base = file + ".damaged-" + stamp;
    std::string name = base;
    for (int i = 1; Exists(name); ++i)
        name = base + "-" + std::to_string(i);
    return name;
}

void Report(const std::string& message)
{
    std::fprintf(stderr, "registry: %s\n", message.c_str());
}

}  // namespace

Registry::Registry(std::string file) : file_(std::move(file)) {}

Registry::~Registry() = default;

Registry& Registry::Global()
{
    static Registry* global = [] {
        auto* r = new Registry(DefaultFile());
        // Values set without RegCloseKey still reach the file.
        std::atexit([] { Global().Flush(); });
        return r;
    }();
    return *global;
}

std::string Registry::DefaultFile()
{
    if (const char* env = std::getenv("ZK_REGISTRY_FILE"); env && *env)
        return env;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::string(xdg) + "/zelkor/registry";
    std::string home;
    if (const char* env = std::getenv("HOME"); env && *env) {
        home = env;
    } else if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    return home + "/.config/zelkor/registry";
}

std::string Registry::File() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return file_;
}

void Registry::SetFile(const std::string& file)
{
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = file;
    data_ = RegistryData();
    pending_.clear();
    error_.clear();
    loaded_ = false;
}

bool Registry::LoadLocked()
{
    loaded_ = true;
    if (!Exists(file_)) {
        data_ = RegistryData();
        for (const Change& c : pending_)
            c.ApplyTo(data_);
        return true;
    }
    std::string text, why;
    RegistryData parsed;
    if (!ReadWholeFile(file_, text, &why)) {
        error_ = why;
        Report(error_);
        return false;
    }
    if (!RegistryData::Parse(text, parsed, why)) {
        error_ = "registry file " + file_ + " cannot be read: " + why;
        Report(error_ + " (the settings in it are not used; the file is kept)");
        return false;
    }
    data_ = std::move(parsed);
    for (const Change& c : pending_)
        c.ApplyTo(data_);
    return true;
}

void Registry::EnsureLoaded()
{
    if (!loaded_)
        LoadLocked();
}

bool Registry::Reload()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return LoadLocked();
}

bool Registry::HasPendingChanges() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return !pending_.empty();
}

std::string Registry::LastError() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

bool Registry::Flush()
{
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    if (pending_.empty())
        return true;
    std::string why;
    if (!MakeFolders(FolderOf(file_), &why)) {
        error_ = "cannot write registry file " + file_ + ": " + why;
        return false;
    }
    FileLock fileLock(file_);

    // Start from the file as it is now, so that changes other processes made
    // since we read it survive; over a damaged file, from what we hold.
    RegistryData merged = data_;
    bool diskDamaged = false;
    if (Exists(file_)) {
        std::string text;
        RegistryData disk;
        if (!ReadWholeFile(file_, text, &why)) {
            error_ = "cannot write registry file " + file_ + ": " + why;
            return false;
        }
        if (RegistryData::Parse(text, disk, why)) {
            merged = std::move(disk);
            for (const Change& c : pending_)
                c.ApplyTo(merged);
        } else {
            diskDamaged = true;
        }
    }

    std::string aside;
    if (diskDamaged) {
        aside = DamagedName(file_);
        if (::rename(file_.c_str(), aside.c_str()) != 0) {
            error_ = "cannot move the damaged registry file " + file_ + " aside: " + std::strerror(errno);
            return false;
        }
    }
    if (!WriteFileAtomic(file_, merged.Serialize(), &why)) {
        if (!aside.empty())
            ::rename(aside.c_str(), file_.c_str());
        error_ = "cannot write registry file " + file_ + ": " + why;
        Report(error_ + " (the changes are kept)");
        return false;
    }
    if (!aside.empty())
        Report("the damaged registry file was kept as " + aside);
    data_ = std::move(merged);
    pending_.clear();
    error_.clear();
    return true;
}

void Registry::Record(Change change)
{
    change.ApplyTo(data_);
    pending_.push_back(std::move(change));
}

bool Registry::KeyExists(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    return data_.HasKey(path);
}

bool Registry::CreateKey(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    if (data_.HasKey(path))
        return false;
    Record(Change{Change::kCreateKey, path, {}, {}});
    return true;
}

bool Registry::DeleteKey(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    if (NormalizeKeyPath(path).empty() || !data_.HasKey(path))
        return false;
    Record(Change{Change::kDeleteKey, path, {}, {}});
    return true;
}

std::vector<std::string> Registry::SubKeys(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    return data_.SubKeys(path);
}

std::vector<std::string> Registry::ValueNames(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    return data_.ValueNames(path);
}

std::optional<RegValue> Registry::GetValue(const std::string& key, const std::string& name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    const RegistryData::Value* v = data_.Find(key, name);
    if (!v)
        return std::nullopt;
    return v->value;
}

std::optional<std::string> Registry::GetString(const std::string& key, const std::string& name)
{
    auto v = GetValue(key, name);
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ))
        return std::nullopt;
    return v->data;
}

std::optional<DWORD> Registry::GetDword(const std::string& key, const std::string& name)
{
    auto v = GetValue(key, name);
    if (!v || v->type != REG_DWORD || v->data.size() != 4)
        return std::nullopt;
    DWORD out = 0;
    for (int i = 0; i < 4; ++i)
        out |= static_cast<DWORD>(static_cast<unsigned char>(v->data[i])) << (8 * i);
    return out;
}

std::optional<std::vector<uint8_t>> Registry::GetBinary(const std::string& key, const std::string& name)
{
    auto v = GetValue(key, name);
    if (!v || v->type != REG_BINARY)
        return std::nullopt;
    return std::vector<uint8_t>(v->data.begin(), v->data.end());
}

void Registry::SetValue(const std::string& key, const std::string& name, RegValue value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    Record(Change{Change::kSet, key, name, std::move(value)});
}

void Registry::SetString(const std::string& key, const std::string& name, const std::string& text)
{
    SetValue(key, name, RegValue{REG_SZ, text});
}

void Registry::SetDword(const std::string& key, const std::string& name, DWORD value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    SetValue(key, name, RegValue{REG_DWORD, bytes});
}

void Registry::SetBinary(const std::string& key, const std::string& name, const std::vector<uint8_t>& bytes)
{
    SetValue(key, name, RegValue{REG_BINARY, std::string(bytes.begin(), bytes.end())});
}

bool Registry::DeleteValue(const std::string& key, const std::string& name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    if (!data_.Find(key, name))
        return false;
    Record(Change{Change::kDeleteValue, key, name, {}});
    return true;
}

}  // namespace platform
