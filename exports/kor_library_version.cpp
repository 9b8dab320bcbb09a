#include "exports/kor_library_version.h"

#include "exports/build_stamp.h"
#include "exports/version_registry.h"

KorLibraryVersion::KorLibraryVersion(const char16_t* name, const char16_t* info,
                                     const char16_t* part1, const char16_t* part2,
                                     const char16_t* part3, const char16_t* part4)
    : versionParts{part1, part2, part3, part4},
      name(name),
      info(info),
      timestamp(quenzil::kBuildTimestampText.chars),
      isDebugBuild(false),
      isPreRelease(false),
      isUnicodeBuild(true) {
    quenzil::GetVersionRegistry().Add(this);
}

KorLibraryVersion::~KorLibraryVersion() { quenzil::GetVersionRegistry().Remove(this); }
