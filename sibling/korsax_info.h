#pragma once
// The identity string exported by the sibling reader module.

#if defined(_WIN32)
#  if defined(KORSAX_BUILDING)
#    define KORSAX_API __declspec(dllexport)
#  else
#    define KORSAX_API __declspec(dllimport)
#  endif
#else
#  define KORSAX_API __attribute__((visibility("default")))
#endif

namespace KorSax_08_00_00_00 {

// "<KorLibrary::KorSax::08::00::00::00::Unicode-Intel-Release::Timestamp::date::time>",
// fixed when the module is built.
extern KORSAX_API const char16_t* const __g_korlibrary_info;

}  // namespace KorSax_08_00_00_00
