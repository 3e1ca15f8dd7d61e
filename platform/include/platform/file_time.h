// FAT-packed (DOS) dates and times, in local time as FAT keeps them:
//   date: bits 15-9 year - 1980, bits 8-5 month 1-12, bits 4-0 day 1-31
//   time: bits 15-11 hour, bits 10-5 minute, bits 4-0 seconds / 2
#pragma once

#include <ctime>
#include <string>

#include "win_types.h"

namespace platform {

struct DosDateTime {
    WORD date = 0;
    WORD time = 0;
    bool operator==(const DosDateTime&) const = default;
};

// False for a year outside 1980 to 2107 or a field out of range; odd seconds
// round down.
bool PackDosDateTime(const std::tm& local, DosDateTime& out);
// The fields of a packed value (tm_isdst -1, weekday and year day unset).
std::tm UnpackDosDateTime(DosDateTime packed);
bool TimeToDosDateTime(time_t when, DosDateTime& out);
// -1 when the packed value names no valid local time.
time_t DosDateTimeToTime(DosDateTime packed);
// The file's creation time where the file system keeps one (else its last
// change), packed; false when the file cannot be examined.
bool FileCreationDosDateTime(const std::string& path, DosDateTime& out);

}  // namespace platform
