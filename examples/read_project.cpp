// read_project: loads the objects a project file describes through the
// library's public interface, as an application would.
//
//   read_project FILE
//
// It shows the four things a loader does with the reader:
//   1. a root handler that receives the elements of the document;
//   2. handlers pushed for the children of an element (one object per Step
//      and Part element);
//   3. "id" references: a Step names the Part it uses and the Step it follows
//      by number; the numbers are turned into objects in ResolveReferences,
//      after the whole document has been read (a Step may name a Part that
//      comes later in the file);
//   4. blob values: an element whose text is "offset size entry" is read
//      through ReadValue(ISAXBlobRead*&).
//
// The document it expects looks like this (any other elements are ignored):
//
//   <kor:ProjectFile>
//     <Version><Major>3</Major><Minor>1</Minor><Fixed>0</Fixed><Build>27</Build></Version>
//     <Title>Garden shed</Title>
//     <Steps><Step><id>10</id><Text>Lay the floor</Text><Uses>1</Uses></Step> ...</Steps>
//     <Parts><Part><id>1</id><Name>Floor panel</Name><Count>1</Count></Part> ...</Parts>
//     <Drawing>0 412 drawing</Drawing>
//   </kor:ProjectFile>

#include "archive/blob_file_info.h"
#include "archive/blob_read.h"
#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "reader/sax_reader.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The library hands out UTF-16 text; this program prints ASCII and replaces
// anything else with '?' to stay short. A real program would convert properly.
std::string Printable(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += (c >= 0x20 && c < 0x7F) ? char(c) : '?';
    return out;
}

// A UTF-8 command-line argument as UTF-16 (malformed bytes become U+FFFD).
std::u16string FromUtf8(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = -1;  // continuation bytes that follow the lead byte
        char32_t c = 0;
        if (lead < 0x80) {
            extra = 0;
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            c = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            c = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            c = lead & 0x07;
        }
        bool ok = extra >= 0 && text.size() - i > size_t(extra);
        for (int k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            ok = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!ok || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += size_t(extra) + 1;
        if (c < 0x10000) {
            out += char16_t(c);
        } else {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

// A part of the project. Its "id" element registers it under a number.
class Part : public ISAXPersist {
public:
    bool HandleTag(const std::u16string& name, MSAXReader* reader) override {
        if (name == u"Name") reader->ReadValue(this->name);
        if (name == u"Count") reader->ReadValue(count);
        return true;
    }
    void SetId(uint32_t value) override { id = value; }

    uint32_t id = 0;
    std::u16string name;
    int32_t count = 0;
};

// A step of the work. It refers to a Part and to the Step before it by number
// while it is read, and to the objects themselves once they are resolved.
class Step : public ISAXPersist {
public:
    bool HandleTag(const std::u16string& name, MSAXReader* reader) override {
        if (name == u"Text") reader->ReadValue(text);
        if (name == u"Uses") reader->ReadValue(usesId);
        if (name == u"After") reader->ReadValue(afterId);
        return true;
    }
    void SetId(uint32_t value) override { id = value; }

    // Called after the whole document: every id is known now. ResolveId
    // throws MSAXError::MMissingReference for a number nothing registered;
    // id 0 means "none" and yields null.
    void ResolveReferences(MSAXReader* reader) override {
        uses = dynamic_cast<Part*>(reader->ResolveId(usesId, this));
        after = dynamic_cast<Step*>(reader->ResolveId(afterId, this));
    }

    uint32_t id = 0;
    std::u16string text;
    uint32_t usesId = 0;
    uint32_t afterId = 0;
    Part* uses = nullptr;
    Step* after = nullptr;
};

// The root handler: the document's top-level elements, the version numbers
// and the blobs. It owns the objects it creates.
class Project : public ISAXPersist {
public:
    bool HandleTag(const std::u16string& name, MSAXReader* reader) override {
        const std::u16string& parent = reader->GetParentTag(1);
        if (name == u"Step") {
            steps.push_back(std::make_unique<Step>());
            // The Step receives the children of this element, including "id".
            reader->PushTagHandler(steps.back().get());
            reader->AddToReferenceResolver(steps.back().get());
        } else if (name == u"Part") {
            parts.push_back(std::make_unique<Part>());
            reader->PushTagHandler(parts.back().get());
        } else if (parent == u"Version") {
            static const char16_t* const kFields[] = {u"Major", u"Minor", u"Fixed", u"Build"};
            for (int i = 0; i < 4; ++i)
                if (name == kFields[i]) reader->ReadValue(version[i]);
        } else if (name == u"Title") {
            reader->ReadValue(title);
        } else if (name == u"Drawing" || name == u"Notes") {
            ReadBlob(name, reader);
        }
        return true;  // let the children of every element through
    }

    std::u16string title;
    int32_t version[4] = {0, 0, 0, 0};
    std::vector<std::unique_ptr<Step>> steps;
    std::vector<std::unique_ptr<Part>> parts;
    std::vector<std::pair<std::u16string, std::string>> blobs;  // element name, bytes

private:
    // The blob reader belongs to the reader and lives until this element's
    // end tag: read everything now.
    void ReadBlob(const std::u16string& name, MSAXReader* reader) {
        ISAXBlobRead* blob = nullptr;
        if (!reader->ReadValue(blob) || blob == nullptr) return;  // empty or malformed text
        MSAXBlobFileInfo* file = blob->GetContext()->fileInfo;
        std::string bytes;
        char buffer[4096];
        int32_t got;
        while ((got = file->ReadBuffer(buffer, sizeof buffer)) > 0) bytes.append(buffer, size_t(got));
        blobs.emplace_back(name, bytes);
    }
};

void Print(const Project& project, const MSAXReader& reader) {
    std::u16string encryption;
    reader.GetFileInfoEncryption(encryption);
    std::printf("title: %s\n", Printable(project.title).c_str());
    std::printf("version: %d.%d.%d.%d\n", project.version[0], project.version[1], project.version[2],
                project.version[3]);
    std::printf("encryption: %s\n", Printable(encryption).c_str());
    std::printf("parts:\n");
    for (const auto& part : project.parts)
        std::printf("  #%u %s x%d\n", part->id, Printable(part->name).c_str(), part->count);
    std::printf("steps:\n");
    for (const auto& step : project.steps) {
        std::printf("  #%u %s: uses %s", step->id, Printable(step->text).c_str(),
                    step->uses != nullptr ? Printable(step->uses->name).c_str() : "nothing");
        if (step->after != nullptr) std::printf(", after #%u", step->after->id);
        std::printf("\n");
    }
    std::printf("blobs:\n");
    for (const auto& [name, bytes] : project.blobs) {
        const std::string firstLine = bytes.substr(0, bytes.find('\n'));
        std::printf("  %s: %zu bytes, \"%s\"\n", Printable(name).c_str(), bytes.size(), firstLine.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_project FILE\n");
        return 2;
    }
    // The library's errors are plain structures: catch them by type. Every
    // MSAXError type derives from MSAXError::MGeneric; container errors that
    // pass through the reader unchanged are MZipArchiveError types.
    try {
        MSAXReader reader;
        Project project;
        reader.Parse(FromUtf8(argv[1]), &project);
        Print(project, reader);
    } catch (const MSAXError::MGeneric& e) {
        std::fprintf(stderr, "read_project: %s (%u)\n", Printable(e.message).c_str(), e.code);
        return 1;
    } catch (const MZipArchiveError::MGeneric& e) {
        std::fprintf(stderr, "read_project: %s (entry %s)\n", Printable(e.message).c_str(),
                     Printable(e.name).c_str());
        return 1;
    }
    return 0;
}
