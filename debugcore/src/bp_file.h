// The breakpoint file (".bpt", "_envbpsave.sav", the project's "bpt.tmp"):
// an archive, little-endian:
//   marker 0, record count high byte, low byte, the text "QUARNEL BP",
//   separator 0xCC, each record's CBpDataEx::Serialize form, the text
//   "Watchpoint", then both watchpoint units as seven 32-bit words each
//   (used, enabled, address, address mask, data, data mask, control).
// An empty list gives 82 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sarvik.h"

namespace sarvik {

inline constexpr const char* BP_FILE_SIGNATURE = "QUARNEL BP";
inline constexpr const char* BP_FILE_UNITS_SECTION = "Watchpoint";
inline constexpr uint8_t BP_FILE_SEPARATOR = 0xCC;
// Shorter files are not read at all (the header and the shortest body).
inline constexpr uint64_t BP_FILE_MIN_SIZE = 27;
// The file the breakpoint set command keeps the list in, in the current folder.
inline constexpr const char* BP_SAVE_FILE = "_envbpsave.sav";

// A file read in full and checked, before anything is changed.
struct BpFileContents {
    std::vector<CBpDataEx> records;
    bool hasUnits = false;  // a "Watchpoint" section followed the records
    WHPT_UNIT units[2];
};

enum class BpFileRead {
    Read,       // contents complete
    NotBpFile,  // unreadable, too short, or a header that does not match: passed over
    Damaged,    // the header matched; the body is truncated or malformed
};

// The file's bytes for a list and the two units.
std::vector<uint8_t> WriteBpFile(const CBpList& records, const WHPT_UNIT units[2]);
// Reads a file from its bytes; `damage` says where a damaged one fails.
BpFileRead ReadBpFile(CFile& file, BpFileContents* contents, std::string* damage);

}  // namespace sarvik
