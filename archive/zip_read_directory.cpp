// Reading handle: opening an archive, walking its central directory, entry
// information and name comparison.

#include "archive/zip_byte_cursor.h"
#include "archive/zip_end_record.h"
#include "archive/zip_handles.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

using zipformat::ByteCursor;

namespace {

// Reads the end record and fills the handle's directory fields; false when the
// archive is inconsistent.
bool ReadEndRecord(unz_archive& archive, uint64_t fileSize) {
    uint64_t position = 0;
    if (!zipformat::FindEndRecord(archive.file, fileSize, &position)) return false;
    uint8_t record[zipformat::kEndRecordSize];
    if (fileSize - position < sizeof record) return false;
    if (!archive.file.ReadAt(position, record, sizeof record)) return false;

    ByteCursor cursor(record, sizeof record);
    cursor.Skip(4);
    const uint16_t thisDisk = cursor.U16();
    const uint16_t directoryDisk = cursor.U16();
    const uint16_t entriesOnDisk = cursor.U16();
    const uint16_t entriesTotal = cursor.U16();
    const uint32_t directorySize = cursor.U32();
    const uint32_t directoryOffset = cursor.U32();
    if (cursor.Failed()) return false;

    if (thisDisk != 0 || directoryDisk != 0 || entriesOnDisk != entriesTotal) return false;
    const uint64_t directoryEnd = uint64_t(directoryOffset) + directorySize;
    if (position < directoryEnd) return false;
    // Directory positions are handed out as 32-bit values.
    if (directoryEnd > 0xFFFFFFFFu) return false;

    archive.entryCount = entriesTotal;
    archive.centralOffset = directoryOffset;
    archive.centralSize = directorySize;
    archive.endRecordPosition = position;
    archive.bytesBefore = position - directoryEnd;
    return true;
}

// Reads the central header at the current position into the current entry.
int ReadCurrentHeader(unz_archive& archive) {
    archive.currentValid = false;
    const uint64_t directoryEnd = archive.centralOffset + archive.centralSize;
    if (archive.currentPosition < archive.centralOffset || archive.currentPosition > directoryEnd ||
        directoryEnd - archive.currentPosition < zipformat::kCentralHeaderSize)
        return UNZ_BADZIPFILE;

    uint8_t header[zipformat::kCentralHeaderSize];
    if (!archive.file.ReadAt(archive.bytesBefore + archive.currentPosition, header, sizeof header))
        return UNZ_BADZIPFILE;
    if (!zipformat::IsSignature(header, zipformat::kCentralHeaderKind)) return UNZ_BADZIPFILE;

    ByteCursor cursor(header, sizeof header);
    cursor.Skip(4);
    unz_file_info info{};
    info.version = cursor.U16();
    info.version_needed = cursor.U16();
    info.flag = cursor.U16();
    info.compression_method = cursor.U16();
    info.dosDate = cursor.U32();
    info.crc = cursor.U32();
    info.compressed_size = cursor.U32();
    info.uncompressed_size = cursor.U32();
    info.size_filename = cursor.U16();
    info.size_file_extra = cursor.U16();
    info.size_file_comment = cursor.U16();
    info.disk_num_start = cursor.U16();
    info.internal_fa = cursor.U16();
    info.external_fa = cursor.U32();
    const uint32_t localOffset = cursor.U32();
    if (cursor.Failed()) return UNZ_BADZIPFILE;

    // The whole header, with its name, extra field and comment, must lie in
    // the directory.
    const uint64_t total = uint64_t(zipformat::kCentralHeaderSize) + info.size_filename +
                           info.size_file_extra + info.size_file_comment;
    if (directoryEnd - archive.currentPosition < total) return UNZ_BADZIPFILE;

    std::string name(info.size_filename, '\0');
    if (!name.empty() &&
        !archive.file.ReadAt(archive.bytesBefore + archive.currentPosition + sizeof header,
                             name.data(), uint32_t(name.size())))
        return UNZ_BADZIPFILE;

    archive.current.info = info;
    archive.current.localHeaderOffset = localOffset;
    archive.current.name = std::move(name);
    archive.currentValid = true;
    return UNZ_OK;
}

// Copies up to size bytes of the current header's variable part that start at
// offset (after the fixed part) into buffer.
bool ReadHeaderPart(unz_archive& archive, uint64_t offset, uint32_t length, void* buffer,
                    uint32_t size) {
    const uint32_t count = std::min(length, size);
    if (count == 0) return true;
    return archive.file.ReadAt(archive.bytesBefore + archive.currentPosition +
                                   zipformat::kCentralHeaderSize + offset,
                               buffer, count);
}

}  // namespace

