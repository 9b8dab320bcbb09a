// quenzil info: what a project file holds, from the container to the document.
#include "archive/blob_value.h"
#include "exports/version_extractor.h"
#include "platform/code_page.h"
#include "platform/diagnostics.h"
#include "reader/sax_reader.h"
#include "tools/cli/commands.h"
#include "tools/cli/container_listing.h"
#include "tools/cli/error_report.h"
#include "tools/cli/json_writer.h"
#include "tools/cli/progress.h"
#include "tools/cli/text.h"

#include <cstdio>
#include <cstdlib>

namespace qcli {
namespace {

constexpr uint64_t kReadBlockSize = 4096;  // the reader's chunk of "header.xml"

bool SameNameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

const EntryListing* FindEntry(const ContainerListing& listing, std::string_view name) {
    for (const EntryListing& entry : listing.entries)
        if (SameNameIgnoringAsciiCase(entry.name, name)) return &entry;
    return nullptr;
}

// A reader that reports its progress through "header.xml".
class ProgressReader : public MSAXReader {
public:
    ProgressReader(ProgressLine& progress, uint64_t documentSize) : progress_(progress), size_(documentSize) {}

protected:
    void _OnReadBlock() override {
        done_ += kReadBlockSize;
        progress_.Update(done_, size_);
    }

private:
    ProgressLine& progress_;
    uint64_t size_;
    uint64_t done_ = 0;
};

// Root handler that takes every element and counts what it sees. The version
// comes from the installer's own extractor, so it is exactly what FileVersion
// answers.
class CountingHandler : public ISAXPersist {
public:
    explicit CountingHandler(const ContainerListing& listing) : listing_(listing) {}

    bool HandleTag(const std::u16string& name, MSAXReader* reader) override {
        ++elements;
        std::u16string text;
        reader->ReadValue(text);
        MSAXBlobValue blob;
        if (ParseBlobValue(text, blob) == ESAXBlobValueParse::eValid &&
            FindEntry(listing_, platform::WideToMultiByte(platform::kCodePageAnsi, blob.entryName)) != nullptr)
            ++blobValues;
        version.HandleTag(name, reader);
        return true;
    }
    // "id" elements do not reach HandleTag; the reader reports them here.
    void SetId(uint32_t) override {
        ++elements;
        ++ids;
    }

