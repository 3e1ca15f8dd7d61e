// The canonical form of one instruction's text, from our disassembler and
// from objdump, so that the two can be compared as strings. The rules of
// text_rules.h apply to both; this file adds the rules that depend on the
// encoding class (the row of the shared decoder), each documented where it
// is applied:
//   - objdump's aliases of unified syntax: push/pop, ldm/stm without suffix
//     or with stack suffixes (fd, ea ...), lsl/lsr/asr/ror/rrx for MOV with a
//     shift, svc for swi, the 26-bit "p" forms of the tests, Thumb "s"
//     suffixes (flag setting is implied by the Thumb encoding);
//   - our documented layouts: PC-relative transfers and ADR show the target
//     address, Thumb ADD/SUB with Rd = Rs show two operands, Thumb ADD/SUB
//     #0 shows as mov, Thumb LSL #0 (objdump's "movs rd, rs"), Thumb LDMIA
//     always shows "!" (objdump leaves it out when Rb is loaded);
//   - relocated instructions: objdump reckons the PC-relative target of an
//     instruction with a relocation from address 0 and adds the value of the
//     relocation's symbol.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objdump_listing.h"

namespace zk::tools {

// Our text of the instruction (ARM word or Thumb halfword) in canonical form.
std::string CanonicalOurs(const std::string& text, bool thumb, uint32_t instruction);

// objdump's text in canonical form: every form that counts as the same
// (two when a relocation may or may not apply). Empty when objdump's
// mnemonic is not one the rules know.
std::vector<std::string> CanonicalObjdump(const ObjdumpLine& line);

}  // namespace zk::tools
