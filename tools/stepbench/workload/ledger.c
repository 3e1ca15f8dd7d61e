/* A ledger: a long loop of short lines, one out-of-line call per entry. */
#include "mix.h"
#include "steps.h"

static struct account s_account;

int32_t ledger(int count)
{
    uint32_t state = 0xFEEDu;
    int i;

    s_account.balance = 0;
    s_account.lowest = 0;
    for (i = 0; i < count; i++) {
        uint32_t v = next_value(&state);
        int32_t amount = (int32_t)(v % 1000) - 480;
        if (v & 0x100)
            amount = -amount;
        s_account.balance += amount;
        s_account.entries++;
        if (s_account.balance < s_account.lowest)
            s_account.lowest = s_account.balance;
        s_account.flags = (uint8_t)mix(s_account.flags, v);
    }
    return clamp(s_account.balance, -100000, 100000) + s_account.lowest;
}
