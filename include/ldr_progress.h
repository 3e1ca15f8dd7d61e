// The progress bar of the image loaders: how far the file position that
// one report shows may move.
#pragma once

#include <algorithm>
#include <cstdint>

// Never behind the position shown last, at most a fifth of a small file
// (under 1000 bytes), a tenth of a middle one (under 10000) or a twentieth
// of a large one ahead of it, and never past the file's end.
inline uint64_t NextLoadPosition(uint64_t position, uint64_t previous, uint64_t size)
{
    const uint64_t step = size < 1000 ? size / 5 : size < 10000 ? size / 10 : size / 20;
    return std::min({std::max(position, previous), previous + step, size});
}
