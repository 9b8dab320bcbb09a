// quenzil pack: writes a project file from a header document and blob files.
#include "archive/blob_value.h"
#include "tools/cli/commands.h"
#include "tools/cli/error_report.h"
#include "tools/cli/progress.h"
#include "tools/cli/text.h"
#include "tools/writer/blob_entries.h"
#include "tools/writer/project_writer.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace qcli {
namespace {

constexpr const char* kPlaceholderStart = "{{blob:";
constexpr const char* kPlaceholderEnd = "}}";

// One --blob NAME=FILE.
struct BlobArg {
    std::string name;
    std::string file;
};

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

// Entry names are looked up without regard to ASCII case, and a blob value
// ends its name at white space, so such names could never be read back.
BlobArg ParseBlobArg(const std::string& text, const std::vector<BlobArg>& earlier) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        throw UsageError{"--blob needs NAME=FILE, not '" + text + "'"};
    BlobArg blob{text.substr(0, equals), text.substr(equals + 1)};
    if (blob.name.find_first_of(" \t\n\v\f\r") != std::string::npos)
        throw UsageError{"blob name '" + blob.name + "' holds white space"};
    if (WidenArg(blob.name).size() > kBlobValueMaxNameLength)
        throw UsageError{"blob name '" + blob.name + "' is longer than " +
                         std::to_string(kBlobValueMaxNameLength) + " characters"};
    const std::string lower = AsciiLower(blob.name);
    if (lower == "header.xml" || lower == "blob_0000")
        throw UsageError{"blob name '" + blob.name + "' is reserved"};
    for (const BlobArg& other : earlier)
        if (AsciiLower(other.name) == lower)
            throw UsageError{"blob name '" + blob.name + "' given twice (names ignore case)"};
    return blob;
}

// Replaces every "{{blob:NAME}}" in the header with the value text of NAME.
std::string SubstitutePlaceholders(const std::string& header, const std::vector<BlobArg>& blobs,
                                   const std::vector<qwriter::BlobPlacement>& placements) {
    std::string out;
    size_t position = 0;
    for (;;) {
        const size_t start = header.find(kPlaceholderStart, position);
        if (start == std::string::npos) break;
        const size_t nameStart = start + std::char_traits<char>::length(kPlaceholderStart);
        const size_t end = header.find(kPlaceholderEnd, nameStart);
        if (end == std::string::npos) break;
        const std::string name = header.substr(nameStart, end - nameStart);
        size_t index = 0;
        while (index < blobs.size() && blobs[index].name != name) ++index;
        if (index == blobs.size())
            throw InputError{"the header refers to blob '" + name + "', which no --blob gives"};
        out.append(header, position, start - position);
        out += qwriter::BlobValueText(placements[index]);
        position = end + std::char_traits<char>::length(kPlaceholderEnd);
    }
    out.append(header, position, std::string::npos);
    return out;
}

