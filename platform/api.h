#pragma once
// Marks the declarations that the shared library exports. Everything else is
// hidden (the build compiles with hidden visibility by default).

#if defined(_WIN32)
#  if defined(QUENZIL_BUILDING)
#    define QZ_API __declspec(dllexport)
#  else
#    define QZ_API __declspec(dllimport)
#  endif
#else
#  define QZ_API __attribute__((visibility("default")))
#endif

// Plain entry points that an installer calls: C linkage, undecorated names.
#define QZ_C_API extern "C" QZ_API
