@ A program on which the simulator and qemu part ways: LDMIA with the base
@ in the list and write-back, the base not the last register loaded. The
@ core writes the final address back over the loaded r0; qemu keeps the
@ loaded value. lockstep must stop there and show both register sets.
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
        ldr     r0, =buf
        mov     r2, #2
        .word   0xE8B00003              @ ldmia r0!, {r0, r1}
        mov     r3, #3
        swi     0x11
        .ltorg

        .data
        .align  4
buf:    .word   0x11, 0x22