unzFile unzOpen(const std::u16string& path) { return unzOpen2(path, nullptr); }

unzFile unzOpen2(const std::u16string& path, const zlib_filefunc_def* functions) {
    const zlib_filefunc_def table = zipformat::ResolveFileFunctions(functions);
    void* stream = table.zopen_file(table.opaque, path.c_str(),
                                    ZLIB_FILEFUNC_MODE_READ | ZLIB_FILEFUNC_MODE_EXISTING);
    if (stream == nullptr) return nullptr;

    std::unique_ptr<unz_archive> archive(new (std::nothrow) unz_archive(table, stream));
    if (!archive) {
        table.zclose_file(table.opaque, stream);
        return nullptr;
    }
    uint64_t fileSize = 0;
    if (!archive->file.Size(&fileSize) || !ReadEndRecord(*archive, fileSize)) return nullptr;
    unzGoToFirstFile(archive.get());
    return archive.release();
}

int unzClose(unzFile file) {
    if (file == nullptr) return UNZ_PARAMERROR;
    file->entry.reset();
    const int result = file->file.Close();
    delete file;
    return result;
}

int unzGoToFirstFile(unzFile file) {
    if (file == nullptr) return UNZ_PARAMERROR;
    file->currentPosition = file->centralOffset;
    file->currentNumber = 0;
    return ReadCurrentHeader(*file);
}

int unzGoToNextFile(unzFile file) {
    if (file == nullptr) return UNZ_PARAMERROR;
    if (!file->currentValid) return UNZ_END_OF_LIST_OF_FILE;
    if (file->entryCount != 0xFFFF && file->currentNumber + 1 == file->entryCount)
        return UNZ_END_OF_LIST_OF_FILE;
    const unz_file_info& info = file->current.info;
    file->currentPosition += zipformat::kCentralHeaderSize + uint64_t(info.size_filename) +
                             info.size_file_extra + info.size_file_comment;
    file->currentNumber += 1;
    return ReadCurrentHeader(*file);
}

int unzGetFilePos(unzFile file, unz_file_pos* position) {
    if (file == nullptr || position == nullptr) return UNZ_PARAMERROR;
    if (!file->currentValid) return UNZ_END_OF_LIST_OF_FILE;
    position->pos_in_zip_directory = uint32_t(file->currentPosition);
    position->num_of_file = uint32_t(file->currentNumber);
    return UNZ_OK;
}

int unzGoToFilePos(unzFile file, const unz_file_pos* position) {
    if (file == nullptr || position == nullptr) return UNZ_PARAMERROR;
    file->currentPosition = position->pos_in_zip_directory;
    file->currentNumber = position->num_of_file;
    return ReadCurrentHeader(*file);
}

int unzGetCurrentFileInfo(unzFile file, unz_file_info* info, char* name, uint32_t nameSize,
                          void* extra, uint32_t extraSize, char* comment, uint32_t commentSize) {
    if (file == nullptr) return UNZ_PARAMERROR;
    if (!file->currentValid) return UNZ_END_OF_LIST_OF_FILE;
    const zipformat::CentralHeader& current = file->current;
    if (info != nullptr) *info = current.info;
    if (name != nullptr && nameSize > 0) {
        const size_t length = current.name.size();
        if (length < nameSize) {
            std::memcpy(name, current.name.data(), length);
            name[length] = '\0';
        } else {
            std::memcpy(name, current.name.data(), nameSize);
        }
    }
    const unz_file_info& fields = current.info;
    if (extra != nullptr &&
        !ReadHeaderPart(*file, fields.size_filename, fields.size_file_extra, extra, extraSize))
        return UNZ_ERRNO;
    if (comment != nullptr &&
        !ReadHeaderPart(*file, uint64_t(fields.size_filename) + fields.size_file_extra,
                        fields.size_file_comment, comment, commentSize))
        return UNZ_ERRNO;
    return UNZ_OK;
}

int unzStringFileNameCompare(const char* a, const char* b, int caseMode) {
    const bool foldCase = caseMode != 1;
    auto fold = [foldCase](unsigned char c) -> unsigned char {
        return foldCase && c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
    };
    for (;; ++a, ++b) {
        const unsigned char ca = fold(static_cast<unsigned char>(*a));
        const unsigned char cb = fold(static_cast<unsigned char>(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}
