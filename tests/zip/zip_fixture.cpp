#include "tests/zip/zip_fixture.h"

#include <zlib.h>

#include <stdexcept>

namespace ziptest {
namespace {

void Put16(std::string& out, uint32_t v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutSignature(std::string& out, bool alternative, char a, char b) {
    out += alternative ? "KR" : "PK";
    out.push_back(a);
    out.push_back(b);
}

}  // namespace

std::string DeflateRaw(std::string_view data, int level) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, uLong(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int status = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (status != Z_STREAM_END) throw std::runtime_error("deflate");
    return out;
}

std::string InflateRaw(std::string_view stream) {
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return {};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = uInt(stream.size());
    std::string out;
    char buffer[65536];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : std::string();
}

uint32_t Crc32(std::string_view data) {
    return uint32_t(crc32(0L, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
}

uint16_t U16At(const std::string& bytes, size_t offset) {
    return uint16_t(uint8_t(bytes.at(offset)) | uint8_t(bytes.at(offset + 1)) << 8);
}

uint32_t U32At(const std::string& bytes, size_t offset) {
    return uint32_t(U16At(bytes, offset)) | uint32_t(U16At(bytes, offset + 2)) << 16;
}

std::string SampleText(size_t n, unsigned seed) {
    static const char* const words[] = {"<item>", "alpha ", "beta ", "</item>\n", "gamma=",
                                        "\"42\" ", "delta", "<x/>"};
    std::string out;
    out.reserve(n + 16);
    unsigned state = seed * 2654435761u + 12345u;
    while (out.size() < n) {
        state = state * 1103515245u + 12345u;
        out += words[(state >> 16) % 8];
        out += char('0' + (state >> 8) % 10);
    }
    out.resize(n);
    return out;
}

std::string BuildZip(const RawArchive& archive) {
    std::string body;
    std::string directory;
    for (const RawEntry& e : archive.entries) {
        const std::string stored =
            e.compressed ? *e.compressed : e.method == 8 ? DeflateRaw(e.data) : e.data;
        const uint32_t crc = e.crc ? *e.crc : Crc32(e.data);
        const uint32_t localOffset = uint32_t(body.size());
        const std::string& localName = e.localName ? *e.localName : e.name;

        PutSignature(body, e.alternativeLocal, 3, 4);
        Put16(body, 20);
        Put16(body, e.flag);
        Put16(body, e.localMethod ? *e.localMethod : e.method);
        Put32(body, 0x00200000);
        Put32(body, e.localCrc ? *e.localCrc : crc);
        Put32(body, e.localCompressedSize ? *e.localCompressedSize : uint32_t(stored.size()));
        Put32(body, uint32_t(e.data.size()));
        Put16(body, uint32_t(localName.size()));
        Put16(body, uint32_t(e.localExtra.size()));
        body += localName;
        body += e.localExtra;
        body += stored;

        PutSignature(directory, e.alternativeCentral, 1, 2);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, e.flag);
        Put16(directory, e.method);
        Put32(directory, 0x00200000);
        Put32(directory, crc);
        Put32(directory, uint32_t(stored.size()));
        Put32(directory,
              e.centralUncompressedSize ? *e.centralUncompressedSize : uint32_t(e.data.size()));
        Put16(directory, uint32_t(e.name.size()));
        Put16(directory, uint32_t(e.centralExtra.size()));
        Put16(directory, uint32_t(e.comment.size()));
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, localOffset);
        directory += e.name;
        directory += e.centralExtra;
        directory += e.comment;
    }
    std::string out = archive.prefix + body + directory;
    const uint16_t count = uint16_t(archive.entries.size());
    PutSignature(out, archive.alternativeEnd, 5, 6);
    Put16(out, archive.thisDisk.value_or(0));
    Put16(out, archive.directoryDisk.value_or(0));
    Put16(out, archive.entriesOnDisk.value_or(count));
    Put16(out, archive.entriesTotal.value_or(count));
    Put32(out, archive.directorySize.value_or(uint32_t(directory.size())));
    Put32(out, archive.directoryOffset.value_or(uint32_t(body.size())));
    Put16(out, archive.commentLength.value_or(uint16_t(archive.comment.size())));
    out += archive.comment;
    return out;
}

}  // namespace ziptest
