// Compile-time checks of the encoding tables' decode order. Decoding takes
// the first row that matches, so a row placed after a more general one that
// matches every word it does would never be chosen; the last row is the
// catch-all (mask 0) and nothing follows it.
#pragma once

#include <cstddef>

namespace zk::armdecode {

// Does every word matching `later` also match `earlier`?
template <typename Row>
constexpr bool Covers(const Row& earlier, const Row& later)
{
    return (earlier.mask & later.mask) == earlier.mask && (later.value & earlier.mask) == earlier.value;
}

// Each row can be chosen for some word: no earlier row covers it, and only
// the last row matches everything.
template <typename Rows>
constexpr bool DecodeOrderSound(const Rows& rows)
{
    const size_t n = rows.size();
    if (n == 0 || rows[n - 1].mask != 0)
        return false;
    for (size_t j = 0; j < n; ++j) {
        if ((rows[j].value & ~rows[j].mask) != 0)
            return false;  // a value bit outside its mask never matches
        if (j + 1 < n && rows[j].mask == 0)
            return false;
        for (size_t i = 0; i < j; ++i) {
            if (Covers(rows[i], rows[j]))
                return false;
        }
    }
    return true;
}

}  // namespace zk::armdecode
