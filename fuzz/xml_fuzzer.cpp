// The XML event layer on arbitrary text: ParseString on UTF-16 text, or Parse
// on a file of arbitrary bytes (any encoding, 4096-byte blocks). At every
// event the handler reads the element text as a string and as numbers, and
// asks for parent tags in and out of range; numbers are checked against a
// wide input stream. Each document is parsed twice with the same object,
// which must deliver the same events both times.
//
// Input: mode (1 byte: bit 0 file or string, the rest seeds the handler's
// choices), then the document (for strings, UTF-16LE).

#include "errors/sax_error.h"
#include "fuzz/fuzz_support.h"
#include "xml/xml_expat.h"

#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using qfuzz::Check;

// What a wide input stream with the classic locale reads from text.
template <typename T>
bool StreamRead(const std::u16string& text, T* out) {
    std::wistringstream stream(std::wstring(text.begin(), text.end()));
    stream.imbue(std::locale::classic());
    T value{};
    stream >> value;
    if (stream.fail()) return false;
    *out = value;
    return true;
}

template <typename T>
void CheckNumber(const MXMLExpat& parser, const std::u16string& text) {
    const T sentinel = T(0x5EED);
    T got = sentinel;
    const bool result = parser.ReadValue(got);
    if (text.empty()) {
        Check(!result && got == sentinel, "ReadValue of empty text");
        return;
    }
    Check(result, "ReadValue of non-empty text answered false");
    T expected = sentinel;
    StreamRead(text, &expected);
    Check(got == expected, "ReadValue number differs from stream extraction");
}

class Recorder : public MXMLExpat {
public:
    explicit Recorder(uint8_t seed) : seed_(seed) {}

    std::vector<std::u16string> events;
    // The element whose handler threw MStopParsing, if one did.
    std::u16string stoppedAt;

protected:
    bool _HandleTag(const std::u16string& name) override {
        Check(!_tagStack.empty() && GetParentTag(0) == name, "_HandleTag for an element not innermost");
        Check(_tagStack.size() <= size_t(kMaxDepth), "nesting beyond kMaxDepth");
        std::u16string text;
        Check(ReadValue(text), "ReadValue(string) answered false");
        CheckNumber<int32_t>(*this, text);
        CheckNumber<uint32_t>(*this, text);
        Check(GetParentTag(-1).empty(), "GetParentTag(-1) not empty");
        Check(GetParentTag(int(_tagStack.size())).empty(), "GetParentTag past the root not empty");
        if (_tagStack.size() > 1) Check(GetParentTag(1) == _tagStack[_tagStack.size() - 2], "GetParentTag(1)");
        events.push_back(u"T" + name + u"=" + text);

        const unsigned choice = (seed_ >> 1) + unsigned(name.size());
        if ((seed_ & 0x80) && !name.empty() && name[0] == u's') {
            stoppedAt = name;
            throw MSAXError::MStopParsing();
        }
        return choice % 3 != 0;
    }

    void _HandleEndTag(const std::u16string& name) override {
        Check(!_tagStack.empty() && GetParentTag(0) == name, "_HandleEndTag for an element not innermost");
        events.push_back(u"E" + name);
    }

private:
    uint8_t seed_;
};

enum class Outcome { kDone, kParseError, kStopped };

Outcome Run(Recorder& parser, bool fromFile, const std::u16string& text, const std::u16string& path) {
    parser.events.clear();
    parser.stoppedAt.clear();
    try {
        if (fromFile) {
            Check(parser.Parse(path), "Parse could not open its file");
        } else {
            Check(parser.ParseString(text), "ParseString answered false");
        }
        return Outcome::kDone;
    } catch (const MSAXError::MStopParsing& stop) {
        Check(!parser.stoppedAt.empty(), "MStopParsing that no handler threw");
        Check(stop.tag == parser.stoppedAt, "MStopParsing tag is not the innermost element");
        return Outcome::kStopped;
    } catch (const MSAXError::MParse&) {
        return Outcome::kParseError;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const qfuzz::ScratchFile file("xml");
    qfuzz::FuzzInput input(data, size);
    const uint8_t mode = input.Byte();
    const bool fromFile = (mode & 1) != 0;
    const std::string_view document = input.Rest();

    std::u16string text;
    if (fromFile) {
        file.Write(document);
    } else {
        for (size_t i = 0; i + 1 < document.size(); i += 2) {
            text.push_back(char16_t(uint8_t(document[i]) | uint8_t(document[i + 1]) << 8));
        }
    }

    Recorder parser(mode);
    const Outcome first = Run(parser, fromFile, text, file.widePath());
    const std::vector<std::u16string> firstEvents = parser.events;
    // The same object again: state left by the first parse must not leak in.
    const Outcome second = Run(parser, fromFile, text, file.widePath());
    Check(first == second, "second parse ended differently");
    Check(parser.events == firstEvents, "second parse delivered different events");
    if (!fromFile && text.empty()) Check(firstEvents.empty(), "events for an empty string");
    return 0;
}
