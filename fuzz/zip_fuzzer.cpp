// The zip record layer, the container class and the blob entry reader on
// arbitrary bytes: open the file, walk the central directory, open and read
// every entry through the record layer, then again by name through
// MZipArchive, then windows of it through MSAXBlobFileInfo. The three views of
// an entry must agree, reads must end, and nothing may deliver more than the
// directory declares.
//
// Input: the file itself, so that seeds are plain project files.

#include "archive/blob_file_info.h"
#include "archive/zip_archive.h"
#include "archive/zip_records.h"
#include "errors/zip_archive_error.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using qfuzz::Check;

// No entry is read past this many bytes; a deflate bomb in a small input
// still inflates to a few MiB at most.
constexpr size_t kMaxEntryBytes = size_t(4) << 20;
constexpr size_t kMaxEntries = 64;

struct EntryRecord {
    std::string name;
    unz_file_info info{};
    bool opened = false;   // unzOpenCurrentFile succeeded
    bool complete = false; // read to its end without an error
    std::string data;      // what was delivered (up to the cap)
};

uint32_t Hash(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

// Reads the open entry in pieces of changing size; records what came.
void ReadOpenEntry(unzFile reader, EntryRecord& entry) {
    static const uint32_t kPieces[] = {1, 4096, 16391, 3, 70000};
    std::vector<char> buffer(70000);
    for (size_t turn = 0;; ++turn) {
        const uint32_t want = kPieces[turn % 5];
        const int got = unzReadCurrentFile(reader, buffer.data(), want);
        if (got < 0) return;
        Check(uint32_t(got) <= want, "record layer delivered more than asked");
        if (got == 0) {
            entry.complete = true;
            return;
        }
        entry.data.append(buffer.data(), size_t(got));
        Check(entry.data.size() <= entry.info.uncompressed_size, "entry longer than its directory size");
        if (entry.data.size() >= kMaxEntryBytes) return;
        if (unzeof(reader) == 1) {
            Check(unzReadCurrentFile(reader, buffer.data(), 16) == 0, "read after the end delivered bytes");
        }
    }
}

std::vector<EntryRecord> WalkRecords(const std::u16string& path, size_t fileSize) {
    std::vector<EntryRecord> entries;
    unzFile reader = unzOpen(path);
    if (reader == nullptr) return entries;
    size_t steps = 0;
    unz_file_pos firstPosition{};
    const bool haveFirst = unzGetFilePos(reader, &firstPosition) == UNZ_OK;
    for (int status = unzGoToFirstFile(reader); status == UNZ_OK; status = unzGoToNextFile(reader)) {
        // Every directory header takes at least 46 bytes of the file, so a
        // walk that goes on longer is looping.
        Check(++steps <= fileSize / 46 + 1, "directory walk does not end");
        EntryRecord entry;
        char name[257] = {};
        if (unzGetCurrentFileInfo(reader, &entry.info, name, 256, nullptr, 0, nullptr, 0) != UNZ_OK) continue;
        entry.name.assign(name, strnlen(name, 256));
        if (entries.size() < kMaxEntries && unzOpenCurrentFile(reader) == UNZ_OK) {
            entry.opened = true;
            ReadOpenEntry(reader, entry);
            unzCloseCurrentFile(reader);
        }
        Check(unzeof(reader) == UNZ_PARAMERROR, "entry still open after closing");
        if (entries.size() < kMaxEntries) entries.push_back(std::move(entry));
    }
    // Going back to a recorded position reads the same entry again.
    if (haveFirst && !entries.empty() && entries[0].opened &&
        unzGoToFilePos(reader, &firstPosition) == UNZ_OK && unzOpenCurrentFile(reader) == UNZ_OK) {
        EntryRecord again;
        again.info = entries[0].info;
        ReadOpenEntry(reader, again);
        Check(again.data == entries[0].data, "second read of an entry differs");
        unzCloseCurrentFile(reader);
    }
    Check(unzClose(reader) == UNZ_OK, "unzClose failed");
    return entries;
}

std::string FoldCase(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return folded;
}

// Entries that a search by name reaches unambiguously.
std::vector<const EntryRecord*> UniquelyNamed(const std::vector<EntryRecord>& entries) {
    std::map<std::string, int> count;
    for (const auto& entry : entries) ++count[FoldCase(entry.name)];
    std::vector<const EntryRecord*> unique;
    for (const auto& entry : entries) {
        if (count[FoldCase(entry.name)] == 1 && entry.name.size() < 256) unique.push_back(&entry);
    }
    return unique;
}

// One of two reads of the same bytes must be a prefix of the other.
bool Consistent(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    return a.compare(0, n, b, 0, n) == 0;
}

void ReadThroughContainer(const std::u16string& path, const std::vector<const EntryRecord*>& entries) {
    MZipArchive archive;
    Check(archive.Open(path), "container refuses what the record layer opened");
    std::vector<char> buffer(4096);
    for (const EntryRecord* entry : entries) {
        std::string data;
        bool complete = false;
        try {
            MZipFile file = archive.OpenFile(entry->name);
            Check(entry->opened, "container opened an entry the record layer could not");
            for (;;) {
                const int got = archive.ReadFile(file, buffer.data(), uint32_t(buffer.size()));
                Check(got >= 0 && got <= int(buffer.size()), "ReadFile result out of range");
                if (got == 0) {
                    complete = true;
                    break;
                }
                data.append(buffer.data(), size_t(got));
                if (data.size() >= kMaxEntryBytes) break;
            }
            if (complete && data.size() == entry->info.uncompressed_size) {
                Check(archive.IsEndOfFile(file), "IsEndOfFile false after the whole entry");
            }
            archive.CloseFile(file);
            Check(!archive.IsEndOfFile(file), "IsEndOfFile true on a closed entry");
        } catch (const MZipArchiveError::MFileNotFound&) {
            Check(!entry->opened, "container cannot open an entry the record layer opened");
        } catch (const MZipArchiveError::MDeflate&) {
        }
        Check(Consistent(data, entry->data), "container and record layer read different bytes");
        if (complete && entry->complete) Check(data == entry->data, "container and record layer differ");
    }
}

// Windows of a wholly read entry through the blob entry reader must yield the
// entry's bytes at those offsets.
void ReadWindows(const std::u16string& path, const EntryRecord& entry, uint32_t seed) {
    MZipArchive archive;
    Check(archive.Open(path), "container refuses what the record layer opened");
    try {
        MSAXBlobFileInfo blob(&archive, entry.name);
        const int32_t length = int32_t(entry.data.size());
        const int32_t windows[][2] = {
            {int32_t(seed % uint32_t(length + 8)), int32_t((seed >> 8) % 40000)},
            {int32_t((seed >> 16) % uint32_t(length / 2 + 1)), int32_t(seed % 70) + 1},  // often earlier: reopen
            {length + int32_t(seed % 5), 100},                                            // beyond the end
            {int32_t(seed % 3) - 1, 16},                                                   // may be negative
            {0, 0},
        };
        std::vector<char> buffer(20000);
        for (const auto& window : windows) {
            const int32_t offset = window[0];
            const int32_t size = window[1];
            const bool accepted = blob.Initialise(offset, size);
            Check(accepted == (offset >= 0 && size >= 0), "Initialise accepts exactly non-negative windows");
            if (!accepted || size == 0) continue;
            Check(blob.GetBlobSize() <= size, "window larger than asked");
            std::string got;
            const size_t limit = size_t(size) + 2 * MSAXBlobFileInfo::kBufferSize;
            for (int32_t piece = 1 + int32_t(seed % 9000); got.size() < limit; piece = piece * 3 % 19997 + 1) {
                const int32_t n = blob.ReadBuffer(buffer.data(), std::min<int32_t>(piece, int32_t(buffer.size())));
                Check(n >= 0 && n <= piece, "ReadBuffer result out of range");
                if (n == 0) break;
                got.append(buffer.data(), size_t(n));
            }
            // At least the window (as far as the entry goes), possibly buffered
            // bytes beyond it, and always the entry's bytes at that offset.
            const size_t start = std::min<size_t>(size_t(offset), entry.data.size());
            const std::string expected = entry.data.substr(start, size_t(size));
            Check(got.size() >= expected.size(), "window read short");
            Check(entry.data.compare(start, got.size(), got) == 0, "window bytes differ from the entry");
        }
    } catch (const MZipArchiveError::MGeneric&) {
        Check(false, "blob entry reader failed on an entry read whole before");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const qfuzz::ScratchFile file("zip");
    file.Write(std::string_view(reinterpret_cast<const char*>(data), size));

    const std::vector<EntryRecord> entries = WalkRecords(file.widePath(), size);
    MZipArchive probe;
    const bool opens = probe.Open(file.widePath());
    probe.Close();
    if (!opens) return 0;

    const std::vector<const EntryRecord*> unique = UniquelyNamed(entries);
    ReadThroughContainer(file.widePath(), unique);

    const uint32_t seed = Hash(data, size);
    int windowed = 0;
    for (const EntryRecord* entry : unique) {
        if (entry->complete && entry->data.size() == entry->info.uncompressed_size &&
            entry->data.size() < (size_t(1) << 20) && ++windowed <= 3) {
            ReadWindows(file.widePath(), *entry, seed);
        }
    }
    return 0;
}
