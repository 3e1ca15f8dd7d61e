// One record of the window layout block, read and written.
#include <cstring>

#include "appdebug/layout_block.h"

namespace appdebug {

namespace {

void WritePlacement(const WINDOWPLACEMENT& p, CArchive& ar)
{
    ar << p.flags << p.showCmd;
    ar << p.ptMinPosition.x << p.ptMinPosition.y << p.ptMaxPosition.x << p.ptMaxPosition.y;
    ar << p.rcNormalPosition.left << p.rcNormalPosition.top << p.rcNormalPosition.right << p.rcNormalPosition.bottom;
}

void ReadPlacement(WINDOWPLACEMENT& p, CArchive& ar)
{
    p.length = sizeof(WINDOWPLACEMENT);
    ar >> p.flags >> p.showCmd;
    ar >> p.ptMinPosition.x >> p.ptMinPosition.y >> p.ptMaxPosition.x >> p.ptMaxPosition.y;
    ar >> p.rcNormalPosition.left >> p.rcNormalPosition.top >> p.rcNormalPosition.right >> p.rcNormalPosition.bottom;
}

uint64_t BytesLeft(const CArchive& ar)
{
    const CFile* file = ar.GetFile();
    const uint64_t length = file ? file->GetLength() : 0;
    return length > ar.Offset() ? length - ar.Offset() : 0;
}

[[noreturn]] void Refuse(const CArchive& ar, const std::string& what)
{
    const CFile* file = ar.GetFile();
    throw CArchiveException(CArchiveException::endOfFile, file ? file->GetFilePath() : std::string(), ar.Offset(),
                            what);
}

// The path in the CString form. Its length is checked against the bytes
// the stream still holds before anything is taken for it: a length word of a
// damaged block must not make the reader wait for, or reserve, gigabytes.
std::string ReadPath(CArchive& ar)
{
    uint8_t shortLength = 0;
    ar >> shortLength;
    uint64_t length = shortLength;
    if (shortLength == 0xFF) {
        uint16_t word = 0;
        ar >> word;
        length = word;
        if (word == 0xFFFE)
            Refuse(ar, "path in UTF-16 form");  // never written into this block
        if (word == 0xFFFF) {
            uint32_t dword = 0;
            ar >> dword;
            length = dword;
        }
    }
    if (length > BytesLeft(ar))
        Refuse(ar, "path of " + std::to_string(length) + " bytes past the end of the block");
    std::string path(length, '\0');
    if (length)
        ar.ReadExact(path.data(), length);
    return path;
}

}  // namespace

void WriteLayoutRecord(const LayoutRecord& record, CArchive& ar)
{
    ar << kLayoutRecordMarker << record.frameClass << record.subKind;
    ar << record.path;
    WritePlacement(record.placement, ar);
    if (record.shortForm) {
        ar << record.words[0] << record.words[1];
        return;
    }
    ar << kLayoutExtensionMarker;
    for (uint32_t word : record.words)
        ar << word;
}

BOOL ReadLayoutRecord(LayoutRecord& record, CArchive& ar)
{
    // The list ends with the stream, or at any other first word.
    uint8_t marker[4];
    if (ar.Read(marker, sizeof marker) != sizeof marker)
        return FALSE;
    uint32_t first = 0;
    for (int i = 3; i >= 0; --i)
        first = (first << 8) | marker[i];
    if (first != kLayoutRecordMarker)
        return FALSE;
    ar >> record.frameClass >> record.subKind;
    record.path = ReadPath(ar);
    ReadPlacement(record.placement, ar);
    uint32_t next = 0;
    ar >> next;
    if (next == kLayoutExtensionMarker) {
        record.shortForm = false;
        for (uint32_t& word : record.words)
            ar >> word;
    } else {
        // Short form: the word just read is word 0; words 2 to 5 keep what
        // the record held.
        record.shortForm = true;
        record.words[0] = next;
        ar >> record.words[1];
    }
    return TRUE;
}

}  // namespace appdebug
