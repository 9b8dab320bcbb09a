#pragma once
// The XML event layer: turns Expat's callbacks into deferred tag events for a
// derived class. An element reaches _HandleTag once, at the start tag of its
// first child or at its own end tag, whichever comes first, so a handler of an
// element without children can read its whole text with ReadValue. Every
// element reaches _HandleEndTag, innermost first, while it is still open.
//
// Expat is C: no C++ exception may unwind through its frames. The callbacks
// therefore catch whatever a handler throws, stop the parser, ignore every
// later callback, and _ParseBuffer rethrows the exception once XML_Parse has
// returned.

#include "platform/api.h"
#include "platform/file_io.h"
#include "xml/tag_stack.h"

#include <expat.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

// The library's names and texts are UTF-16; the Expat build must match.
static_assert(sizeof(XML_Char) == sizeof(char16_t),
              "Expat must be the UTF-16 build (XML_UNICODE)");

class QZ_API MXMLExpat {
public:
    // Elements may nest this deep; a deeper start tag ends the parse with
    // MSAXError::MParse (real documents nest a few dozen levels).
    static constexpr int kMaxDepth = 10000;
    // An element's text may hold this many UTF-16 units (64 MiB); more ends
    // the parse with MSAXError::MParse. Text that no handler can read any
    // more (after an element's first child, or inside skipped elements) is
    // not kept and does not count.
    static constexpr std::size_t kMaxTextLength = std::size_t{32} << 20;

    // Idle: no parser, no file, empty tag stack and text.
    MXMLExpat();
    // Releases the parser and the file (_Close).
    virtual ~MXMLExpat();

    // An object may hold a parser and a file handle: copying is not offered.
    MXMLExpat(const MXMLExpat&) = delete;
    MXMLExpat& operator=(const MXMLExpat&) = delete;

    // Parses the XML file at path, read in 4096-byte blocks (a file whose size
    // is a multiple of 4096 ends with a 0-byte final block). Returns false when
    // the file cannot be opened (no event is delivered), true after the whole
    // document. Throws MSAXError::MParse for a malformed, truncated or wrongly
    // encoded document, too deep nesting, too long element text or a token
    // (tag, name, comment) that outgrows the parser's memory budget (see
    // kMaxDepth, kMaxTextLength, xml/parser_memory.h); a handler's exception passes
    // unchanged (MSAXError::MStopParsing gets tag = innermost open element).
    // Parser and file are released on every way out; any earlier parse state
    // is discarded first.
    bool Parse(const std::u16string& path);

    // Parses text as one document given in UTF-16 (machine byte order, no byte
    // order mark added). Empty text returns true at once without a parser or
    // an event. Failures are thrown as by Parse.
    bool ParseString(const std::u16string& text);

    // The open element n places below the top of the tag stack: 0 is the
    // element of the current event, 1 its parent. An n outside the open
    // elements (also a negative one) yields a reference to an empty string.
    const std::u16string& GetParentTag(int n) const;

    // The current element's text (character data since the last start or end
    // tag, untrimmed, entities and CDATA decoded). Always true, also for
    // empty text.
    bool ReadValue(std::u16string& out) const;

    // Reads a decimal number from the text as a wide input stream would:
    // leading white space skipped, optional sign, reading stops at the first
    // character that cannot continue the number. Empty text: false, out
    // untouched. No number, or one out of range: true, out untouched. For the
    // unsigned overload a '-' negates modulo 2^32, as stream extraction does.
    bool ReadValue(int32_t& out) const;
    bool ReadValue(uint32_t& out) const;

protected:
    // Called once per element that is not skipped; false skips the element's
    // descendants (from the start tag of a child on). Default: false.
    virtual bool _HandleTag(const std::u16string& name);
    // Called at every end tag, skipped or not, while the element is open.
    // Default: nothing.
    virtual void _HandleEndTag(const std::u16string& name);

    // Closes the file and frees the parser; calling it again does nothing.
    void _Close();

    // One self-contained parse: releases what an earlier parse left, creates
    // the parser, runs feed, and releases parser and file on every way out; a
    // MSAXError::MStopParsing leaving feed gets tag = innermost open element.
    void _RunParse(const std::function<void()>& feed);

    // Frees a parser left from before, clears the tag stack, pending tag,
    // text and any captured exception, sets the skip depth to the no-skip
    // value, then creates the parser (no encoding name: the document decides)
    // with this object as user data and the three callbacks.
    // Throws std::bad_alloc when Expat cannot create one.
    void _CreateParser();

    // Feeds length bytes to the parser (isFinal marks the last block). Throws
    // what a handler threw during the call, or MSAXError::MParse when Expat
    // rejects the document. Precondition: _CreateParser was called.
    void _ParseBuffer(const void* data, int length, bool isFinal);

    // Event steps, called by the callbacks. name is null-terminated.
    // _HandleTagBegin throws MSAXError::MParse beyond kMaxDepth.
    void _HandleTagBegin(const char16_t* name);
    void _HandleTagEnd(const char16_t* name);
    // Appends a piece of character data to the element text when it can
    // still be read; throws MSAXError::MParse beyond kMaxTextLength.
    void _HandleCharData(const std::u16string& text);
    void _HandleCharData(const char16_t* text, std::size_t length);

    // Expat callbacks; user data is the MXMLExpat object. They never let an
    // exception escape into Expat (see the top of this file).
    static void XMLCALL _BeginHandler(void* userData, const XML_Char* name, const XML_Char** atts);
    static void XMLCALL _EndHandler(void* userData, const XML_Char* name);
    static void XMLCALL _CharHandler(void* userData, const XML_Char* s, int len);

    // Names of the open elements, outermost first.
    MTagStack _tagStack;
    // The file being read by Parse; platform::kInvalidFileHandle otherwise.
    platform::FileHandle _file = platform::kInvalidFileHandle;
    // The parser of the current parse; null when idle.
    XML_Parser _parser = nullptr;
    // True while the innermost open element has not had its _HandleTag yet
    // (it is then _tagStack.back(): the pending tag).
    bool _tagPending = false;
    // Character data collected since the last start or end tag.
    std::u16string _text;
    // Depth of the element whose descendants are skipped; equal to
    // _noSkipDepth while nothing is skipped.
    int32_t _skipDepth = 0;
    // The skip depth that means nothing is skipped (a derived class may set
    // both to 1 so that the root's children are always handled).
    int32_t _noSkipDepth = 0;
    // What a handler threw inside a callback, until _ParseBuffer rethrows it.
    std::exception_ptr _callbackError;
    // Bytes the parser holds, kept within xml::kMaxParserMemory.
    std::size_t _parserMemory = 0;
};
