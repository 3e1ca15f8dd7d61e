// The kind an instruction has by objdump's text, the mapping the classifier
// is checked against:
//   bl, bl<cond>                                   call
//   bx lr, mov pc, lr, pop/ldm with pc              return
//   bx rN after a pop of rN ("pop {r1}; bx r1")     return
//   bx rN, mov pc, rN, ldr pc, ... after
//     "mov lr, pc"                                  call
//   b, b<cond>, other bx, other writes of pc        branch
//   everything else (svc included)                  plain
#pragma once

#include "arm_listings.h"
#include "pirell/pirell.h"

namespace pirell::test {

using zk::test::ObjdumpImage;
using zk::test::ObjdumpLine;
using zk::test::ReadObjdump;

DWORD ExpectedKind(const ObjdumpLine& line, const ObjdumpLine* previous);

}  // namespace pirell::test
