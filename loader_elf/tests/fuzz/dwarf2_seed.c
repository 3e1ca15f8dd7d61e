#include "dwarf2_seed.h"
int table[4] = {1, 2, 3, 4};
int sum(int n)
{
    int s = 0;
    for (int i = 0; i < n && i < 4; ++i)
        s += twice(table[i]);
    return s;
}
