/* Example program: fills a queue with squares, drains it and prints the
   values in decimal and hexadecimal through semihosting. */
#include <stdio.h>

#include "format.h"
#include "queue.h"

static struct queue squares;

int main(void)
{
    char hex[12];
    int value, total = 0;

    printf("Hello from the ARM target\n");
    queue_init(&squares);
    for (int i = 1; queue_put(&squares, i * i); i++)
        ;
    while (queue_get(&squares, &value)) {
        total += value;
        printf("%3d = 0x%s\n", value, format_number(hex, sizeof hex, (unsigned)value, 16));
    }
    printf("sum of squares: %d\n", total);
    return 0;
}
