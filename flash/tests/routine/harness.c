/* The test device's flash routine on its own, as a flash programmer drives
   it: the parameter block written with every word byte-reversed at R, the
   routine copied raw to R + 0x9000, then an erase and chunks of an image.
   A debugger steps the routine's first instruction and runs it with a
   breakpoint on its entry; here the breakpoint is an instruction at the
   entry that returns to this program. The results and the flash bytes are
   printed through semihosting for the test to compare. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#define FLASH_START 0x00200000u
#define FLASH_SIZE 0x00001000u
#define RAM 0x00300000u
#define IMAGE_AT 0x100u
#define IMAGE_SIZE 3000u
#define CHUNK 1024u

extern const uint8_t routine_start[];
extern const uint8_t routine_end[];
/* Calls the routine at `address`, keeping the registers C relies on. */
extern void call_routine(uint32_t address);

static uint32_t Swap(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

static void Put(uint32_t offset, uint32_t value)
{
    *(volatile uint32_t *)(RAM + offset) = Swap(value);
}

static uint32_t Run(void)
{
    volatile uint32_t *entry = (volatile uint32_t *)(RAM + 0x9000);
    memcpy((void *)entry, routine_start, (size_t)(routine_end - routine_start));
    *entry = 0xE1A0F00Eu; /* mov pc, lr: the breakpoint on the entry */
    call_routine(RAM + 0x9000 + 4);
    return Swap(*(volatile uint32_t *)(RAM + 0x1C));
}

static uint8_t ImageByte(uint32_t i)
{
    return (uint8_t)(i * 7 + i / 251);
}

int main(void)
{
    memset((void *)FLASH_START, 0, FLASH_SIZE);
    memset((void *)RAM, 0, 0x40);
    Put(0, FLASH_START);
    Put(4, FLASH_SIZE);
    Put(8, FLASH_START);
    Put(28, 0xAAAAAAAAu);
    Put(36, RAM);
    Put(40, RAM + 0xFFFF);
    Put(24, 0);
    printf("erase %lu\n", (unsigned long)Run());

    Put(24, 1);
    for (uint32_t at = 0; at < IMAGE_SIZE; at += CHUNK) {
        const uint32_t n = IMAGE_SIZE - at < CHUNK ? IMAGE_SIZE - at : CHUNK;
        for (uint32_t i = 0; i < n; ++i)
            ((volatile uint8_t *)(RAM + 0x40))[i] = ImageByte(at + i);
        Put(8, IMAGE_AT + at);
        Put(12, n);
        printf("chunk %lu\n", (unsigned long)Run());
    }
    Put(8, FLASH_SIZE - 10);
    Put(12, 20);
    printf("past the end %lu\n", (unsigned long)Run());

    for (uint32_t line = 0; line < FLASH_SIZE; line += 32) {
        for (uint32_t i = 0; i < 32; ++i)
            printf("%02X", ((volatile uint8_t *)FLASH_START)[line + i]);
        printf("\n");
    }
    return 0;
}
