@ Programs that turn on protection regions and caches through CP15, one
@ labelled snippet each, ending on the normal-end word or at the vector of
@ the exception they raise.
@
@ Scratch lines: 0x20000, 0x21000, 0x22000 and 0x23000 fall in set 0 of the
@ default data cache (8 KB, 2 ways: a way spans 4 KB).
#include "snippets.inc"

        .macro  label name
        .global \name
\name:
        .endm

        .macro  cp15w crn, crm, value
        ldr     r12, =\value
        mcr     p15, 0, r12, \crn, \crm, 0
        .endm

@ Region 0 covers all 4 GB with full access on both sides; then the
@ cacheability register and the control register as given.
        .macro  protect cacheability, control
        cp15w   c6, c0, 0x3F
        cp15w   c5, c0, 3
        cp15w   c5, c1, 3
        cp15w   c2, c0, \cacheability
        cp15w   c1, c0, \control
        .endm

        .equ    WB_DATA, 0x3            @ region 0: data side write-back
        .equ    WT_DATA, 0x2            @ region 0: data side write-through
        .equ    I_CACHED, 0x10000       @ region 0: instruction side cacheable
        .equ    PROT_D, 0x11            @ protection unit and data cache on
        .equ    PROT_I, 0x09            @ protection unit and instruction cache on

@ ---- protection ----------------------------------------------------------
case prefetch_abort_no_region
        mov     r0, #1
        mcr     p15, 0, r0, c1, c0, 0   @ protection on, no region enabled
        mov     r1, #2                  @ never fetched
        done

case data_abort_refused_store
        cp15w   c6, c0, 0x27            @ region 0: 0-1 MB
        cp15w   c6, c1, 0x00200017      @ region 1: 4 KB at 0x200000
        cp15w   c5, c0, 0x3             @ region 0 full access, region 1 none
        cp15w   c5, c1, 0x3
        cp15w   c1, c0, 0x1
        ldr     r1, =0x200000
        mov     r0, #0x55
label refused_store
        str     r0, [r1]
        done

case user_read_only
        cp15w   c6, c0, 0x3F
        cp15w   c5, c0, 0x3             @ instruction side: full access
        cp15w   c5, c1, 0x2             @ data side: USER mode reads only
        cp15w   c1, c0, 0x1
        ldr     r1, =0x20000
        mov     r0, #7
        str     r0, [r1]                @ privileged: allowed
        msr     cpsr_c, #0x10
        ldr     r2, [r1]                @ USER read: allowed
