# Shared settings of the Windows cross-build scripts; sourced, not run.
# Everything they download or build lives under QUENZIL_WIN_CACHE, outside the
# source tree, so it survives a fresh clone and never reaches git.
QUENZIL_WIN_CACHE="${QUENZIL_WIN_CACHE:-${HOME:-/root}/.cache/quenzil/win32}"
MINGW_TRIPLE=i686-w64-mingw32
MINGW_SYSROOT=/usr/$MINGW_TRIPLE
EXPAT_PREFIX="$QUENZIL_WIN_CACHE/expat"
WINE_PREFIX_DIR="$QUENZIL_WIN_CACHE/wineprefix"
# The 32-bit loader that Debian's wine32 package installs; without it a 64-bit
# only Wine exits 0 without running a 32-bit program at all.
WINE_LOADER32=/usr/lib/wine/wine
export QUENZIL_WIN_CACHE EXPAT_PREFIX

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# How the cross-built programs run: a 32-bit prefix in the cache, no Wine
# chatter, no Mono/Gecko install prompts, and the runtime DLLs on the path.
wine_environment() {
    export WINEARCH=win32
    export WINEPREFIX="$WINE_PREFIX_DIR"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    gcc_dll=$($MINGW_TRIPLE-g++-posix -print-file-name=libgcc_s_dw2-1.dll)
    # Wine paths: Z: is the Unix root.
    WINEPATH="Z:$(dirname "$gcc_dll");Z:$MINGW_SYSROOT/lib"
    for dir in "$@"; do WINEPATH="$WINEPATH;Z:$dir"; done
    export WINEPATH
}
