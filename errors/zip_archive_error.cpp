#include "errors/zip_archive_error.h"

namespace MZipArchiveError {

MGeneric::MGeneric(const std::u16string& message, const std::u16string& name)
    : message(message), name(name) {}

MFileNotFound::MFileNotFound(const std::u16string& name) : MGeneric(u"File not Found", name) {}

MFileNotCreated::MFileNotCreated(const std::u16string& name)
    : MGeneric(u"Error while creating file", name) {}

MDeflate::MDeflate(const std::u16string& name) : MGeneric(u"Error while decompressing", name) {}

MInflate::MInflate(const std::u16string& name) : MGeneric(u"Error while compressing", name) {}

}  // namespace MZipArchiveError
