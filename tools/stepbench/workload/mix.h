/* Small helpers the compiler inlines at -O2: their lines show up inside
   their callers. */
#ifndef MIX_H
#define MIX_H

#include <stdint.h>

static inline uint32_t rotate_left(uint32_t x, int n)
{
    n &= 31;
    return n ? (x << n) | (x >> (32 - n)) : x;
}

static inline uint32_t mix(uint32_t h, uint32_t v)
{
    h ^= v;
    h = rotate_left(h, 5);
    h = h * 0x9E3779B1u;
    return h;
}

static inline int32_t clamp(int32_t v, int32_t lo, int32_t hi)
{
    if (v < lo)
        return lo;
    if (v > hi)
        return hi;
    return v;
}

#endif
