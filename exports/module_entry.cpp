// The shared library's module entry. On Windows it turns off the thread attach
// and detach notifications when the process attaches it; elsewhere the loader
// needs nothing of it.
#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    return TRUE;
}
#endif
