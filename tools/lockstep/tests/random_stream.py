#!/usr/bin/env python3
"""Writes a random straight-line ARM or Thumb program for lockstep: data
processing with every shifter form and flag-setting variant, conditional
execution, multiplies, and aligned loads and stores into a buffer (offset,
register-offset and write-back forms, LDM/STM, PUSH/POP) and, in ARM state,
switches between the privileged modes with their banks and SPSRs, from
random register values, ending on the normal-end word.

    random_stream.py arm|thumb SEED COUNT OUTPUT.S

The stream keeps to forms where the core and qemu agree by definition (no
r14-r15 operands, SP only through PUSH/POP, no unaligned transfers, no base
register in its own transfer list), so every instruction compares.
"""
import random
import sys

CONDS = ["eq", "ne", "cs", "cc", "mi", "pl", "vs", "vc", "hi", "ls", "ge", "lt", "gt", "le", ""]
SHIFTS = ["lsl", "lsr", "asr", "ror"]


def value(rng):
    return rng.choice([0, 1, 31, 32, 33, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                       rng.getrandbits(5), rng.getrandbits(8), rng.getrandbits(32)])


def header(rng, regs):
    out = ['.syntax unified', '.arm', '.section .vectors, "ax"', '.global _start', '_start:',
           'b main_code'] + ['b .'] * 7
    out += ['.text', 'main_code:']
    out += [f'ldr {r}, =0x{value(rng):x}' for r in regs]
    out += ['ldr r12, =buf + 64', 'ldr r7, =buf + 64', 'mov r11, #8', f'msr cpsr_f, #0x{rng.randrange(16) << 28:x}']
    return out


def footer():
    return ['swi 0x11', '.ltorg', '.data', '.align 4', 'buf:',
            '.rept 128', '.word 0x5A5AA5A5', '.endr']


def arm_operand(rng, regs):
    kind = rng.randrange(4)
    if kind == 0:
        imm, rot = rng.getrandbits(8), 2 * rng.randrange(16)
        return f'#0x{((imm >> rot) | (imm << (32 - rot))) & 0xFFFFFFFF if rot else imm:x}'
    if kind == 1:
        return rng.choice(regs)
    if kind == 2:
        shift = rng.choice(SHIFTS + ['rrx'])
        if shift == 'rrx':
            return f'{rng.choice(regs)}, rrx'
        low, high = {'lsl': (0, 31), 'lsr': (1, 32), 'asr': (1, 32), 'ror': (1, 31)}[shift]
        return f'{rng.choice(regs)}, {shift} #{rng.randint(low, high)}'
    return f'{rng.choice(regs)}, {rng.choice(SHIFTS)} {rng.choice(regs)}'


def arm_stream(rng, count):
    regs = [f'r{i}' for i in range(11)]
    out = header(rng, regs)
    for i in range(count):
        kind, cond, s = rng.randrange(14), rng.choice(CONDS), rng.choice(['s', ''])
        if kind < 5:
            op = rng.choice(['and', 'eor', 'sub', 'rsb', 'add', 'adc', 'sbc', 'rsc', 'orr', 'bic'])
            out.append(f'{op}{s}{cond} {rng.choice(regs)}, {rng.choice(regs)}, {arm_operand(rng, regs)}')
        elif kind == 5:
            out.append(f'{rng.choice(["mov", "mvn"])}{s}{cond} {rng.choice(regs)}, {arm_operand(rng, regs)}')
        elif kind == 6:
            out.append(f'{rng.choice(["tst", "teq", "cmp", "cmn"])}{cond} {rng.choice(regs)}, {arm_operand(rng, regs)}')
        elif kind == 7:
            d, m, r, a = rng.sample(regs, 4)
            out.append(f'mul{s}{cond} {d}, {m}, {r}' if rng.random() < 0.5 else f'mla{s}{cond} {d}, {m}, {r}, {a}')
        elif kind == 8:
            lo, hi, m, r = rng.sample(regs, 4)
            out.append(f'{rng.choice(["umull", "smull", "umlal", "smlal"])}{s}{cond} {lo}, {hi}, {m}, {r}')
        elif kind == 9:
            op, align = rng.choice([('ldr', 4), ('str', 4), ('ldrb', 1), ('strb', 1),
                                    ('ldrh', 2), ('strh', 2), ('ldrsb', 1), ('ldrsh', 2)])
            limit = 252 if align != 1 else 255
            out.append(f'{op}{cond} {rng.choice(regs)}, [r12, #{rng.randrange(0, limit, align)}]')
        elif kind == 10:
            regs_list = sorted(rng.sample(range(11), rng.randint(1, 6)))
            out.append(f'{rng.choice(["ldmia", "stmia", "ldmib", "stmib"])}{cond} r12, '
                       f'{{{", ".join(f"r{n}" for n in regs_list)}}}')
        elif kind == 11:
            # Register offsets (r11 holds 8) and the write-back forms; r12 goes back to buf.
            d = rng.choice(regs)
            out.append(rng.choice([f'ldr{cond} {d}, [r12, r11]', f'str{cond} {d}, [r12, r11, lsl #2]',
                                   f'ldrb{cond} {d}, [r12, r11, lsr #1]', f'ldrh{cond} {d}, [r12, r11]',
                                   f'strh{cond} {d}, [r12, r11]', f'ldrsb{cond} {d}, [r12, r11]',
                                   f'ldr{cond} {d}, [r12, #4]!', f'str{cond} {d}, [r12], #8',
                                   f'ldrh{cond} {d}, [r12, #6]!', f'strb{cond} {d}, [r12], #3',
                                   f'ldmia{cond} r12!, {{{d}}}', f'stmdb{cond} r12!, {{{d}, r11}}']))
            out.append('ldr r12, =buf + 64')
        elif kind == 12:
            # A privileged mode (IRQ and FIQ masked): r8-r14 of its bank; the
            # base registers are set again in it.
            mode = rng.choice([0x11, 0x12, 0x13, 0x17, 0x1B, 0x1F])
            out += [f'msr cpsr_c, #0x{0xC0 | mode:x}', 'ldr r12, =buf + 64', 'mov r11, #8']
            if mode != 0x1F and rng.random() < 0.5:
                # Only the defined bits: qemu drops the reserved ones of a PSR.
                control = rng.choice([0x10, 0x11, 0x12, 0x13, 0x17, 0x1B, 0x1F]) | rng.getrandbits(3) << 5
                out += [f'msr spsr_f, #0x{rng.randrange(16) << 28:x}', f'msr spsr_c, #0x{control:x}',
                        f'mrs {rng.choice(regs)}, spsr']
        else:
            out.append(f'ldr {rng.choice(regs)}, =0x{value(rng):x}')
        if i % 200 == 199:
            out += ['b 1f', '.ltorg', '1:']
    return out + footer()


