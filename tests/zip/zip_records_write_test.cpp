// The record layer's writing side: headers, flags, dates and signatures of
// written entries, limits of the format, and failing file functions.

#include "archive/zip_dos_date.h"
#include "archive/zip_records.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_fixture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>

using ziptest::U16At;
using ziptest::U32At;

namespace {

// Offsets of the records in a written archive with no archive comment.
struct Layout {
    size_t end;
    size_t directory;
};

Layout Locate(const std::string& bytes) {
    const size_t end = bytes.size() - 22;
    return {end, U32At(bytes, end + 16)};
}

// Writes one entry with the given method and level and returns the file.
std::string WriteOne(const qtest::TempDir& dir, const std::string& data, int method, int level,
                     const zip_fileinfo* info, bool alternative = false) {
    zipFile file = zipCreate(dir.WideFile("w.zip"));
    EXPECT_NE(nullptr, file);
    EXPECT_EQ(ZIP_OK, zipOpenNewFileInZip(file, "entry", info, nullptr, 0, nullptr, 0, nullptr,
                                          method, level, alternative));
    EXPECT_EQ(ZIP_OK, zipWriteInFileInZip(file, data.data(), uint32_t(data.size())));
    EXPECT_EQ(ZIP_OK, zipClose(file, nullptr, alternative));
    return qtest::ReadFileBytes(dir.File("w.zip"));
}

TEST(ZipRecordsWriteTest, LevelsChooseMethodFlagAndCompression) {
    qtest::TempDir dir;
    const std::string data = ziptest::SampleText(30000);
    struct Case {
        int method;
        int level;
        uint16_t flag;
    };
    const Case cases[] = {{0, 0, 0}, {8, 0, 0}, {8, 1, 6}, {8, 2, 4}, {8, 3, 0}, {8, 6, 0},
                          {8, 7, 0}, {8, 8, 2}, {8, 9, 2}, {8, -1, 0}, {0, 9, 2}};
    const zip_fileinfo zero{};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "method " << c.method << " level " << c.level);
        const std::string bytes = WriteOne(dir, data, c.method, c.level, &zero);
        const Layout at = Locate(bytes);
        // Local header: flag, method, date, then CRC and sizes patched in.
        EXPECT_EQ(20, U16At(bytes, 4));
        EXPECT_EQ(c.flag, U16At(bytes, 6));
        EXPECT_EQ(c.method, U16At(bytes, 8));
        EXPECT_EQ(0x0000, U16At(bytes, 10));
        EXPECT_EQ(0x0020, U16At(bytes, 12));
        EXPECT_EQ(ziptest::Crc32(data), U32At(bytes, 14));
        const uint32_t compressed = U32At(bytes, 18);
        EXPECT_EQ(data.size(), U32At(bytes, 22));
        // The central header says the same.
        EXPECT_EQ(0, U16At(bytes, at.directory + 4));
        EXPECT_EQ(c.flag, U16At(bytes, at.directory + 8));
        EXPECT_EQ(c.method, U16At(bytes, at.directory + 10));
        EXPECT_EQ(0x00200000u, U32At(bytes, at.directory + 12));
        EXPECT_EQ(ziptest::Crc32(data), U32At(bytes, at.directory + 16));
        EXPECT_EQ(compressed, U32At(bytes, at.directory + 20));
        EXPECT_EQ(0u, U32At(bytes, at.directory + 42));
        const std::string stored = bytes.substr(30 + 5, compressed);
        if (c.method == 0) {
            EXPECT_EQ(data, stored);
        } else {
            EXPECT_EQ(data, ziptest::InflateRaw(stored));
            if (c.level > 0) {
                EXPECT_LT(compressed, data.size() / 2);
            }
        }
    }
}

TEST(ZipRecordsWriteTest, SignatureFormFollowsTheFlag) {
    qtest::TempDir dir;
    for (bool alternative : {false, true}) {
        const std::string bytes = WriteOne(dir, "data", 8, 6, nullptr, alternative);
        const Layout at = Locate(bytes);
        const std::string form = alternative ? "KR" : "PK";
        EXPECT_EQ(form + "\x03\x04", bytes.substr(0, 4));
        EXPECT_EQ(form + "\x01\x02", bytes.substr(at.directory, 4));
        EXPECT_EQ(form + "\x05\x06", bytes.substr(at.end, 4));
        // Without a date record, time and date are 0.
        EXPECT_EQ(0u, U32At(bytes, 10));
    }
}

