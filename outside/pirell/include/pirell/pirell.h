// pirell: the disassembler library. What the debugger core asks of it here:
// the instruction classifier of the step engine (which instructions call,
// return or branch, how long a call is and where it goes, whether a called
// function is stepped into) and the disassembly line of one instruction.
// It decodes through the simulator's encoding table (zk_armdecode), the one
// decoder of the project; target memory comes through talvis, the code set
// of an address from the loader (LdrIsInThumbRange), source lines from quinar.
//
// Classification kinds (DadInstruction.kind):
//   DAD_KIND_PLAIN   code that goes on to the next instruction
//   DAD_KIND_CALL    a call: BL (ARM; Thumb as its two halves, or the second
//                    half alone), or a branch to a register right after
//                    "mov lr, pc" (bx, mov pc, ldr pc: the length is that
//                    instruction's, the return address the one after it)
//   DAD_KIND_RETURN  bx lr, mov pc, lr, a load of the PC from the stack
//                    (ldm/pop with pc, ldr pc, [sp], #4), or bx of a register
//                    that the instruction before popped (Thumb's interworking
//                    return "pop {r1}; bx r1")
//   DAD_KIND_BRANCH  every other change of the PC: b, b<cond>, bx and mov pc
//                    of other registers, ldr pc of a table, ALU ops on the PC
// SWI counts as plain code: the debugger serves the calls it makes.
//
// GUI thread only; Qt-free.
#pragma once

#include <cstdint>

#include "emu_types.h"
#include "win_types.h"

inline constexpr DWORD DAD_KIND_PLAIN = 0;
inline constexpr DWORD DAD_KIND_CALL = 1;
inline constexpr DWORD DAD_KIND_RETURN = 4;
inline constexpr DWORD DAD_KIND_BRANCH = 6;

// The target of a call or branch that the instruction alone does not give.
inline constexpr DWORD DAD_TARGET_UNKNOWN = 0xFFFFFFFFu;

// DadClassifyInstruction flags: the code's instruction set and byte order.
inline constexpr DWORD DAD_CODE_THUMB = 1;
inline constexpr DWORD DAD_CODE_BIG_ENDIAN = 2;

// DadIsLibFuncCall's answers.
inline constexpr int DAD_CALL_WITH_SOURCE = 0;  // the callee has source lines, or goes through a register
inline constexpr int DAD_CALL_LIBRARY = 1;      // the callee has no source lines: stepped over

// Disassembly modes (DadSetDisMod): the code set of an address.
inline constexpr int DAD_MODE_MIXED = 0;  // the loader's answer for the address
inline constexpr int DAD_MODE_ARM = 1;
inline constexpr int DAD_MODE_THUMB = 2;

// DadAssembleLine's refusals (nothing is written): the text and the reason.
inline constexpr int DAD_ASM_E_TOO_LONG = -100;   // over 255 characters
inline constexpr int DAD_ASM_E_MNEMONIC = -101;   // no such instruction in the code set
inline constexpr int DAD_ASM_E_SYNTAX = -102;     // operands malformed, missing or followed by stray text
inline constexpr int DAD_ASM_E_REGISTER = -103;   // no such register, or one the form cannot take
inline constexpr int DAD_ASM_E_IMMEDIATE = -104;  // a value the encoding cannot hold
inline constexpr int DAD_ASM_E_RANGE = -105;      // a branch or PC-relative target out of reach
inline constexpr int DAD_ASM_E_ALIGNMENT = -106;  // a misaligned target, or code at a misaligned address
inline constexpr int DAD_ASM_E_ADDRESS = -107;    // an address text that names nothing

struct DadInstruction {
    DWORD kind;      // DAD_KIND_*
    DWORD distance;  // bytes from the start of the code to the instruction
    DWORD length;    // bytes of the instruction (a Thumb BL: 4)
    DWORD target;    // absolute target of a call or branch, or DAD_TARGET_UNKNOWN
};

extern "C" {

// From `position` in the code (size bytes that lie at `address`, in the
// order given by flags), the next instruction of a kind other than plain:
// *out describes it; kind DAD_KIND_PLAIN (distance = size) when the rest of
// the code holds none. At position 0 the instruction before the code is
// read from the target for the rules that look back. 0, or -1 for a null
// argument.
int DadClassifyInstruction(const BYTE* code, DWORD size, DWORD position, DWORD address, DWORD flags,
                           DadInstruction* out);
// The instruction at an address of target memory: *kind (DAD_KIND_*),
// *length, *target. 0, or the memory library's failure.
int DadGetCallInfo(ADDR address, DWORD* kind, DWORD* length, DWORD* target);
// Whether the call whose first four bytes (as read from target memory into
// a DWORD) are `word` and which lies at `address` is stepped into at source
// level: DAD_CALL_WITH_SOURCE or DAD_CALL_LIBRARY. A call through a
// register, or through a BL to a lone "bx rN" (the compiler's call through
// a register in Thumb code), goes where the register points: with source;
// a call through the linker's interworking veneer is the call of the
// function behind it.
int DadIsLibFuncCall(DWORD word, ADDR address);
// The listing of `count` instructions from `start`: one line each, "address
// opcode  text" (address 8 hexadecimal digits, the opcode 8 digits for ARM
// and a Thumb BL, 4 for other Thumb code), ended by CR LF, in a block with
// its global memory handle in front (platform::FreeHandleBlock). *length:
// the text's length in bytes. 0, or the memory library's failure (-27 when
// the target is lost).
int DadDisassembleLine(ADDR start, WORD count, char** text, WORD* length);

// The disassembly mode (DAD_MODE_*): which code set the listing and the
// line assembler use. 0, or -1 for another value (the mode stays).
int DadSetDisMod(int mode);
int DadGetDisMod();

// Assembles one line of ARM or Thumb source (pirell/assembler.h gives the
// syntax) at an address, in the code set of the disassembly mode. With
// `write` 1 the code goes to target memory through talvis in the target's
// byte order; with 0 nothing is written. When `code` is given it receives
// the bytes in a handle block (platform::FreeHandleBlock). *length: the
// code's bytes (4, or 2 for Thumb other than BL). 0 on success; a refused
// text gives a DAD_ASM_E_* code and writes nothing; a failed write gives
// the memory library's failure; -1 for a null text or length.
int DadAssembleLine(ADDR address, const char* text, DWORD* length, int write, BYTE** code = nullptr);

}  // extern "C"
