// Writing the deciphered document of a project file to a file, without parsing.
#include "reader/sax_reader.h"

#include "crypt/decryptor.h"
#include "crypt/decryptor_factory.h"
#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "platform/file_io.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace {

constexpr uint32_t kChunkSize = 4096;

struct MStreamCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using MOutputStream = std::unique_ptr<std::FILE, MStreamCloser>;

// Closes the stream; false when a buffered write or the close failed.
bool CloseStream(MOutputStream& stream) {
    std::FILE* raw = stream.release();
    const bool flushed = std::fflush(raw) == 0;
    const bool closed = std::fclose(raw) == 0;
    return flushed && closed;
}

// True when both paths name one existing file: emptying the output would
// then destroy the document while it is being read.
bool SameFile(const std::u16string& a, const std::u16string& b) {
    std::error_code error;
    const bool same = std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), error);
    return !error && same;
}

}  // namespace

bool MSAXReader::ExtractXMLHeader(const char16_t* projectFile, const char16_t* outputFile) {
    const std::u16string projectPath(projectFile != nullptr ? projectFile : u"");
    const std::u16string outputPath(outputFile != nullptr ? outputFile : u"");

    // The archive and the decryptor are released on every way out.
    MZipArchive archive(false);
    if (!archive.Open(projectPath)) {
        throw MSAXError::MFileOpenRead(projectPath);
    }
    const std::unique_ptr<ISAXDecryptor> decryptor = LoadDecryptor(archive);
    MZipFile entry;
    try {
        entry = archive.OpenFile("header.xml");
    } catch (const MZipArchiveError::MFileNotFound&) {
        throw MSAXError::MNotAKorProjectFile();
    }

    if (SameFile(projectPath, outputPath)) {
        throw MSAXError::MFileOpenWrite(outputPath);
    }
    MOutputStream output(platform::OpenStream(outputPath, "wb"));
    if (!output) {
        throw MSAXError::MFileOpenWrite(outputPath);
    }

    // A failed read or write leaves no partial document behind.
    bool written = true;
    try {
        std::vector<char> buffer(kChunkSize);
        uint32_t count = 0;
        do {
            const int got = archive.ReadFile(entry, buffer.data(), kChunkSize);
            count = got > 0 ? static_cast<uint32_t>(got) : 0;
            if (count > kChunkSize) count = kChunkSize;
            if (count == 0) {
                break;
            }
            decryptor->Decrypt(buffer.data(), count);
            if (std::fwrite(buffer.data(), 1, count, output.get()) != count) {
                written = false;
                break;
            }
        } while (count == kChunkSize);
    } catch (...) {
        output.reset();
        platform::DeleteFileAt(outputPath);
        throw;
    }
    if (!CloseStream(output) || !written) {
        platform::DeleteFileAt(outputPath);
        throw MSAXError::MFileOpenWrite(outputPath);
    }
    return true;
}
