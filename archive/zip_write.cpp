// Writing handle: creating an archive, adding entries, writing the directory.

#include "archive/zip_byte_cursor.h"
#include "archive/zip_crc32.h"
#include "archive/zip_dos_date.h"
#include "archive/zip_handles.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

using zipformat::ByteWriter;
using zipformat::WriteEntry;

namespace {

constexpr uint64_t kMax32 = 0xFFFFFFFFu;
constexpr uint64_t kMax16 = 0xFFFFu;
constexpr uint32_t kVersionNeeded = 20;

// Writes bytes at the end of the archive.
bool Append(zip_archive& archive, const void* data, size_t size) {
    if (!archive.file.Write(data, size)) return false;
    archive.writePosition += size;
    return true;
}

// Writes the entry's pending output.
bool FlushOutput(zip_archive& archive, WriteEntry& entry) {
    if (entry.outputUsed == 0) return true;
    if (!Append(archive, entry.output.data(), entry.outputUsed)) return false;
    entry.compressedSize += entry.outputUsed;
    entry.outputUsed = 0;
    return true;
}

// Runs deflate over the stream's pending input with the given flush mode,
// writing the output buffer whenever it fills. Returns the last zlib status or
// ZIP_ERRNO for a failed write.
int Deflate(zip_archive& archive, WriteEntry& entry, int flush) {
    z_stream& z = entry.stream;
    for (;;) {
        z.next_out = entry.output.data() + entry.outputUsed;
        z.avail_out = zipformat::kIoBufferSize - entry.outputUsed;
        const int status = deflate(&z, flush);
        entry.outputUsed = zipformat::kIoBufferSize - z.avail_out;
        if (status == Z_STREAM_ERROR) return status;
        if (entry.outputUsed == zipformat::kIoBufferSize && !FlushOutput(archive, entry))
            return ZIP_ERRNO;
        if (flush == Z_FINISH) {
            if (status == Z_STREAM_END) return Z_OK;
            continue;
        }
        // Without flushing, deflate is done once it has taken all input and
        // left room in the output buffer.
        if (z.avail_in == 0 && z.avail_out != 0) return Z_OK;
    }
}

}  // namespace

zipFile zipCreate(const std::u16string& path) { return zipCreate2(path, nullptr); }

zipFile zipCreate2(const std::u16string& path, const zlib_filefunc_def* functions) {
    const zlib_filefunc_def table = zipformat::ResolveFileFunctions(functions);
    void* stream = table.zopen_file(table.opaque, path.c_str(),
                                    ZLIB_FILEFUNC_MODE_WRITE | ZLIB_FILEFUNC_MODE_CREATE);
    if (stream == nullptr) return nullptr;
    std::unique_ptr<zip_archive> archive(new (std::nothrow) zip_archive(table, stream));
    if (!archive) {
        table.zclose_file(table.opaque, stream);
        return nullptr;
    }
    uint64_t start = 0;
    if (!archive->file.Tell(&start)) return nullptr;
    archive->beginPosition = start;
    archive->writePosition = start;
    return archive.release();
}

