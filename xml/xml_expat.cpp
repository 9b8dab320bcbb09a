#include "xml/xml_expat.h"

#include "errors/sax_error.h"
#include "xml/number_text.h"
#include "xml/parser_memory.h"

#include <algorithm>
#include <new>

namespace {

// Parse reads files in blocks of this size; a shorter block is the last one.
constexpr uint32_t kReadBlockSize = 4096;

// ParseString hands Expat at most this many bytes per call (XML_Parse takes an
// int length); an even size keeps UTF-16 units whole.
constexpr std::size_t kMaxStringBlock = std::size_t{1} << 30;

const char16_t* AsUtf16(const XML_Char* s) {
    return reinterpret_cast<const char16_t*>(s);
}

// The answer for a position outside the open elements. A function-local
// static, so the library runs no initialiser of its own for it at load time.
const std::u16string& NoTag() {
    static const std::u16string empty;
    return empty;
}

}  // namespace

MXMLExpat::MXMLExpat() = default;

MXMLExpat::~MXMLExpat() {
    _Close();
}

bool MXMLExpat::_HandleTag(const std::u16string& name) {
    (void)name;
    return false;
}

void MXMLExpat::_HandleEndTag(const std::u16string& name) {
    (void)name;
}

void MXMLExpat::_Close() {
    if (_file != platform::kInvalidFileHandle) {
        platform::CloseFile(_file);
        _file = platform::kInvalidFileHandle;
    }
    if (_parser != nullptr) {
        xml::ParserMemoryScope memory(&_parserMemory);
        XML_ParserFree(_parser);
        _parser = nullptr;
    }
}

void MXMLExpat::_CreateParser() {
    if (_parser != nullptr) {
        xml::ParserMemoryScope memory(&_parserMemory);
        XML_ParserFree(_parser);
        _parser = nullptr;
    }
    _tagStack.clear();
    _tagPending = false;
    _text.clear();
    _skipDepth = _noSkipDepth;
    _callbackError = nullptr;

    // The parser's allocations are bounded (xml/parser_memory.h): a document
    // whose token outgrows the budget fails like a malformed one.
    xml::ParserMemoryScope memory(&_parserMemory);
    _parser = XML_ParserCreate_MM(nullptr, xml::BoundedMemorySuite(), nullptr);
    if (_parser == nullptr) {
        throw std::bad_alloc();
    }
    XML_SetUserData(_parser, this);
    XML_SetElementHandler(_parser, _BeginHandler, _EndHandler);
    XML_SetCharacterDataHandler(_parser, _CharHandler);
}

void MXMLExpat::_ParseBuffer(const void* data, int length, bool isFinal) {
    XML_Status status;
    {
        xml::ParserMemoryScope memory(&_parserMemory);
        status = XML_Parse(_parser, static_cast<const char*>(data), length, isFinal ? 1 : 0);
    }
    if (_callbackError) {
        std::exception_ptr error = _callbackError;
        _callbackError = nullptr;
        std::rethrow_exception(error);
    }
    if (status == XML_STATUS_ERROR) {
        throw MSAXError::MParse();
    }
}

bool MXMLExpat::Parse(const std::u16string& path) {
    bool opened = false;
    _RunParse([&] {
        _file = platform::OpenExistingForRead(path);
        if (_file == platform::kInvalidFileHandle) {
            return;
        }
        opened = true;
        char buffer[kReadBlockSize];
        uint32_t count = 0;
        do {
            count = 0;
            // A failed read delivers 0 bytes: the document ends there, and Expat
            // reports it if it is incomplete.
            platform::ReadFromFile(_file, buffer, kReadBlockSize, &count);
            count = std::min(count, kReadBlockSize);
            _ParseBuffer(buffer, static_cast<int>(count), count < kReadBlockSize);
        } while (count == kReadBlockSize);
    });
    return opened;
}

bool MXMLExpat::ParseString(const std::u16string& text) {
    if (text.empty()) {
        return true;
    }
    _RunParse([&] {
        const char* bytes = reinterpret_cast<const char*>(text.data());
        std::size_t left = text.size() * sizeof(char16_t);
        do {
            const std::size_t block = std::min(left, kMaxStringBlock);
            left -= block;
            _ParseBuffer(bytes, static_cast<int>(block), left == 0);
            bytes += block;
        } while (left > 0);
    });
    return true;
}

