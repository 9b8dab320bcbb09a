#pragma once
// This library's identity text, fixed when the library is built. Both texts
// come from one translation unit, so they carry the same date and time. They
// are constant-initialised, so pointers into them are constant data too.

#include "sibling/kor_identity.h"

namespace quenzil {

// "<KorLibrary::Quenzil::02::00::00::00::Unicode-Intel-Release::Timestamp::Apr 11 2008::12:18:24>"
// with the build's date and time (day of the month without padding).
extern const kor::IdentityText kIdentityText;

// "Apr 11 2008::12:18:24": the build date and time as in kIdentityText.
extern const kor::IdentityText kBuildTimestampText;

}  // namespace quenzil
