/* The workload's values: xorshift and a recursive walk. */
#include "steps.h"

uint32_t next_value(uint32_t *state)
{
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    *state = x;
    return x;
}

int tree_depth(uint32_t key, int limit)
{
    int left, right;
    if (limit == 0 || (key & 3) == 0)
        return 0;
    left = tree_depth(key >> 2, limit - 1);
    right = tree_depth(key >> 3, limit - 1);
    return 1 + (left > right ? left : right);
}
