// A stand-in sibling whose identity pointer is null. It carries the real
// sibling's soname, so a library loaded after it binds to it instead.
#include "sibling/korsax_info.h"

namespace KorSax_08_00_00_00 {

const char16_t* const __g_korlibrary_info = nullptr;

}  // namespace KorSax_08_00_00_00
