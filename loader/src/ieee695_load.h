// The IEEE-695 load: header and part table, environment (tool kind),
// sections (quinar's sections and the stack), data part into target memory
// through the shared write buffer, trailer (start address), debug part and,
// with LOAD_EXTERNAL, the public names of the external part. Flags,
// progress and Esc are those of the front end's load that runs.
#pragma once

#include <string>

#include "ieee695_input.h"
#include "ieee695_records.h"
#include "ldr_types.h"
#include "target_writer.h"

namespace quentor {

// The module-begin record, the address descriptor and the eight part
// pointers. false with the damage in the input's fault.
bool ReadIeee695Header(Ieee695Input& in, ieee695::ModuleHeader& header);

// 0 or: LDR_E_UNKNOWN_FORMAT (a damaged header or section part: the
// load's messages name the damage), LDR_S_UNCHANGED, LDR_E_BAD_RECORD (an
// unexpected or damaged record of the data part: the records before it are
// written), 0x50000395 (a section of a type not read here), LDR_E_READ,
// LDR_E_NO_MEMORY, LDR_E_USER_ABORT, a vexlor or target write result. A
// load that fails after it began loading symbols leaves quinar empty.
LdrResult LoadIeee695(ByteSource& source, const std::string& path, const ImageStamp& stamp,
                      const TargetWriter::Write& write);

inline constexpr LdrResult LDR_E_SECTION_TYPE = 0x50000395;

}  // namespace quentor
