#include "errors/sax_error.h"

namespace MSAXError {

MGeneric::MGeneric(const std::u16string& message, uint32_t code) : message(message), code(code) {}

MGenericRead::MGenericRead(const std::u16string& message, uint32_t code) : MGeneric(message, code) {}

MGenericWrite::MGenericWrite(const std::u16string& message, uint32_t code)
    : MGeneric(message, code) {}

MStopParsing::MStopParsing() : MGenericRead(u"", 524) {}

MStopParsing::MStopParsing(const std::u16string& message, uint32_t code)
    : MGenericRead(message, code) {}

MFileOpenRead::MFileOpenRead(const std::u16string& file)
    : MGenericRead(u"Failed to open file for reading" + file, 525) {}

MFileOpenWrite::MFileOpenWrite(const std::u16string& file)
    : MGenericWrite(u"Failed to open file for writing" + file, 526) {}

MNotAKorProjectFile::MNotAKorProjectFile() : MGenericRead(u"Not a valid project file", 527) {}

MParse::MParse() : MGenericRead(u"Internal Parsing Error", 528) {}

MDeflate::MDeflate(const std::u16string& detail)
    : MGenericRead(u"Deflating Error", 529), detail(detail) {}

MDecrypt::MDecrypt() : MGenericRead(u"Decryption Error", 530) {}

MDecryptUnknownLevel::MDecryptUnknownLevel() : MGenericRead(u"Unknown Encryption level", 531) {}

MEncryptOpen::MEncryptOpen(const std::u16string& detail)
    : MGenericWrite(u"Couldn't open file for encrypting", 532), detail(detail) {}

MMissingReference::MMissingReference(const void* object)
    : MGenericRead(
          u"An object referenced in the file hasn't been resolved. The resulting file is invalid.",
          536),
      object(object) {}

MInflate::MInflate(const std::u16string& detail, const std::u16string& detail2)
    : MGenericWrite(u"Inflating Error", 567), detail(detail), detail2(detail2) {}

MContentMismatch::MContentMismatch() : MGenericRead(u"The context of the file mismatch", 697) {}

MSAXIncompatibleVersion::MSAXIncompatibleVersion(const std::u16string& message, uint32_t code)
    : MStopParsing(message, code) {}

}  // namespace MSAXError
