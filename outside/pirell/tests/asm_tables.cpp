#include "asm_tables.h"

namespace pirell::test {

namespace {

const char* const kConditions[] = {"eq", "ne", "cs", "cc", "mi", "pl", "vs", "vc",
                                   "hi", "ls", "ge", "lt", "gt", "le", "al", ""};

}  // namespace

std::vector<std::string> ArmTable()
{
    std::vector<std::string> t;
    for (const char* c : kConditions) {
        const std::string cc = c;
        for (const std::string& line :
             {"mov" + cc + " r0, r1", "add" + cc + "s r2, r3, #4", "ldr" + cc + "b r1, [r2, #4]", "b" + cc + " 0x8000",
              "bl" + cc + " 0x9000", "bx" + cc + " lr", "swi" + cc + " 0x10", "stm" + cc + "fd sp!, {r4-r6, lr}",
              "mul" + cc + "s r0, r1, r2", "ldr" + cc + "sh r3, [r4, #-2]!", "mrs" + cc + " r0, cpsr",
              "mcr" + cc + " p15, 0, r0, c1, c0, 0", "swp" + cc + "b r0, r1, [r2]"})
            t.push_back(line);
    }
    const char* const ops[] = {"and", "eor", "sub", "rsb", "add", "adc", "sbc", "rsc", "orr", "bic"};
    const char* const operands[] = {"#0",         "#255",        "#0x3fc",       "#0xff000000", "#0xf000000f",
                                    "r2",         "r2, lsl #1",  "r2, lsl #31",  "r2, lsr #1",  "r2, lsr #32",
                                    "r2, asr #5", "r2, asr #32", "r2, ror #31",  "r2, rrx",     "r2, lsl r3",
                                    "r2, lsr r4", "r2, asr r5",  "r2, ror r6",   "pc",          "r2, asl #3",
                                    "r2, lsr #0", "#0x104",      "#-0x80000000", "#1020",       "#0x10000"};
    for (const char* op : ops) {
        for (const char* operand : operands)
            t.push_back(std::string(op) + " r0, r1, " + operand);
        t.push_back(std::string(op) + "s r12, sp, lr, lsl #4");
        t.push_back(std::string(op) + " r0, r1");
        t.push_back(std::string(op) + " r5, #8");
    }
    for (const char* op : {"mov", "mvn", "tst", "teq", "cmp", "cmn"}) {
        for (const char* operand : operands)
            t.push_back(std::string(op) + " r7, " + operand);
    }
    for (const char* line :
         {// The toolchain's complementary immediates.
          "mov r0, #-1", "mvn r0, #-256", "cmp r0, #-1", "cmn r1, #-2", "add r0, r0, #-4", "sub r1, r2, #-8",
          "and r0, r0, #0xffffff00", "bic r3, r3, #-1", "adc r0, r1, #-2", "sbc r0, r1, #-1",
          // Flags and the test instructions.
          "movs pc, lr", "mvns r0, r1", "teq r0, r1, lsl #2", "cmp pc, #8", "tst r0, r1, ror r2",
          // Multiplies.
          "mul r0, r1, r2", "mla r3, r4, r5, r6", "mlas r3, r4, r5, r6", "umull r0, r1, r2, r3",
          "umlals r4, r5, r6, r7", "smull r8, r9, r10, r11", "smlal r0, r1, r2, r3", "smulls r0, r12, r2, r3",
          "umulleq r0, r1, r2, r3",
          // Swaps.
          "swp r0, r1, [r2]", "swpb r3, r4, [r5]",
          // Word and byte transfers, every addressing form.
          "ldr r0, [r1]", "ldr r0, [r1, #4]", "ldr r0, [r1, #-4]", "ldr r0, [r1, #4]!", "ldr r0, [r1, #-4]!",
          "ldr r0, [r1], #4", "ldr r0, [r1], #-4", "ldr r0, [r1, r2]", "ldr r0, [r1, -r2]", "ldr r0, [r1, r2]!",
          "ldr r0, [r1, -r2, lsl #2]!", "ldr r0, [r1], r2", "ldr r0, [r1], -r2, asr #3", "ldr r0, [r1, r2, rrx]",
          "ldr r0, [r1, r2, lsr #32]", "ldr r0, [r1, r2, ror #7]", "ldr r0, [r1, #4095]", "ldr r0, [r1, #-4095]",
          "ldr pc, [sp], #4", "ldr r0, [pc, #8]", "ldr r0, [pc, #-8]", "str r0, [r1]", "str r0, [r1, #-4]!",
          "str r0, [r1], r2, lsl #4", "ldrb r0, [r1, #1]", "strb r2, [r3], #-1", "strb r4, [r5, -r6]!",
          "ldrt r0, [r1], #4", "ldrbt r0, [r1]", "strt r2, [r3], -r4", "strbt r5, [r6], #-7", "ldrt r0, [r1]",
          // Halfword and signed transfers.
          "ldrh r0, [r1]", "ldrh r0, [r1, #2]", "ldrh r0, [r1, #-255]!", "ldrh r0, [r1], #6", "ldrh r0, [r1], #-6",
          "ldrh r0, [r1, r2]", "ldrh r0, [r1, -r2]!", "ldrh r0, [r1], r2", "ldrh r0, [r1], -r2", "strh r0, [r1]",
          "strh r3, [r4, #254]", "strh r3, [r4, -r5]", "ldrsb r0, [r1, #1]", "ldrsb r0, [r1], r2", "ldrsh r6, [r7]",
          "ldrsh r6, [r7, #-0x80]!", "ldrh r0, [pc, #-16]",
          // Block transfers.
          "ldmia r0, {r1-r3}", "ldmia r0!, {r1-r3}", "ldmib r0, {r1}", "ldmda r0!, {r1, r5, r9}", "ldmdb r0, {r0-r15}",
          "stmia r0, {r1-r3}", "stmib r0!, {r1}", "stmda r0, {r1, r3}", "stmdb sp!, {r0-r12, lr}",
          "ldmfd sp!, {r4, pc}", "ldmfa r1, {r2}", "ldmed r1!, {r2}", "ldmea r1, {r2}", "stmfd sp!, {lr}",
          "stmfa r1!, {r2}", "stmed r1, {r2}", "stmea r1!, {r2}", "ldmfd sp!, {r0-r3, pc}^", "stmia r0, {r1, r2}^",
          "ldmia r0, {r1, lr}^", "ldm r2, {r3}", "stm r2!, {r3, r4}", "push {r4-r7, lr}", "pop {r4-r7, pc}",
          "push {r3}", "pop {r3}", "push {lr}", "pop {pc}",
          // Branches.
          "b 0x8000", "b 0x1000000", "bl 0x10", "bl 0x2007ffc", "bx r0", "bx pc",
          // Software interrupts.
          "swi 0", "swi 0x123456", "swi 0xffffff", "svc 5",
          // PSR transfers.
          "mrs r0, cpsr", "mrs r1, spsr", "mrs lr, CPSR", "msr cpsr_fc, r0", "msr cpsr, r1", "msr spsr, r2",
          "msr cpsr_f, #0xf0000000", "msr cpsr_c, #0x13", "msr cpsr_fsxc, r2", "msr spsr_x, r3", "msr cpsr_s, r4",
          "msr cpsr_sf, r5", "msr spsr_fc, #0xd3", "msr cpsr_all, r6", "msr cpsr_flg, #0x40000000", "msr cpsr_ctl, r7",
          // Coprocessors.
          "cdp p1, 2, c3, c4, c5, 6", "cdp p15, 15, c0, c1, c2", "mrc p15, 0, r0, c1, c0, 0",
          "mrc p14, 7, r15, c15, c15, 7", "mcr p15, 0, r1, c2, c0", "ldc p5, c2, [r3]", "ldc p5, c2, [r3, #8]!",
          "ldc p5, c2, [r3, #-1020]", "stc p6, c3, [r4], #-16", "stcl p7, c3, [r4], #1020", "ldcl p8, c9, [r10, #4]",
          "stc p9, c0, [r0, #-4]!",
          // Others.
          "nop", "moveq r0, r0", "MOV R0, R1", "AddS r0, r1, #1", "ldr r0, [r1,#4]", "add   r0 ,  r1 , r2"})
        t.push_back(line);
    return t;
}

std::vector<std::string> ThumbTable()
{
    std::vector<std::string> t;
    for (int n : {0, 1, 7, 31})
        t.push_back("lsl r0, r1, #" + std::to_string(n));
    for (int n : {1, 16, 32}) {
        t.push_back("lsr r2, r3, #" + std::to_string(n));
        t.push_back("asr r4, r5, #" + std::to_string(n));
    }
    for (const char* op : {"and", "eor", "lsl", "lsr", "asr", "adc", "sbc", "ror", "tst", "neg", "cmp", "cmn", "orr",
                           "mul", "bic", "mvn"}) {
        t.push_back(std::string(op) + " r0, r1");
        t.push_back(std::string(op) + " r7, r6");
    }
    // Conditional branches to both ends of their reach, from here.
    for (const char* c : kConditions) {
        if (std::string(c) == "al" || std::string(c).empty())
            continue;
        t.push_back(std::string("b") + c + " 0x8000");
        t.push_back(std::string("b") + c + " 0x8100");
    }
    for (const char* line :
         {// Add and subtract: registers, 3- and 8-bit immediates.
          "add r0, r1, r2", "sub r5, r6, r7", "add r0, r1, #0", "add r0, r1, #7", "sub r3, r4, #1", "add r0, r1",
          "sub r2, r3", "mov r0, #0", "mov r7, #255", "cmp r1, #0", "cmp r6, #128", "add r2, #200", "sub r3, #1",
          "add r4, r4, #100", "mov r0, r1", "mov r5, r7",
          // High registers and bx.
          "add r0, r8", "add r8, r0", "add r9, r10", "add sp, r1", "add pc, r2", "cmp r0, r9", "cmp r8, r1",
          "cmp lr, r12", "mov r8, r0", "mov r0, r9", "mov r10, r11", "mov pc, lr", "mov lr, pc", "bx r0", "bx r7",
          "bx lr", "bx r9", "bx pc",
          // Loads and stores.
          "ldr r0, [pc, #8]", "ldr r7, [pc, #1020]", "ldr r0, [r1, r2]", "str r3, [r4, r5]", "ldrb r0, [r1, r2]",
          "strb r6, [r7, r0]", "strh r0, [r1, r2]", "ldrh r0, [r1, r2]", "ldsb r0, [r1, r2]", "ldsh r3, [r4, r5]",
          "ldr r0, [r1]", "ldr r0, [r1, #4]", "ldr r0, [r1, #124]", "str r2, [r3, #60]", "ldrb r0, [r1, #31]",
          "strb r0, [r1]", "ldrh r0, [r1, #62]", "strh r2, [r3, #2]", "ldr r0, [sp, #1020]", "str r1, [sp]",
          "ldr r2, [sp, #4]",
          // Addresses and the stack.
          "add r0, pc, #1020", "add r1, sp, #4", "add r7, sp, #0", "add sp, #508", "sub sp, #4", "add sp, #-8",
          "push {r0-r7, lr}", "pop {r4, pc}", "push {lr}", "pop {r0}", "push {r1, r3, r5}", "pop {pc}",
          "ldmia r0!, {r1-r3}", "stmia r7!, {r0}", "ldmia r2!, {r0-r7}",
          // Branches, swi.
          "b 0x8000", "b 0x8800", "b 0x7a00", "bl 0x8000", "bl 0x400000", "bl 0x10", "swi 0", "swi 0xab", "swi 255",
          "nop"})
        t.push_back(line);
    return t;
}

std::vector<std::string> UnifiedArmTable()
{
    return {".syntax unified",
            "movseq r0, r1",
            "addsne r2, r3, #4",
            "ldrbeq r0, [r1, #4]",
            "ldrsheq r3, [r4, #-2]!",
            "ldrsbgt r3, [r4], r5",
            "strheq r6, [r7, #2]",
            "ldmiaeq r0!, {r1-r3}",
            "stmdbne sp!, {r4, lr}",
            "ldmfdlt sp!, {r4, pc}",
            "strbt r0, [r1], #1",
            "ldrbteq r2, [r3], -r4",
            "swpbeq r0, r1, [r2]",
            "mulseq r0, r1, r2",
            "mlasne r0, r1, r2, r3",
            "umullsne r0, r1, r2, r3",
            "smlalseq r4, r5, r6, r7",
            "ldcleq p5, c2, [r3, #4]",
            "stclne p6, c3, [r4], #-8",
            "pusheq {r4, lr}",
            "popne {r4, pc}",
            "svceq 0x10",
            "adds r0, r1, #-1",
            "lsl r0, r1, #2",
            "lsls r0, r1, r2",
            "lsr r3, r4, #32",
            "lsrseq r3, r4, #1",
            "asrs r5, r6, #1",
            "asr r5, r6, #32",
            "ror r7, r8, #31",
            "rors r7, r8, r9",
            "rrx r0, r1",
            "rrxs r2, r3",
            "lsl r0, r1, #0"};
}

}  // namespace pirell::test
