#include "archive/blob_archive.h"

MSAXBlobArchive::MSAXBlobArchive(const std::u16string& path) : path(path) {}

MSAXBlobArchive::~MSAXBlobArchive() {
    // The entry belongs to the container's current reader, so it goes first.
    current.reset();
    if (archive) {
        try {
            archive->Close();
        } catch (...) {
        }
        archive.reset();
    }
}

void MSAXBlobArchive::SetPath(const std::u16string& newPath) { path = newPath; }

const std::u16string& MSAXBlobArchive::GetPath() const { return path; }

MSAXBlobFileInfo* MSAXBlobArchive::GetBlobFileInfo(const std::string& name, int32_t offset,
                                                   int32_t size) {
    if (offset < 0 || size < 0) return nullptr;
    if (!archive) {
        // Opened once per store: a path that is no container makes every
        // request fail with MFileNotFound from the entry lookup below.
        archive = std::make_unique<MZipArchive>(false);
        archive->Open(path);
    }
    if (!current || current->GetFileName() != name) {
        current.reset();
        current = std::make_unique<MSAXBlobFileInfo>(archive.get(), name);
    }
    current->Initialise(offset, size);
    return current.get();
}

void MSAXBlobArchive::ReleaseFinishedBlob() {
    if (current && current->IsEndOfFile()) current.reset();
}

bool MSAXBlobArchive::HasCurrentEntry() const { return current != nullptr; }

void BlobEndTagStep(MSAXBlobArchive* store, std::vector<std::unique_ptr<ISAXBlobRead>>& handedOut) {
    if (store != nullptr && store->HasCurrentEntry()) {
        try {
            store->ReleaseFinishedBlob();
        } catch (...) {
            // IsEndOfFile does not throw; an entry that cannot tell stays current.
        }
    }
    handedOut.clear();
}
