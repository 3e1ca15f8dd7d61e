@ Flash routine of the test device "TESTDEV", loaded raw at R + 0x9000 and
@ run from its first byte till it comes back there. Position-independent
@ ARM code (ARMv4T, no REV), using r0-r11 only and no stack.
@
@ The parameter block at R holds fifteen words, each byte-reversed: flash
@ start (0), flash size (4), destination offset in the flash (8), length
@ (12), operation (24: 0 erase, 1 program). The chunk's data is at R + 0x40.
@ Erase fills [start, start + size) with 0xFF; program copies length bytes
@ from R + 0x40 to start + destination, or answers 1 when they would pass
@ the flash's end. The result goes to R + 0x1C, byte-reversed; then the
@ routine branches back to its entry.

        .syntax unified
        .arm
        .text

@ r0 := r0 with its bytes reversed (r1 scratch).
        .macro  SWAP32
        eor     r1, r0, r0, ror #16
        bic     r1, r1, #0x00FF0000
        mov     r0, r0, ror #8
        eor     r0, r0, r1, lsr #8
        .endm

        .macro  LOADWORD reg, offset
        ldr     r0, [r11, #\offset]
        SWAP32
        mov     \reg, r0
        .endm

@ A local label: the branch back is resolved here, the file is never linked.
entry:
        mov     r0, r0                  @ the debugger's step off the PC runs this
        sub     r11, pc, #12            @ pc reads entry + 12 here: r11 = entry
        sub     r11, r11, #0x9000       @ r11 = R
        LOADWORD r4, 0                  @ flash start
        LOADWORD r5, 4                  @ flash size
        LOADWORD r6, 24                 @ operation
        cmp     r6, #0
        bne     program

        mov     r2, #0xFF
        mov     r3, r4
        add     r7, r4, r5
1:      cmp     r3, r7
        strblo  r2, [r3], #1
        blo     1b
        mov     r0, #0
        b       done

program:
        LOADWORD r8, 8                  @ destination offset
        LOADWORD r9, 12                 @ length
        adds    r7, r8, r9              @ end offset; a carry is past 4 GB
        bcs     too_long
        cmp     r7, r5
        bhi     too_long
        add     r3, r4, r8
        add     r2, r11, #0x40
        cmp     r9, #0
        beq     copied
2:      ldrb    r1, [r2], #1
        strb    r1, [r3], #1
        subs    r9, r9, #1
        bne     2b
copied:
        mov     r0, #0
        b       done
too_long:
        mov     r0, #1

done:
        SWAP32
        str     r0, [r11, #0x1C]
        b       entry
