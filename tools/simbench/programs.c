/* The benchmark's three programs, one chosen at build time: CRC (-DCRC), a
   CRC-32 over a buffer; SORT (-DSORT), insertion sorts of pseudo-random
   values; INTERP (-DINTERP), a byte-code interpreter whose dispatch is a
   switch (a jump table: one indirect branch per byte code) counting primes.
   Built with PROTECTED, main first turns on the protection unit, the caches
   and the branch target buffer through CP15 (as bench.c does). */
#include <stdint.h>

static volatile uint32_t seed = 0x2545F491u;

#ifdef PROTECTED
#define CP15_WRITE(crn, crm, value) __asm__ volatile("mcr p15, 0, %0, " #crn ", " #crm ", 0" : : "r"(value))

/* Region 0: all 4 GB, non-cacheable. Region 1: 0-64 KB, code and data.
   Region 2: 0xF0000-0xFFFFF, the stack. Regions 1 and 2 cacheable on both
   sides, the data side write-back. */
/* An ARM function in Thumb builds too: Thumb has no coprocessor instructions. */
__attribute__((target("arm"), noinline)) static void protect(void) {
    CP15_WRITE(c6, c0, 0x0000003Fu);
    CP15_WRITE(c6, c1, 0x0000001Fu);
    CP15_WRITE(c6, c2, 0x000F001Fu);
    CP15_WRITE(c5, c0, 0x0000003Fu);
    CP15_WRITE(c5, c1, 0x0000003Fu);
    CP15_WRITE(c2, c0, 0x00000006u);
    CP15_WRITE(c1, c0, 0x0000001Du);
}
#endif

#if defined(CRC)
static uint32_t table[256];
static uint8_t buffer[4096];

static uint32_t run(void) {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    uint32_t x = seed, crc = 0;
    for (uint32_t i = 0; i < sizeof buffer; ++i) buffer[i] = (uint8_t)((x = x * 1664525u + 1013904223u) >> 3);
    for (int round = 0; round < 3000; ++round) {
        uint32_t c = ~crc;
        for (uint32_t i = 0; i < sizeof buffer; ++i) c = table[(c ^ buffer[i]) & 0xFF] ^ (c >> 8);
        crc = ~c;
    }
    return crc;
}
#elif defined(SORT)
static int32_t values[512];

static uint32_t run(void) {
    uint32_t x = seed, sum = 0;
    for (int round = 0; round < 400; ++round) {
        for (int i = 0; i < 512; ++i) values[i] = (int32_t)(x = x * 1103515245u + 12345u) >> 8;
        for (int i = 1; i < 512; ++i) {
            int32_t v = values[i];
            int j = i - 1;
            while (j >= 0 && values[j] > v) {
                values[j + 1] = values[j];
                --j;
            }
            values[j + 1] = v;
        }
        sum += (uint32_t)values[round & 511];
    }
    return sum;
}
#elif defined(INTERP)
enum { PUSH, LOAD, STORE, ADD, SUB, MUL, MOD, LT, JZ, JNZ, JMP, INC, HALT };

/* count = 0; for (n = 2; n < limit; ++n) { d = 2; while (!(n < d * d) && n % d) ++d;
   if (n < d * d) ++count; } with n in v0, d in v1, count in v2, limit in v3. */
static const uint8_t code[] = {
    PUSH, 0, STORE, 2,                                  /* 0: count = 0 */
    PUSH, 2, STORE, 0,                                  /* 4: n = 2 */
    LOAD, 0, LOAD, 3, LT, JZ, 56,                       /* 8: while (n < limit) */
    PUSH, 2, STORE, 1,                                  /* 15: d = 2 */
    LOAD, 0, LOAD, 1, LOAD, 1, MUL, LT, JNZ, 40,        /* 19: n < d * d: done */
    LOAD, 0, LOAD, 1, MOD, JZ, 40,                      /* 29: n % d == 0: done */
    INC, 1, JMP, 19,                                    /* 36: ++d */
    LOAD, 0, LOAD, 1, LOAD, 1, MUL, LT, JZ, 52,         /* 40: done: prime? */
    INC, 2,                                             /* 50: ++count */
    INC, 0, JMP, 8,                                     /* 52: ++n */
    HALT,                                               /* 56 */
};

static uint32_t interpret(const uint8_t* pc, int32_t* vars) {
    int32_t stack[16];
    int sp = 0;
    for (;;) {
        switch (*pc++) {
        case PUSH: stack[sp++] = *pc++; break;
        case LOAD: stack[sp++] = vars[*pc++]; break;
        case STORE: vars[*pc++] = stack[--sp]; break;
        case ADD: --sp; stack[sp - 1] += stack[sp]; break;
        case SUB: --sp; stack[sp - 1] -= stack[sp]; break;
        case MUL: --sp; stack[sp - 1] *= stack[sp]; break;
        case MOD: --sp; stack[sp - 1] %= stack[sp]; break;
        case LT: --sp; stack[sp - 1] = stack[sp - 1] < stack[sp]; break;
        case JZ: { uint8_t to = *pc++; if (!stack[--sp]) pc = code + to; break; }
        case JNZ: { uint8_t to = *pc++; if (stack[--sp]) pc = code + to; break; }
        case JMP: pc = code + *pc; break;
        case INC: ++vars[*pc++]; break;
        default: return (uint32_t)vars[2];
        }
    }
}

static uint32_t run(void) {
    int32_t vars[4] = {0, 0, 0, 30000 + (int32_t)(seed & 1)};
    return interpret(code, vars);
}
#else
#error "choose CRC, SORT or INTERP"
#endif

int main(void) {
#ifdef PROTECTED
    protect();
#endif
    return (int)run();
}
