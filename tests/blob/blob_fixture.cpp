#include "tests/blob/blob_fixture.h"

#include "archive/zip_archive.h"
#include "archive/zip_stats.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace blobtest {

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251 + i / 16384 * 13 + seed) & 0xFF);
    return bytes;
}

void WriteContainer(const std::u16string& path, const std::vector<FixtureEntry>& entries) {
    MZipArchive archive;
    if (!archive.Create(path)) throw std::runtime_error("cannot create fixture container");
    for (const FixtureEntry& entry : entries) {
        MZipFile file = archive.OpenNewFile(entry.name, entry.level);
        if (!entry.bytes.empty())
            archive.WriteFile(file, entry.bytes.data(), static_cast<uint32_t>(entry.bytes.size()));
        archive.CloseNewFile(file);
    }
    if (!archive.Close()) throw std::runtime_error("cannot finish fixture container");
}

std::string ReadEntry(const std::u16string& path, const std::string& name) {
    MZipArchive archive;
    if (!archive.Open(path)) throw std::runtime_error("cannot open container");
    MZipFile file = archive.OpenFile(name);
    std::string content;
    char chunk[8192];
    for (;;) {
        const int got = archive.ReadFile(file, chunk, sizeof chunk);
        if (got <= 0) break;
        content.append(chunk, static_cast<size_t>(got));
    }
    archive.CloseFile(file);
    archive.Close();
    return content;
}

uint64_t EntryOpens() { return ZipEntryOpenCount(); }

std::string ReadUntilEmpty(MSAXBlobFileInfo& blob, int32_t step, size_t limit) {
    std::string out;
    std::string chunk(static_cast<size_t>(step), '\0');
    while (out.size() < limit) {
        const int32_t got = blob.ReadBuffer(chunk.data(), step);
        if (got == 0) break;
        out.append(chunk, 0, static_cast<size_t>(got));
    }
    return out;
}

}  // namespace blobtest