    uint64_t elements = 0;  // "id" elements included
    uint64_t ids = 0;
    uint64_t blobValues = 0;
    ILBVersionExtractor version;

private:
    const ContainerListing& listing_;
};

// One "Name:value" line of the timing report.
struct TimingLine {
    std::string name;
    double milliseconds;
};

std::vector<TimingLine> SplitTimingReport(const std::string& report) {
    std::vector<TimingLine> lines;
    size_t start = 0;
    while (start < report.size()) {
        size_t end = report.find('\n', start);
        if (end == std::string::npos) end = report.size();
        const std::string line = report.substr(start, end - start);
        const size_t colon = line.find(':');
        if (colon != std::string::npos)
            lines.push_back({line.substr(0, colon), std::strtod(line.c_str() + colon + 1, nullptr)});
        start = end + 1;
    }
    return lines;
}

struct InfoReport {
    std::string file;
    ContainerListing listing;
    int32_t encryptionLevel = -1;
    std::string encryptionName;
    const CountingHandler* counts = nullptr;
    std::string timing;  // the reader's report, as written to the debugger output
};

std::string VersionText(const ILBVersionExtractor& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.fixed) + "." +
           std::to_string(v.build);
}

void PrintText(const InfoReport& r) {
    std::printf("file: %s\n", r.file.c_str());
    std::printf("container: %zu entries, end record %s\n", r.listing.entries.size(),
                SignatureName(r.listing.endAlternative));
    std::printf("  %-8s %10s %10s %-5s %s\n", "method", "packed", "size", "sig", "name");
    for (const EntryListing& e : r.listing.entries) {
        std::string signature = SignatureName(e.centralAlternative);
        if (e.localAlternative != e.centralAlternative)
            signature += std::string("/") + SignatureName(e.localAlternative);
        std::printf("  %-8s %10u %10u %-5s %s\n", MethodName(e.method).c_str(), e.compressedSize, e.size,
                    signature.c_str(), Utf8(WidenArg(e.name)).c_str());
    }
    std::printf("encryption: %d (%s)\n", r.encryptionLevel, r.encryptionName.c_str());
    std::printf("elements: %llu\n", static_cast<unsigned long long>(r.counts->elements));
    std::printf("ids: %llu\n", static_cast<unsigned long long>(r.counts->ids));
    std::printf("blob values: %llu\n", static_cast<unsigned long long>(r.counts->blobValues));
    std::printf("version: %s\n", VersionText(r.counts->version).c_str());
    std::printf("timing (ms):\n");
    for (const TimingLine& line : SplitTimingReport(r.timing))
        std::printf("  %-14s %f\n", (line.name + ":").c_str(), line.milliseconds);
}

void PrintJson(const InfoReport& r) {
    JsonWriter json;
    json.BeginObject();
    json.String("file", Utf8(WidenArg(r.file)));
    json.String("endRecordSignature", SignatureName(r.listing.endAlternative));
    json.BeginArray("entries");
    for (const EntryListing& e : r.listing.entries) {
        json.BeginObject();
        json.String("name", Utf8(WidenArg(e.name)));
        json.String("method", MethodName(e.method));
        json.Integer("compressedSize", e.compressedSize);
        json.Integer("size", e.size);
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08x", e.crc);
        json.String("crc32", crc);
        json.String("centralSignature", SignatureName(e.centralAlternative));
        json.String("localSignature", SignatureName(e.localAlternative));
        json.End();
    }
    json.End();
    json.BeginObject("encryption");
    json.Integer("level", r.encryptionLevel);
    json.String("name", r.encryptionName);
    json.End();
    json.Integer("elements", int64_t(r.counts->elements));
    json.Integer("ids", int64_t(r.counts->ids));
    json.Integer("blobValues", int64_t(r.counts->blobValues));
    json.BeginObject("version");
    json.Integer("major", r.counts->version.major);
    json.Integer("minor", r.counts->version.minor);
    json.Integer("fixed", r.counts->version.fixed);
    json.Integer("build", r.counts->version.build);
    json.String("text", VersionText(r.counts->version));
    json.End();
    json.BeginObject("timingMs");
    for (const TimingLine& line : SplitTimingReport(r.timing)) {
        std::string key = line.name;
        if (!key.empty() && key[0] >= 'A' && key[0] <= 'Z') key[0] = char(key[0] - 'A' + 'a');
        json.Number(key, line.milliseconds);
    }
    json.End();
    json.End();
    std::fputs(json.Text().c_str(), stdout);
}

int Info(const ParsedArgs& args) {
    RequirePositional(args, 1, 1);
    InfoReport report;
    report.file = args.positional[0];
    const std::u16string path = WidenArg(report.file);
    report.listing = ListContainer(path);

    const EntryListing* document = FindEntry(report.listing, "header.xml");
    ProgressLine progress("info " + report.file);
    ProgressReader reader(progress, document != nullptr ? document->size : 0);
    CountingHandler counts(report.listing);

    // The reader's one diagnostic, its timing report, goes to the debugger
    // output channel: catch it there for the report.
    std::u16string timing;
    struct SinkGuard {
        ~SinkGuard() { platform::SetDebugOutputSink({}); }
    } guard;
    platform::SetDebugOutputSink([&timing](std::u16string_view text) { timing += text; });
    reader.Parse(path, &counts);
    progress.Clear();

    report.timing = Utf8(timing);
    report.encryptionLevel = reader.GetFileInfoEncryption();
    std::u16string name;
    reader.GetFileInfoEncryption(name);
    report.encryptionName = Utf8(name);
    report.counts = &counts;
    if (args.Has("json"))
        PrintJson(report);
    else
        PrintText(report);
    return kExitOk;
}

}  // namespace

const Command& InfoCommand() {
    static const Command command{
        "info",
        "info FILE [--json]              describe a project file",
        "usage: quenzil info FILE [--json]\n"
        "\n"
        "Reads the project file FILE through the reader and reports:\n"
        "  - the container's entries in directory order: method, compressed and\n"
        "    uncompressed size, and the signature form of their records (\"PK\", or\n"
        "    the alternative \"KR\"; \"KR/PK\" when central and local header differ);\n"
        "  - the encryption level and its display name;\n"
        "  - the number of elements (\"id\" elements included), of \"id\" elements,\n"
        "    and of blob values (element texts \"offset size name\" that name an\n"
        "    entry of the container);\n"
        "  - the version (\"Major\", \"Minor\", \"Fixed\", \"Build\" under \"Version\");\n"
        "  - the reader's timing report, in milliseconds.\n"
        "\n"
        "Options:\n"
        "  --json   print the same as one JSON object\n",
        {{"json", false, false}},
        Info};
    return command;
}

}  // namespace qcli
