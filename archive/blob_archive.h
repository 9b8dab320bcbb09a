#pragma once
// The reader's blob store: the project file's path, a container opened on it
// for blob data only, and the one blob entry open at a time. Requests for the
// same entry at increasing offsets are served from one pass over the entry.

#include "archive/blob_file_info.h"
#include "archive/blob_read.h"
#include "archive/zip_archive.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MSAXBlobArchive {
public:
    // Empty path, no container, no current entry.
    MSAXBlobArchive() = default;
    // A store for the project file at path; nothing is opened yet.
    explicit MSAXBlobArchive(const std::u16string& path);
    // Releases the current entry (closing its zip entry) before it closes the
    // container. Never throws.
    ~MSAXBlobArchive();
    // Owns a container and an entry, so it is not copyable.
    MSAXBlobArchive(const MSAXBlobArchive&) = delete;
    MSAXBlobArchive& operator=(const MSAXBlobArchive&) = delete;

    // The project file's path; takes effect for the container only if it has
    // not been opened yet.
    void SetPath(const std::u16string& path);
    // The project file's path, empty until set.
    const std::u16string& GetPath() const;

    // The current entry positioned on size bytes at offset of the named entry.
    // Opens the container on the first request only (a failed open is not
    // retried); keeps the current entry when name matches it byte for byte,
    // else replaces it. Throws MZipArchiveError::MFileNotFound when the
    // container or entry cannot be opened (no current entry then) or a reopen
    // fails, MDeflate on a read error. Null, with nothing opened or changed,
    // for a negative offset or size. The result stays owned by the store.
    MSAXBlobFileInfo* GetBlobFileInfo(const std::string& name, int32_t offset, int32_t size);
    // Releases the current entry once it has been pulled to its last byte;
    // does nothing without a current entry.
    void ReleaseFinishedBlob();
    // True while an entry is current.
    bool HasCurrentEntry() const;

private:
    std::u16string path;
    std::unique_ptr<MZipArchive> archive;
    std::unique_ptr<MSAXBlobFileInfo> current;
};

// The blob part of the reader's handling of every end tag: releases the
// store's current entry if it is exhausted (store may be null), then deletes
// every blob reader handed out while the element was handled. Never throws.
void BlobEndTagStep(MSAXBlobArchive* store, std::vector<std::unique_ptr<ISAXBlobRead>>& handedOut);
