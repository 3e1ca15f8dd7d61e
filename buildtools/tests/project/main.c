/* Demo program: library string functions, a division from the compiler's
 * support library, C++ code and Thumb code, all printed through semihosting. */
#include <string.h>

extern int twice(int x);
extern int thumb_sum(int a, int b);

static char line[80];          /* .bss */
static int divisor = 7;        /* .data */
static volatile int dividend = 1000;

/* A semihosting call. From SVC mode the SWI itself overwrites lr. */
static int semihost(int op, void* arg)
{
    register int r0 asm("r0") = op;
    register void* r1 asm("r1") = arg;
    asm volatile("swi 0x123456" : "+r"(r0) : "r"(r1) : "memory", "lr");
    return r0;
}

/* Standard output is ":tt" opened for writing (mode 4). */
static void write0(const char* text)
{
    static int console = -1;
    if (console < 0) {
        const void* open[3] = {":tt", (void*)4, (void*)3};
        console = semihost(0x01, (void*)open); /* SYS_OPEN */
    }
    const void* write[3] = {(void*)console, text, (void*)strlen(text)};
    semihost(0x05, (void*)write); /* SYS_WRITE */
}

static void number(char* at, int value)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    while (n)
        *at++ = digits[--n];
    *at = 0;
}

int main(void)
{
    strcpy(line, "quotient ");
    number(line + strlen(line), dividend / divisor);
    strcpy(line + strlen(line), " twice ");
    number(line + strlen(line), twice(21));
    strcpy(line + strlen(line), " sum ");
    number(line + strlen(line), thumb_sum(40, 2));
    strcpy(line + strlen(line), " length ");
    number(line + strlen(line), (int)strlen(line));
    strcpy(line + strlen(line), "\n");
    write0(line);
    return 0;
}
