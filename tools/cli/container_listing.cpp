#include "tools/cli/container_listing.h"

#include "archive/zip_records.h"
#include "errors/sax_error.h"
#include "tools/cli/text.h"

#include <memory>

namespace qcli {

ContainerListing ListContainer(const std::u16string& path) {
    struct Closer {
        void operator()(unz_archive* archive) const { unzClose(archive); }
    };
    std::unique_ptr<unz_archive, Closer> archive(unzOpen(path));
    if (!archive) throw MSAXError::MFileOpenRead(path);

    ContainerListing listing;
    int result = unzGoToFirstFile(archive.get());
    while (result == UNZ_OK) {
        unz_file_info info{};
        std::string name(0xFFFF + 1, '\0');  // names are at most 0xFFFF bytes
        if (unzGetCurrentFileInfo(archive.get(), &info, name.data(), uint32_t(name.size()), nullptr, 0,
                                  nullptr, 0) != UNZ_OK) {
            result = UNZ_BADZIPFILE;
            break;
        }
        name.resize(info.size_filename);

        EntryListing entry;
        entry.name = name;
        entry.method = info.compression_method;
        entry.compressedSize = info.compressed_size;
        entry.size = info.uncompressed_size;
        entry.crc = info.crc;
        if (unzGetCurrentFileSignatureForms(archive.get(), &entry.centralAlternative, &entry.localAlternative,
                                            &listing.endAlternative) != UNZ_OK)
            throw InputError{"the local header of entry '" + name + "' cannot be read"};
        listing.entries.push_back(entry);
        result = unzGoToNextFile(archive.get());
    }
    if (result != UNZ_END_OF_LIST_OF_FILE && result != UNZ_OK)
        throw InputError{"the container's directory breaks off after " + std::to_string(listing.entries.size()) +
                         " entries"};
    return listing;
}

std::string MethodName(uint32_t method) {
    if (method == 0) return "stored";
    if (method == 8) return "deflated";
    return "method " + std::to_string(method);
}

const char* SignatureName(bool alternative) { return alternative ? "KR" : "PK"; }

}  // namespace qcli
