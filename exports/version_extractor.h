#pragma once
// The root handler of FileVersion: picks the four numbers of a "Version"
// element out of a project file's document.

#include "reader/sax_persist.h"

#include <cstdint>
#include <string>

// Fills a field from each element named "Major", "Minor", "Fixed" or "Build"
// whose parent element is named "Version" (names compared exactly; the
// "Version" element may stand at any depth). The text is read as a signed
// decimal integer as MXMLExpat::ReadValue reads it: an empty text, a text
// without a number or a number out of range leaves the field as it was. When
// several elements qualify, the last in the document wins. Attributes play no
// part.
class ILBVersionExtractor : public ISAXPersist {
public:
    ILBVersionExtractor() = default;

    // Reads the element's text into the field it names, when its parent is
    // "Version". Always true, so the children of every element are handled.
    bool HandleTag(const std::u16string& name, MSAXReader* reader) override;

    int32_t major = 0;
    int32_t minor = 0;
    int32_t fixed = 0;
    int32_t build = 0;
};
