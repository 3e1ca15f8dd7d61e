/* The stepping workload: rounds of work, then a ledger. */
#include <stdio.h>

#include "steps.h"

int main(void)
{
    long total = 0;
    int round;

    for (round = 0; round < ROUNDS; round++)
        total += round_of_work(round);
    printf("rounds %d total %ld\n", ROUNDS, total);
    total += ledger(LEDGER_ENTRIES);
    printf("ledger total %ld\n", total);
    return 0;
}
