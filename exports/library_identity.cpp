#include "exports/library_identity.h"

#include "exports/build_stamp.h"
#include "sibling/korsax_info.h"

namespace Quenzil_02_00_00_00 {

const char16_t* const __g_korlibrary_info = quenzil::kIdentityText.chars;

// The module's one dynamic initialiser. Its registration is the registry's
// first use, so the registry's destruction is entered in the exit list before
// this record's: on unload the record leaves the registry, then the registry goes.
KorLibraryVersion __g_version(u"Quenzil", __g_korlibrary_info, u"02", u"00", u"00", u"00");

}  // namespace Quenzil_02_00_00_00

namespace KorSax_08_00_00_00 {

const char16_t* __GetKorLibraryInfo() { return __g_korlibrary_info; }

}  // namespace KorSax_08_00_00_00
