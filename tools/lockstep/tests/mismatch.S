@ A program on which the simulator and qemu part ways: STMIA with write-back
@ and the base in the list, not its lowest register. The core stores the
@ final address for the base (ARM7TDMI); qemu stores the original value.
@ The load after it differs: lockstep must stop there and show both
@ register sets.
        .syntax unified
        .arm
        .section .vectors, "ax"
        .global _start
_start:
        b       main_code
        .rept   7
        b       .
        .endr

        .text
main_code:
        ldr     r1, =buf
        mov     r0, #0x11
        .word   0xE8A10003              @ stmia r1!, {r0, r1}
        ldr     r2, =buf
        ldr     r0, [r2, #4]
        mov     r3, #3
        swi     0x11
        .ltorg

        .data
        .align  4
buf:    .word   0, 0
