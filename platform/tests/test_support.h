// Small helpers shared by the platform tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/archive.h"

namespace platform::test {

// A fresh folder under /tmp, removed with everything in it.
class TempDir {
public:
    explicit TempDir(const char* prefix = "zk-platform")
    {
        std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data()))
            path_ = buf.data();
    }
    ~TempDir()
    {
        if (!path_.empty())
            std::system(("rm -rf '" + path_ + "'").c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// CRC-32 (IEEE 802.3), written apart from the registry's own.
inline uint32_t Crc32(const std::string& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

using Bytes = std::vector<uint8_t>;

// The bytes a storing archive writes.
template <typename F>
Bytes Store(F&& write)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    return file.Detach();
}

}  // namespace platform::test