TEST(ZipRecordsWriteTest, DosDateRule) {
    struct Case {
        zip_fileinfo info;
        uint32_t expected;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0, 0}, 0x00200000},
        // 2024-03-15 13:45:30: date (44 << 9) | (3 << 5) | 15, time (13 << 11) | (45 << 5) | 15.
        {{30, 45, 13, 15, 2, 2024, 0, 0, 0}, (((44u << 9) | (3u << 5) | 15u) << 16) | (13u << 11) | (45u << 5) | 15u},
        // Two-digit years count from 1900; small values are taken as they are.
        {{0, 0, 0, 1, 0, 99, 0, 0, 0}, ((19u << 9) | (1u << 5) | 1u) << 16},
        {{0, 0, 0, 1, 0, 80, 0, 0, 0}, ((80u << 9) | (1u << 5) | 1u) << 16},
        // 1980 itself is taken as 1900 + 80: 1900 keeps its low 7 bits (108).
        {{0, 0, 0, 1, 0, 1980, 0, 0, 0}, ((108u << 9) | (1u << 5) | 1u) << 16},
        {{0, 0, 0, 1, 0, 1981, 0, 0, 0}, ((1u << 9) | (1u << 5) | 1u) << 16},
        // A given DOS date word wins.
        {{30, 45, 13, 15, 2, 2024, 0x12345678, 0, 0}, 0x12345678},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, zipformat::DosDateTime(c.info)) << c.info.tm_year;
}

TEST(ZipRecordsWriteTest, EntryFieldsAndArchiveComment) {
    qtest::TempDir dir;
    zipFile file = zipCreate(dir.WideFile("f.zip"));
    ASSERT_NE(nullptr, file);
    zip_fileinfo info{};
    info.internal_fa = 0;
    info.external_fa = 0x81A40000;
    ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip(file, nullptr, &info, "LOC", 3, "CENTRAL", 7, "note",
                                          0, 0));
    // Starting the next entry finishes this one.
    ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip(file, "text", nullptr, nullptr, 0, nullptr, 0, nullptr,
                                          8, 6));
    const std::string text = ziptest::SampleText(5000);
    ASSERT_EQ(ZIP_OK, zipWriteInFileInZip(file, text.data(), uint32_t(text.size())));
    ASSERT_EQ(ZIP_OK, zipClose(file, "archive comment"));
    const std::string bytes = qtest::ReadFileBytes(dir.File("f.zip"));

    EXPECT_EQ("-LOC", bytes.substr(30, 4));  // a null name is "-"
    const size_t end = bytes.size() - 22 - 15;
    EXPECT_EQ("archive comment", bytes.substr(end + 22));
    EXPECT_EQ(15, U16At(bytes, end + 20));
    EXPECT_EQ(2, U16At(bytes, end + 8));
    EXPECT_EQ(2, U16At(bytes, end + 10));
    const size_t directory = U32At(bytes, end + 16);
    EXPECT_EQ(U32At(bytes, end + 12), end - directory);
    EXPECT_EQ("-CENTRALnote", bytes.substr(directory + 46, 12));
    EXPECT_EQ(0x81A40000u, U32At(bytes, directory + 38));
    // The second header follows the first; deflated text is marked as text.
    const size_t second = directory + 46 + 12;
    EXPECT_EQ("text", bytes.substr(second + 46, 4));
    EXPECT_EQ(1, U16At(bytes, second + 36));
    EXPECT_EQ(30u + 1 + 3, U32At(bytes, second + 42));
}

