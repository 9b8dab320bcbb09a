#pragma once
// Buffered reader and writer of one blob entry of a project file's container.
// Every transfer goes through one 16384-byte buffer: reading pulls the entry
// through it window by window, writing collects blob values in it and passes
// full buffers to the entry. Positions and sizes count uncompressed bytes.

#include "archive/compression_level.h"
#include "archive/zip_archive.h"
#include "platform/api.h"

#include <cstdint>
#include <memory>
#include <string>

class QZ_API MSAXBlobFileInfo {
public:
    // Size of the one transfer buffer.
    static constexpr int32_t kBufferSize = 16384;

    // Reading object: opens the entry (MZipArchiveError::MFileNotFound when
    // absent; nothing is allocated then). The archive must outlive the object.
    MSAXBlobFileInfo(MZipArchive* archive, const std::string& fileName);
    // Writing object: starts a new entry at level (MZipArchiveError::MFileNotCreated
    // when refused, also when the archive has no container open for writing).
    MSAXBlobFileInfo(MZipArchive* archive, const std::string& fileName, ESAXCompressionLevel level);
    // Writing: passes the buffered bytes on and closes the entry; a failure
    // there is swallowed (call Finish() to see it). Reading: closes the entry.
    // Never throws.
    ~MSAXBlobFileInfo();

    // The object owns a buffer and an open entry that must be released once.
    MSAXBlobFileInfo(const MSAXBlobFileInfo&) = delete;
    MSAXBlobFileInfo& operator=(const MSAXBlobFileInfo&) = delete;

    // Writing: the next byte written starts a new blob value; true. False and
    // nothing changed on a reading object.
    bool Initialise();
    // Reading: positions on the window of size bytes at offset, reading on or
    // reopening the entry when the window starts before the bytes still
    // buffered; size 0 changes nothing. True; false and nothing changed for a
    // negative offset or size or on a writing object. Throws MFileNotFound
    // when a reopen fails, MDeflate on a read error.
    bool Initialise(int32_t offset, int32_t size);

    // The entry name as given to the constructor.
    const std::string& GetFileName() const;
    // Writing: where the current blob value starts in the entry; 0 when reading.
    int32_t GetBlobOffset() const;
    // Reading: bytes of the window not yet pulled into the buffer (0 once
    // pulled). Writing: bytes written since the last Initialise().
    int32_t GetBlobSize() const;
    // Reading: true once the entry's last byte is in the buffer, even if not
    // yet handed out. False on a writing object or a closed entry.
    bool IsEndOfFile();

    // Reading: copies up to length bytes; fewer at the end of the window or
    // the entry, 0 when nothing is left, for length <= 0 or a null destination,
    // and on a writing object. Throws MDeflate on a read error.
    int32_t ReadBuffer(void* destination, int32_t length);
    // Writing: appends length bytes and returns length. Returns 0 and writes
    // nothing for a negative length, a null source, a total past 2^31-1 bytes,
    // after Finish(), and on a reading object. Throws MInflate when a full
    // buffer cannot be passed to the entry.
    int32_t WriteBuffer(const void* source, int32_t length);
    // Writing: passes the buffered bytes on and closes the entry, throwing
    // MZipArchiveError::MInflate when either fails; later writes are refused.
    // Does nothing on a reading object or when already finished.
    void Finish();

protected:
    // Reading: replaces the buffer with the next bytes of the entry, at most
    // 16384 and (unless skipping) no more than the window still allows.
    void _RefillBuffer(bool skipping);
    // Writing: passes the buffered bytes to the entry and empties the buffer;
    // on a failure the buffer is left as it was.
    void _DumpBuffer();
    // Reading: the part of ReadBuffer that crosses refills.
    int32_t _ReadBuffer(void* destination, int32_t length);
    // Writing: the part of WriteBuffer that crosses dumps.
    int32_t _WriteBuffer(const void* source, int32_t length);
    // Reading: moves the cursor forward to an entry position, refilling in
    // window-sized chunks; stops with an empty buffer past the entry's end.
    void _SkipTo(int32_t position);

private:
    enum EMode : int32_t { eModeRead = 0, eModeWrite = 1 };

    // Closes the entry if it is open; never throws.
    void CloseEntry() noexcept;
    // Allocates the buffer for the entry just opened (closing it on failure).
    void AttachBuffer();

    std::string fileName;
    MZipArchive* archive;
    int32_t readPosition = 0;
    int32_t blobOffset = 0;
    MZipFile entry;
    std::unique_ptr<unsigned char[]> buffer;
    unsigned char* cursor = nullptr;
    int32_t available = 0;
    int32_t windowRemaining = 0;
    int32_t freeSpace = kBufferSize;
    int32_t written = 0;
    int32_t mode;
};
