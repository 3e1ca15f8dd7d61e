    .text
    .global _start
_start:
    swi 0x11
    .global __SP_INIT
    .set __SP_INIT, 0x80010
    .global __SP_END
    .set __SP_END, 0x80000
    .section .debug,""
    .word 8, 0x11
