// Reading handle: opening, reading and closing the current entry.

#include "archive/zip_byte_cursor.h"
#include "archive/zip_handles.h"
#include "archive/zip_stats.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

using zipformat::ByteCursor;
using zipformat::ReadEntry;

namespace {

// Checks the current entry's local header against its directory header and
// returns the file position of its data, or 0 with a code in *result.
uint64_t CheckLocalHeader(unz_archive& archive, int* result) {
    *result = UNZ_BADZIPFILE;
    const unz_file_info& info = archive.current.info;
    const uint64_t headerPosition = archive.bytesBefore + archive.current.localHeaderOffset;
    if (headerPosition > archive.endRecordPosition ||
        archive.endRecordPosition - headerPosition < zipformat::kLocalHeaderSize)
        return 0;

    uint8_t header[zipformat::kLocalHeaderSize];
    if (!archive.file.ReadAt(headerPosition, header, sizeof header)) return 0;
    if (!zipformat::IsSignature(header, zipformat::kLocalHeaderKind)) return 0;
    ByteCursor cursor(header, sizeof header);
    cursor.Skip(4);
    cursor.U16();  // version needed
    const uint16_t flag = cursor.U16();
    const uint16_t method = cursor.U16();
    cursor.U32();  // DOS time and date
    const uint32_t crc = cursor.U32();
    const uint32_t compressedSize = cursor.U32();
    const uint32_t uncompressedSize = cursor.U32();
    const uint16_t nameLength = cursor.U16();
    const uint16_t extraLength = cursor.U16();
    if (cursor.Failed()) return 0;

    if (method != info.compression_method) return 0;
    if (method != Z_STORED_METHOD && method != Z_DEFLATED_METHOD) return 0;
    if ((flag & 8) == 0 && (crc != info.crc || compressedSize != info.compressed_size ||
                            uncompressedSize != info.uncompressed_size))
        return 0;
    if (nameLength != info.size_filename) return 0;
    // A stored entry delivers its compressed bytes as they are.
    if (method == Z_STORED_METHOD && info.compressed_size != info.uncompressed_size) return 0;

    const uint64_t dataPosition =
        headerPosition + zipformat::kLocalHeaderSize + nameLength + extraLength;
    if (dataPosition > archive.endRecordPosition ||
        archive.endRecordPosition - dataPosition < info.compressed_size)
        return 0;
    *result = UNZ_OK;
    return dataPosition;
}

// Refills the entry's input buffer from the file; false on a failed read.
bool Refill(unz_archive& archive, ReadEntry& entry) {
    const uint32_t count = std::min(entry.compressedLeft, zipformat::kIoBufferSize);
    if (!archive.file.ReadAt(entry.dataPosition, entry.input.data(), count)) return false;
    entry.dataPosition += count;
    entry.compressedLeft -= count;
    entry.inputNext = 0;
    entry.inputAvailable = count;
    return true;
}

}  // namespace

int unzOpenCurrentFile(unzFile file) {
    if (file == nullptr || !file->currentValid) return UNZ_PARAMERROR;
    file->entry.reset();

    int result = UNZ_OK;
    const uint64_t dataPosition = CheckLocalHeader(*file, &result);
    if (result != UNZ_OK) return result;

    const unz_file_info& info = file->current.info;
    std::unique_ptr<ReadEntry> entry(new (std::nothrow) ReadEntry);
    if (!entry) return UNZ_INTERNALERROR;
    try {
        entry->input.resize(zipformat::kIoBufferSize);
    } catch (const std::bad_alloc&) {
        return UNZ_INTERNALERROR;
    }
    entry->method = info.compression_method;
    if (entry->method == Z_DEFLATED_METHOD) {
        const int status = inflateInit2(&entry->stream, -MAX_WBITS);
        if (status != Z_OK) return status == Z_MEM_ERROR ? UNZ_INTERNALERROR : status;
        entry->inflating = true;
    }
    entry->dataPosition = dataPosition;
    entry->compressedLeft = info.compressed_size;
    entry->uncompressedLeft = info.uncompressed_size;
    entry->expectedCrc = info.crc;
    entry->crc = crc32(0L, Z_NULL, 0);
    file->entry = std::move(entry);
    zipformat::CountEntryOpen();
    return UNZ_OK;
}

int unzReadCurrentFile(unzFile file, void* buffer, uint32_t length) {
    if (file == nullptr || !file->entry) return UNZ_PARAMERROR;
    if (length == 0) return 0;
    if (buffer == nullptr) return UNZ_PARAMERROR;
    ReadEntry& entry = *file->entry;
    // The count is returned as an int.
    const uint32_t room = std::min({length, entry.uncompressedLeft,
                                    uint32_t(std::numeric_limits<int>::max())});
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t produced = 0;

    while (produced < room) {
        if (entry.inputAvailable == 0 && entry.compressedLeft > 0 && !Refill(*file, entry))
            return UNZ_ERRNO;
        const uint8_t* input = entry.input.data() + entry.inputNext;
        uint32_t made = 0;
        uint32_t used = 0;
        int status = Z_OK;
        if (entry.method == Z_STORED_METHOD) {
            if (entry.inputAvailable == 0) break;  // cannot happen: sizes were checked equal
            made = used = std::min(entry.inputAvailable, room - produced);
            std::memcpy(out + produced, input, made);
        } else {
            if (entry.streamEnded) break;
            z_stream& z = entry.stream;
            z.next_in = const_cast<Bytef*>(input);
            z.avail_in = entry.inputAvailable;
            z.next_out = out + produced;
            z.avail_out = room - produced;
            status = inflate(&z, Z_SYNC_FLUSH);
            made = (room - produced) - z.avail_out;
            used = entry.inputAvailable - z.avail_in;
            if (status >= 0 && z.msg != nullptr) status = Z_DATA_ERROR;
        }
        entry.crc = uint32_t(crc32(entry.crc, out + produced, made));
        produced += made;
        entry.uncompressedLeft -= made;
        entry.inputNext += used;
        entry.inputAvailable -= used;

        if (status == Z_STREAM_END) {
            entry.streamEnded = true;
            break;
        }
        if (status == Z_BUF_ERROR) {
            // No progress is possible: the deflate stream goes on past the end
            // of the entry's compressed data.
            if (entry.inputAvailable == 0 && entry.compressedLeft == 0)
                return produced > 0 ? int(produced) : Z_DATA_ERROR;
            continue;
        }
        if (status != Z_OK) return status < 0 ? status : Z_DATA_ERROR;
    }
    return int(produced);
}

int unzeof(unzFile file) {
    if (file == nullptr || !file->entry) return UNZ_PARAMERROR;
    return file->entry->uncompressedLeft == 0 ? 1 : 0;
}

int unzCloseCurrentFile(unzFile file) {
    if (file == nullptr || !file->entry) return UNZ_PARAMERROR;
    const ReadEntry& entry = *file->entry;
    const int result =
        entry.uncompressedLeft == 0 && entry.crc != entry.expectedCrc ? UNZ_CRCERROR : UNZ_OK;
    file->entry.reset();
    return result;
}
