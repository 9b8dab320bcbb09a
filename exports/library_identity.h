#pragma once
// This library's exported identity: its identity string and version record,
// and the accessor for the identity string of the sibling reader module.

#include "exports/kor_library_version.h"
#include "platform/api.h"

namespace Quenzil_02_00_00_00 {

// "<KorLibrary::Quenzil::02::00::00::00::Unicode-Intel-Release::Timestamp::Apr 11 2008::12:18:24>"
// with the build's date and time. Constant data: valid as soon as the module
// is mapped, before any initialiser runs.
extern QZ_API const char16_t* const __g_korlibrary_info;

// ("Quenzil", __g_korlibrary_info, "02", "00", "00", "00"): built by the
// module's only dynamic initialiser, so it is the registry's first entry; it
// leaves the registry when the module is unloaded.
extern QZ_API KorLibraryVersion __g_version;

}  // namespace Quenzil_02_00_00_00

namespace KorSax_08_00_00_00 {

// The current value of the sibling module's exported __g_korlibrary_info,
// read at each call and returned unchanged (null included).
QZ_API const char16_t* __GetKorLibraryInfo();

}  // namespace KorSax_08_00_00_00
