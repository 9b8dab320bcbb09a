// What a reader reports about the file it reads or has read.
#include "reader/sax_reader.h"

#include "archive/blob_archive.h"

std::u16string MSAXReader::GetArchiveFileName() const {
    return _blobStore ? _blobStore->GetPath() : std::u16string();
}

ESAXEncryptionLevel MSAXReader::GetFileInfoEncryption() const { return _encryptionLevel; }

bool MSAXReader::GetFileInfoEncryption(std::u16string& name) const {
    switch (static_cast<int32_t>(_encryptionLevel)) {
        case eSAXEncryptionNone:
            name = u"No Encryption";
            return true;
        case eSAXEncryptionKor32:
            name = u"Korvane 32 Bit";
            return true;
        default:
            name = u"Invalid";
            return false;
    }
}
