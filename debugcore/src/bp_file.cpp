// The breakpoint file: writing it, reading and checking it whole, and
// restoring the breakpoints and watchpoint units it holds.
#include "bp_file.h"

#include <platform/files.h>
#include <platform/win32.h>

#include "bp_list.h"
#include "core.h"
#include "watch_units.h"

namespace sarvik {

namespace {

void WriteUnit(CArchive& ar, const WHPT_UNIT& u)
{
    ar << u.used << u.enabled << u.address << u.addressMask << u.data << u.dataMask << u.control;
}

void ReadUnit(CArchive& ar, WHPT_UNIT& u)
{
    ar >> u.used >> u.enabled >> u.address >> u.addressMask >> u.data >> u.dataMask >> u.control;
}

// The header: true when it is a breakpoint file's; *count its record count.
bool ReadHeader(CArchive& ar, uint32_t* count)
{
    try {
        uint8_t marker = 0, high = 0, low = 0, separator = 0;
        ar >> marker >> high >> low;
        if (marker != 0 || ar.ReadCString() != BP_FILE_SIGNATURE)
            return false;
        ar >> separator;
        *count = uint32_t{high} << 8 | low;
        return separator == BP_FILE_SEPARATOR;
    } catch (const CException&) {
        return false;
    }
}

std::string Damage(const std::string& path, const std::string& where)
{
    return "The breakpoint file " + path + " is damaged (" + where +
        "); the breakpoints and watchpoints are unchanged.";
}

}  // namespace

std::vector<uint8_t> WriteBpFile(const CBpList& records, const WHPT_UNIT units[2])
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        const auto count = static_cast<uint32_t>(records.size());
        ar << uint8_t{0} << static_cast<uint8_t>(count >> 8) << static_cast<uint8_t>(count & 0xFF);
        ar << BP_FILE_SIGNATURE << BP_FILE_SEPARATOR;
        for (CBpDataEx* record : records)
            record->Serialize(ar);
        ar << BP_FILE_UNITS_SECTION;
        WriteUnit(ar, units[0]);
        WriteUnit(ar, units[1]);
        ar.Close();
    }
    return file.Detach();
}

BpFileRead ReadBpFile(CFile& file, BpFileContents* contents, std::string* damage)
{
    *contents = BpFileContents{};
    CArchive ar(&file, CArchive::load);
    uint32_t count = 0;
    if (!ReadHeader(ar, &count))
        return BpFileRead::NotBpFile;
    uint32_t at = 0;
    try {
        contents->records.reserve(count);
        for (; at < count; ++at) {
            contents->records.emplace_back();
            contents->records.back().Serialize(ar);
        }
        // A section of another name holds no units that this reader knows.
        if (ar.ReadCString() == BP_FILE_UNITS_SECTION) {
            ReadUnit(ar, contents->units[0]);
            ReadUnit(ar, contents->units[1]);
            contents->hasUnits = true;
        }
    } catch (const CException& e) {
        *damage = at < count ? "breakpoint " + std::to_string(at + 1) + " of " + std::to_string(count) + ": " + e.what()
                             : std::string("watchpoints: ") + e.what();
        return BpFileRead::Damaged;
    }
    return BpFileRead::Read;
}

}  // namespace sarvik

using namespace sarvik;

extern "C" {

void SaveBpFile(const char* path)
{
    if (!path)
        return;
    const WHPT_UNIT units[2] = {Core().units.Unit(0), Core().units.Unit(1)};
    const std::vector<uint8_t> bytes = WriteBpFile(Core().breakpoints.Records(), units);
    // The file is replaced whole: a failed write leaves the previous file.
    platform::WriteFileAtomic(path, std::string(bytes.begin(), bytes.end()), nullptr);
}

int RestoreBpFile(const char* path)
{
    CFileStatus status;
    if (!path || !CFile::GetStatus(path, status) || status.m_size < BP_FILE_MIN_SIZE)
        return 1;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return 1;
    BpFileContents contents;
    std::string damage;
    switch (ReadBpFile(file, &contents, &damage)) {
    case BpFileRead::NotBpFile: return 1;
    case BpFileRead::Damaged: AfxMessageBox(Damage(path, damage).c_str(), MB_OK | MB_ICONEXCLAMATION); return 1;
    case BpFileRead::Read: break;
    }
    file.Close();

    const ADDR all{};
    if (BptClearBp(&all, 0) != EMU_OK)
        return 1;
    for (const CBpDataEx& r : contents.records) {
        const ADDR at = r.GetAddr();
        if (at.seg == ADDR_SPACE_NONE || (r.GetBpType() != 0 && r.GetBpType() != 1))
            continue;
        // Every stored breakpoint comes back, an instruction inside a
        // source line as well as the line's first one, with its symbol text.
        const std::string condition = r.GetBpCondition();
        if (BptSetBp(&at, condition.c_str(), r.GetCount(), 0, r.IsEnable(), 0xFFFFFFFFu) == EMU_OK)
            Core().breakpoints.Records().back()->SetSymbol(r.GetSymbol());
    }
    if (contents.hasUnits) {
        for (int u = 0; u < WATCH_UNIT_COUNT; ++u) {
            // Outside hardware-breakpoint mode unit 1 is the software
            // breakpoints' catcher: it is not programmed, and its record
            // stays what the unit holds (a stored record would make a unit
            // that catches the break word look free).
            if (u == 1 && !Core().config.hwBreakpoints)
                continue;
            Core().units.Store(u, contents.units[u]);
            if (!(contents.units[u] == WHPT_UNIT{}))
                Core().units.ProgramWatchpoint(u, contents.units[u]);
        }
    }
    return 1;
}

}  // extern "C"
