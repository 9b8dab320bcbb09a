// Makes the benchmark inputs, deterministically: the same arguments give the
// same bytes on every run and machine (one fixed-seed mt19937, whose output the
// C++ standard fixes; no std distributions, whose output it does not).
//
//   bench_make_inputs project OUT --mib N --level 0|1|2 [--store] [--no-ids]
//       a project file whose "header.xml" has about N MiB, enciphered at the
//       level, deflated (or stored), with two blob entries its blob values
//       point into; --no-ids leaves out the objects' "id" elements
//   bench_make_inputs text OUT --mib N
//       Windows-1252 text of exactly N MiB with CR LF lines

#include "platform/code_page.h"
#include "tools/writer/blob_entries.h"
#include "tools/writer/project_writer.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kLevel1Key = 0x2468ACE1;

// Small numbers from the generator; n > 0.
class Dice {
public:
    uint32_t Below(uint32_t n) { return uint32_t(random_() % n); }
    bool OneIn(uint32_t n) { return Below(n) == 0; }

private:
    std::mt19937 random_{20240611};
};

const char* const kWords[] = {"layer",   "sheet",  "revision", "north",  "cable",   "valve",
                              "pump",    "outlet", "bracket",  "frame",  "panel",   "north-east",
                              "station", "detail", "section",  "facade", "channel", "fitting"};
constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];

// Bytes of Windows-1252 text beyond ASCII that every converter maps (the code
// page leaves 81, 8D, 8F, 90 and 9D undefined).
const char* const kAccented[] = {"\xE9", "\xE8", "\xE0", "\xFC", "\xF6", "\xE4", "\xDF",
                                 "\xE7", "\x80", "\x84", "\x93", "\x94", "\xA9", "\xB0"};
constexpr size_t kAccentedCount = sizeof kAccented / sizeof kAccented[0];

void AppendWords(Dice& dice, std::string& out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0) out += ' ';
        out += kWords[dice.Below(kWordCount)];
    }
}

// The blob entries the document refers to: one stored, one deflated, values
// of 16 bytes to 4 KiB.
std::vector<qwriter::BlobEntry> BlobEntries() {
    Dice dice;
    std::vector<qwriter::BlobEntry> entries = {{"data_1", eSAXCompressionNone, {}},
                                               {"data_2", eSAXCompressionDefault, {}}};
    for (qwriter::BlobEntry& entry : entries) {
        for (int i = 0; i < 64; ++i) {
            std::string value(16 + dice.Below(4080), '\0');
            for (char& byte : value) byte = char(dice.Below(256));
            entry.values.push_back(std::move(value));
        }
    }
    return entries;
}

// One object with its fields and, sometimes, nested children: the shape of a
// project document (objects with "id" elements, numbers, text, references,
// blob values), indented as writers indent.
class DocumentWriter {
public:
    DocumentWriter(std::string& out, const std::vector<qwriter::BlobPlacement>& blobs, bool ids)
        : out_(out), blobs_(blobs), ids_(ids) {}

    void Object(int depth) {
        const std::string indent(size_t(2 * depth), ' ');
        const uint32_t id = ++lastId_;
        out_ += indent + "<Object>\n";
        if (ids_) Field(indent, "id", std::to_string(id));
        Field(indent, "Type", kTypes[dice_.Below(4)]);
        std::string name;
        AppendWords(dice_, name, 1 + dice_.Below(3));
        if (dice_.OneIn(8)) name += " &amp; more";
        Field(indent, "Name", name);
        out_ += indent + "  <Bounds><Left>" + Number() + "</Left><Top>" + Number() + "</Top><Width>" +
                Number() + "</Width><Height>" + Number() + "</Height></Bounds>\n";
        Field(indent, "Color", std::to_string(dice_.Below(0x1000000)));
        if (id > 1 && dice_.OneIn(2)) Field(indent, "Parent", std::to_string(1 + dice_.Below(id - 1)));
        if (dice_.OneIn(4)) {
            const qwriter::BlobPlacement& blob = blobs_[dice_.Below(uint32_t(blobs_.size()))];
            Field(indent, "Image", qwriter::BlobValueText(blob));
        }
        if (dice_.OneIn(3)) {
            std::string text;
            AppendWords(dice_, text, 8 + dice_.Below(24));
            Field(indent, "Description", text);
        }
        if (depth < 6 && dice_.OneIn(3)) {
            out_ += indent + "  <Children>\n";
            for (uint32_t n = 1 + dice_.Below(3); n > 0; --n) Object(depth + 2);
            out_ += indent + "  </Children>\n";
        }
        out_ += indent + "</Object>\n";
    }

private:
    static constexpr const char* kTypes[] = {"Line", "Text", "Symbol", "Group"};

