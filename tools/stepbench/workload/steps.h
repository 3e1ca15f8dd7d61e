/* The stepping workload's modules. */
#ifndef STEPS_H
#define STEPS_H

#include <stdint.h>

#define ROUNDS 3000
#define VALUES 8
#define LEDGER_ENTRIES 4000

struct account {
    int32_t balance;
    int32_t lowest;
    uint32_t entries;
    uint8_t flags;
};

/* values.c: a pseudo-random source kept out of line at every level, and a
   recursive depth count. */
uint32_t next_value(uint32_t* state) __attribute__((noinline));
int tree_depth(uint32_t key, int limit) __attribute__((noinline));

/* rounds.c */
int32_t round_of_work(int round);

/* ledger.c */
int32_t ledger(int count);

#endif
