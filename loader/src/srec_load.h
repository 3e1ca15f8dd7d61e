// The S-record load: a symbol pass over the header lines in front of the
// first data record (modules and labels into quinar), then a code pass that
// writes the data records into target memory. Flags, progress and Esc are
// those of the front end's load that runs (FrontState()).
#pragma once

#include <string>

#include "ldr_types.h"
#include "srec_text.h"
#include "target_writer.h"

namespace quentor {

// 0, LDR_S_UNCHANGED (the same image's symbols are loaded and the user
// would not load them again), LDR_E_NO_DATA (a line of another kind, or
// the end, before the first data record), LDR_E_BAD_RECORD (a damaged data
// record or symbol line; nothing of it is written, the records before it
// are), LDR_E_READ, LDR_E_USER_ABORT, or a quinar or target write result.
// A load that fails after it began loading symbols leaves quinar empty.
LdrResult LoadSRecords(ByteSource& source, const std::string& path, const ImageStamp& stamp,
                       const TargetWriter::Write& write);

}  // namespace quentor
