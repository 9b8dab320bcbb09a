#include "tests/hostile/hostile_fixture.h"

#include "archive/blob_file_info.h"
#include "archive/blob_read.h"
#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "reader/sax_reader.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_fixture.h"
#include "tools/writer/project_writer.h"

#include <zlib.h>

#include <memory>
#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

// Sanitizer builds keep freed memory in a quarantine (256 MiB by default),
// which would hide what the reader itself holds; the peak-memory checks need
// it small. Other builds never call this.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

namespace hostile {
namespace {

class WalkingHandler : public ISAXPersist {
public:
    WalkingHandler(ParseResult& result, size_t maxBlobBytes) : result_(result), maxBlobBytes_(maxBlobBytes) {}

    bool HandleTag(const std::u16string& name, MSAXReader* reader) override {
        ++result_.elements;
        if (name.rfind(u"blob", 0) == 0) ReadBlob(name, reader);
        if (name.rfind(u"text", 0) == 0) {
            result_.texts.emplace_back();
            reader->ReadValue(result_.texts.back());
        }
        reader->PushTagHandler(this);
        return true;
    }

private:
    void ReadBlob(const std::u16string& name, MSAXReader* reader) {
        BlobRead read;
        read.element = name;
        ISAXBlobRead* blob = nullptr;
        read.value = reader->ReadValue(blob);
        if (read.value) {
            MSAXBlobFileInfo* info = blob->GetContext()->fileInfo;
            char buffer[4096];
            while (read.bytes.size() < maxBlobBytes_) {
                const int32_t got = info->ReadBuffer(buffer, int32_t(sizeof buffer));
                if (got <= 0) break;
                read.bytes.append(buffer, size_t(got));
            }
        }
        result_.blobs.push_back(std::move(read));
    }

    ParseResult& result_;
    size_t maxBlobBytes_;
};

}  // namespace

ParseResult ParseProject(const std::u16string& path, size_t maxBlobBytes) {
    ParseResult result;
    WalkingHandler root(result, maxBlobBytes);
    MSAXReader reader;
    try {
        reader.Parse(path, &root);
        result.outcome = "completed";
    } catch (const MSAXError::MFileOpenRead&) {
        result.outcome = "MFileOpenRead";
    } catch (const MSAXError::MNotAKorProjectFile&) {
        result.outcome = "MNotAKorProjectFile";
    } catch (const MSAXError::MParse&) {
        result.outcome = "MParse";
    } catch (const MSAXError::MDeflate&) {
        result.outcome = "MDeflate";
    } catch (const MSAXError::MDecryptUnknownLevel&) {
        result.outcome = "MDecryptUnknownLevel";
    } catch (const MSAXError::MStopParsing&) {
        result.outcome = "MStopParsing";
    } catch (const MSAXError::MGeneric& error) {
        result.outcome = "MSAXError " + std::to_string(error.code);
    } catch (const MZipArchiveError::MFileNotFound&) {
        result.outcome = "zip MFileNotFound";
    } catch (const MZipArchiveError::MDeflate&) {
        result.outcome = "zip MDeflate";
    }
    return result;
}

ParseResult ParseProjectBytes(const std::string& bytes, size_t maxBlobBytes) {
    qtest::TempDir dir;
    qtest::WriteFileBytes(dir.File("p.kor"), bytes);
    return ParseProject(dir.WideFile("p.kor"), maxBlobBytes);
}

std::string WriteProject(std::string_view document, int level, const std::vector<Extra>& extras,
                         bool deflateHeader) {
    qtest::TempDir dir;
    qwriter::ProjectFileOptions options;
    options.level = level;
    options.key = 0x2468ACE1;
    options.headerLevel = deflateHeader ? eSAXCompressionDefault : eSAXCompressionNone;
    for (const Extra& extra : extras) options.extraEntries.push_back({extra.name, extra.bytes, eSAXCompressionNone});
    qwriter::WriteProjectFile(dir.WideFile("w.kor"), document, options);
    return qtest::ReadFileBytes(dir.File("w.kor"));
}

size_t PeakRssBytes() {
#if defined(_WIN32)
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return size_t(usage.ru_maxrss) * 1024;  // Linux reports KiB
#endif
}

namespace {

// Compresses data in a fresh raw deflate stream, ending with flush.
std::string DeflatePiece(std::string_view data, int flush) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, uLong(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int status = deflate(&z, flush);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (status != (flush == Z_FINISH ? Z_STREAM_END : Z_OK)) throw std::runtime_error("deflate");
    return out;
}

uint32_t Crc(uint32_t crc, std::string_view data) {
    return uint32_t(crc32(crc, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
}

}  // namespace

Bomb DeflateRepeated(std::string_view prefix, std::string_view block, size_t repeat, std::string_view suffix) {
    Bomb bomb;
    bomb.stream = DeflatePiece(prefix, Z_FULL_FLUSH);
    const std::string copy = DeflatePiece(block, Z_FULL_FLUSH);
    bomb.stream.reserve(bomb.stream.size() + copy.size() * repeat + 64);
    bomb.crc = Crc(0, prefix);
    const uint32_t blockCrc = Crc(0, block);
    for (size_t i = 0; i < repeat; ++i) {
        bomb.stream += copy;
        bomb.crc = uint32_t(crc32_combine(bomb.crc, blockCrc, z_off_t(block.size())));
    }
    bomb.stream += DeflatePiece(suffix, Z_FINISH);
    bomb.crc = Crc(bomb.crc, suffix);
    bomb.size = prefix.size() + uint64_t(block.size()) * repeat + suffix.size();
    return bomb;
}

std::string ZipWithBombs(const std::vector<BombEntry>& bombs, const std::vector<Extra>& stored) {
    std::vector<ziptest::RawEntry> entries;
    for (const BombEntry& b : bombs) {
        ziptest::RawEntry entry(b.name, "");
        entry.method = 8;
        entry.flag = 8;  // sizes and CRC in the directory only
        entry.compressed = b.bomb->stream;
        entry.crc = b.bomb->crc;
        entry.centralUncompressedSize = uint32_t(b.bomb->size);
        entries.push_back(std::move(entry));
    }
    for (const Extra& extra : stored) entries.emplace_back(extra.name, extra.bytes);
    return ziptest::BuildZip(ziptest::RawArchive(std::move(entries)));
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = char((i * 7 + i / 251) % 256);
    return bytes;
}

}  // namespace hostile
