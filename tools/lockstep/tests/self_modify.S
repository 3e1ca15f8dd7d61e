@ Programs that write code and run it, in ARM and in Thumb state: an
@ instruction copied into a buffer and run from there, the buffer rewritten
@ and run again, and a store into the very next instruction.
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
        ldr     r8, =code_buf
        ldr     r9, =ret_word
        ldr     r9, [r9]                @ bx lr
        @ ARM: mov r0, #1 into the buffer, run it; then mov r0, #2, run again
        ldr     r1, =0xE3A00001
        str     r1, [r8]
        str     r9, [r8, #4]
        mov     lr, pc
        mov     pc, r8
        mov     r4, r0
        add     r1, r1, #1
        str     r1, [r8]
        mov     lr, pc
        mov     pc, r8
        mov     r5, r0
        @ a store into the next instruction: the new word runs
        ldr     r1, =0xE3A06007         @ mov r6, #7
        adr     r2, next_arm
        str     r1, [r2]
next_arm:
        mov     r6, #1
        @ Thumb: movs r0, #3; bx lr into the buffer, run it, rewrite to #4
        ldr     r1, =0x47702003         @ movs r0, #3 ; bx lr
        str     r1, [r8, #16]
        add     r2, r8, #17
        mov     lr, pc
        bx      r2
        mov     r7, r0
        ldr     r1, =0x47702004         @ movs r0, #4 ; bx lr
        strh    r1, [r8, #16]
        add     r2, r8, #17
        mov     lr, pc
        bx      r2
        add     r7, r7, r0
        adr     r0, thumb_part + 1
        bx      r0

        .thumb
        .thumb_func
thumb_part:
        @ a Thumb store into the next halfword: movs r3, #9 replaces movs r3, #1
        ldr     r1, =0x2309
        ldr     r2, =next_thumb
        strh    r1, [r2]
next_thumb:
        movs    r3, #1
        ldr     r0, =arm_end
        bx      r0
        .ltorg

        .arm
        .align  2
arm_end:
        swi     0x11
        .ltorg
ret_word:
        bx      lr

        .data
        .align  4
code_buf:
        .space  32
