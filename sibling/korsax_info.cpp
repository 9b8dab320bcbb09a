// Stand-in for the sibling reader module: it exports nothing but its identity
// string, which the product library reads through __GetKorLibraryInfo.
#include "sibling/korsax_info.h"

#include "sibling/kor_identity.h"

namespace {

constexpr kor::IdentityText kIdentity =
    kor::IdentityString(u"KorSax", u"08", u"00", u"00", u"00", __DATE__, __TIME__);

}  // namespace

namespace KorSax_08_00_00_00 {

const char16_t* const __g_korlibrary_info = kIdentity.chars;

}  // namespace KorSax_08_00_00_00
