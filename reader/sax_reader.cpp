// Construction, the Parse pipeline and the release of its resources.
#include "reader/sax_reader.h"

#include "archive/blob_archive.h"
#include "crypt/decryptor.h"
#include "crypt/decryptor_factory.h"
#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "platform/diagnostics.h"
#include "platform/file_io.h"
#include "platform/temp_directory.h"
#include "reader/parse_timing.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

// "header.xml" is read, deciphered and parsed in chunks of this size; the
// decryptor relies on every chunk but the last being this long.
constexpr uint32_t kChunkSize = 4096;

const char* const kHeaderEntry = "header.xml";

// Clears a flag when the scope ends, however it ends.
class MFlagScope {
public:
    explicit MFlagScope(bool& flag) : _flag(flag) { _flag = true; }
    ~MFlagScope() { _flag = false; }
    MFlagScope(const MFlagScope&) = delete;
    MFlagScope& operator=(const MFlagScope&) = delete;

private:
    bool& _flag;
};

}  // namespace

MSAXReader::MSAXReader() {
    // The root element's children are handled whatever its handler answers.
    _skipDepth = 1;
    _noSkipDepth = 1;
}

MSAXReader::~MSAXReader() {
    // Helpers go first, in push order, through their virtual destructors.
    for (std::unique_ptr<ISAXPersistHelper>& helper : _helpers) {
        helper.reset();
    }
    // A parse that ended by an exception has released everything already;
    // these cover readers handed out after that and keep the order safe.
    _handedOutBlobs.clear();
    _blobStore.reset();
    _decryptor.reset();
}

void MSAXReader::Parse(const std::u16string& file, ISAXPersist* root) { Parse(file.c_str(), root); }

void MSAXReader::Parse(const char16_t* file, ISAXPersist* root) {
    if (file == nullptr || root == nullptr) {
        throw std::invalid_argument("MSAXReader::Parse needs a file and a root handler");
    }
    if (_parsing) {
        throw std::logic_error("MSAXReader::Parse called while a parse is running");
    }
    MFlagScope parsing(_parsing);
    const std::u16string path(file);

    // Start clean: nothing of an earlier parse is seen by this one.
    _handlerStack.clear();
    _idMap.clear();
    _resolverSet.clear();
    _handedOutBlobs.clear();

    _InitTempDirectory();
    _blobStore = std::make_unique<MSAXBlobArchive>(path);

    MZipArchive headerArchive(false);
    MZipFile headerEntry;
    if (!headerArchive.Open(path)) {
        _blobStore.reset();
        throw MSAXError::MFileOpenRead(path);
    }

    // Up to the parser's creation a failure releases what is held so far
    // (store, descriptor archive, decryptor); the level read stays.
    try {
        _descriptorArchive.Open(path);
        _decryptor = LoadDecryptor(_descriptorArchive);
        _encryptionLevel = _decryptor->GetEncryptionLevel();
        try {
            headerEntry = headerArchive.OpenFile(kHeaderEntry);
        } catch (const MZipArchiveError::MFileNotFound&) {
            throw MSAXError::MNotAKorProjectFile();
        }
        _CreateParser();
    } catch (...) {
        _StopParsing(headerArchive, headerEntry);
        throw;
    }

    _handlerStack.push_back(root);
    _idMap[0] = nullptr;

    try {
        qreader::MParseTiming timing;
        timing.Start();
        // One buffer serves every chunk: read, deciphered in place, parsed.
        std::vector<char> buffer(kChunkSize);
        uint32_t count = 0;
        do {
            const int got = headerArchive.ReadFile(headerEntry, buffer.data(), kChunkSize);
            count = got > 0 ? std::min(static_cast<uint32_t>(got), kChunkSize) : 0;
            timing.TakeDecompressing();
            _decryptor->Decrypt(buffer.data(), count);
            timing.TakeDecrypting();
            _ParseBuffer(buffer.data(), static_cast<int>(count), count < kChunkSize);
            timing.TakeParsing();
            _OnReadBlock();
        } while (count == kChunkSize);
        platform::OutputDebugText(timing.Report());
    } catch (const MZipArchiveError::MDeflate& error) {
        _StopParsing(headerArchive, headerEntry);
        throw MSAXError::MDeflate(error.message);
    } catch (MSAXError::MStopParsing& stop) {
        if (!_tagStack.empty()) {
            stop.tag = _tagStack.back();
        }
        _StopParsing(headerArchive, headerEntry);
        _ResolveReferences();
        throw;
    } catch (...) {
        _StopParsing(headerArchive, headerEntry);
        throw;
    }

    _StopParsing(headerArchive, headerEntry);
    _ResolveReferences();
}

void MSAXReader::_OnReadBlock() {}

void MSAXReader::_StopParsing(MZipArchive& headerArchive, MZipFile& headerEntry) {
    _decryptor.reset();
    if (headerEntry.handle != nullptr) {
        headerArchive.CloseFile(headerEntry);
    }
    _Close();
    // Blob readers point into the store's entry: they go before it.
    _handedOutBlobs.clear();
    _blobStore.reset();
    _descriptorArchive.Close();
    headerArchive.Close();
    for (const std::u16string& name : _tempFiles) {
        platform::DeleteFileAt(_tempDirectory + name);
    }
    _tempFiles.clear();
}

void MSAXReader::_InitTempDirectory() {
    if (!_tempDirectory.empty()) {
        return;
    }
    const uint32_t needed = platform::GetTempDirectory(0, nullptr);
    if (needed == 0) {
        return;
    }
    std::vector<char16_t> buffer(needed);
    const uint32_t length = platform::GetTempDirectory(needed, buffer.data());
    // A path that grew between the two calls is not copied (the call then
    // reports the size it needs instead); the next Parse asks again.
    if (length == 0 || length >= needed) {
        return;
    }
    _tempDirectory.assign(buffer.data(), length);
}

std::u16string MSAXReader::GetTempDirectory() const { return _tempDirectory; }
