/* A small program linked with newlib (semihosting start-up): formatted
 * output, sorting, string to number conversion and 64-bit arithmetic pull
 * in a good part of the C library, ARM or Thumb as built. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int compare(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

int main(int argc, char** argv) {
    double values[] = {3.5, -1.25, 1e10, 0.0, 2.75};
    qsort(values, sizeof values / sizeof values[0], sizeof values[0], compare);
    char text[64];
    snprintf(text, sizeof text, "%g %g %lld", values[0], strtod("6.25", NULL), (long long)argc << 40);
    unsigned long long h = 1469598103934665603ull;
    for (const char* p = argc > 1 ? argv[1] : text; *p; ++p) h = (h ^ (unsigned char)*p) * 1099511628211ull;
    printf("%s %llx %zu\n", text, h / 7, strlen(text));
    return 0;
}
