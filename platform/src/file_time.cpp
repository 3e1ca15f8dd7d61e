#include "platform/file_time.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

bool PackDosDateTime(const std::tm& t, DosDateTime& out)
{
    int year = t.tm_year + 1900;
    if (year < 1980 || year > 2107 || t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_mday > 31 ||
        t.tm_hour < 0 || t.tm_hour > 23 || t.tm_min < 0 || t.tm_min > 59 || t.tm_sec < 0 || t.tm_sec > 60)
        return false;
    int seconds = t.tm_sec > 59 ? 59 : t.tm_sec;  // a leap second stays in its minute
    out.date = static_cast<WORD>(((year - 1980) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
    out.time = static_cast<WORD>((t.tm_hour << 11) | (t.tm_min << 5) | (seconds / 2));
    return true;
}

std::tm UnpackDosDateTime(DosDateTime packed)
{
    std::tm t{};
    t.tm_year = ((packed.date >> 9) & 0x7F) + 80;
    t.tm_mon = ((packed.date >> 5) & 0x0F) - 1;
    t.tm_mday = packed.date & 0x1F;
    t.tm_hour = (packed.time >> 11) & 0x1F;
    t.tm_min = (packed.time >> 5) & 0x3F;
    t.tm_sec = (packed.time & 0x1F) * 2;
    t.tm_isdst = -1;
    return t;
}

bool TimeToDosDateTime(time_t when, DosDateTime& out)
{
    std::tm local{};
    if (!localtime_r(&when, &local))
        return false;
    return PackDosDateTime(local, out);
}

time_t DosDateTimeToTime(DosDateTime packed)
{
    std::tm t = UnpackDosDateTime(packed);
    if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_hour > 23 || t.tm_min > 59 || t.tm_sec > 59)
        return -1;
    std::tm copy = t;
    time_t when = mktime(&copy);
    // mktime carries an impossible day (February 30) into the next month.
    if (when == -1 || copy.tm_mday != t.tm_mday || copy.tm_mon != t.tm_mon)
        return -1;
    return when;
}

bool FileCreationDosDateTime(const std::string& path, DosDateTime& out)
{
    time_t when;
    struct statx stx {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &stx) == 0 && (stx.stx_mask & STATX_BTIME)) {
        when = static_cast<time_t>(stx.stx_btime.tv_sec);
    } else {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0)
            return false;
        when = st.st_mtime;
    }
    return TimeToDosDateTime(when, out);
}

}  // namespace platform
