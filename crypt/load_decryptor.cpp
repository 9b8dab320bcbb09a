#include "archive/zip_archive.h"
#include "crypt/decryptor_factory.h"
#include "errors/zip_archive_error.h"

#include <algorithm>
#include <array>

namespace {

constexpr const char* kDescriptorEntry = "blob_0000";
constexpr uint32_t kDescriptorReadSize = 1024;  // only the first 8 bytes matter

}  // namespace

std::unique_ptr<ISAXDecryptor> LoadDecryptor(MZipArchive& archive) {
    MZipFile entry;
    try {
        entry = archive.OpenFile(kDescriptorEntry);
    } catch (const MZipArchiveError::MFileNotFound&) {
        return CreateDecryptor(eSAXEncryptionNone);
    }
    // Cleared first: a short entry must not leave its level or key to chance.
    std::array<unsigned char, kDescriptorReadSize> buffer{};
    const int read = archive.ReadFile(entry, buffer.data(), kDescriptorReadSize);
    const uint32_t length = read < 0 ? 0u : std::min(static_cast<uint32_t>(read), kDescriptorReadSize);

    const auto level = static_cast<ESAXEncryptionLevel>(
        static_cast<int32_t>(qcrypt::DescriptorWord(buffer.data(), kDescriptorReadSize, 0)));
    std::unique_ptr<ISAXDecryptor> decryptor = CreateDecryptor(level);
    // Always accepted: the class was chosen by the same word 0.
    decryptor->Initialise(buffer.data(), length);
    return decryptor;
}
