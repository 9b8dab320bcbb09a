#include "archive/blob_file_info.h"

#include "errors/zip_archive_error.h"
#include "platform/code_page.h"

#include <cstring>
#include <limits>

namespace {

constexpr int32_t kMaxPosition = std::numeric_limits<int32_t>::max();

std::u16string WideName(const std::string& name) {
    return platform::MultiByteToWide(platform::kCodePageAnsi, name);
}

}  // namespace

MSAXBlobFileInfo::MSAXBlobFileInfo(MZipArchive* archive, const std::string& fileName)
    : fileName(fileName), archive(archive), mode(eModeRead) {
    if (archive == nullptr) throw MZipArchiveError::MFileNotFound(WideName(fileName));
    entry = archive->OpenFile(fileName);
    AttachBuffer();
}

MSAXBlobFileInfo::MSAXBlobFileInfo(MZipArchive* archive, const std::string& fileName,
                                   ESAXCompressionLevel level)
    : fileName(fileName), archive(archive), mode(eModeWrite) {
    if (archive == nullptr) throw MZipArchiveError::MFileNotCreated(WideName(fileName));
    entry = archive->OpenNewFile(fileName, level);
    AttachBuffer();
}

void MSAXBlobFileInfo::AttachBuffer() {
    // The buffer is allocated only once the entry is open; if the allocation
    // fails, the entry is closed again before the failure leaves.
    try {
        buffer.reset(new unsigned char[kBufferSize]);
    } catch (...) {
        CloseEntry();
        throw;
    }
    cursor = buffer.get();
}

MSAXBlobFileInfo::~MSAXBlobFileInfo() {
    if (mode == eModeWrite && entry.handle != nullptr && freeSpace != kBufferSize) {
        // A destructor cannot report the failure; Finish() exists for callers
        // that need to see it.
        try {
            _DumpBuffer();
        } catch (...) {
        }
    }
    CloseEntry();
}

void MSAXBlobFileInfo::CloseEntry() noexcept {
    if (entry.handle == nullptr) return;
    try {
        if (mode == eModeWrite)
            archive->CloseNewFile(entry);
        else
            archive->CloseFile(entry);
    } catch (...) {
    }
    entry.handle = nullptr;
}

bool MSAXBlobFileInfo::Initialise() {
    if (mode != eModeWrite) return false;
    blobOffset = written + (kBufferSize - freeSpace);
    return true;
}

bool MSAXBlobFileInfo::Initialise(int32_t offset, int32_t size) {
    if (mode != eModeRead || offset < 0 || size < 0) return false;
    if (size == 0) return true;
    windowRemaining = size;
    if (offset < readPosition - available) {
        // The window starts before the first byte still held: read the entry
        // again from its start. The buffer is emptied before the reopen, so a
        // failed reopen cannot leave stale bytes to be handed out.
        CloseEntry();
        available = 0;
        cursor = buffer.get();
        readPosition = 0;
        entry = archive->OpenFile(fileName);
    }
    _SkipTo(offset);
    return true;
}

const std::string& MSAXBlobFileInfo::GetFileName() const { return fileName; }

int32_t MSAXBlobFileInfo::GetBlobOffset() const { return blobOffset; }

int32_t MSAXBlobFileInfo::GetBlobSize() const {
    if (mode == eModeWrite) return written + (kBufferSize - freeSpace) - blobOffset;
    return windowRemaining;
}

bool MSAXBlobFileInfo::IsEndOfFile() {
    if (mode != eModeRead || entry.handle == nullptr) return false;
    return archive->IsEndOfFile(entry);
}

int32_t MSAXBlobFileInfo::ReadBuffer(void* destination, int32_t length) {
    if (mode != eModeRead || length <= 0 || destination == nullptr) return 0;
    if (length <= available) {
        std::memcpy(destination, cursor, static_cast<size_t>(length));
        cursor += length;
        available -= length;
        return length;
    }
    return _ReadBuffer(destination, length);
}

int32_t MSAXBlobFileInfo::_ReadBuffer(void* destination, int32_t length) {
    auto* out = static_cast<unsigned char*>(destination);
    if (available == 0) {
        _RefillBuffer(false);
        if (available == 0) return 0;
    }
    int32_t n = length;
    while (available < n) {
        std::memcpy(out, cursor, static_cast<size_t>(available));
        out += available;
        n -= available;
        cursor += available;
        available = 0;
        _RefillBuffer(false);
        if (available == 0) return length - n;
    }
    if (n > 0) {
        std::memcpy(out, cursor, static_cast<size_t>(n));
        cursor += n;
        available -= n;
    }
    return length;
}

void MSAXBlobFileInfo::_RefillBuffer(bool skipping) {
    cursor = buffer.get();
    available = 0;  // nothing stale is handed out if the read below throws
    int32_t n = windowRemaining < kBufferSize ? windowRemaining : kBufferSize;
    // readPosition is a signed 32-bit count: an entry is never pulled past it.
    if (n > kMaxPosition - readPosition) n = kMaxPosition - readPosition;
    if (n <= 0) return;
    const int got = archive->ReadFile(entry, buffer.get(), static_cast<uint32_t>(n));
    if (got < 0 || got > n) throw MZipArchiveError::MDeflate(WideName(fileName));
    readPosition += got;
    available = got;
    if (!skipping) windowRemaining -= got;
}

void MSAXBlobFileInfo::_SkipTo(int32_t position) {
    while (readPosition < position) {
        _RefillBuffer(true);
        if (available == 0) return;  // the position lies beyond the entry's end
    }
    const int32_t behind = readPosition - position;
    cursor += available - behind;
    available = behind;
}

int32_t MSAXBlobFileInfo::WriteBuffer(const void* source, int32_t length) {
    if (mode != eModeWrite || entry.handle == nullptr || length <= 0 || source == nullptr) return 0;
    // Positions are signed 32-bit counts; refuse what would overflow them.
    const int64_t total = static_cast<int64_t>(written) + (kBufferSize - freeSpace);
    if (total + length > kMaxPosition) return 0;
    if (length <= freeSpace) {
        std::memcpy(cursor, source, static_cast<size_t>(length));
        cursor += length;
        freeSpace -= length;
        return length;
    }
    return _WriteBuffer(source, length);
}

int32_t MSAXBlobFileInfo::_WriteBuffer(const void* source, int32_t length) {
    auto* in = static_cast<const unsigned char*>(source);
    if (freeSpace == 0) _DumpBuffer();
    int32_t n = length;
    while (n > freeSpace) {
        std::memcpy(cursor, in, static_cast<size_t>(freeSpace));
        in += freeSpace;
        n -= freeSpace;
        cursor += freeSpace;
        freeSpace = 0;
        _DumpBuffer();
    }
    if (n > 0) {
        std::memcpy(cursor, in, static_cast<size_t>(n));
        cursor += n;
        freeSpace -= n;
    }
    return length;
}

void MSAXBlobFileInfo::_DumpBuffer() {
    const int32_t used = kBufferSize - freeSpace;
    // The counters change only after the entry took the bytes, so a failed
    // write leaves the buffer and its invariants intact.
    if (used > 0) archive->WriteFile(entry, buffer.get(), static_cast<uint32_t>(used));
    written += used;
    cursor = buffer.get();
    freeSpace = kBufferSize;
}

void MSAXBlobFileInfo::Finish() {
    if (mode != eModeWrite || entry.handle == nullptr) return;
    if (freeSpace != kBufferSize) _DumpBuffer();
    if (archive->CloseNewFile(entry) != 0) throw MZipArchiveError::MInflate(WideName(fileName));
    entry.handle = nullptr;
}
