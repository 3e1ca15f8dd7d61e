    .text
    .global _start
_start:
    mov r0, #1
    ldr r1, =value
    swi 0x11
    .data
value: .word 0x12345678
    .section .stack,"aw"
    .space 16
    .bss
zeroed: .space 8
