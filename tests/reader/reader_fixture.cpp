#include "tests/reader/reader_fixture.h"

#include <stdexcept>

namespace readertest {

const char* const kSampleDocument =
    "<kor:ProjectFile><Obj><id>7</id><Name>x</Name></Obj></kor:ProjectFile>";

DebugCapture::DebugCapture()
    : previous_(platform::SetDebugOutputSink(
          [this](std::u16string_view text) { reports.emplace_back(text); })) {}

DebugCapture::~DebugCapture() { platform::SetDebugOutputSink(previous_); }

std::u16string WriteProject(const qtest::TempDir& dir, const std::string& fileName, const std::string& xml,
                            const qwriter::ProjectFileOptions& options) {
    const std::u16string path = dir.WideFile(fileName);
    qwriter::WriteProjectFile(path, xml, options);
    return path;
}

std::string DocumentOfSize(std::size_t size) {
    const std::string head = "<kor:ProjectFile><Pad>";
    const std::string tail = "</Pad></kor:ProjectFile>";
    if (size < head.size() + tail.size()) throw std::invalid_argument("document too small");
    return head + std::string(size - head.size() - tail.size(), 'p') + tail;
}

void CorruptEntryData(const std::string& path, const std::string& entry) {
    std::string bytes = qtest::ReadFileBytes(path);
    // The first occurrence of the name is in the entry's local header, which
    // is 30 bytes of fields, then the name, then the extra field.
    const std::size_t name = bytes.find(entry);
    if (name == std::string::npos || name < 30) throw std::runtime_error("entry not found");
    const std::size_t header = name - 30;
    const std::size_t extra = static_cast<unsigned char>(bytes[header + 28]) |
                              static_cast<std::size_t>(static_cast<unsigned char>(bytes[header + 29])) << 8;
    const std::size_t data = name + entry.size() + extra;
    if (data >= bytes.size()) throw std::runtime_error("entry has no data");
    // Final block (bit 0) of type 3 (bits 1-2): reserved, refused by inflate.
    bytes[data] = static_cast<char>(0x07);
    qtest::WriteFileBytes(path, bytes);
}

}  // namespace readertest
