// Reading handle: opening, reading and closing the current entry.

#include "archive/zip_byte_cursor.h"
#include "archive/zip_crc32.h"
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

// Counts delivered bytes.
void Deliver(ReadEntry& entry, uint32_t count, uint32_t* produced) {
    *produced += count;
    entry.uncompressedLeft -= count;
}

// Inflate's status when it can make no progress because the compressed data
// ran out before the deflate stream ended.
constexpr int kNoProgress = 1000;  // apart from every zlib status

// Inflates into target until capacity bytes came, the deflate stream ended
// (Z_STREAM_END), the data ran out (kNoProgress) or an error occurred (its
// negative code; -1 for a failed read). *made is the count produced.
int Inflate(unz_archive& archive, ReadEntry& entry, uint8_t* target, uint32_t capacity,
            uint32_t* made) {
    z_stream& z = entry.stream;
    z.next_out = target;
    z.avail_out = capacity;
    int result = Z_OK;
    while (z.avail_out > 0) {
        if (entry.inputAvailable == 0 && entry.compressedLeft > 0 && !Refill(archive, entry)) {
            result = UNZ_ERRNO;
            break;
        }
        z.next_in = entry.input.data() + entry.inputNext;
        z.avail_in = entry.inputAvailable;
        int status = inflate(&z, Z_SYNC_FLUSH);
        const uint32_t used = entry.inputAvailable - z.avail_in;
        entry.inputNext += used;
        entry.inputAvailable -= used;
        if (status >= 0 && z.msg != nullptr) status = Z_DATA_ERROR;
        if (status == Z_OK) continue;
        if (status == Z_BUF_ERROR) {
            if (entry.inputAvailable == 0 && entry.compressedLeft == 0) {
                result = kNoProgress;
                break;
            }
            continue;
        }
        result = status == Z_STREAM_END || status < 0 ? status : Z_DATA_ERROR;
        break;
    }
    *made = capacity - z.avail_out;
    return result;
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
        try {
            entry->output.resize(zipformat::kInflateBufferSize);
        } catch (const std::bad_alloc&) {
            return UNZ_INTERNALERROR;
        }
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
        if (entry.method == Z_STORED_METHOD) {
            if (entry.inputAvailable == 0 && entry.compressedLeft > 0 && !Refill(*file, entry))
                return UNZ_ERRNO;
            if (entry.inputAvailable == 0) break;  // cannot happen: sizes were checked equal
            const uint32_t count = std::min(entry.inputAvailable, room - produced);
            std::memcpy(out + produced, entry.input.data() + entry.inputNext, count);
            entry.crc = zipformat::Crc32(entry.crc, out + produced, count);
            entry.inputNext += count;
            entry.inputAvailable -= count;
            Deliver(entry, count, &produced);
            continue;
        }
        // Bytes inflated ahead go first.
        if (entry.outputAvailable > 0) {
            const uint32_t count = std::min(entry.outputAvailable, room - produced);
            std::memcpy(out + produced, entry.output.data() + entry.outputNext, count);
            entry.outputNext += count;
            entry.outputAvailable -= count;
            Deliver(entry, count, &produced);
            continue;
        }
        if (entry.streamEnded) break;

        // Large requests are inflated in place. Small ones go through the
        // entry's output buffer, so zlib works on large blocks whatever the
        // caller's chunk size (small output blocks cost zlib extra window copies).
        const bool direct = room - produced >= zipformat::kInflateBufferSize;
        uint8_t* target = direct ? out + produced : entry.output.data();
        const uint32_t capacity = direct ? room - produced
                                         : std::min(zipformat::kInflateBufferSize,
                                                    entry.uncompressedLeft);
        uint32_t made = 0;
        const int status = Inflate(*file, entry, target, capacity, &made);
        entry.crc = zipformat::Crc32(entry.crc, target, made);
        if (direct) {
            Deliver(entry, made, &produced);
        } else {
            entry.outputNext = 0;
            entry.outputAvailable = made;
        }
        if (status == Z_STREAM_END) {
            entry.streamEnded = true;
        } else if (status == kNoProgress) {
            // The deflate stream goes on past the end of the entry's data:
            // deliver what came, then report damaged data.
            if (made == 0) return produced > 0 ? int(produced) : Z_DATA_ERROR;
        } else if (status != Z_OK) {
            return status;
        }
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
