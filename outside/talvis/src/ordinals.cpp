// The ordinals by which the program's importers bind talvis.
#include <platform/modules.h>

#include "talvis/talvis.h"

ZK_ORDINAL_TABLE_BEGIN
ZK_ORDINAL(TALVIS_ORD_MemReadBlock, MemReadBlock)
ZK_ORDINAL(TALVIS_ORD_MemTestRange, MemTestRange)
ZK_ORDINAL(TALVIS_ORD_MemSearchBlock, MemSearchBlock)
ZK_ORDINAL(TALVIS_ORD_MemCopyBlock, MemCopyBlock)
ZK_ORDINAL(TALVIS_ORD_MemCompareBlock, MemCompareBlock)
ZK_ORDINAL(TALVIS_ORD_MemChecksumBlock, MemChecksumBlock)
ZK_ORDINAL(TALVIS_ORD_MemFillBlock, MemFillBlock)
ZK_ORDINAL(TALVIS_ORD_MemWriteBlock, MemWriteBlock)
ZK_ORDINAL(TALVIS_ORD_MemInitServer, MemInitServer)
ZK_ORDINAL(TALVIS_ORD_MemExitServer, MemExitServer)
ZK_ORDINAL_TABLE_END
