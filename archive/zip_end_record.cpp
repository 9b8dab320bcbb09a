#include "archive/zip_end_record.h"

#include <algorithm>

namespace zipformat {

bool FindEndRecord(ZipStream& file, uint64_t fileSize, uint64_t* position) {
    constexpr uint64_t kMaxBack = 0xFFFF;
    constexpr uint32_t kStep = 1024;
    constexpr uint32_t kWindow = kStep + 4;

    const uint64_t maxBack = std::min(kMaxBack, fileSize);
    uint8_t window[kWindow];
    uint64_t back = 4;
    while (back < maxBack) {
        back = std::min(back + kStep, maxBack);
        const uint64_t readPosition = fileSize - back;
        const uint32_t readSize = uint32_t(std::min<uint64_t>(kWindow, fileSize - readPosition));
        if (!file.ReadAt(readPosition, window, readSize)) return false;
        for (uint32_t i = readSize >= 4 ? readSize - 4 + 1 : 0; i-- > 0;) {
            if (IsSignature(window + i, kEndRecordKind)) {
                const uint64_t found = readPosition + i;
                if (found == 0) return false;
                *position = found;
                return true;
            }
        }
    }
    return false;
}

}  // namespace zipformat
