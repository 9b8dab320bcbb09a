// Blob values: element text "offset size name" naming bytes of another entry.
#include "reader/sax_reader.h"

#include "archive/blob_archive.h"
#include "archive/blob_value.h"
#include "platform/code_page.h"

bool MSAXReader::ReadValue(ISAXBlobRead*& blob) {
    MSAXBlobValue value;
    switch (ParseBlobValue(_text, value)) {
        case ESAXBlobValueParse::eEmpty:
            return false;
        case ESAXBlobValueParse::eMalformed:
            blob = nullptr;
            return false;
        case ESAXBlobValueParse::eValid:
            break;
    }
    if (!_blobStore) {
        blob = nullptr;  // no parse is running: there is no container to read
        return false;
    }
    const std::string entryName = platform::WideToMultiByte(platform::kCodePageAnsi, value.entryName);
    MSAXBlobFileInfo* info = _blobStore->GetBlobFileInfo(entryName, value.offset, value.size);
    if (info == nullptr) {
        blob = nullptr;
        return false;
    }
    // Kept until the next end tag, together with any other handed out meanwhile.
    _handedOutBlobs.push_back(std::make_unique<MSAXBlobRead>(info));
    blob = _handedOutBlobs.back().get();
    return true;
}
