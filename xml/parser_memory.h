#pragma once
// A memory budget for Expat parsers. Expat keeps a whole token (a start tag
// with all its attributes, a name, a comment, a processing instruction) in
// its buffer however long it is, so a document, or a small deflated one,
// could make a parser allocate without limit. Parsers created with
// BoundedMemorySuite() charge every allocation to the budget that is current
// on the calling thread (see ParserMemoryScope); an allocation that would
// take the budget past kMaxParserMemory fails, which Expat reports as an
// error of the document.

#include <expat.h>

#include <cstddef>

namespace xml {

// What one parser may hold at a time: far beyond any real document's needs.
constexpr std::size_t kMaxParserMemory = std::size_t{128} << 20;

// Makes *budget (bytes held) the account for Expat allocations made on this
// thread while the scope lasts; the previous account is restored after.
// Blocks remember their account, so reallocating and freeing them later
// charge the right one.
class ParserMemoryScope {
public:
    explicit ParserMemoryScope(std::size_t* budget);
    ~ParserMemoryScope();
    ParserMemoryScope(const ParserMemoryScope&) = delete;
    ParserMemoryScope& operator=(const ParserMemoryScope&) = delete;

private:
    std::size_t* previous_;
};

// The allocation functions to give XML_ParserCreate_MM.
const XML_Memory_Handling_Suite* BoundedMemorySuite();

}  // namespace xml
