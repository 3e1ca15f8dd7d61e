#include "format.h"

char *format_number(char *buf, unsigned size, unsigned value, unsigned base)
{
    static const char digits[] = "0123456789abcdef";
    char tmp[33];
    unsigned n = 0, i;

    if (size == 0)
        return buf;
    do {
        tmp[n++] = digits[value % base];
        value /= base;
    } while (value != 0 && n < sizeof tmp);
    for (i = 0; i < n && i + 1 < size; i++)
        buf[i] = tmp[n - 1 - i];
    buf[i] = '\0';
    return buf;
}
