// Hostile documents in "header.xml", read through MSAXReader::Parse: entity
// expansion, huge attributes and text, broken encodings, a document cut inside
// a character at the 4096-byte chunk boundary, and nesting far beyond
// MXMLExpat::kMaxDepth.

#include "tests/hostile/hostile_fixture.h"
#include "xml/xml_expat.h"

#include <gtest/gtest.h>

#include <iostream>

namespace {

constexpr size_t kMiB = size_t(1) << 20;

std::string BillionLaughs() {
    std::string doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE kor:ProjectFile [\n <!ENTITY l0 \"lol\">\n";
    for (int i = 1; i <= 10; ++i) {
        doc += " <!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) doc += "&l" + std::to_string(i - 1) + ";";
        doc += "\">\n";
    }
    return doc + "]>\n<kor:ProjectFile><text>&l10;</text></kor:ProjectFile>";
}

// One 64 KiB entity referenced 4000 times: 256 MiB from a small document.
std::string QuadraticBlowup() {
    return "<?xml version=\"1.0\"?><!DOCTYPE kor:ProjectFile [<!ENTITY big \"" + std::string(64 * 1024, 'a') +
           "\">]><kor:ProjectFile><text>" + [] {
               std::string refs;
               for (int i = 0; i < 4000; ++i) refs += "&big;";
               return refs;
           }() + "</text></kor:ProjectFile>";
}

std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(char(unit & 0xFF));
        bytes.push_back(char(unit >> 8));
    }
    return bytes;
}

// A document with text placed so that its character at byte offset `at`
// starts exactly one byte before the 4096-byte chunk boundary.
std::string StraddlingBoundary(const std::string& character, bool complete) {
    std::string doc = "<kor:ProjectFile><text>";
    doc += std::string(4095 - doc.size(), 'x');
    doc += complete ? character : character.substr(0, 1);
    if (complete) doc += "</text></kor:ProjectFile>";
    return doc;
}

struct DocumentCase {
    const char* what;
    std::string document;
    const char* outcome;
};

TEST(XmlHostile, EachDocumentEndsTyped) {
    const DocumentCase cases[] = {
        {"billion laughs", BillionLaughs(), "MParse"},
        {"quadratic entity blowup", QuadraticBlowup(), "MParse"},
        {"invalid UTF-8", "<kor:ProjectFile><text>a\xC3\x28z</text></kor:ProjectFile>", "MParse"},
        {"overlong UTF-8", "<kor:ProjectFile><text>\xC0\xAF</text></kor:ProjectFile>", "MParse"},
        {"UTF-8 surrogate", "<kor:ProjectFile><text>\xED\xA0\x80</text></kor:ProjectFile>", "MParse"},
        {"unpaired UTF-16 surrogate", Utf16Le(u"<kor:ProjectFile><text>a\xD800z</text></kor:ProjectFile>"),
         "MParse"},
        {"reversed UTF-16 surrogate pair", Utf16Le(u"<kor:ProjectFile><text>\xDC00\xD800</text></kor:ProjectFile>"),
         "MParse"},
        {"odd number of UTF-16 bytes", Utf16Le(u"<kor:ProjectFile/>") + "x", "MParse"},
        {"ends inside a UTF-8 character at the chunk boundary", StraddlingBoundary("\xC3\xA9", false), "MParse"},
        {"ends inside a 4-byte character at the chunk boundary", StraddlingBoundary("\xF0\x9F\x98\x80", false),
         "MParse"},
        {"undefined entity", "<kor:ProjectFile><text>&nope;</text></kor:ProjectFile>", "MParse"},
        {"external entity is not fetched",
         "<!DOCTYPE kor:ProjectFile [<!ENTITY ext SYSTEM \"/etc/passwd\">]>"
         "<kor:ProjectFile><text>&ext;</text></kor:ProjectFile>",
         "completed"},
        {"empty document", "", "MParse"},
        {"foreign root", "<other/>", "MNotAKorProjectFile"},
    };
    for (const DocumentCase& c : cases) {
        const hostile::ParseResult result = hostile::ParseProjectBytes(hostile::WriteProject(c.document));
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        if (std::string(c.what) == "external entity is not fetched") {
            ASSERT_EQ(result.texts.size(), 1u);
            EXPECT_EQ(result.texts[0], u"");
        }
    }
}

