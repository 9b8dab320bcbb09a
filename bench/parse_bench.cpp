// MSAXReader::Parse of a project file with a handler that answers true
// everywhere, against the floor of what any reader must do: raw zlib inflate of
// the same "header.xml" stream into a 64 KiB buffer plus raw Expat (the same
// UTF-16 build, empty callbacks) over the same document.
//
//   parse_bench PROJECT_FILE [benchmark flags]
//
// For an enciphered file the baseline inflates the stream as stored and hands
// Expat the deciphered document at the same offsets, so it pays neither the
// cipher nor anything of the reader.

#include "platform/code_page.h"
#include "reader/sax_reader.h"

#include <benchmark/benchmark.h>
#include <expat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

std::string g_path;

class TrueHandler : public ISAXPersist {
public:
    bool HandleTag(const std::u16string&, MSAXReader*) override { return true; }
};

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le(const std::string& bytes, size_t at, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | uint8_t(bytes[at + size_t(i)]);
    return value;
}

struct Fixture {
    std::string compressed;  // the raw deflate stream of "header.xml"
    std::string plain;       // the deciphered document
    bool deflated = false;
    bool enciphered = false;

    Fixture() {
        const std::u16string wide = platform::MultiByteToWide(platform::kCodePageUtf8, g_path);
        const std::string file = ReadWhole(g_path);
        // Walk the local headers ("PK" or "KR" form) to "header.xml"; the
        // writer puts the sizes into them.
        for (size_t at = 0; at + 30 <= file.size();) {
            const uint32_t method = Le(file, at + 8, 2);
            const uint32_t size = Le(file, at + 18, 4);
            const uint32_t nameLength = Le(file, at + 26, 2);
            const uint32_t extraLength = Le(file, at + 28, 2);
            const size_t data = at + 30 + nameLength + extraLength;
            if (file.compare(at + 30, nameLength, "header.xml") == 0) {
                compressed = file.substr(data, size);
                deflated = method == 8;
                break;
            }
            at = data + size;
        }
        if (compressed.empty()) throw std::runtime_error("no header.xml in " + g_path);

        const std::filesystem::path temp =
            std::filesystem::temp_directory_path() / "quenzil_parse_bench.xml";
        MSAXReader::ExtractXMLHeader(wide.c_str(), temp.u16string().c_str());
        plain = ReadWhole(temp.string());
        std::filesystem::remove(temp);
        enciphered = deflated ? false : compressed != plain;
        if (deflated) {
            // Enciphered when the inflated stream is not the document itself.
            std::string inflated(plain.size(), '\0');
            uLongf length = uLongf(inflated.size());
            z_stream z{};
            inflateInit2(&z, -MAX_WBITS);
            z.next_in = reinterpret_cast<Bytef*>(compressed.data());
            z.avail_in = uInt(compressed.size());
            z.next_out = reinterpret_cast<Bytef*>(inflated.data());
            z.avail_out = uInt(length);
            inflate(&z, Z_FINISH);
            inflateEnd(&z);
            enciphered = inflated != plain;
        }
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void BM_Parse(benchmark::State& state) {
    const std::u16string path = platform::MultiByteToWide(platform::kCodePageUtf8, g_path);
    TrueHandler root;
    for (auto _ : state) {
        MSAXReader reader;
        reader.Parse(path, &root);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TheFixture().plain.size()));
}

void XMLCALL NoStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL NoEnd(void*, const XML_Char*) {}
void XMLCALL NoText(void*, const XML_Char*, int) {}

void BM_RawInflateExpat(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    static unsigned char buffer[65536];
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(parser, NoStart, NoEnd);
        XML_SetCharacterDataHandler(parser, NoText);
        z_stream z{};
        inflateInit2(&z, -MAX_WBITS);
        z.next_in = reinterpret_cast<Bytef*>(fixture.compressed.data());
        z.avail_in = uInt(fixture.compressed.size());
        size_t offset = 0;
        bool ok = true;
        for (;;) {
            const char* chunk;
            size_t length;
            if (fixture.deflated) {
                z.next_out = buffer;
                z.avail_out = sizeof buffer;
                const int status = inflate(&z, Z_NO_FLUSH);
                length = sizeof buffer - z.avail_out;
                chunk = fixture.enciphered ? fixture.plain.data() + offset
                                           : reinterpret_cast<const char*>(buffer);
                if (status != Z_OK && status != Z_STREAM_END) ok = false;
            } else {
                // Stored: the copy out of the file is all there is to do.
                length = std::min(sizeof buffer, fixture.plain.size() - offset);
                std::memcpy(buffer, fixture.compressed.data() + offset, length);
                chunk = fixture.enciphered ? fixture.plain.data() + offset
                                           : reinterpret_cast<const char*>(buffer);
            }
            offset += length;
            const bool last = length == 0 || offset >= fixture.plain.size();
            // Expat gets the bytes in pieces of the size asked for.
            const size_t piece = size_t(state.range(0));
            for (size_t at = 0; ok && at + piece < length; at += piece) {
                if (XML_Parse(parser, chunk + at, int(piece), false) != XML_STATUS_OK) ok = false;
            }
            const size_t tail = length == 0 ? 0 : (length - 1) % piece + 1;
            if (XML_Parse(parser, chunk + length - tail, int(tail), last) != XML_STATUS_OK) ok = false;
            if (last || !ok) break;
        }
        inflateEnd(&z);
        XML_ParserFree(parser);
        if (!ok || offset != fixture.plain.size()) state.SkipWithError("baseline failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fixture.plain.size()));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: parse_bench PROJECT_FILE [benchmark flags]\n");
        return 2;
    }
    g_path = argv[1];
    try {
        TheFixture();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "parse_bench: %s\n", error.what());
        return 1;
    } catch (...) {
        std::fprintf(stderr, "parse_bench: cannot read %s\n", g_path.c_str());
        return 1;
    }
    benchmark::RegisterBenchmark("BM_Parse", BM_Parse)->Unit(benchmark::kMillisecond);
    // The argument is the size of the pieces Expat is given: the inflate
    // buffer's, and the reader's chunk size for comparison.
    benchmark::RegisterBenchmark("BM_RawInflateExpat", BM_RawInflateExpat)
        ->Arg(65536)
        ->Arg(4096)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
