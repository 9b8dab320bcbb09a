// Every truncation and every single-byte corruption of a small valid archive
// is opened and read without a crash, a hang or an out-of-bounds access.

#include "archive/zip_archive.h"
#include "archive/zip_records.h"
#include "errors/zip_archive_error.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_fixture.h"

#include <gtest/gtest.h>

#include <iostream>

using ziptest::RawArchive;
using ziptest::RawEntry;

namespace {

const char* const kNames[] = {"header.xml", "blob_0000", "blob_0001"};

// A small archive with a deflated, a stored and an empty entry, mixed forms.
std::string SmallArchive() {
    RawEntry header{"header.xml", ziptest::SampleText(600)};
    header.method = 8;
    RawEntry descriptor{"blob_0000", std::string("\x01\0\0\0\x78\x56\x34\x12", 8)};
    descriptor.alternativeLocal = true;
    RawEntry empty{"blob_0001", ""};
    empty.method = 8;
    empty.alternativeCentral = true;
    return ziptest::BuildZip(RawArchive({header, descriptor, empty}));
}

// Opens the file and reads every entry it can; returns whether it opened.
// Whatever the bytes, reading must end and deliver no more than was declared.
bool Exercise(const std::u16string& path) {
    MZipArchive archive;
    if (!archive.Open(path)) return false;
    char buffer[4096];
    for (const char* name : kNames) {
        try {
            MZipFile file = archive.OpenFile(name);
            size_t total = 0;
            for (int got; (got = archive.ReadFile(file, buffer, sizeof buffer)) > 0;) {
                total += size_t(got);
                if (total > 1000000) {
                    ADD_FAILURE() << "entry " << name << " does not end";
                    break;
                }
            }
            archive.IsEndOfFile(file);
            archive.CloseFile(file);
        } catch (const MZipArchiveError::MGeneric&) {
        }
    }
    // The record layer's walk ends as well.
    unzFile reader = unzOpen(path);
    if (reader != nullptr) {
        int steps = 0;
        for (int s = unzGoToFirstFile(reader); s == UNZ_OK && steps < 100; s = unzGoToNextFile(reader)) ++steps;
        EXPECT_LT(steps, 100);
        unzClose(reader);
    }
    return true;
}

TEST(ZipHostileTest, EveryTruncationAndByteCorruption) {
    qtest::TempDir dir;
    const std::string valid = SmallArchive();
    const std::u16string path = dir.WideFile("h.zip");
    qtest::WriteFileBytes(dir.File("h.zip"), valid);
    ASSERT_TRUE(Exercise(path));

    size_t cases = 0;
    for (size_t length = 0; length < valid.size(); ++length, ++cases) {
        qtest::WriteFileBytes(dir.File("h.zip"), valid.substr(0, length));
        // Without its whole end record no prefix is an archive.
        EXPECT_FALSE(Exercise(path)) << length;
    }
    for (size_t offset = 0; offset < valid.size(); ++offset) {
        for (uint8_t change : {uint8_t(0xFF), uint8_t(0x01), uint8_t(0x80)}) {
            std::string bytes = valid;
            bytes[offset] = char(uint8_t(bytes[offset]) ^ change);
            qtest::WriteFileBytes(dir.File("h.zip"), bytes);
            Exercise(path);
            ++cases;
        }
    }
    std::cout << "archive of " << valid.size() << " bytes: " << cases
              << " truncated and corrupted variants exercised\n";
}

}  // namespace
