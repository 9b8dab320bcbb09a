#pragma once
// A library's version record, entered in the module's version registry for
// as long as it exists.

#include "platform/api.h"

class QZ_API KorLibraryVersion {
public:
    // Stores the six strings as given (not copied; null is stored as null),
    // sets timestamp to this library's build date and time
    // ("Apr 11 2008::12:18:24") and the flags to false, false, true, then
    // appends the record to the version registry.
    KorLibraryVersion(const char16_t* name, const char16_t* info, const char16_t* part1,
                      const char16_t* part2, const char16_t* part3, const char16_t* part4);

    // Removes the first registry entry that points to this record; a record
    // that is not registered (a copy, for one) leaves the registry unchanged.
    ~KorLibraryVersion();

    // Member-wise; the copy is not registered.
    KorLibraryVersion(const KorLibraryVersion&) = default;
    KorLibraryVersion& operator=(const KorLibraryVersion&) = default;

    const char16_t* versionParts[4];  // most significant first, e.g. "02", "00", "00", "00"
    const char16_t* name;             // registered short name, e.g. "Quenzil"
    const char16_t* info;             // the library's identity string
    const char16_t* timestamp;        // "Mmm d yyyy::hh:mm:ss"
    // Descriptive only; nothing reads them.
    bool isDebugBuild;       // false
    bool isPreRelease;       // false
    bool isUnicodeBuild;     // true
};
