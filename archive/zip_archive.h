#pragma once
// A project file's zip container: opens the container and its entries by name
// (ASCII case-insensitive), reads and writes entry data in chunks, and turns
// the record layer's result codes into MZipArchiveError exceptions.

#include "archive/compression_level.h"

#include <cstdint>
#include <string>

// Opaque handles of the zip record layer (archive/zip_records.h).
struct unz_archive;
struct zip_archive;
using unzFile = unz_archive*;
using zipFile = zip_archive*;

// Handle of one open entry: a small value, copied freely; copies refer to the
// same open entry. Owns nothing; the archive owns the handles.
struct MZipFile {
    void* handle = nullptr;  // the archive's reader or writer; null once closed
    std::string name;        // entry name as opened, for error reports
};

class MZipArchive {
public:
    // Nothing open. alternativeSignatures selects "KR" records for all writing.
    explicit MZipArchive(bool alternativeSignatures = false);
    // Closes whatever is open.
    virtual ~MZipArchive();
    // An archive owns open handles, so it is not copyable.
    MZipArchive(const MZipArchive&) = delete;
    MZipArchive& operator=(const MZipArchive&) = delete;

    // Opens a container for reading; false (nothing thrown) when the file is
    // missing, unreadable or not a single-disk zip archive, or when this
    // archive already has a container open.
    bool Open(const std::u16string& path);
    // Creates (or truncates) a container file for writing, the archive starting
    // at offset 0; false on failure or when a container is already open.
    bool Create(const std::u16string& path);
    // Finishes and closes the writer if one is open, else closes the reader.
    // False when nothing was open or the record layer reported an error.
    bool Close();

    // Finds an entry by name (ASCII case ignored), searching from the current
    // entry and wrapping, and opens it for reading. Throws
    // MZipArchiveError::MFileNotFound when absent or unopenable.
    MZipFile OpenFile(const std::string& name);
    // Starts a new entry, stored at level 0, deflated otherwise; an entry still
    // open is finished first. Throws MZipArchiveError::MFileNotCreated when
    // refused (no writer open, a level zlib rejects, a name holding a zero byte).
    MZipFile OpenNewFile(const std::string& name, ESAXCompressionLevel level);
    // Delivers up to length uncompressed bytes; 0 at the end or for length 0.
    // Throws MZipArchiveError::MDeflate on a read or inflate error or a closed entry.
    // The entry operations below honour only handles of this archive's open
    // reader or writer; any other handle counts as closed.
    int ReadFile(MZipFile& file, void* destination, uint32_t length);
    // Adds length bytes to a new entry; returns 0. Throws MZipArchiveError::MInflate.
    int WriteFile(MZipFile& file, const void* source, uint32_t length);
    // Closes a read entry (CRC result returned, never thrown); handle := null.
    int CloseFile(MZipFile& file);
    // Finishes a written entry; handle := null. Result returned, never thrown.
    int CloseNewFile(MZipFile& file);
    // True once every uncompressed byte of the entry was delivered; false when closed.
    bool IsEndOfFile(MZipFile& file);

protected:
    // Makes the named entry current; false when no entry matches.
    bool _LocateFile(const std::string& name);

private:
    unzFile reader_ = nullptr;
    zipFile writer_ = nullptr;
    bool alternativeSignatures_;
};
