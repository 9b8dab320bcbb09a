// MSAXReader::Parse on arbitrary project files, with handlers that push
// handlers and owned helpers, register objects for reference resolution, look
// ids up, read element text and blob values, and stop the parse early. Then
// the reader's queries and ExtractXMLHeader on the same file.
//
// Input: mode (1 byte), then either a whole project file (mode even) or the
// document "header.xml" (mode odd), around which the harness writes a project
// file: level (mode >> 1) % 3, header deflated when mode & 8, "KR" records
// when mode & 16, and the blob entries "data_1" (64 bytes, stored) and
// "data_2" (5000 bytes, deflated). For those files the extracted header must
// equal the document.
//
// Handlers act by the first letter of an element's name: p pushes a handler,
// h pushes a helper, b reads a blob value (twice for a second 'b'), r
// registers for reference resolution, s stops the parse.

#include "archive/blob_file_info.h"
#include "archive/blob_read.h"
#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "fuzz/fuzz_support.h"
#include "reader/sax_reader.h"
#include "tools/writer/project_writer.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using qfuzz::Check;

constexpr size_t kMaxBlobBytes = size_t(1) << 20;

struct Session {
    MSAXReader* reader = nullptr;
    std::u16string path;
    std::vector<std::unique_ptr<ISAXPersist>> handlers;  // pushed handlers, owned here
    size_t blobBytes = 0;
    std::u16string stoppedAt;
};

void ReadBlob(Session& session) {
    ISAXBlobRead* const untouched = reinterpret_cast<ISAXBlobRead*>(&session);
    ISAXBlobRead* blob = untouched;
    std::u16string text;
    session.reader->ReadValue(text);
    if (!session.reader->ReadValue(blob)) {
        Check(blob == (text.empty() ? untouched : nullptr), "failed blob ReadValue left the wrong pointer");
        return;
    }
    Check(blob != nullptr && blob != untouched, "blob ReadValue true without a blob");
    MSAXBlobReadContext* context = blob->GetContext();
    Check(context != nullptr && context->fileInfo != nullptr, "blob without a context");
    Check(context->reserved1 == kBlobReadContextReserved1 && context->reserved2 == kBlobReadContextReserved2,
          "blob context fields");
    MSAXBlobFileInfo* info = context->fileInfo;
    const int32_t window = info->GetBlobSize();
    Check(window >= 0, "negative blob size");
    // The window still to pull plus at most one buffer already pulled.
    const size_t limit = size_t(window) + MSAXBlobFileInfo::kBufferSize;
    size_t total = 0;
    char buffer[5000];
    for (int32_t piece = 1; session.blobBytes < kMaxBlobBytes; piece = piece * 7 % 4999 + 1) {
        const int32_t got = info->ReadBuffer(buffer, piece);
        Check(got >= 0 && got <= piece, "blob ReadBuffer result out of range");
        if (got == 0) break;
        total += size_t(got);
        session.blobBytes += size_t(got);
        Check(total <= limit, "blob delivered more than its window and buffer");
    }
}

class Handler : public ISAXPersistHelper {
public:
    explicit Handler(Session& session) : session_(session) {}

    bool HandleTag(const std::u16string& name, MSAXReader* reader) override {
        Check(reader == session_.reader, "HandleTag from another reader");
        Check(name != MSAXReader::kIdElement, "an id element reached a handler");
        Check(reader->GetArchiveFileName() == session_.path, "GetArchiveFileName during the parse");
        Check(reader->GetParentTag(0) == name, "handled element not innermost");
        std::u16string text;
        reader->ReadValue(text);
        uint32_t number = 0;
        reader->ReadValue(number);
        switch (name.empty() ? u'\0' : name[0]) {
        case u'p':
            session_.handlers.push_back(std::make_unique<Handler>(session_));
            reader->PushTagHandler(session_.handlers.back().get());
            break;
        case u'h':
            reader->PushTagHandlerHelper(new Handler(session_));
            break;
        case u'b':
            ReadBlob(session_);
            if (name.size() > 1 && name[1] == u'b') ReadBlob(session_);
            break;
        case u'r':
            reader->AddToReferenceResolver(this);
            references_.push_back(number);
            break;
        case u's':
            session_.stoppedAt = name;
            throw MSAXError::MStopParsing();
        default:
            break;
        }
        return name.size() % 4 != 3;
    }

    void ResolveReferences(MSAXReader* reader) override {
        for (uint32_t id : references_) {
            ISAXReference* found = nullptr;
            const bool known = reader->LookupId(id, found);
            if (id == 0) Check(known, "id 0 has no entry");
            // An odd id that is missing ends the parse with MMissingReference.
            if (id % 2 == 1) reader->ResolveId(id, this);
        }
    }

    void SetId(uint32_t id) override { id_ = id; }

private:
    Session& session_;
    std::vector<uint32_t> references_;
    uint32_t id_ = 0;
};

std::string BlobData(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = char((i * 31 + seed) % 251);
    return bytes;
}

void WriteAroundDocument(const qfuzz::ScratchFile& file, uint8_t mode, std::string_view document) {
    qwriter::ProjectFileOptions options;
    options.level = (mode >> 1) % 3;
    options.key = 0x1234567u * mode;
    options.headerLevel = (mode & 8) ? eSAXCompressionDefault : eSAXCompressionNone;
    options.alternativeSignatures = (mode & 16) != 0;
    options.extraEntries.push_back({"data_1", BlobData(64, 1), eSAXCompressionNone});
    options.extraEntries.push_back({"data_2", BlobData(5000, 2), eSAXCompressionDefault});
    qwriter::WriteProjectFile(file.widePath(), document, options);
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    if (std::FILE* stream = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) bytes.append(buffer, got);
        std::fclose(stream);
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const qfuzz::ScratchFile file("project");
    static const qfuzz::ScratchFile extracted("extracted");
    qfuzz::FuzzInput input(data, size);
    const uint8_t mode = input.Byte();
    const std::string_view rest = input.Rest();
    const bool wrapped = (mode & 1) != 0;
    if (wrapped) {
        WriteAroundDocument(file, mode, rest);
    } else {
        file.Write(rest);
    }

    Session session;
    session.path = file.widePath();
    {
        MSAXReader reader;
        session.reader = &reader;
        Handler root(session);
        try {
            reader.Parse(file.widePath(), &root);
        } catch (const MSAXError::MStopParsing& stop) {
            Check(!session.stoppedAt.empty() && stop.tag == session.stoppedAt, "MStopParsing tag");
        } catch (const MSAXError::MGeneric&) {
        } catch (const MZipArchiveError::MGeneric&) {
        }
        Check(reader.GetArchiveFileName().empty(), "GetArchiveFileName after the parse");
        std::u16string levelName;
        reader.GetFileInfoEncryption(levelName);
        if (wrapped) Check(reader.GetFileInfoEncryption() == (mode >> 1) % 3, "encryption level");
        reader.InitHelpersAfterLoading();
    }

    std::remove(extracted.path().c_str());
    try {
        Check(MSAXReader::ExtractXMLHeader(file.widePath().c_str(), extracted.widePath().c_str()),
              "ExtractXMLHeader answered false");
        if (wrapped) Check(ReadAll(extracted.path()) == rest, "extracted header differs from the document");
    } catch (const MSAXError::MGeneric&) {
        Check(!wrapped, "ExtractXMLHeader failed on a well-formed container");
    } catch (const MZipArchiveError::MGeneric&) {
        Check(!wrapped, "ExtractXMLHeader failed on a well-formed container");
    }
    return 0;
}
