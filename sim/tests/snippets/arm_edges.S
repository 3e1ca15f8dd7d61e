@ ARM edge cases of the simulator, one labelled snippet each. Every snippet
@ ends on the normal-end word (SWI 0x11); every exception vector holds that
@ word too, so a snippet that raises an exception stops at its vector.
#include "snippets.inc"

@ ---- shifter -------------------------------------------------------------
case movs_lsr32                 @ LSR #32 is encoded as LSR #0
        ldr     r1, =0x80000001
        movs    r0, r1, lsr #32
        done
case movs_asr32
        ldr     r1, =0x80000000
        movs    r0, r1, asr #32
        done
case movs_rrx                   @ ROR #0 is RRX
        ldr     r1, =0x00000003
        mov     r2, #0
        subs    r2, r2, #0      @ C := 1
        movs    r0, r1, rrx
        done
case movs_lsl_reg32
        ldr     r1, =0x00000003
        mov     r2, #32
        movs    r0, r1, lsl r2
        done
case movs_lsl_reg33
        ldr     r1, =0x00000003
        mov     r2, #33
        movs    r0, r1, lsl r2
        done
case movs_lsr_reg32
        ldr     r1, =0x80000000
        mov     r2, #32
        movs    r0, r1, lsr r2
        done
case movs_asr_reg40
        ldr     r1, =0x80000000
        mov     r2, #40
        movs    r0, r1, asr r2
        done
case movs_ror_reg32
        ldr     r1, =0x80000001
        mov     r2, #32
        movs    r0, r1, ror r2
        done
case movs_ror_reg36
        ldr     r1, =0x0000001F
        mov     r2, #36
        movs    r0, r1, ror r2
        done
case movs_lsl_reg_uses_low_byte
        ldr     r1, =0x00000001
        ldr     r2, =0x00000104  @ amount 4: only the bottom byte counts
        movs    r0, r1, lsl r2
        done
case movs_imm_rotated           @ rotated immediate: C from bit 31
        movs    r0, #0x80000000
        done
case add_pc_shifted_by_register @ Rm = pc with a register shift reads PC + 12
        mov     r2, #0
        add     r0, r1, pc, lsl r2
        done

@ ---- arithmetic flags ----------------------------------------------------
case adds_signed_overflow
        ldr     r1, =0x7FFFFFFF
        adds    r0, r1, #1
        done
case subs_zero_minus_one
        mov     r1, #0
        subs    r0, r1, #1
        done
case adcs_with_carry_in
        mov     r3, #0
        subs    r3, r3, #0      @ C := 1
        ldr     r1, =0xFFFFFFFF
        adcs    r0, r1, #0      @ 0xFFFFFFFF + 0 + 1
        done
case sbcs_with_borrow
        mov     r3, #1
        subs    r3, r3, #2      @ C := 0 (borrow)
        mov     r1, #5
        sbcs    r0, r1, #2      @ 5 - 2 - 1
        done
case rscs_reverse
        mov     r1, #3
        rsbs    r0, r1, #10     @ 10 - 3
        done
case cmn_sets_carry
        ldr     r1, =0xFFFFFFFF
        cmn     r1, #1
        done
case teq_keeps_overflow
        ldr     r1, =0x7FFFFFFF
        adds    r1, r1, #1      @ V := 1
        teq     r1, r1          @ Z := 1, V kept
        done
case cmp_without_s_is_undefined
        .word   0xE1400001      @ CMP r0, r1 with the S bit clear
        done

@ ---- multiply ------------------------------------------------------------
case muls_negative
        mvn     r1, #0          @ -1
        mov     r2, #5
        muls    r0, r1, r2
        done
case mla_accumulates
        mov     r1, #7
        mov     r2, #6
        mov     r3, #100
        mla     r0, r1, r2, r3
        done
case umull_full_product
        ldr     r2, =0xFFFFFFFF
        ldr     r3, =0xFFFFFFFF
        umull   r0, r1, r2, r3
        done
case smulls_negative
        mvn     r2, #1          @ -2
        mov     r3, #3
        smulls  r0, r1, r2, r3
        done
case umlals_zero
        mov     r0, #0
        mov     r1, #0
        mov     r2, #0
        mov     r3, #9
        umlals  r0, r1, r2, r3
        done
