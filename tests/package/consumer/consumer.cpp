// A program outside the project, built against the installed package: it
// includes every installed header, calls the installer entry point, parses a
// file with its own handler and catches the library's errors by type.
#include "archive/blob_file_info.h"
#include "archive/blob_read.h"
#include "archive/compression_level.h"
#include "archive/zip_archive.h"
#include "crypt/encryption_level.h"
#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "exports/convert_to_unicode.h"
#include "exports/file_version.h"
#include "exports/kor_library_version.h"
#include "exports/library_identity.h"
#include "platform/api.h"
#include "platform/file_io.h"
#include "reader/sax_persist.h"
#include "reader/sax_reader.h"
#include "sibling/korsax_info.h"
#include "xml/tag_stack.h"
#include "xml/xml_expat.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// The paths given to this program are ASCII.
std::u16string Widen(const char* text) {
    std::u16string out;
    for (; *text != '\0'; ++text) out += char16_t(static_cast<unsigned char>(*text));
    return out;
}

std::string Narrow(const char16_t* text) {
    std::string out;
    for (; text != nullptr && *text != u'\0'; ++text) out += *text < 0x80 ? char(*text) : '?';
    return out;
}

class ElementCounter : public ISAXPersist {
public:
    bool HandleTag(const std::u16string&, MSAXReader*) override {
        ++count;
        return true;
    }
    int count = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: consumer PROJECT-FILE MISSING-FILE\n");
        return 2;
    }
    int32_t major = -1, minor = -1, fixed = -1, build = -1;
    FileVersion(argv[1], &major, &minor, &fixed, &build);
    std::printf("version %d.%d.%d.%d\n", major, minor, fixed, build);

    MSAXReader reader;
    ElementCounter counter;
    reader.Parse(Widen(argv[1]), &counter);
    std::printf("elements %d\n", counter.count);

    // The error types cross the library boundary and are caught by type.
    try {
        FileVersion(argv[2], &major, &minor, &fixed, &build);
        std::printf("missing file: no error\n");
    } catch (const MSAXError::MFileOpenRead& e) {
        std::printf("missing file: MSAXError::MFileOpenRead %u\n", e.code);
    } catch (...) {
        std::printf("missing file: some other error\n");
    }
    std::printf("identity %s\n", Narrow(Quenzil_02_00_00_00::__g_korlibrary_info).c_str());
    return 0;
}
