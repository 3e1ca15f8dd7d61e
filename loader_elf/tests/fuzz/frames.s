@ ARM and Thumb functions with their frame rules in .debug_frame and the
@ EABI marks of their instruction sets (mapping symbols, Thumb bit 0).
        .syntax unified
        .cfi_sections .debug_frame
        .text
        .arm
        .global _start
        .type   _start, %function
_start:
        .cfi_startproc
        push    {r11, lr}
        .cfi_def_cfa_offset 8
        .cfi_offset 11, -8
        .cfi_offset 14, -4
        ldr     r0, =thumb_fn
        mov     lr, pc
        bx      r0
        pop     {r11, lr}
        bx      lr
        .cfi_endproc
        .size   _start, .-_start
        .ltorg
        .thumb
        .thumb_func
        .type   thumb_fn, %function
thumb_fn:
        .cfi_startproc
        push    {r7, lr}
        .cfi_def_cfa_offset 8
        .cfi_offset 7, -8
        .cfi_offset 14, -4
        pop     {r7, pc}
        .cfi_endproc
        .size   thumb_fn, .-thumb_fn
