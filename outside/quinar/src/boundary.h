// Helpers of the C entry points: they turn the typed answers of SymbolStore
// into out-pointers and caller's buffers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "quinar/symbol_store.h"

namespace quinar {

// Out-pointers that a caller does not want may be null.
template <class T, class V>
void Put(T* out, V value)
{
    if (out)
        *out = static_cast<T>(value);
}

// The value into *out when there is one; the result code either way.
template <class T>
SymResult Deliver(const Result<T>& r, T* out)
{
    if (r.ok() && out)
        *out = r.value;
    return r.status;
}

// A text into a caller's buffer of `size` bytes, cut to fit with its NUL;
// nothing for a null buffer.
inline void CopyText(char* buffer, size_t size, std::string_view text)
{
    if (!buffer || size == 0)
        return;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace quinar