int zipOpenNewFileInZip(zipFile file, const char* name, const zip_fileinfo* info,
                        const void* extraLocal, uint32_t extraLocalSize,
                        const void* extraGlobal, uint32_t extraGlobalSize,
                        const char* comment, int method, int level,
                        bool alternativeSignatures) {
    if (file == nullptr) return ZIP_PARAMERROR;
    if (method != Z_STORED_METHOD && method != Z_DEFLATED_METHOD) return ZIP_PARAMERROR;
    if (file->entry) {
        const int closed = zipCloseFileInZip(file);
        if (closed != ZIP_OK) return closed;
    }
    if (name == nullptr) name = "-";
    const size_t nameLength = std::strlen(name);
    const size_t commentLength = comment != nullptr ? std::strlen(comment) : 0;
    if (nameLength > kMax16 || commentLength > kMax16 || extraLocalSize > kMax16 ||
        extraGlobalSize > kMax16)
        return ZIP_PARAMERROR;
    if ((extraLocal == nullptr && extraLocalSize != 0) ||
        (extraGlobal == nullptr && extraGlobalSize != 0))
        return ZIP_PARAMERROR;
    // The end record counts entries in 16 bits; offsets are 32-bit.
    if (file->entryCount >= kMax16) return ZIP_PARAMERROR;
    const uint64_t localOffset = file->writePosition - file->beginPosition;
    if (localOffset > kMax32) return ZIP_PARAMERROR;

    std::unique_ptr<WriteEntry> entry(new (std::nothrow) WriteEntry);
    if (!entry) return ZIP_INTERNALERROR;
    try {
        entry->output.resize(zipformat::kIoBufferSize);
        entry->centralHeader.reserve(zipformat::kCentralHeaderSize + nameLength +
                                     extraGlobalSize + commentLength);
    } catch (const std::bad_alloc&) {
        return ZIP_INTERNALERROR;
    }
    entry->method = method;
    entry->level = level;
    entry->crc = uint32_t(crc32(0L, Z_NULL, 0));
    // Start the deflate stream first, so a refused level leaves nothing behind
    // in the file.
    if (method == Z_DEFLATED_METHOD) {
        const int status = deflateInit2(&entry->stream, level, Z_DEFLATED, -MAX_WBITS, 8,
                                        Z_DEFAULT_STRATEGY);
        if (status != Z_OK) return status == Z_MEM_ERROR ? ZIP_INTERNALERROR : status;
        entry->deflating = true;
    }

    const uint32_t dosDateTime = info != nullptr ? zipformat::DosDateTime(*info) : 0;
    uint32_t flag = 0;
    if (level == 8 || level == 9) flag = 2;
    if (level == 2) flag = 4;
    if (level == 1) flag = 6;

    ByteWriter central(entry->centralHeader);
    central.U32(zipformat::SignatureValue(zipformat::kCentralHeaderKind, alternativeSignatures));
    central.U16(0);  // version made by
    central.U16(kVersionNeeded);
    central.U16(flag);
    central.U16(uint32_t(method));
    central.U32(dosDateTime);
    central.U32(0);  // CRC-32, completed when the entry is closed
    central.U32(0);  // compressed size
    central.U32(0);  // uncompressed size
    central.U16(uint32_t(nameLength));
    central.U16(extraGlobalSize);
    central.U16(uint32_t(commentLength));
    central.U16(0);  // disk number start
    central.U16(info != nullptr ? info->internal_fa & 0xFFFF : 0);
    central.U32(info != nullptr ? info->external_fa : 0);
    central.U32(uint32_t(localOffset));
    central.Bytes(name, nameLength);
    central.Bytes(extraGlobal, extraGlobalSize);
    central.Bytes(comment, commentLength);

    std::string local;
    local.reserve(zipformat::kLocalHeaderSize + nameLength + extraLocalSize);
    ByteWriter header(local);
    header.U32(zipformat::SignatureValue(zipformat::kLocalHeaderKind, alternativeSignatures));
    header.U16(kVersionNeeded);
    header.U16(flag);
    header.U16(uint32_t(method));
    header.U32(dosDateTime);
    header.U32(0);  // CRC-32, patched when the entry is closed
    header.U32(0);  // compressed size
    header.U32(0);  // uncompressed size
    header.U16(uint32_t(nameLength));
    header.U16(extraLocalSize);
    header.Bytes(name, nameLength);
    header.Bytes(extraLocal, extraLocalSize);

    entry->localHeaderPosition = file->writePosition;
    if (!Append(*file, local.data(), local.size())) return ZIP_ERRNO;
    file->entry = std::move(entry);
    return ZIP_OK;
}

