@ Start-up of the demo project: the stack from the link script's
@ _stackBottom, .bss cleared, main called, its result as the exit reason.
        .text
        .arm
        .global _start
_start:
        ldr     sp, =_stackBottom
        ldr     r0, =_bss_start
        ldr     r1, =_end
        mov     r2, #0
1:      cmp     r0, r1
        strlo   r2, [r0], #4
        blo     1b
        bl      main
        cmp     r0, #0
        ldreq   r1, =0x20026            @ ADP_Stopped_ApplicationExit
        ldrne   r1, =0x20023            @ ADP_Stopped_RunTimeErrorUnknown
        mov     r0, #0x18               @ SYS_EXIT
        swi     0x123456
        b       .
        .ltorg