label user_store
        str     r2, [r1, #4]            @ USER write: data abort
        done

case region_size_clamped
        cp15w   c6, c0, 0x27            @ region 0: 0-1 MB
        cp15w   c6, c2, 0x12345007      @ size field 3: stored as 11 (4 KB)
        mrc     p15, 0, r1, c6, c2, 0
        cp15w   c5, c0, 0x33            @ regions 0 and 2: full access
        cp15w   c5, c1, 0x33
        cp15w   c1, c0, 0x1
        ldr     r0, =0x12345FFC
        ldr     r2, [r0]                @ last word of the 4 KB region
label past_clamped_region
        ldr     r3, [r0, #4]            @ first word past it: data abort
        done

case full_region_n31
        cp15w   c6, c0, 0xABCDE03F      @ size field 31: all 4 GB whatever the base bits
        cp15w   c5, c0, 0x3
        cp15w   c5, c1, 0x3
        cp15w   c1, c0, 0x1
        ldr     r0, =0xFFFFFFFC
        ldr     r2, [r0]
        ldr     r0, =0x80000000
        ldr     r3, [r0]
        ldr     r0, =0xFFFFFFF0
        str     r3, [r0]
        done

@ ---- coprocessor access ----------------------------------------------------
case mcr_in_user_is_undefined
        msr     cpsr_c, #0x10
        mov     r0, #1
label user_mcr
        mcr     p15, 0, r0, c1, c0, 0
        done

case mrc_in_user_reads
        msr     cpsr_c, #0x10
        mrc     p15, 0, r0, c0, c0, 0
        mrc     p15, 0, r1, c6, c0, 0
        mrc     p15, 0, r2, c8, c0, 0
        done

case access_disable_refuses
        ldr     r0, =0x8300
        mcr     p15, 0, r0, c1, c0, 0
label refused_mrc
        mrc     p15, 0, r1, c0, c0, 0
        done

case moved_vector_base
        ldr     r1, =0x10008
        ldr     r0, =0xE3A05055         @ mov r5, #0x55
        str     r0, [r1]
        ldr     r0, =0xEF000011         @ swi 0x11
        str     r0, [r1, #4]
        ldr     r0, =0x10000
        mcr     p15, 0, r0, c1, c0, 0
        mrc     p15, 0, r6, c1, c0, 0
label moved_swi
        swi     0x12
        done

case reset_by_control_bit14
        protect WB_DATA | I_CACHED, 0x1D
        ldr     r1, =0x30000
        str     r1, [r1]
        ldr     r0, =0x4000
        mcr     p15, 0, r0, c1, c0, 0
        mov     r7, #1                  @ never executed: the run ends with the reset
        done

@ ---- instruction cache -----------------------------------------------------
case stale_instruction_line
        protect I_CACHED, PROT_I
        bl      patched                 @ fills the instruction line
        mov     r4, r0
        ldr     r1, =patched
        ldr     r2, =0xE3A00002         @ mov r0, #2
        str     r2, [r1]                @ reaches memory, not the instruction line
        bl      patched
        mov     r5, r0                  @ still the stale line's instruction
        mcr     p15, 0, r1, c7, c0, 1   @ clean and invalidate that line
        bl      patched
        mov     r6, r0
        done
        .balign 16
patched:
        mov     r0, #1
        bx      lr

@ ---- data cache: dirty lines -------------------------------------------------
@ Each stores 0x11111111 at 0x20000 (a write-back miss allocates the line,
@ dirty), reads it back into r4, runs its operation, and reads 0x20000
@ again into r5.
        .macro  dirty_case name, policy, op:vararg
case \name
        protect \policy, PROT_D
        ldr     r1, =0x20000
        ldr     r0, =0x11111111
        str     r0, [r1]
        ldr     r4, [r1]
        \op
        ldr     r5, [r1]
        done
        .endm

@ B and C fill the set after A; the hit on A in between changes no age,
@ so C evicts A, the oldest fill.
        .macro  evict_a
        mov     r8, #0x1000
        mov     r9, #0x2000
        ldr     r2, [r1, r8]
        ldr     r3, [r1]
        ldr     r3, [r1, r9]
        .endm

dirty_case dirty_line_stays_cached, WB_DATA, nop
dirty_case dirty_line_evicted, WB_DATA, evict_a
dirty_case dirty_line_cleaned_all, WB_DATA, mcr p15, 0, r0, c7, c1, 1
dirty_case dirty_line_cleaned, WB_DATA, mcr p15, 0, r1, c7, c1, 2
dirty_case dirty_line_dropped, WB_DATA, mcr p15, 0, r0, c7, c1, 0
dirty_case write_through_line, WT_DATA, nop

@ ---- data cache: locked lines ------------------------------------------------
case locked_line_survives_full_set
        protect WB_DATA, PROT_D
        ldr     r1, =0x20000
        mcr     p15, 0, r1, c7, c1, 3   @ prefetch A
        mcr     p15, 0, r1, c7, c1, 4   @ lock A
        ldr     r0, =0x11111111
        str     r0, [r1]                @ hit: dirty in the locked line
        mov     r8, #0x1000
        ldr     r2, [r1, r8]!           @ B
        ldr     r2, [r1, r8]!           @ C evicts B
        ldr     r2, [r1, r8]!           @ D evicts C
        ldr     r1, =0x20000
        mcr     p15, 0, r0, c7, c1, 0   @ invalidate all without write-back
        ldr     r5, [r1]                @ A was never written back
        done

case locked_line_show_set
        protect WB_DATA, PROT_D
        ldr     r1, =0x20000
        mcr     p15, 0, r1, c7, c1, 3
        mcr     p15, 0, r1, c7, c1, 4
        ldr     r0, =0x11111111
        str     r0, [r1]
        add     r8, r1, #0x1000
        ldr     r2, [r8, #4]            @ B
        done

case every_way_locked_reads_store
        protect WB_DATA, PROT_D
        ldr     r1, =0x20000
        mcr     p15, 0, r1, c7, c1, 3   @ A and B fill both ways of set 0, locked
        mcr     p15, 0, r1, c7, c1, 4
        add     r1, r1, #0x1000
        mcr     p15, 0, r1, c7, c1, 3
        mcr     p15, 0, r1, c7, c1, 4
        add     r1, r1, #0x1000
        ldr     r2, [r1]                @ C: no way to allocate, the store is read
        ldr     r0, =0x33333333
        str     r0, [r1]                @ and written
        mcr     p15, 0, r0, c7, c1, 0   @ invalidate all without write-back
        ldr     r3, [r1]
        done

case swp_bypasses_data_cache
        protect WB_DATA, PROT_D
        ldr     r1, =0x20000
        ldr     r0, =0x11111111
        str     r0, [r1]                @ dirty in the data cache
        ldr     r3, =0x44444444
        swp     r2, r3, [r1]            @ reads the line, writes it back, invalidates it, stores r3
        done