int zipWriteInFileInZip(zipFile file, const void* buffer, uint32_t length) {
    if (file == nullptr || !file->entry) return ZIP_PARAMERROR;
    if (length == 0) return ZIP_OK;
    if (buffer == nullptr) return ZIP_PARAMERROR;
    WriteEntry& entry = *file->entry;
    if (entry.uncompressedSize + length > kMax32) return ZIP_PARAMERROR;
    const auto* bytes = static_cast<const Bytef*>(buffer);
    entry.crc = zipformat::Crc32(entry.crc, bytes, length);
    entry.uncompressedSize += length;

    if (entry.method == Z_DEFLATED_METHOD) {
        entry.stream.next_in = const_cast<Bytef*>(bytes);
        entry.stream.avail_in = length;
        return Deflate(*file, entry, Z_NO_FLUSH);
    }
    while (length > 0) {
        const uint32_t piece = std::min(length, zipformat::kIoBufferSize - entry.outputUsed);
        std::memcpy(entry.output.data() + entry.outputUsed, bytes, piece);
        entry.outputUsed += piece;
        bytes += piece;
        length -= piece;
        if (entry.outputUsed == zipformat::kIoBufferSize && !FlushOutput(*file, entry))
            return ZIP_ERRNO;
    }
    return ZIP_OK;
}

int zipCloseFileInZip(zipFile file) {
    if (file == nullptr || !file->entry) return ZIP_PARAMERROR;
    // The entry is finished (or abandoned) whatever happens below.
    std::unique_ptr<WriteEntry> entry = std::move(file->entry);

    bool text = false;
    if (entry->method == Z_DEFLATED_METHOD) {
        entry->stream.next_in = nullptr;
        entry->stream.avail_in = 0;
        const int status = Deflate(*file, *entry, Z_FINISH);
        if (status != Z_OK) return status;
        text = entry->stream.data_type == Z_TEXT;
    }
    if (!FlushOutput(*file, *entry)) return ZIP_ERRNO;
    if (entry->compressedSize > kMax32) return ZIP_PARAMERROR;

    std::string& central = entry->centralHeader;
    zipformat::PutU32At(central, 16, entry->crc);
    zipformat::PutU32At(central, 20, uint32_t(entry->compressedSize));
    zipformat::PutU32At(central, 24, uint32_t(entry->uncompressedSize));
    if (text) zipformat::PutU16At(central, 36, 1);  // internal attributes: text
    try {
        file->centralDirectory += central;
    } catch (const std::bad_alloc&) {
        return ZIP_INTERNALERROR;
    }

    std::string sizes;
    ByteWriter patch(sizes);
    patch.U32(entry->crc);
    patch.U32(uint32_t(entry->compressedSize));
    patch.U32(uint32_t(entry->uncompressedSize));
    if (!file->file.SeekTo(entry->localHeaderPosition + 14) ||
        !file->file.Write(sizes.data(), sizes.size()) || !file->file.SeekTo(file->writePosition))
        return ZIP_ERRNO;
    file->entryCount += 1;
    return ZIP_OK;
}

int zipClose(zipFile file, const char* comment, bool alternativeSignatures) {
    if (file == nullptr) return ZIP_PARAMERROR;
    std::unique_ptr<zip_archive> archive(file);
    int result = archive->entry ? zipCloseFileInZip(file) : ZIP_OK;

    const uint64_t directoryOffset = archive->writePosition - archive->beginPosition;
    const uint64_t directorySize = archive->centralDirectory.size();
    size_t commentLength = comment != nullptr ? std::strlen(comment) : 0;
    if (commentLength > kMax16) {
        result = ZIP_PARAMERROR;
        commentLength = 0;
    }

    if (directoryOffset > kMax32 || directorySize > kMax32) {
        // Not expressible in a 32-bit end record; leave no misleading one.
        result = ZIP_PARAMERROR;
    } else {
        std::string end;
        ByteWriter record(end);
        record.U32(zipformat::SignatureValue(zipformat::kEndRecordKind, alternativeSignatures));
        record.U16(0);  // this disk
        record.U16(0);  // disk of the directory
        record.U16(uint32_t(archive->entryCount));
        record.U16(uint32_t(archive->entryCount));
        record.U32(uint32_t(directorySize));
        record.U32(uint32_t(directoryOffset));
        record.U16(uint32_t(commentLength));
        record.Bytes(comment, commentLength);
        if (!Append(*archive, archive->centralDirectory.data(), directorySize) ||
            !Append(*archive, end.data(), end.size()))
            if (result == ZIP_OK) result = ZIP_ERRNO;
    }
    archive->centralDirectory.clear();
    const int closed = archive->file.Close();
    if (result == ZIP_OK && closed != ZIP_OK) result = closed;
    return result;
}