TEST(XmlHostile, CharacterAcrossTheChunkBoundaryArrivesWhole) {
    const struct {
        const char* what;
        std::string character;
        std::u16string expected;
    } cases[] = {
        {"2-byte UTF-8", "\xC3\xA9", u"\u00E9"},
        {"3-byte UTF-8", "\xE2\x82\xAC", u"\u20AC"},
        {"4-byte UTF-8", "\xF0\x9F\x98\x80", u"\U0001F600"},
    };
    for (const auto& c : cases) {
        for (int level : {0, 1}) {
            const hostile::ParseResult result =
                hostile::ParseProjectBytes(hostile::WriteProject(StraddlingBoundary(c.character, true), level));
            ASSERT_EQ(result.outcome, "completed") << c.what;
            ASSERT_EQ(result.texts.size(), 1u);
            EXPECT_EQ(result.texts[0], std::u16string(4095 - 23, u'x') + c.expected) << c.what;
        }
    }
    // A UTF-16 surrogate pair whose halves lie in two chunks.
    std::u16string text = u"<kor:ProjectFile><text>";
    const size_t fill = (4096 - 2) / 2 - 1 - text.size();  // the pair starts at byte 4094
    text += std::u16string(fill, u'y') + u"\U0001F600</text></kor:ProjectFile>";
    const hostile::ParseResult result = hostile::ParseProjectBytes(hostile::WriteProject(Utf16Le(text)));
    ASSERT_EQ(result.outcome, "completed");
    ASSERT_EQ(result.texts.size(), 1u);
    EXPECT_EQ(result.texts[0], std::u16string(fill, u'y') + u"\U0001F600");
}

TEST(XmlHostile, HugeAttributesAndTextRuns) {
    const std::string attribute = "<kor:ProjectFile><a v=\"" + std::string(16 * kMiB, 'v') + "\"/></kor:ProjectFile>";
    EXPECT_EQ(hostile::ParseProjectBytes(hostile::WriteProject(attribute)).outcome, "completed");

    // Within the text limit, a long text run reaches its handler whole.
    const std::string text = "<kor:ProjectFile><text>" + std::string(8 * kMiB, 't') + "</text></kor:ProjectFile>";
    const hostile::ParseResult result = hostile::ParseProjectBytes(hostile::WriteProject(text));
    ASSERT_EQ(result.outcome, "completed");
    ASSERT_EQ(result.texts.size(), 1u);
    EXPECT_EQ(result.texts[0].size(), 8 * kMiB);

    // A name of a million characters is taken as it is.
    const std::string name(kMiB, 'n');
    EXPECT_EQ(hostile::ParseProjectBytes(hostile::WriteProject("<kor:ProjectFile><" + name + "/></kor:ProjectFile>"))
                  .outcome,
              "completed");
}

TEST(XmlHostile, MillionNestedElementsEndAtTheDepthLimit) {
    std::string doc = "<kor:ProjectFile>";
    doc.reserve(8 * 1000000 + 64);
    for (int i = 0; i < 1000000; ++i) doc += "<e>";
    for (int i = 0; i < 1000000; ++i) doc += "</e>";
    doc += "</kor:ProjectFile>";
    const std::string file = hostile::WriteProject(doc);
    doc.clear();
    doc.shrink_to_fit();
    const size_t before = hostile::PeakRssBytes();
    const hostile::ParseResult result = hostile::ParseProjectBytes(file);
    const size_t grown = hostile::PeakRssBytes() - before;
    std::cout << "1,000,000 nested elements: " << file.size() / 1024 << " KiB file, peak memory +" << grown / kMiB
              << " MiB\n";
    EXPECT_EQ(result.outcome, "MParse");
    // Every element up to the limit was handed to the handler, none beyond.
    EXPECT_EQ(result.elements, size_t(MXMLExpat::kMaxDepth) - 1);
    EXPECT_LT(grown, 64 * kMiB);
}

}  // namespace
