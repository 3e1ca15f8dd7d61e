/* Prints 20,000 lines through semihosting (one write per line: standard
   output is line-buffered on the console). */
#include <stdio.h>

int main(void)
{
    for (int i = 1; i <= 20000; ++i)
        printf("line %5d of the console's output\n", i);
    return 0;
}
