// Reading handle: which signature form each record of the current entry uses.

#include "archive/zip_handles.h"

namespace {

// Reads the 4-byte signature at position; -103 when it cannot be read or is
// not a signature of the expected kind.
int ReadForm(unz_archive& archive, uint64_t position, const uint8_t kind[2], bool* alternative) {
    uint8_t signature[4];
    if (!archive.file.ReadAt(position, signature, sizeof signature)) return UNZ_BADZIPFILE;
    if (!zipformat::IsSignature(signature, kind)) return UNZ_BADZIPFILE;
    if (alternative != nullptr) *alternative = signature[0] == 'K';
    return UNZ_OK;
}

}  // namespace

int unzGetCurrentFileSignatureForms(unzFile file, bool* centralAlternative, bool* localAlternative,
                                    bool* endAlternative) {
    if (file == nullptr) return UNZ_PARAMERROR;
    if (!file->currentValid) return UNZ_END_OF_LIST_OF_FILE;
    int result = ReadForm(*file, file->bytesBefore + file->currentPosition, zipformat::kCentralHeaderKind,
                          centralAlternative);
    if (result == UNZ_OK)
        result = ReadForm(*file, file->bytesBefore + file->current.localHeaderOffset,
                          zipformat::kLocalHeaderKind, localAlternative);
    if (result == UNZ_OK)
        result = ReadForm(*file, file->endRecordPosition, zipformat::kEndRecordKind, endAlternative);
    return result;
}
