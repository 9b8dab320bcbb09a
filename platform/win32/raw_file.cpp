#include "platform/raw_file.h"

#include "platform/code_page.h"
#include "platform/win32/wide_string.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <climits>

namespace platform {
namespace {

// Binary mode always: the callers emulate the text modes themselves, so the
// bytes are the same on every system.
RawFile Open(const char* ansiPath, int flags, int permission) {
    if (ansiPath == nullptr || *ansiPath == '\0') return kInvalidRawFile;
    flags |= _O_BINARY | _O_NOINHERIT;
    int fd = -1;
    if (ResolveCodePage(kCodePageAnsi) == GetACP()) {
        // The run-time library reads a narrow path in the system's ANSI page.
        if (_sopen_s(&fd, ansiPath, flags, _SH_DENYNO, permission) != 0) return kInvalidRawFile;
    } else {
        // A forced ANSI page: widen with it, as on other systems.
        std::wstring wide = win32::ToSystem(MultiByteToWide(kCodePageAnsi, ansiPath));
        if (wide.empty() || _wsopen_s(&fd, wide.c_str(), flags, _SH_DENYNO, permission) != 0)
            return kInvalidRawFile;
    }
    // Directories cannot be opened this way; check anyway, as the contract says.
    struct _stat64 st;
    if (_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) == _S_IFDIR) {
        _close(fd);
        return kInvalidRawFile;
    }
    return fd;
}

}  // namespace

RawFile OpenRawForRead(const char* ansiPath) { return Open(ansiPath, _O_RDONLY, 0); }

RawFile OpenRawForUpdate(const char* ansiPath) {
    return Open(ansiPath, _O_RDWR | _O_CREAT, _S_IREAD | _S_IWRITE);
}

int32_t ReadRaw(RawFile file, void* buffer, uint32_t size) {
    if (file == kInvalidRawFile) return -1;
    if (size > uint32_t(INT_MAX)) size = uint32_t(INT_MAX);
    int n = _read(int(file), buffer, size);
    return n < 0 ? -1 : int32_t(n);
}

bool WriteRaw(RawFile file, const void* buffer, size_t size) {
    if (file == kInvalidRawFile) return false;
    auto* bytes = static_cast<const char*>(buffer);
    while (size > 0) {
        unsigned chunk = size > size_t(INT_MAX) ? unsigned(INT_MAX) : unsigned(size);
        int n = _write(int(file), bytes, chunk);
        if (n <= 0) return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

bool TruncateRaw(RawFile file, uint64_t length) {
    struct _stat64 st;
    if (file == kInvalidRawFile || _fstat64(int(file), &st) != 0) return false;
    if ((st.st_mode & _S_IFMT) != _S_IFREG) return true;
    if (length > uint64_t(LLONG_MAX)) return false;
    return _chsize_s(int(file), static_cast<long long>(length)) == 0;
}

bool IsSameRawFile(RawFile a, RawFile b) {
    if (a == kInvalidRawFile || b == kInvalidRawFile) return false;
    auto ha = reinterpret_cast<HANDLE>(_get_osfhandle(int(a)));
    auto hb = reinterpret_cast<HANDLE>(_get_osfhandle(int(b)));
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (ha == INVALID_HANDLE_VALUE || hb == INVALID_HANDLE_VALUE ||
        !GetFileInformationByHandle(ha, &ia) || !GetFileInformationByHandle(hb, &ib))
        return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool CloseRaw(RawFile file) {
    if (file == kInvalidRawFile) return true;
    return _close(int(file)) == 0;
}

}  // namespace platform
