// Stand-in for the sibling reader module: it exports nothing but its identity
// string, which the product library reads through __GetKorLibraryInfo.
#include "sibling/korsax_info.h"

namespace KorSax_08_00_00_00 {

const char16_t* const __g_korlibrary_info =
    u"<KorLibrary::KorSax::08::00::00::00::Unicode-Intel-Release::Timestamp::" QZ_BUILD_DATE
    u"::" QZ_BUILD_TIME u">";

}  // namespace KorSax_08_00_00_00
