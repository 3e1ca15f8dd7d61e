/* Number formatting without the C library's printf. */
#ifndef FORMAT_H
#define FORMAT_H

/* Writes value in the given base (2 to 16) into buf, returns buf. */
char* format_number(char* buf, unsigned size, unsigned value, unsigned base);

#endif
