#include "dwarf2_seed.h"
int other(int v) { return twice(v) + 1; }
