// Writes the seed corpora of the fuzz targets into <directory>/<target>/:
// small project files made by the project-file writer, documents, cipher
// buffers and texts, each a few KiB at most. Usage: fuzz_make_seeds <directory>

#include "archive/zip_archive.h"
#include "fuzz/fuzz_support.h"
#include "tools/writer/blob_entries.h"
#include "tools/writer/project_writer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path g_root;

void Save(const std::string& target, const std::string& name, std::string_view bytes) {
    const fs::path directory = g_root / target;
    fs::create_directories(directory);
    std::ofstream out(directory / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    qfuzz::Check(out.good(), "seed cannot be written");
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BlobData(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = char((i * 31 + seed) % 251);
    return bytes;
}

// A document whose elements exercise the reader fuzzer's handlers (see
// reader_fuzzer.cpp): p push, h helper, b blob, r reference, s stop.
std::string ReaderDocument(const std::string& blobA, const std::string& blobB, bool stop) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kor:ProjectFile>\n"
        " <version><major>2</major><minor>7</minor><build>-3</build></version>\n"
        " <pobject><id>1</id><name>first</name><bvalue>" + blobA + "</bvalue><ref>2</ref></pobject>\n"
        " <hhelper><pinner><id>2</id><bb>" + blobB + "</bb><r>1</r></pinner></hhelper>\n"
        " <plist><item>a</item><item>b &amp; c</item><item><![CDATA[<x>]]></item></plist>\n"
        " <bempty></bempty><bspace>  \n </bspace><bshort>12 34</bshort>\n";
    if (stop) xml += " <pdeep><stop/></pdeep>\n";
    xml += "</kor:ProjectFile>\n";
    return xml;
}

// Project files written through the writer; returned as bytes.
std::string ProjectFile(const std::string& document, const qwriter::ProjectFileOptions& options) {
    const fs::path path = g_root / ".seed.tmp";
    std::u16string wide;
    for (char c : path.string()) wide.push_back(char16_t(static_cast<unsigned char>(c)));
    qwriter::WriteProjectFile(wide, document, options);
    std::string bytes = Slurp(path);
    fs::remove(path);
    return bytes;
}

void ContainerSeeds() {
    std::vector<qwriter::BlobPlacement> placements;
    qwriter::ProjectFileOptions withBlobs;
    withBlobs.headerLevel = eSAXCompressionNone;
    withBlobs.writeMore = qwriter::BlobEntriesWriter(
        {{"data_1", eSAXCompressionNone, {BlobData(40, 1), BlobData(24, 2)}},
         {"Data_2", eSAXCompressionDefault, {BlobData(3000, 3), BlobData(500, 4)}}},
        &placements);
    // Placements are known before writing: the document refers to them.
    const auto layout = qwriter::LayoutBlobEntries(
        {{"data_1", eSAXCompressionNone, {BlobData(40, 1), BlobData(24, 2)}},
         {"Data_2", eSAXCompressionDefault, {BlobData(3000, 3), BlobData(500, 4)}}});
    const std::string document =
        ReaderDocument(qwriter::BlobValueText(layout[1]), qwriter::BlobValueText(layout[2]), false);

    struct Variant {
        const char* name;
        int level;
        bool deflated;
        bool alternative;
        bool stop;
    };
    const Variant variants[] = {
        {"plain_stored_blobs", 0, false, false, false},
        {"plain_deflated_blobs", 0, true, false, true},
        {"level1_blobs", 1, false, false, false},
        {"level2_kr_blobs", 2, true, true, false},
    };
    for (const Variant& v : variants) {
        qwriter::ProjectFileOptions options = withBlobs;
        options.level = v.level;
        options.key = 0xC0FFEE11;
        options.headerLevel = v.deflated ? eSAXCompressionDefault : eSAXCompressionNone;
        options.alternativeSignatures = v.alternative;
        const std::string doc = v.stop ? ReaderDocument(qwriter::BlobValueText(layout[1]),
                                                        qwriter::BlobValueText(layout[2]), true)
                                       : document;
        const std::string bytes = ProjectFile(doc, options);
        Save("zip", std::string(v.name) + ".zip", bytes);
        Save("reader", std::string(v.name) + ".in", std::string(1, '\0') + bytes);
    }

    // Smaller oddities: no descriptor but a level-0 one written anyway, a
    // descriptor with an unknown level, a container without "header.xml",
    // and data in front of the archive.
    qwriter::ProjectFileOptions descriptorOnly;
    descriptorOnly.writeDescriptor = true;
    descriptorOnly.headerLevel = eSAXCompressionNone;
    Save("reader", "level0_descriptor.in",
         std::string(1, '\0') + ProjectFile("<kor:ProjectFile><a>1</a></kor:ProjectFile>", descriptorOnly));

    qwriter::ProjectFileOptions unknown;
    unknown.descriptorBytes = std::string("\x05\0\0\0", 4);
    Save("reader", "unknown_level.in",
         std::string(1, '\0') + ProjectFile("<kor:ProjectFile/>", unknown));

    const fs::path path = g_root / ".seed.tmp";
    std::u16string wide;
    for (char c : path.string()) wide.push_back(char16_t(static_cast<unsigned char>(c)));
    {
        MZipArchive archive(false);
        qfuzz::Check(archive.Create(wide), "cannot create a seed container");
        MZipFile entry = archive.OpenNewFile("other.txt", eSAXCompressionNone);
        archive.WriteFile(entry, "no header here", 14);
        archive.CloseNewFile(entry);
        archive.Close();
    }
    const std::string noHeader = Slurp(path);
    fs::remove(path);
    Save("zip", "no_header.zip", noHeader);
    Save("zip", "prefixed.zip", std::string("SFX stub ") + noHeader);
    Save("reader", "no_header.in", std::string(1, '\0') + noHeader);
}

// Documents that the reader fuzzer wraps in a project file itself.
void WrappedDocumentSeeds() {
    const std::string blobs = ReaderDocument("0 16 data_1", "100 200 data_2", false);
    Save("reader", "doc_level0.in", std::string(1, '\x01') + blobs);
    Save("reader", "doc_level1_deflated.in", std::string(1, '\x0B') + blobs);
    Save("reader", "doc_level2_kr.in", std::string(1, '\x15') + blobs);
    const std::string odd =
        "<kor:ProjectFile>"
        "<b1>-1 5 data_1</b1><b2>5 -3 data_1</b2><b3>4990 100 data_2</b3><b4>100000 5 data_2</b4>"
        "<b5>0 16 missing</b5><b6>0 16 DATA_1</b6><b7>2147483647 2147483647 data_2</b7>"
        "<b8>0 8 " + std::string(300, 'n') + "</b8><b9>0 8 d\xC3\xA4ta</b9>"
        "<bb>0 4 data_1</bb><r>3</r><r>0</r><id>3</id><id>3</id>"
        "</kor:ProjectFile>";
    Save("reader", "doc_blob_edges.in", std::string(1, '\x01') + odd);
    Save("reader", "doc_foreign_root.in", std::string(1, '\x01') + "<other><a/></other>");
    Save("reader", "doc_truncated.in", std::string(1, '\x01') + "<kor:ProjectFile><a>text");
}

void XmlSeeds() {
    const std::string documents[] = {
        "<a><b>1</b><c/></a>",
        "<?xml version=\"1.0\"?><root x=\"1\"><n>  42abc</n><m>-2147483648</m><u>-2</u>"
        "<big>99999999999</big><e/><t>x &amp; y &#x41;</t><d><![CDATA[<b>]]></d></root>",
        "<r><s1><deep><x/></deep></s1><p>  text  <q/></p></r>",
        "<!DOCTYPE r [<!ENTITY e \"ee\"><!ENTITY f \"&e;&e;&e;\">]><r>&f;&f;</r>",
        "<r><!-- comment --><?pi data?><a>\t+17\n</a></r>",
    };
    int i = 0;
    for (const std::string& doc : documents) {
        // As a file of UTF-8 bytes.
        Save("xml", "file_" + std::to_string(i) + ".in", std::string(1, '\x01') + doc);
        // As a string: UTF-16LE.
        std::string utf16;
        for (char c : doc) {
            utf16.push_back(c);
            utf16.push_back('\0');
        }
        Save("xml", "string_" + std::to_string(i) + ".in", std::string(1, '\x80') + utf16);
        ++i;
    }
    // A UTF-16 file with a byte-order mark, and one in Latin-1.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("<r><s>\xE4</s></r>")) {
        utf16.push_back(c);
        utf16.push_back('\0');
    }
    Save("xml", "file_utf16.in", std::string(1, '\x03') + utf16);
    Save("xml", "file_latin1.in",
         std::string(1, '\x05') + "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>\xE4\xF6</r>");
}