def thumb_stream(rng, count):
    low, high = [f'r{i}' for i in range(7)], [f'r{i}' for i in range(8, 12)]
    out = header(rng, low + high)
    out += ['ldr sp, =buf + 512', 'adr r0, thumb_code + 1', 'bx r0', '.ltorg', '.thumb', '.thumb_func', 'thumb_code:']
    out += [f'ldr {r}, =0x{value(rng):x}' for r in low]
    out.append('ldr r7, =buf + 64')
    for i in range(count):
        kind = rng.randrange(11)
        d, s = rng.choice(low), rng.choice(low)
        if kind < 3:
            op = rng.choice(['ands', 'eors', 'lsls', 'lsrs', 'asrs', 'adcs', 'sbcs', 'rors', 'tst', 'negs',
                             'cmp', 'cmn', 'orrs', 'muls', 'bics', 'mvns'])
            if op == 'negs':
                out.append(f'rsbs {d}, {s}, #0')
            elif op == 'muls':
                out.append(f'muls {d}, {s}, {d}')
            elif op in ('tst', 'cmp', 'cmn', 'mvns'):
                out.append(f'{op} {d}, {s}')
            else:
                out.append(f'{op} {d}, {d}, {s}')
        elif kind == 3:
            op = rng.choice(['lsls', 'lsrs', 'asrs'])
            amount = rng.randint(0, 31) if op == 'lsls' else rng.randint(1, 32)
            out.append(f'{op} {d}, {s}, #{amount}')
        elif kind == 4:
            op = rng.choice(['adds', 'subs'])
            out.append(f'{op} {d}, {s}, {rng.choice(low)}' if rng.random() < 0.5 else f'{op} {d}, {s}, #{rng.randrange(8)}')
        elif kind == 5:
            out.append(f'{rng.choice(["movs", "cmp", "adds", "subs"])} {d}, #{rng.randrange(256)}')
        elif kind == 6:
            hd = rng.choice(low + high)
            out.append(f'{rng.choice(["add", "cmp", "mov"])} {hd}, {rng.choice(high if hd in low else low + high)}')
        elif kind == 7:
            cond = rng.choice(CONDS[:-1])
            out += [f'b{cond} 1f', f'adds {d}, #1', '1:']
        elif kind == 8:
            op, align = rng.choice([('ldr', 4), ('str', 4), ('ldrb', 1), ('strb', 1), ('ldrh', 2), ('strh', 2)])
            out.append(f'{op} {d}, [r7, #{rng.randrange(0, 32 * align, align)}]')
        elif kind == 9:
            # Register offsets (r6 holds 8), push/pop, LDMIA/STMIA; r6 and r7 go back.
            regs_list = ', '.join(sorted(rng.sample(low[:6], rng.randint(1, 4)), key=lambda r: int(r[1:])))
            out += ['movs r6, #8', rng.choice([f'ldr {d}, [r7, r6]', f'str {d}, [r7, r6]', f'ldrb {d}, [r7, r6]',
                                               f'strb {d}, [r7, r6]', f'ldrh {d}, [r7, r6]', f'strh {d}, [r7, r6]',
                                               f'ldrsb {d}, [r7, r6]', f'ldrsh {d}, [r7, r6]',
                                               f'push {{{regs_list}}}\npop {{{regs_list}}}',
                                               f'stmia r7!, {{{regs_list}}}', f'ldmia r7!, {{{regs_list}}}'])]
            out.append('ldr r7, =buf + 64')
        else:
            out.append(f'ldr {d}, =0x{value(rng):x}')
        if i % 100 == 99:
            out += ['b 1f', '.ltorg', '.align 2', '1:']
    out += ['ldr r6, =arm_end', 'bx r6', '.ltorg', '.arm', '.align 2', 'arm_end:']
    return out + footer()


def main():
    state, seed, count, path = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    rng = random.Random(seed)
    lines = arm_stream(rng, count) if state == 'arm' else thumb_stream(rng, count)
    with open(path, 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
