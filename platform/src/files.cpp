#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {
namespace {

bool Failed(std::string* error, const std::string& what, const std::string& path, int err)
{
    if (error)
        *error = what + " " + path + ": " + std::strerror(err);
    return false;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteFileAtomic(const std::string& path, const std::string& bytes, std::string* error)
{
    std::string pattern = path + ".tmpXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        return Failed(error, "cannot create a temporary file beside", path, errno);
    std::string temp(name.data());
    // Keep the old file's permissions; a new file gets the user's defaults.
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        fchmod(fd, st.st_mode & 07777);
    } else {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    if (!WriteAll(fd, bytes) || fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return Failed(error, "cannot write", temp, err);
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        return Failed(error, "cannot write", temp, err);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        return Failed(error, "cannot replace", path, err);
    }
    int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        ::close(dir);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failed(error, "cannot open", path, errno);
    std::string out;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            ::close(fd);
            return Failed(error, "cannot read", path, err);
        }
        if (n == 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    bytes.swap(out);
    return true;
}

bool MakeFolders(const std::string& path, std::string* error)
{
    if (path.empty())
        return true;
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty())
            continue;
        if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
            return Failed(error, "cannot create folder", partial, errno);
    }
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Failed(error, "not a folder:", path, ENOTDIR);
    return true;
}

}  // namespace platform
