// The window layout block's record reader on arbitrary bytes: no crash, no
// read past the block, and every record it accepts is written back in a form
// that reads again to the same record.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "appdebug/layout_block.h"

namespace {

bool Same(const appdebug::LayoutRecord& a, const appdebug::LayoutRecord& b)
{
    const WINDOWPLACEMENT& p = a.placement;
    const WINDOWPLACEMENT& q = b.placement;
    for (int i = 0; i < (a.shortForm ? 2 : 6); ++i)
        if (a.words[i] != b.words[i])
            return false;
    return a.frameClass == b.frameClass && a.subKind == b.subKind && a.path == b.path && a.shortForm == b.shortForm &&
        p.flags == q.flags && p.showCmd == q.showCmd && p.ptMinPosition.x == q.ptMinPosition.x &&
        p.ptMinPosition.y == q.ptMinPosition.y && p.ptMaxPosition.x == q.ptMaxPosition.x &&
        p.ptMaxPosition.y == q.ptMaxPosition.y && p.rcNormalPosition.left == q.rcNormalPosition.left &&
        p.rcNormalPosition.top == q.rcNormalPosition.top && p.rcNormalPosition.right == q.rcNormalPosition.right &&
        p.rcNormalPosition.bottom == q.rcNormalPosition.bottom;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::CMemFile file(data, size);
    CArchive ar(&file, CArchive::load);
    appdebug::LayoutRecord record;
    try {
        while (appdebug::ReadLayoutRecord(record, ar)) {
            if (ar.Offset() > size)
                std::abort();
            platform::CMemFile copy;
            {
                CArchive out(&copy, CArchive::store);
                appdebug::WriteLayoutRecord(record, out);
                out.Close();
            }
            platform::CMemFile again(copy.Data());
            CArchive in(&again, CArchive::load);
            appdebug::LayoutRecord back = record;
            if (!appdebug::ReadLayoutRecord(back, in) || !Same(record, back))
                std::abort();
        }
    } catch (const CArchiveException&) {
        // A cut or damaged block: the reader refuses it.
    }
    return 0;
}
