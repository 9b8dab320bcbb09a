#include "exports/file_version.h"

#include "errors/sax_error.h"
#include "exports/version_extractor.h"
#include "platform/code_page.h"
#include "reader/sax_reader.h"

#include <string>

void FileVersion(const char* path, int32_t* major, int32_t* minor, int32_t* fixed, int32_t* build) {
    // Without a path there is no file to open: fail as an unopenable file.
    if (path == nullptr) throw MSAXError::MFileOpenRead(u"");
    const std::u16string widePath = platform::MultiByteToWide(platform::kCodePageThreadAnsi, path);

    MSAXReader reader;
    ILBVersionExtractor extractor;
    reader.Parse(widePath, &extractor);

    auto store = [](int32_t* out, int32_t value) {
        if (out != nullptr) *out = value;
    };
    store(major, extractor.major);
    store(minor, extractor.minor);
    store(fixed, extractor.fixed);
    store(build, extractor.build);
}
