// The file of the four watch lists: what the debugger saves with a project
// and reads back when the project opens again.
//
// Layout (all numbers little-endian):
//   0   8 bytes  signature "QNRWATCH"
//   8   u32      version (1)
//   12  4 x u32  number of texts of lists 0-3
//   28  texts, list after list: u32 length, then that many bytes (no NUL)
// The file ends after the last text.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quinar {

inline constexpr uint32_t kWatchListCount = 4;
inline constexpr uint32_t kWatchFileVersion = 1;
// Bounds a reader holds a file to (a damaged count or length is caught
// before anything is allocated for it).
inline constexpr uint32_t kMaxWatchTexts = 4096;  // per list
inline constexpr uint32_t kMaxWatchTextLength = 4096;

using WatchLists = std::array<std::vector<std::string>, kWatchListCount>;

std::vector<uint8_t> EncodeWatchFile(const WatchLists& lists);

struct WatchFileFault {
    size_t offset = 0;
    std::string what;
};
// The lists a file holds; false with where and why the bytes are not such
// a file (then *lists is unchanged).
bool DecodeWatchFile(std::span<const uint8_t> bytes, WatchLists* lists, WatchFileFault* fault);

}  // namespace quinar