TEST(ZipRecordsWriteTest, RefusedArguments) {
    qtest::TempDir dir;
    zipFile file = zipCreate(dir.WideFile("r.zip"));
    ASSERT_NE(nullptr, file);
    const std::string longName(0x10000, 'n');
    struct Case {
        const char* what;
        const char* name;
        const void* extra;
        uint32_t extraSize;
        int method;
        int level;
        int expected;
    };
    const Case cases[] = {
        {"method 12", "a", nullptr, 0, 12, 6, ZIP_PARAMERROR},
        {"method -1", "a", nullptr, 0, -1, 6, ZIP_PARAMERROR},
        {"name of 64 KiB", longName.c_str(), nullptr, 0, 8, 6, ZIP_PARAMERROR},
        {"extra size without bytes", "a", nullptr, 5, 8, 6, ZIP_PARAMERROR},
        {"extra of 64 KiB", "a", longName.data(), 0x10000, 8, 6, ZIP_PARAMERROR},
        {"level 10", "a", nullptr, 0, 8, 10, Z_STREAM_ERROR},
        {"level -2", "a", nullptr, 0, 8, -2, Z_STREAM_ERROR},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, zipOpenNewFileInZip(file, c.name, nullptr, c.extra, c.extraSize,
                                                  nullptr, 0, nullptr, c.method, c.level))
            << c.what;
    // Nothing is open after a refusal.
    EXPECT_EQ(ZIP_PARAMERROR, zipWriteInFileInZip(file, "x", 1));
    EXPECT_EQ(ZIP_PARAMERROR, zipCloseFileInZip(file));
    const std::string longComment(0x10000, 'c');
    EXPECT_EQ(ZIP_PARAMERROR, zipClose(file, longComment.c_str()));
    // The refused comment is left out; the archive is still written.
    EXPECT_EQ(22u, qtest::ReadFileBytes(dir.File("r.zip")).size());
    EXPECT_EQ(ZIP_PARAMERROR, zipClose(nullptr, nullptr));
    EXPECT_EQ(nullptr, zipCreate(dir.WideFile("missing/r.zip")));
}

TEST(ZipRecordsWriteTest, EntryCountStopsAtTheEndRecordLimit) {
    qtest::TempDir dir;
    zipFile file = zipCreate(dir.WideFile("many.zip"));
    ASSERT_NE(nullptr, file);
    for (int i = 0; i < 0xFFFF; ++i) {
        ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip(file, "e", nullptr, nullptr, 0, nullptr, 0, nullptr,
                                              0, 0));
    }
    EXPECT_EQ(ZIP_PARAMERROR, zipOpenNewFileInZip(file, "e", nullptr, nullptr, 0, nullptr, 0,
                                                  nullptr, 0, 0));
    ASSERT_EQ(ZIP_OK, zipClose(file, nullptr));
    // 0xFFFF entries are walked to the end of the directory.
    unzFile reader = unzOpen(dir.WideFile("many.zip"));
    ASSERT_NE(nullptr, reader);
    int count = 1;
    while (unzGoToNextFile(reader) == UNZ_OK) ++count;
    EXPECT_EQ(0xFFFF, count);
    unzClose(reader);
}

// File functions over the default ones that fail after a budget of bytes written,
// or refuse seeks.
struct Faulty {
    zlib_filefunc_def base;
    size_t writeBudget = SIZE_MAX;
    bool refuseSeek = false;
};

zlib_filefunc_def FaultyFunctions(Faulty* faulty) {
    fill_default_filefunc(&faulty->base);
    zlib_filefunc_def table = faulty->base;
    table.opaque = faulty;
    table.zopen_file = [](void* o, const char16_t* p, int m) {
        auto* f = static_cast<Faulty*>(o);
        return f->base.zopen_file(f->base.opaque, p, m);
    };
    table.zread_file = [](void* o, void* s, void* b, uint32_t n) {
        auto* f = static_cast<Faulty*>(o);
        return f->base.zread_file(f->base.opaque, s, b, n);
    };
    table.zwrite_file = [](void* o, void* s, const void* b, uint32_t n) {
        auto* f = static_cast<Faulty*>(o);
        const uint32_t allowed = uint32_t(std::min<size_t>(n, f->writeBudget));
        f->writeBudget -= allowed;
        return f->base.zwrite_file(f->base.opaque, s, b, allowed);
    };
    table.ztell_file = [](void* o, void* s) {
        auto* f = static_cast<Faulty*>(o);
        return f->base.ztell_file(f->base.opaque, s);
    };
    table.zseek_file = [](void* o, void* s, int64_t off, int origin) -> int64_t {
        auto* f = static_cast<Faulty*>(o);
        if (f->refuseSeek) return -1;
        return f->base.zseek_file(f->base.opaque, s, off, origin);
    };
    table.zclose_file = [](void* o, void* s) {
        auto* f = static_cast<Faulty*>(o);
        return f->base.zclose_file(f->base.opaque, s);
    };
    table.zerror_file = [](void* o, void* s) {
        auto* f = static_cast<Faulty*>(o);
        return f->base.zerror_file(f->base.opaque, s);
    };
    return table;
}