void MXMLExpat::_RunParse(const std::function<void()>& feed) {
    _Close();
    try {
        _CreateParser();
        feed();
    } catch (MSAXError::MStopParsing& stop) {
        if (!_tagStack.empty()) {
            stop.tag = _tagStack.back();
        }
        _Close();
        throw;
    } catch (...) {
        _Close();
        throw;
    }
    _Close();
}

const std::u16string& MXMLExpat::GetParentTag(int n) const {
    if (n < 0) {
        return NoTag();
    }
    const std::u16string* tag = _tagStack.FromTop(static_cast<std::size_t>(n));
    return tag != nullptr ? *tag : NoTag();
}

bool MXMLExpat::ReadValue(std::u16string& out) const {
    out = _text;
    return true;
}

bool MXMLExpat::ReadValue(int32_t& out) const {
    if (_text.empty()) {
        return false;
    }
    xml::ReadInt32(_text, &out);
    return true;
}

bool MXMLExpat::ReadValue(uint32_t& out) const {
    if (_text.empty()) {
        return false;
    }
    xml::ReadUInt32(_text, &out);
    return true;
}

void MXMLExpat::_HandleTagBegin(const char16_t* name) {
    if (_tagStack.size() >= static_cast<std::size_t>(kMaxDepth)) {
        throw MSAXError::MParse();
    }
    _text.clear();
    if (_tagPending && _skipDepth == _noSkipDepth) {
        if (!_HandleTag(_tagStack.back())) {
            _skipDepth = static_cast<int32_t>(_tagStack.size());
        }
    }
    _tagStack.push(name);
    _tagPending = true;
}

void MXMLExpat::_HandleTagEnd(const char16_t* name) {
    if (_tagStack.empty()) {
        return;  // Expat never reports an end tag without its start tag
    }
    if (_tagPending) {
        if (_skipDepth == _noSkipDepth) {
            _HandleTag(_tagStack.back());
        }
        _tagPending = false;
    }
    _text.clear();
    if (static_cast<int64_t>(_tagStack.size()) == _skipDepth) {
        _skipDepth = _noSkipDepth;
    }
    // Expat guarantees the end tag matches the innermost open element, so the
    // name on the stack is the same text; passing it avoids a copy.
    (void)name;
    _HandleEndTag(_tagStack.back());
    _tagStack.pop();
}

void MXMLExpat::_HandleCharData(const std::u16string& text) {
    _HandleCharData(text.data(), text.size());
}

void MXMLExpat::_HandleCharData(const char16_t* text, std::size_t length) {
    // Only an element without a child yet, whose descendants are not skipped,
    // can still have its text read (by _HandleTag at its end tag); any other
    // text is cleared unseen at the next tag, so it is not kept at all.
    if (!_tagPending || _skipDepth != _noSkipDepth) {
        return;
    }
    if (length > kMaxTextLength - _text.size()) {
        throw MSAXError::MParse();
    }
    _text.append(text, length);
}

void XMLCALL MXMLExpat::_BeginHandler(void* userData, const XML_Char* name, const XML_Char** atts) {
    (void)atts;
    MXMLExpat* self = static_cast<MXMLExpat*>(userData);
    if (self->_callbackError) {
        return;
    }
    try {
        self->_HandleTagBegin(AsUtf16(name));
    } catch (...) {
        self->_callbackError = std::current_exception();
        XML_StopParser(self->_parser, XML_FALSE);
    }
}

void XMLCALL MXMLExpat::_EndHandler(void* userData, const XML_Char* name) {
    MXMLExpat* self = static_cast<MXMLExpat*>(userData);
    if (self->_callbackError) {
        return;
    }
    try {
        self->_HandleTagEnd(AsUtf16(name));
    } catch (...) {
        self->_callbackError = std::current_exception();
        XML_StopParser(self->_parser, XML_FALSE);
    }
}

void XMLCALL MXMLExpat::_CharHandler(void* userData, const XML_Char* s, int len) {
    MXMLExpat* self = static_cast<MXMLExpat*>(userData);
    if (self->_callbackError || len <= 0) {
        return;
    }
    try {
        self->_HandleCharData(AsUtf16(s), static_cast<std::size_t>(len));
    } catch (...) {
        self->_callbackError = std::current_exception();
        XML_StopParser(self->_parser, XML_FALSE);
    }
}
