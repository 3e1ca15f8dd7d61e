@ LDM with write-back and the base register in the list, in ARM and in
@ Thumb state, with the base first, in the middle and last: the base keeps
@ the value loaded into it. STM with the base lowest in the list follows.
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
        ldr     sp, =0x100000
        ldr     r8, =buf
        @ ARM: base first, middle, last
        mov     r0, r8
        ldmia   r0!, {r0, r1}
        mov     r1, r8
        ldmia   r1!, {r0, r1, r2}
        mov     r2, r8
        ldmia   r2!, {r0, r1, r2}
        add     r3, r8, #12
        ldmdb   r3!, {r1, r3, r4}
        add     r4, r8, #4
        ldmib   r4!, {r4, r5}
        mov     r5, r8
        stmia   r5!, {r5, r6}
        ldr     r6, [r8]
        adr     r0, thumb_code + 1
        bx      r0

        .thumb
        .thumb_func
thumb_code:
        ldr     r0, =buf
        adds    r1, r0, #0
        .hword  0xC906          @ ldmia r1!, {r1, r2}: base first
        adds    r1, r0, #0
        .hword  0xC907          @ ldmia r1!, {r0, r1, r2}: base in the middle
        ldr     r0, =buf
        adds    r2, r0, #0
        .hword  0xCA07          @ ldmia r2!, {r0, r1, r2}: base last
        ldr     r0, =buf
        adds    r3, r0, #0
        .hword  0xCB08          @ ldmia r3!, {r3}: the base alone
        ldr     r4, =buf
        movs    r5, #0x5A
        .hword  0xC430          @ stmia r4!, {r4, r5}: lowest stores the original
        ldr     r4, =buf
        ldr     r6, [r4]
        ldr     r0, =arm_end
        bx      r0
        .ltorg

        .arm
        .align  2
arm_end:
        swi     0x11

        .data
        .align  4
buf:    .word   0x11, 0x22, 0x33, 0x44, 0x55, 0x66
