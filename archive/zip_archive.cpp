#include "archive/zip_archive.h"

#include "archive/zip_records.h"
#include "errors/zip_archive_error.h"
#include "platform/code_page.h"

#include <string_view>
#include <vector>

namespace {

// Entry names in error reports are widened with the ANSI code page.
std::u16string WideName(const std::string& name) {
    return platform::MultiByteToWide(platform::kCodePageAnsi, name);
}

constexpr uint32_t kNameBufferSize = 256;
constexpr int kIgnoreAsciiCase = 2;

}  // namespace

MZipArchive::MZipArchive(bool alternativeSignatures)
    : alternativeSignatures_(alternativeSignatures) {}

MZipArchive::~MZipArchive() { Close(); }

bool MZipArchive::Open(const std::u16string& path) {
    if (reader_ != nullptr || writer_ != nullptr) return false;
    reader_ = unzOpen(path);
    return reader_ != nullptr;
}

bool MZipArchive::Create(const std::u16string& path) {
    if (reader_ != nullptr || writer_ != nullptr) return false;
    writer_ = zipCreate(path);
    return writer_ != nullptr;
}

bool MZipArchive::Close() {
    if (writer_ != nullptr) {
        const int result = zipClose(writer_, "", alternativeSignatures_);
        writer_ = nullptr;
        return result == ZIP_OK;
    }
    if (reader_ != nullptr) {
        const int result = unzClose(reader_);
        reader_ = nullptr;
        return result == UNZ_OK;
    }
    return false;
}

bool MZipArchive::_LocateFile(const std::string& name) {
    unz_file_pos start{};
    if (unzGetFilePos(reader_, &start) != UNZ_OK) return false;
    std::vector<char> fetched(kNameBufferSize);
    for (;;) {
        unz_file_info info{};
        if (unzGetCurrentFileInfo(reader_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        // Fetch the whole name, so long names compare in full and the
        // comparison never runs past the fetched bytes.
        if (info.size_filename >= fetched.size()) fetched.resize(size_t(info.size_filename) + 1);
        if (unzGetCurrentFileInfo(reader_, nullptr, fetched.data(), uint32_t(fetched.size()),
                                  nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        if (unzStringFileNameCompare(fetched.data(), name.c_str(), kIgnoreAsciiCase) == 0)
            return true;

        int moved = unzGoToNextFile(reader_);
        if (moved == UNZ_END_OF_LIST_OF_FILE) moved = unzGoToFirstFile(reader_);
        if (moved != UNZ_OK) return false;
        unz_file_pos now{};
        if (unzGetFilePos(reader_, &now) != UNZ_OK) return false;
        if (now.pos_in_zip_directory == start.pos_in_zip_directory) return false;
    }
}

MZipFile MZipArchive::OpenFile(const std::string& name) {
    if (reader_ == nullptr || !_LocateFile(name) || unzOpenCurrentFile(reader_) != UNZ_OK)
        throw MZipArchiveError::MFileNotFound(WideName(name));
    return MZipFile{reader_, name};
}

MZipFile MZipArchive::OpenNewFile(const std::string& name, ESAXCompressionLevel level) {
    // The record layer takes zero-terminated names.
    if (writer_ == nullptr || name.find('\0') != std::string::npos)
        throw MZipArchiveError::MFileNotCreated(WideName(name));
    const zip_fileinfo noDate{};
    const int method = level != eSAXCompressionNone ? Z_DEFLATED_METHOD : Z_STORED_METHOD;
    if (zipOpenNewFileInZip(writer_, name.c_str(), &noDate, nullptr, 0, nullptr, 0, nullptr,
                            method, level, alternativeSignatures_) != ZIP_OK)
        throw MZipArchiveError::MFileNotCreated(WideName(name));
    return MZipFile{writer_, name};
}

int MZipArchive::ReadFile(MZipFile& file, void* destination, uint32_t length) {
    const int result = file.handle != nullptr && file.handle == reader_
                           ? unzReadCurrentFile(reader_, destination, length)
                           : UNZ_PARAMERROR;
    if (result < 0) throw MZipArchiveError::MDeflate(WideName(file.name));
    return result;
}

int MZipArchive::WriteFile(MZipFile& file, const void* source, uint32_t length) {
    const int result = file.handle != nullptr && file.handle == writer_
                           ? zipWriteInFileInZip(writer_, source, length)
                           : ZIP_PARAMERROR;
    if (result < 0) throw MZipArchiveError::MInflate(WideName(file.name));
    return result;
}

int MZipArchive::CloseFile(MZipFile& file) {
    const int result = file.handle != nullptr && file.handle == reader_
                           ? unzCloseCurrentFile(reader_)
                           : UNZ_PARAMERROR;
    file.handle = nullptr;
    return result;
}

int MZipArchive::CloseNewFile(MZipFile& file) {
    const int result = file.handle != nullptr && file.handle == writer_
                           ? zipCloseFileInZip(writer_)
                           : ZIP_PARAMERROR;
    file.handle = nullptr;
    return result;
}

bool MZipArchive::IsEndOfFile(MZipFile& file) {
    return file.handle != nullptr && file.handle == reader_ && unzeof(reader_) == 1;
}