// Deletes the partly written file unless the pack succeeded.
class PartialFile {
public:
    explicit PartialFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~PartialFile() {
        std::error_code ignored;
        if (!kept_) std::filesystem::remove(path_, ignored);
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    void Keep() { kept_ = true; }

private:
    std::filesystem::path path_;
    bool kept_ = false;
};

int Pack(const ParsedArgs& args) {
    RequirePositional(args, 1, 1);
    const std::string output = args.positional[0];
    if (!args.Has("header")) throw UsageError{"--header FILE is required"};

    int level = 0;
    if (args.Has("level")) {
        const std::string text = args.Value("level");
        if (text != "0" && text != "1" && text != "2")
            throw UsageError{"--level must be 0, 1 or 2, not '" + text + "'"};
        level = text[0] - '0';
    }
    uint32_t key = 0;
    if (args.Has("key")) {
        if (level != 1) throw UsageError{"--key applies to --level 1 only (level 2 has a fixed key)"};
        key = ParseUnsigned(args.Value("key"), "key", true);
    } else if (level == 1) {
        throw UsageError{"--level 1 needs --key K"};
    }
    std::vector<BlobArg> blobs;
    for (const std::string& text : args.Values("blob")) blobs.push_back(ParseBlobArg(text, blobs));

    const std::string headerTemplate = ReadWholeFile(args.Value("header"));
    std::vector<qwriter::BlobEntry> entries;
    uint64_t totalBytes = headerTemplate.size();
    for (const BlobArg& blob : blobs) {
        entries.push_back({blob.name, eSAXCompressionDefault, {ReadWholeFile(blob.file)}});
        totalBytes += entries.back().values[0].size();
    }
    std::vector<qwriter::BlobPlacement> placements;
    try {
        placements = qwriter::LayoutBlobEntries(entries);
    } catch (const std::length_error& e) {
        throw InputError{e.what()};
    }
    const std::string header = SubstitutePlaceholders(headerTemplate, blobs, placements);

    ProgressLine progress("pack " + output);
    qwriter::ProjectFileOptions options;
    options.level = level;
    options.key = key;
    options.alternativeSignatures = args.Has("alt-signatures");
    options.writeMore = [&](MZipArchive& archive) {
        uint64_t done = header.size();
        progress.Update(done, totalBytes);
        for (const qwriter::BlobEntry& entry : entries) {
            qwriter::WriteBlobEntries(archive, {entry});
            done += entry.values[0].size();
            progress.Update(done, totalBytes, entry.name);
        }
    };

    // Written beside the target and renamed over it at the end, so a failed
    // pack leaves no half-written file and an existing one untouched.
    const std::u16string wideOutput = WidenArg(output);
    const std::u16string widePartial = wideOutput + u".partial";
    PartialFile partial{std::filesystem::path(widePartial)};
    progress.Update(0, totalBytes, "header.xml");
    try {
        qwriter::WriteProjectFile(widePartial, header, options);
    } catch (const std::runtime_error& e) {
        throw InputError{"cannot write '" + output + "': " + e.what()};
    }
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(widePartial), std::filesystem::path(wideOutput), error);
    if (error) throw InputError{"cannot write '" + output + "': " + error.message()};
    partial.Keep();
    progress.Clear();

    if (!args.Has("quiet"))
        for (const qwriter::BlobPlacement& placement : placements)
            std::printf("%s\n", qwriter::BlobValueText(placement).c_str());
    return kExitOk;
}

}  // namespace

const Command& PackCommand() {
    static const Command command{
        "pack",
        "pack OUT --header FILE [...]    write a project file",
        "usage: quenzil pack OUT --header FILE [--level 0|1|2] [--key K]\n"
        "                    [--alt-signatures] [--blob NAME=FILE ...] [--quiet]\n"
        "\n"
        "Writes the project file OUT: the document FILE as \"header.xml\", the\n"
        "encryption descriptor \"blob_0000\" for levels 1 and 2, and one blob entry\n"
        "per --blob. OUT is replaced only once it has been written completely.\n"
        "\n"
        "Options:\n"
        "  --header FILE      the XML document to store (required)\n"
        "  --level 0|1|2      encryption level: 0 plain (default), 1 enciphered with\n"
        "                     --key, 2 enciphered with the fixed key\n"
        "  --key K            the 32-bit key of level 1, decimal or 0x-hexadecimal\n"
        "  --alt-signatures   write every zip record with the alternative \"KR\" signature\n"
        "  --blob NAME=FILE   store the bytes of FILE as the blob entry NAME (deflated,\n"
        "                     the whole file as one value at offset 0); repeatable.\n"
        "                     NAME may not hold white space, is compared without regard\n"
        "                     to ASCII case, and may not be \"header.xml\" or \"blob_0000\".\n"
        "  --quiet            print nothing on success\n"
        "\n"
        "Blob references: every \"{{blob:NAME}}\" in the document is replaced by the\n"
        "blob value text \"offset size NAME\" of that blob, so an element can refer to\n"
        "it, e.g. <Image>{{blob:logo}}</Image>. A placeholder naming no --blob is an\n"
        "error. After writing, the value text of each blob is printed on stdout, one\n"
        "line per --blob, in command-line order:\n"
        "  0 5120 logo\n",
        {{"header", true, false},
         {"level", true, false},
         {"key", true, false},
         {"alt-signatures", false, false},
         {"blob", true, true},
         {"quiet", false, false}},
        Pack};
    return command;
}

}  // namespace qcli