void CipherSeeds() {
    const size_t lengths[] = {0, 1, 2, 3, 7, 513, 1027, 4100};
    int i = 0;
    for (size_t length : lengths) {
        std::string input;
        const uint32_t key = 0x9E3779B9u * uint32_t(i + 1) + uint32_t(i % 2);  // even and odd keys
        for (int shift = 0; shift < 32; shift += 8) input.push_back(char((key >> shift) & 0xFF));
        input.push_back(char(i));      // address offset
        input.push_back(char(i + 3));  // descriptor length
        input += BlobData(length, unsigned(i));
        Save("cipher", "buffer_" + std::to_string(length) + ".in", input);
        ++i;
    }
}

void ConvertSeeds() {
    const std::string texts[] = {
        "",
        "A\r\nB",
        "line one\r\nline two\rlone CR\nLF only\r\n\r\n",
        "caf\xE9 na\xEFve \x80\x9F\xFF",
        "UTF-8: caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 end",
        "broken \xC3 \xE2\x82 \xF0\x9F \xED\xA0\x80 \xC0\xAF",
        std::string("nul \0 and ctrl-z \x1A inside", 26),
        std::string(40, '\r') + std::string(40, '\n'),
    };
    int i = 0;
    for (const std::string& text : texts) {
        Save("convert", "text_" + std::to_string(i) + ".in", std::string(1, char(i)) + char(7 * i + 1) + text);
        ++i;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    fs::create_directories(g_root);
    ContainerSeeds();
    WrappedDocumentSeeds();
    XmlSeeds();
    CipherSeeds();
    ConvertSeeds();
    return 0;
}
