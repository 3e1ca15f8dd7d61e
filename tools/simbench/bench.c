/* The run-loop benchmark's program: CRC-32 over a buffer and an insertion
   sort, repeated; about 210 million instructions in ARM state and 230
   million in Thumb state. Built with PROTECTED, main first turns on the
   protection unit, the caches and the branch target buffer through CP15. */
#include <stdint.h>

#ifndef ROUNDS
#define ROUNDS 1400
#endif

static uint32_t table[256];
static uint8_t buffer[4096];
static int32_t values[256];
static volatile uint32_t seed = 0x2545F491u;

static uint32_t crc32(const uint8_t* p, uint32_t n, uint32_t c) {
    c = ~c;
    while (n--) c = table[(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

static void sort(int32_t* a, int n) {
    for (int i = 1; i < n; ++i) {
        int32_t v = a[i];
        int j = i - 1;
        while (j >= 0 && a[j] > v) {
            a[j + 1] = a[j];
            --j;
        }
        a[j + 1] = v;
    }
}

#ifdef PROTECTED
#define CP15_WRITE(crn, crm, value) __asm__ volatile("mcr p15, 0, %0, " #crn ", " #crm ", 0" : : "r"(value))

/* Region 0: all 4 GB, non-cacheable (the background). Region 1: 0-64 KB,
   code and data. Region 2: 0xF0000-0xFFFFF, the stack. Region 7: 1 MB at
   0x80000000, no access. Regions 1 and 2 are cacheable on both sides, the
   data side write-back. */
static void protect(void) {
    CP15_WRITE(c6, c0, 0x0000003Fu);
    CP15_WRITE(c6, c1, 0x0000001Fu);
    CP15_WRITE(c6, c2, 0x000F001Fu);
    CP15_WRITE(c6, c7, 0x80000027u);
    CP15_WRITE(c5, c0, 0x0000003Fu);
    CP15_WRITE(c5, c1, 0x0000003Fu);
    CP15_WRITE(c2, c0, 0x0006003Cu);
    CP15_WRITE(c1, c0, 0x0000001Du);
}
#endif

int main(void) {
#ifdef PROTECTED
    protect();
#endif
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    uint32_t x = seed, crc = 0, sum = 0;
    for (uint32_t i = 0; i < sizeof buffer; ++i) buffer[i] = (uint8_t)(x = x * 1664525u + 1013904223u) >> 3;
    for (int round = 0; round < ROUNDS; ++round) {
        crc = crc32(buffer, sizeof buffer, crc);
        for (int i = 0; i < 256; ++i) values[i] = (int32_t)(x = x * 1103515245u + 12345u) >> 8;
        sort(values, 256);
        sum += (uint32_t)values[round & 255];
    }
    return (int)(crc ^ sum);
}
