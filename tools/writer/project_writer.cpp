#include "tools/writer/project_writer.h"

#include "tools/writer/encipher.h"

#include <algorithm>
#include <stdexcept>

namespace qwriter {
namespace {

constexpr size_t kCipherChunk = 4096;          // the reader deciphers in these chunks
constexpr size_t kWritePiece = 256 * kCipherChunk;

void WriteAll(MZipArchive& archive, MZipFile& file, std::string_view bytes) {
    for (size_t at = 0; at < bytes.size(); at += kWritePiece) {
        const size_t piece = std::min(kWritePiece, bytes.size() - at);
        archive.WriteFile(file, bytes.data() + at, uint32_t(piece));
    }
}

void WriteEntry(MZipArchive& archive, const std::string& name, std::string_view bytes,
                ESAXCompressionLevel level) {
    MZipFile file = archive.OpenNewFile(name, level);
    WriteAll(archive, file, bytes);
    archive.CloseNewFile(file);
}

// Writes the header, enciphering each 4096-byte chunk on its own when a key
// is given.
void WriteHeader(MZipArchive& archive, std::string_view xml, ESAXCompressionLevel level,
                 const std::optional<uint32_t>& key) {
    MZipFile file = archive.OpenNewFile("header.xml", level);
    if (!key) {
        WriteAll(archive, file, xml);
    } else {
        std::string piece;
        for (size_t at = 0; at < xml.size(); at += kWritePiece) {
            piece.assign(xml.substr(at, kWritePiece));
            for (size_t chunk = 0; chunk < piece.size(); chunk += kCipherChunk)
                EncipherBuffer(reinterpret_cast<uint8_t*>(piece.data()) + chunk,
                               std::min(kCipherChunk, piece.size() - chunk), *key);
            archive.WriteFile(file, piece.data(), uint32_t(piece.size()));
        }
    }
    archive.CloseNewFile(file);
}

}  // namespace

std::string DescriptorBytes(int level, uint32_t key) {
    const uint32_t words[2] = {uint32_t(level), level == 2 ? kFixedKey : key};
    std::string out;
    for (uint32_t word : words)
        for (int shift = 0; shift < 32; shift += 8) out.push_back(char((word >> shift) & 0xFF));
    return out;
}

void WriteProjectFile(const std::u16string& path, std::string_view headerXml,
                      const ProjectFileOptions& options) {
    MZipArchive archive(options.alternativeSignatures);
    if (!archive.Create(path)) throw std::runtime_error("cannot create the project file");

    if (options.descriptorBytes)
        WriteEntry(archive, "blob_0000", *options.descriptorBytes, eSAXCompressionDefault);
    else if (options.level != 0 || options.writeDescriptor)
        WriteEntry(archive, "blob_0000", DescriptorBytes(options.level, options.key),
                   eSAXCompressionDefault);

    std::optional<uint32_t> key;
    if (options.level == 1) key = options.key;
    if (options.level == 2) key = kFixedKey;
    WriteHeader(archive, headerXml, options.headerLevel, key);

    for (const ExtraEntry& extra : options.extraEntries)
        WriteEntry(archive, extra.name, extra.bytes, extra.level);
    if (options.writeMore) options.writeMore(archive);
    if (!archive.Close()) throw std::runtime_error("cannot finish the project file");
}

}  // namespace qwriter
