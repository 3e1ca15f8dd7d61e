/* A freestanding program for the end-to-end run: sorting, a CRC, recursion,
   64-bit multiplication, library division and a Thumb function called from
   ARM code. Its results go to `result`; main returns their low byte. */
#include <stdint.h>

#define RESULT_WORDS 16

uint32_t result[RESULT_WORDS];

static const char text[] = "The quick brown fox jumps over the lazy dog";
static volatile uint32_t dividend = 1000000007u;
static volatile uint32_t divisor = 13u;

static void __attribute__((noinline)) sort(int32_t *a, unsigned n)
{
    for (unsigned i = 1; i < n; i++) {
        int32_t v = a[i];
        unsigned j = i;
        while (j > 0 && a[j - 1] > v) {
            a[j] = a[j - 1];
            j--;
        }
        a[j] = v;
    }
}

static uint32_t __attribute__((noinline)) crc32(const char *p, unsigned n)
{
    uint32_t crc = 0xFFFFFFFFu;
    while (n--) {
        crc ^= (uint8_t)*p++;
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320u & -(crc & 1));
    }
    return ~crc;
}

static unsigned __attribute__((noinline)) fib(unsigned n)
{
    return n < 2 ? n : fib(n - 1) + fib(n - 2);
}

static uint32_t __attribute__((noinline, target("thumb"))) mix(uint32_t a, uint32_t b)
{
    uint32_t x = a;
    for (int i = 0; i < 5; i++)
        x = (x << 3 | x >> 29) ^ (b + (uint32_t)i);
    return x;
}

int main(void)
{
    int32_t values[8] = {42, -7, 1000, 3, -300, 77, 0, 5};
    sort(values, 8);
    for (unsigned i = 0; i < 8; i++)
        result[i] = (uint32_t)values[i];
    result[8] = crc32(text, sizeof text - 1);
    result[9] = fib(15);
    uint64_t product = (uint64_t)result[8] * 0x9ABCDEF0u;
    result[10] = (uint32_t)(product >> 32);
    result[11] = (uint32_t)product;
    result[12] = dividend / divisor;
    result[13] = dividend % divisor;
    result[14] = mix(result[8], result[9]);
    uint32_t sum = 0;
    for (unsigned i = 0; i < RESULT_WORDS - 1; i++)
        sum = sum * 31 + result[i];
    result[15] = sum;
    return (int)(sum & 0xFF);
}
