/* Prints CONSOLE_LINES lines through semihosting (one write per line:
   standard output is line-buffered on the console). */
#include <stdio.h>

#ifndef CONSOLE_LINES
#define CONSOLE_LINES 20000
#endif

int main(void)
{
    for (int i = 1; i <= CONSOLE_LINES; ++i)
        printf("line %5d of the console's output\n", i);
    return 0;
}
