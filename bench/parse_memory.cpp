// Probe for how the reader's memory and time scale with the document size,
// driven by parse_memory.sh:
//   parse_memory write <file> <bytes> [level [ids]]
//                                              writes a project file whose
//                                              "header.xml" has about bytes bytes;
//                                              with "ids" every object has an id
//   parse_memory parse <file>                  parses it, every element handled
//   parse_memory baseline <file>               reads, deciphers and parses it
//                                              with raw Expat and no handlers

#include "archive/zip_archive.h"
#include "crypt/decryptor.h"
#include "crypt/decryptor_factory.h"
#include "platform/code_page.h"
#include "reader/sax_reader.h"
#include "tools/writer/project_writer.h"

#include <expat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Answers true everywhere, so every element reaches it.
class AcceptAll : public ISAXPersist {
public:
    bool HandleTag(const std::u16string&, MSAXReader*) override {
        ++elements;
        return true;
    }
    unsigned long long elements = 0;
};

std::u16string Path(const char* narrow) { return platform::MultiByteToWide(platform::kCodePageUtf8, narrow); }

std::string Document(std::size_t bytes, bool ids) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kor:ProjectFile>\n";
    xml.reserve(bytes + 256);
    for (unsigned long n = 1; xml.size() < bytes; ++n) {
        const std::string id = std::to_string(n);
        xml += "<Obj>" + (ids ? "<id>" + id + "</id>" : std::string()) + "<Name>object " + id + "</Name><Value>" + std::to_string(n * 7919 % 100000) +
               "</Value><Ref>" + std::to_string(n / 2) + "</Ref></Obj>\n";
    }
    xml += "</kor:ProjectFile>\n";
    return xml;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int Baseline(const std::u16string& path) {
    MZipArchive archive;
    if (!archive.Open(path)) return 1;
    MZipArchive descriptor;
    descriptor.Open(path);
    const auto decryptor = LoadDecryptor(descriptor);
    MZipFile entry = archive.OpenFile("header.xml");
    XML_Parser parser = XML_ParserCreate(nullptr);
    char buffer[4096];
    int got = 0;
    do {
        got = archive.ReadFile(entry, buffer, sizeof buffer);
        decryptor->Decrypt(buffer, static_cast<uint32_t>(got));
        if (XML_Parse(parser, buffer, got, got < 4096) == XML_STATUS_ERROR) {
            XML_ParserFree(parser);
            return 1;
        }
    } while (got == 4096);
    XML_ParserFree(parser);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: parse_memory write|parse|baseline <file> [bytes [level]]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::u16string path = Path(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    try {
        if (mode == "write" && argc >= 4) {
            qwriter::ProjectFileOptions options;
            options.level = argc >= 5 ? std::atoi(argv[4]) : 1;
            options.key = 0x2545F491;
            const bool ids = argc >= 6 && std::string(argv[5]) == "ids";
            qwriter::WriteProjectFile(path, Document(std::strtoull(argv[3], nullptr, 10), ids), options);
        } else if (mode == "parse") {
            AcceptAll root;
            MSAXReader reader;
            reader.Parse(path, &root);
            std::printf("elements %llu\n", root.elements);
        } else if (mode == "baseline") {
            if (Baseline(path) != 0) return 1;
        } else {
            return 2;
        }
    } catch (...) {
        std::fprintf(stderr, "failed\n");
        return 1;
    }
    std::printf("seconds %.3f\n", Seconds(start));
    return 0;
}