    void Field(const std::string& indent, const char* name, const std::string& text) {
        out_ += indent + "  <" + name + ">" + text + "</" + name + ">\n";
    }

    std::string Number() {
        std::string n = std::to_string(int32_t(dice_.Below(200000)) - 10000);
        if (dice_.OneIn(2)) n += "." + std::to_string(dice_.Below(1000));
        return n;
    }

    std::string& out_;
    const std::vector<qwriter::BlobPlacement>& blobs_;
    Dice dice_;
    bool ids_;
    uint32_t lastId_ = 0;
};

// A document of at least size bytes (it ends with the object that crosses it).
// The version sits at the top, where writers put it; it is 3.1.0.27.
std::string Document(size_t size, const std::vector<qwriter::BlobPlacement>& blobs, bool ids) {
    std::string out;
    out.reserve(size + (64 << 10));
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kor:ProjectFile>\n";
    out += "  <Version><Major>3</Major><Minor>1</Minor><Fixed>0</Fixed><Build>27</Build></Version>\n";
    out += "  <Objects>\n";
    DocumentWriter writer(out, blobs, ids);
    const std::string end = "  </Objects>\n</kor:ProjectFile>\n";
    while (out.size() + end.size() < size) writer.Object(2);
    out += end;
    return out;
}

// Exactly size bytes of CR LF lines of words, some with accented letters.
std::string Cp1252Text(size_t size) {
    Dice dice;
    std::string out;
    out.reserve(size + 256);
    while (out.size() < size) {
        for (uint32_t n = 3 + dice.Below(14); n > 0; --n) {
            out += kWords[dice.Below(kWordCount)];
            if (dice.OneIn(3)) out += kAccented[dice.Below(kAccentedCount)];
            out += ' ';
        }
        out += "\r\n";
    }
    out.resize(size);
    return out;
}

[[noreturn]] void Usage() {
    std::fputs(
        "usage: bench_make_inputs project OUT --mib N --level 0|1|2 [--store] [--no-ids]\n"
        "       bench_make_inputs text OUT --mib N\n",
        stderr);
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) Usage();
    const std::string kind = argv[1];
    const std::string out = argv[2];
    size_t mib = 0;
    int level = 0;
    bool store = false;
    bool ids = true;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--mib" && i + 1 < argc) {
            mib = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--level" && i + 1 < argc) {
            level = std::atoi(argv[++i]);
        } else if (arg == "--store") {
            store = true;
        } else if (arg == "--no-ids") {
            ids = false;
        } else {
            Usage();
        }
    }
    if (mib == 0 || level < 0 || level > 2 || (kind != "project" && kind != "text")) Usage();

    try {
        const size_t size = mib << 20;
        if (kind == "text") {
            const std::string text = Cp1252Text(size);
            std::FILE* file = std::fopen(out.c_str(), "wb");
            if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
                std::fclose(file) != 0) {
                std::fprintf(stderr, "bench_make_inputs: cannot write %s\n", out.c_str());
                return 1;
            }
            return 0;
        }
        const std::vector<qwriter::BlobEntry> entries = BlobEntries();
        const std::vector<qwriter::BlobPlacement> blobs = qwriter::LayoutBlobEntries(entries);
        const std::string document = Document(size, blobs, ids);
        qwriter::ProjectFileOptions options;
        options.level = level;
        options.key = kLevel1Key;
        // Big documents are deflated at the fastest level: the inputs are made
        // on every fresh checkout and reading them does not depend on it.
        options.headerLevel = store ? eSAXCompressionNone
                              : mib > 256 ? eSAXCompressionFastest
                                          : eSAXCompressionDefault;
        options.writeMore = qwriter::BlobEntriesWriter(entries);
        qwriter::WriteProjectFile(platform::MultiByteToWide(platform::kCodePageUtf8, out), document,
                                  options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_make_inputs: %s\n", error.what());
        return 1;
    } catch (...) {
        std::fprintf(stderr, "bench_make_inputs: the container refused an entry\n");
        return 1;
    }
    return 0;
}
