#pragma once
// The DOS time and date of a new entry.

#include "archive/zip_records.h"

#include <cstdint>

namespace zipformat {

// The record's dosDate when it is not 0; otherwise DOS time (low word) and date
// (high word) from the broken-down fields: time = sec/2 + 32*min + 2048*hour,
// date = day + 32*(month+1) + 512*y with y = year-1980 above 1980, year-80
// above 80, else year. Nine zero words give time 0x0000, date 0x0020. Fields
// out of range are masked into their bit fields rather than spill into others.
uint32_t DosDateTime(const zip_fileinfo& info);

}  // namespace zipformat
