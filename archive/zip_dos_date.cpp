#include "archive/zip_dos_date.h"

namespace zipformat {

uint32_t DosDateTime(const zip_fileinfo& info) {
    if (info.dosDate != 0) return info.dosDate;
    uint32_t year = info.tm_year;
    if (year > 1980)
        year -= 1980;
    else if (year > 80)
        year -= 80;
    const uint32_t date = (info.tm_mday & 0x1F) + (((info.tm_mon + 1) & 0x0F) << 5) +
                          ((year & 0x7F) << 9);
    const uint32_t time = ((info.tm_sec / 2) & 0x1F) + ((info.tm_min & 0x3F) << 5) +
                          ((info.tm_hour & 0x1F) << 11);
    return (date << 16) | time;
}

}  // namespace zipformat

