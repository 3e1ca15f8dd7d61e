@ One instruction of each difference category that lockstep knows between
@ the simulator and qemu, so that lockstep counts each exactly once and the
@ comparison goes on to the normal end.
        .syntax unified
        .arm
        .section .vectors, "ax"
        .global _start
_start:
        b       main_code
        movs    pc, lr                  @ undefined instruction: return after it
        .rept   6
        b       .
        .endr

        .text
main_code:
        ldr     sp, =0x100000
        ldr     r1, =buf
        str     pc, [r1]                @ store-pc
        ldr     r2, [r1]
        stmia   r1, {r0, pc}            @ store-pc (r15 the last register stored)
        ldr     r3, [r1, #4]
        mov     r4, #0
        add     r5, r4, pc, lsl r4      @ shifted-pc-read
        ldr     r6, =0x44332211
        str     r6, [r1, #8]
        ldr     r7, [r1, #9]            @ unaligned-ldr
        ldrh    r8, [r1, #9]            @ unaligned-halfword
        .word   0xF3A09001              @ nv-condition: MOVNV r9, #1
        mov     r10, #10
        swi     0x11
        .ltorg

        .data
        .align  4
buf:    .space  32
