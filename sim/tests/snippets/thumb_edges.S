@ Thumb edge cases, one labelled snippet each. A snippet ends on the Thumb
@ break halfword 0xFEDE (a normal end in Thumb state); every exception vector
@ holds the ARM normal-end word, so an exception stops at its vector.
        .syntax unified
        .section .vectors, "ax"
        .arm
        .global _start
_start:
        .rept 8
        swi     0x11
        .endr

        .text
        .thumb
        .macro  case name
        .align  2
        .global \name
        .type   \name, %function
        .thumb_func
\name:
        .endm
        .macro  done
        .hword  0xFEDE
        .align  2
        .ltorg
        .endm

case lsrs_imm32
        ldr     r1, =0x80000000
        lsrs    r0, r1, #32
        done
case asrs_imm32
        ldr     r1, =0x80000000
        asrs    r0, r1, #32
        done
case lsls_reg32
        movs    r0, #3
        movs    r1, #32
        lsls    r0, r1
        done
case rors_reg_by_zero_keeps_carry
        movs    r2, #0
        cmp     r2, #0          @ C := 1
        movs    r0, #5
        rors    r0, r2
        done
case negs_zero
        movs    r1, #0
        negs    r0, r1
        done
case adcs_sbcs
        movs    r0, #0
        cmp     r0, #0          @ C := 1
        movs    r1, #5
        movs    r2, #3
        adcs    r1, r2          @ 5 + 3 + 1
        movs    r3, #10
        sbcs    r3, r2          @ C is 0 after adcs: 10 - 3 - 1
        done
case muls_bics_mvns
        movs    r0, #6
        movs    r1, #7
        muls    r0, r1
        movs    r2, #0xFF
        movs    r3, #0x0F
        bics    r2, r3
        mvns    r4, r3
        done
case mov_high_registers
        movs    r0, #9
        mov     r9, r0
        mov     r8, r9
        mov     r1, r8
        done
case add_high_register_and_cmp
        movs    r0, #200
        mov     r10, r0
        add     r10, r0
        mov     r1, r10
        cmp     r10, r0
        done
case mov_low_registers_in_high_format
        .hword  0x4608          @ mov r0, r1 with H1 = H2 = 0
case mov_reads_pc_plus_4_unmasked
        nop
        mov     r0, pc          @ at a halfword address: PC + 4, bit 1 kept
        done
case add_pc_immediate_masks
        nop
        add     r0, pc, #4      @ at a halfword address: (PC + 4) & ~3, + 4
        done
case ldr_pc_relative
        nop
        ldr     r0, 1f          @ at a halfword address
        done
1:      .word   0xCAFEF00D
case ldsb_ldrh_ldsh
        ldr     r1, =buf
        ldr     r2, =0x80008080
        str     r2, [r1]
        movs    r3, #0
        ldsb    r0, [r1, r3]
        ldrh    r4, [r1, #2]
        movs    r3, #2
        ldsh    r5, [r1, r3]
        strh    r2, [r1, r3]
        ldr     r6, [r1]
        done
case ldr_str_byte_and_rotate
        ldr     r1, =buf
        ldr     r2, =0x44332211
        str     r2, [r1]
        movs    r3, #1
        ldr     r0, [r1, r3]    @ unaligned: rotated
        ldrb    r4, [r1, #3]
        movs    r5, #0x99
        strb    r5, [r1, #0]
        ldr     r6, [r1]
        done
case sp_relative_and_adjust
        mov     r7, sp
        ldr     r0, =buf + 32
        mov     sp, r0
        sub     sp, #8
        movs    r1, #0x5A
        str     r1, [sp, #4]
        ldr     r2, [sp, #4]
        add     r3, sp, #4
        add     sp, #8
        mov     r4, sp
        mov     sp, r7
        done
case push_pop_with_lr_and_pc
        mov     r7, sp
        ldr     r0, =buf + 32
        mov     sp, r0
        movs    r1, #1
        movs    r2, #2
        ldr     r3, =1f + 1
        mov     lr, r3
        push    {r1, r2, lr}
        movs    r1, #0
        movs    r2, #0
        pop     {r1, r2, pc}
        nop
1:      mov     r4, sp
        mov     sp, r7
        done
case pop_pc_even_stays_thumb
        mov     r7, sp
        ldr     r0, =buf + 32
        mov     sp, r0
        ldr     r3, =1f         @ bit 0 clear: ARMv4T stays in Thumb state
        push    {r3}
        pop     {pc}
        nop
1:      mov     sp, r7
        movs    r0, #77
        done
case stmia_ldmia_base_in_list
        ldr     r1, =buf
        movs    r0, #0x11
        stmia   r1!, {r0, r1}   @ r1 not lowest: stores the final address
        ldr     r2, =buf
        ldr     r3, [r2, #4]
        ldr     r4, =buf
        .hword  0xCC30          @ ldmia r4!, {r4, r5}: r4 keeps the loaded value
        done
case stmia_lowest_base_stores_original
        ldr     r0, =buf
        movs    r1, #0x22
        stmia   r0!, {r0, r1}
        ldr     r2, =buf
        ldr     r3, [r2]
        done
case ldmia_base_last_keeps_loaded
        ldr     r1, =buf
        movs    r0, #0x33
        str     r0, [r1, #4]
        .hword  0xC903          @ ldmia r1!, {r0, r1}
        done
case ldmia_base_first_keeps_loaded
        ldr     r1, =buf
        movs    r0, #0x44
        str     r0, [r1]
        movs    r0, #0x55
        str     r0, [r1, #4]
        .hword  0xC906          @ ldmia r1!, {r1, r2}
        done
case ldmia_base_middle_keeps_loaded
        ldr     r1, =buf
        movs    r0, #0x66
        str     r0, [r1, #4]
        .hword  0xC907          @ ldmia r1!, {r0, r1, r2}
        done
case conditional_branches
        movs    r0, #0
        movs    r1, #3
1:      adds    r0, #1
        subs    r1, #1
        bne     1b
        cmp     r0, #3
        beq     2f
        movs    r0, #99
2:      b       3f
        movs    r0, #98
3:      done
case bl_sets_link_with_bit0
        bl      1f
bl_return:
        nop
1:      mov     r0, lr
        done
case bx_to_arm_and_back
        ldr     r0, =2f
        bx      r0
        .arm
        .align  2
2:      mov     r1, #21
        adr     r2, 3f + 1
        bx      r2
        .thumb
3:      movs    r3, #22
        done
case swi_in_thumb
        nop
        swi     0x12
case branch_condition_1110_is_undefined
        .hword  0xDEFE
case bx_with_h1_is_undefined
        .hword  0x47F0
case break_halfword_after_literal_looking_like_bl
        b       1f
        .hword  0xF000          @ data that decodes as a BL first half
1:      .hword  0xFEDE          @ the previous instruction was the branch: a break

        .data
        .align  4
        .global buf
buf:    .space  64
