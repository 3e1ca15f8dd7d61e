/* One round of work: values drawn, mixed, sorted a little, classified. */
#include "mix.h"
#include "steps.h"

static uint32_t s_state = 0x1234567u;
static int32_t s_values[VALUES];

static void sort_values(int32_t *a, int n)
{
    int i, j;
    for (i = 1; i < n; i++) {
        int32_t v = a[i];
        for (j = i - 1; j >= 0 && a[j] > v; j--)
            a[j + 1] = a[j];
        a[j + 1] = v;
    }
}

static int classify(int32_t v)
{
    switch ((v >> 4) & 7) {
    case 0:
        return 1;
    case 1:
    case 2:
        return v & 3;
    case 5:
        return -2;
    default:
        return 0;
    }
}

int32_t round_of_work(int round)
{
    uint32_t hash = (uint32_t)round;
    int32_t score = 0;
    int i;

    for (i = 0; i < VALUES; i++) {
        uint32_t v = next_value(&s_state);
        hash = mix(hash, v);
        s_values[i] = (int32_t)(v % 2000) - 1000;
    }
    sort_values(s_values, VALUES);
    for (i = 0; i < VALUES; i++)
        score += classify(s_values[i]);
    score += tree_depth(hash, 6);
    score = clamp(score + s_values[VALUES - 1] / 100, -50, 50);
    return score;
}