TEST(ZipRecordsWriteTest, FailingWritesAreReported) {
    qtest::TempDir dir;
    const std::string data = ziptest::SampleText(200000, 3);
    struct Case {
        const char* what;
        size_t budget;
        bool refuseSeek;
        int open, write, close, finish;
    };
    const Case cases[] = {
        {"local header cut", 10, false, ZIP_ERRNO, ZIP_PARAMERROR, ZIP_PARAMERROR, ZIP_ERRNO},
        {"data cut", 20000, false, ZIP_OK, ZIP_ERRNO, ZIP_ERRNO, ZIP_ERRNO},
        {"seek back refused", SIZE_MAX, true, ZIP_OK, ZIP_OK, ZIP_ERRNO, ZIP_OK},
        {"all fine", SIZE_MAX, false, ZIP_OK, ZIP_OK, ZIP_OK, ZIP_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Faulty faulty;
        faulty.writeBudget = c.budget;
        faulty.refuseSeek = c.refuseSeek;
        const zlib_filefunc_def table = FaultyFunctions(&faulty);
        zipFile file = zipCreate2(dir.WideFile("f.zip"), &table);
        ASSERT_NE(nullptr, file);
        EXPECT_EQ(c.open, zipOpenNewFileInZip(file, "e", nullptr, nullptr, 0, nullptr, 0, nullptr,
                                              0, 0));
        EXPECT_EQ(c.write, zipWriteInFileInZip(file, data.data(), uint32_t(data.size())));
        EXPECT_EQ(c.close, zipCloseFileInZip(file));
        EXPECT_EQ(c.finish, zipClose(file, nullptr));
    }
}

TEST(ZipFileFunctionsTest, OpenModesAndSeekOrigins) {
    qtest::TempDir dir;
    qtest::WriteFileBytes(dir.File("existing"), "0123456789");
    zlib_filefunc_def table;
    fill_default_filefunc(&table);
    EXPECT_EQ(nullptr, table.opaque);
    struct Case {
        const char* file;
        int mode;
        bool opens;
        bool writable;
        bool truncates;
    };
    const Case cases[] = {
        {"existing", 1, true, false, false},
        {"existing", 5, true, false, false},
        {"existing", 2 | 4, true, true, false},
        {"existing", 3 | 4, true, true, false},
        {"existing", 2 | 8, true, true, true},
        {"created", 2 | 8, true, true, true},
        {"missing", 1, false, false, false},
        {"missing", 2 | 4, false, false, false},
        {"existing", 2, false, false, false},
        {"existing", 0, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " mode " << c.mode);
        qtest::WriteFileBytes(dir.File("existing"), "0123456789");
        const std::u16string path = dir.WideFile(c.file);
        void* stream = table.zopen_file(nullptr, path.c_str(), c.mode);
        EXPECT_EQ(c.opens, stream != nullptr);
        if (stream == nullptr) continue;
        EXPECT_EQ(c.writable, table.zwrite_file(nullptr, stream, "AB", 2) == 2);
        // After a refused write, whether fclose reports the stream's error
        // differs between C libraries; only a written stream must close cleanly.
        const int closed = table.zclose_file(nullptr, stream);
        if (c.writable) {
            EXPECT_EQ(0, closed);
        }
        const std::string content = qtest::ReadFileBytes(dir.File(c.file));
        if (c.writable) {
            EXPECT_EQ(c.truncates ? "AB" : "AB23456789", content);
        }
    }
    EXPECT_EQ(nullptr, table.zopen_file(nullptr, nullptr, 1));

    const std::u16string path = dir.WideFile("existing");
    void* stream = table.zopen_file(nullptr, path.c_str(), 1);
    ASSERT_NE(nullptr, stream);
    char buffer[4] = {};
    EXPECT_EQ(0, table.zseek_file(nullptr, stream, 3, ZLIB_FILEFUNC_SEEK_SET));
    EXPECT_EQ(0, table.zseek_file(nullptr, stream, 2, ZLIB_FILEFUNC_SEEK_CUR));
    EXPECT_EQ(5, table.ztell_file(nullptr, stream));
    EXPECT_EQ(0, table.zseek_file(nullptr, stream, -2, ZLIB_FILEFUNC_SEEK_END));
    EXPECT_EQ(2u, table.zread_file(nullptr, stream, buffer, 4));
    EXPECT_EQ("89", std::string(buffer, 2));
    EXPECT_EQ(-1, table.zseek_file(nullptr, stream, 0, 3));
    EXPECT_EQ(-1, table.zseek_file(nullptr, stream, -1, ZLIB_FILEFUNC_SEEK_SET));
    EXPECT_EQ(10, table.ztell_file(nullptr, stream));
    EXPECT_EQ(0, table.zerror_file(nullptr, stream));
    EXPECT_EQ(0, table.zclose_file(nullptr, stream));
}

}  // namespace