case smlal_accumulates
        mov     r0, #1
        mov     r1, #0
        mvn     r2, #0          @ -1
        mov     r3, #2
        smlal   r0, r1, r2, r3  @ 1 + (-2)
        done

@ ---- single transfers ----------------------------------------------------
case ldr_unaligned_rotates
        ldr     r1, =buf
        ldr     r2, =0x44332211
        str     r2, [r1]
        ldr     r0, [r1, #1]
        done
case ldrb_zero_extends
        ldr     r1, =buf
        ldr     r2, =0x80FF7F01
        str     r2, [r1]
        ldrb    r0, [r1, #2]
        done
case str_pc_stores_plus_12
        ldr     r1, =buf
        str     pc, [r1]
        ldr     r0, [r1]
        done
case ldr_post_index_writes_back
        ldr     r1, =buf
        ldr     r0, [r1], #4
        done
case ldr_pre_index_writeback
        ldr     r1, =buf
        ldr     r0, [r1, #8]!
        done
case ldr_base_is_destination
        ldr     r1, =buf
        str     r1, [r1, #4]
        mov     r2, #0
        str     r2, [r1, #4]
        ldr     r1, [r1, #4]!   @ the loaded value wins over write-back
        done
case ldr_register_offset_shifted
        ldr     r1, =buf
        ldr     r2, =0x12345678
        str     r2, [r1, #8]
        mov     r3, #2
        ldr     r0, [r1, r3, lsl #2]
        done
case strb_keeps_other_bytes
        ldr     r1, =buf
        mov     r2, #0
        str     r2, [r1]
        mov     r2, #0x12
        strb    r2, [r1, #3]
        ldr     r0, [r1]
        done
case ldrh_ldrsh_ldrsb
        ldr     r1, =buf
        ldr     r2, =0x80F08000
        str     r2, [r1]
        ldrh    r0, [r1]
        ldrsh   r3, [r1]
        ldrsb   r4, [r1, #3]
        ldrsh   r5, [r1, #2]
        done
case strh_post_index
        ldr     r1, =buf
        mov     r2, #0
        str     r2, [r1]
        ldr     r2, =0xABCD1234
        strh    r2, [r1], #2
        strh    r2, [r1]
        ldr     r0, =buf
        ldr     r0, [r0]
        done
case swp_word_and_byte
        ldr     r1, =buf
        ldr     r2, =0x11223344
        str     r2, [r1]
        ldr     r3, =0xAABBCCDD
        swp     r0, r3, [r1]
        ldr     r4, [r1]
        mov     r5, #0x55
        swpb    r6, r5, [r1]
        ldr     r7, [r1]
        done

@ ---- block transfers -----------------------------------------------------
case stmia_lowest_base_stores_original
        ldr     r0, =buf
        mov     r1, #0x77
        stmia   r0!, {r0, r1}
        ldr     r2, =buf
        ldr     r3, [r2]
        done
case stmia_later_base_stores_final
        ldr     r1, =buf
        mov     r0, #0x66
        stmia   r1!, {r0, r1}
        ldr     r2, =buf
        ldr     r3, [r2, #4]
        done
case push_sp_lr_stores_original_sp
        mov     r4, sp
        ldr     sp, =buf + 16
        push    {sp, lr}
        ldr     r0, [sp]
        mov     r1, sp
        mov     sp, r4
        done
case ldmia_base_first_keeps_loaded
        ldr     r0, =buf
        mov     r2, #0x11
        str     r2, [r0]
        mov     r2, #0x22
        str     r2, [r0, #4]
        ldmia   r0!, {r0, r1}
        done
case ldmia_base_middle_keeps_loaded
        ldr     r1, =buf
        mov     r2, #0x11
        str     r2, [r1]
        mov     r2, #0x22
        str     r2, [r1, #4]
        mov     r2, #0x33
        str     r2, [r1, #8]
        ldmia   r1!, {r0, r1, r2}
        done
case ldmdb_base_in_list_keeps_loaded
        ldr     r3, =buf + 8
        mov     r2, #0x44
        str     r2, [r3, #-8]
        mov     r2, #0x55
        str     r2, [r3, #-4]
        ldmdb   r3!, {r2, r3}
        done
case ldmia_base_last_keeps_loaded
        ldr     r1, =buf
        mov     r2, #0x11
        str     r2, [r1]
        mov     r2, #0x22
        str     r2, [r1, #4]
        ldmia   r1!, {r0, r1}
        done
case stmdb_ldmib_addressing
        ldr     r0, =buf + 16
        mov     r1, #1
        mov     r2, #2
        stmdb   r0!, {r1, r2}   @ buf+8: 1, buf+12: 2, r0 = buf+8
        sub     r4, r0, #4
        ldmib   r4, {r5, r6}    @ from buf+8
        ldmda   r0, {r7, r8}    @ from buf+4 and buf+8
        done
case ldm_empty_list_loads_r0
        ldr     r1, =buf
        ldr     r2, =0x5A5A5A5A
        str     r2, [r1]
        mov     r0, r1
        .word   0xE8900000      @ LDMIA r0, {}
        done
case stm_user_bank_from_fiq
        mov     r8, #8          @ USER r8
        msr     cpsr_c, #0xD1   @ FIQ
        mov     r8, #0x88       @ FIQ r8
        ldr     r0, =buf
        stmia   r0, {r8}^
        ldr     r1, [r0]
        mov     r2, r8
        msr     cpsr_c, #0xD3
        done

@ ---- status registers and exception returns -------------------------------
case msr_control_in_user_mode_ignored
        msr     cpsr_c, #0x10   @ to USER
        msr     cpsr_c, #0x1F   @ refused: control lane in USER mode
        msr     cpsr_f, #0xF0000000
        mrs     r0, cpsr
        done
case msr_spsr_in_system_mode
        msr     cpsr_c, #0xDF   @ SYSTEM
        ldr     r1, =0xF00000FF
        msr     spsr_fsxc, r1
        mrs     r0, spsr        @ reads 0 in SYSTEM mode
        done
case msr_switches_bank
        mov     r13, #0x100     @ SVC sp
        msr     cpsr_c, #0xD2   @ IRQ
        mov     r13, #0x200     @ IRQ sp
        msr     cpsr_c, #0xD3
        mov     r0, r13
        done
case movs_pc_lr_restores_spsr
        ldr     r1, =0x60000010 @ USER, Z and C
        msr     spsr_fsxc, r1
        adr     lr, 1f
        movs    pc, lr
1:      mrs     r0, cpsr
        done
case movs_pc_lr_in_user_mode
        msr     cpsr_c, #0x10
        adr     lr, 1f
        movs    r1, #0          @ Z set: the MOVS below would clear it
        movs    pc, lr          @ no SPSR: CPSR back to its value before
1:      mrs     r0, cpsr
        done
case ldm_pc_caret_restores_spsr
        ldr     r1, =0x80000010
        msr     spsr_fsxc, r1
        ldr     r2, =buf
        adr     r3, 1f
        str     r3, [r2]
        ldmia   r2, {pc}^
1:      mrs     r0, cpsr
        done

@ ---- branches, exceptions, conditions --------------------------------------
case bl_sets_link
        bl      1f
        nop
1:      mov     r0, lr
        done
case swi_enters_svc
        msr     cpsr_c, #0x10   @ USER
        swi     0x12
case undefined_space_enters_undef
        .word   0xE7F000F0
case ldc_is_undefined
        ldc     p5, c0, [r0]
case cdp_is_undefined
        cdp     p5, 0, c0, c0, c0, 0
case mrc_other_coprocessor_is_undefined
        mrc     p14, 0, r0, c0, c0, 0
case nv_condition_never_executes
        mov     r0, #1
        .word   0xF3A00002      @ MOVNV r0, #2
        done
case conditional_skip_counts
        mov     r0, #0
        cmp     r0, #1
        moveq   r0, #5
        movne   r1, #6
        done
case bx_to_thumb_and_back
        ldr     r0, =bx_thumb_part + 1
        bx      r0
        .ltorg
        .thumb
        .align  2
bx_thumb_part:
        movs    r1, #42
        nop
        bx      pc              @ at a word address: to ARM at PC + 4
        nop
        .arm
        mov     r2, #7
        done

        .data
        .align  4
        .global buf
buf:    .space  64
