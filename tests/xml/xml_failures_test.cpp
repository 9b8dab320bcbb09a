// How MXMLExpat ends a parse: rejected documents, exceptions from handlers,
// hostile nesting and entity expansion. Every way out releases the parser.

#include "errors/sax_error.h"
#include "tests/xml/event_recorder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Events = std::vector<std::string>;

struct MalformedCase {
    const char* label;
    std::u16string doc;
};

void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.label; }

class XmlMalformedString : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(XmlMalformedString, ThrowsParseAndReleasesParser) {
    xmltest::EventRecorder recorder;
    try {
        recorder.ParseString(GetParam().doc);
        ADD_FAILURE() << "no exception";
    } catch (const MSAXError::MParse& e) {
        EXPECT_EQ(e.code, 528u);
    }
    EXPECT_FALSE(recorder.HoldsParser());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XmlMalformedString,
    ::testing::Values(
        MalformedCase{"Truncated", u"<a><b>1</b>"},
        MalformedCase{"TruncatedInTag", u"<a><b"},
        MalformedCase{"Mismatched", u"<a></b>"},
        MalformedCase{"TwoRoots", u"<a/><b/>"},
        MalformedCase{"NoElement", u"just text"},
        MalformedCase{"OnlyWhiteSpace", u"   "},
        MalformedCase{"UndefinedEntity", u"<a>&foo;</a>"},
        MalformedCase{"InvalidCharReference", u"<a>&#0;</a>"},
        MalformedCase{"NulCharacter", std::u16string(u"<a>\0</a>", 8)},
        MalformedCase{"LoneSurrogate", u"<a>\xD800</a>"},
        MalformedCase{"DuplicateAttribute", u"<a x='1' x='2'/>"},
        // The text is handed over as UTF-16; a declaration claiming UTF-8
        // contradicts it.
        MalformedCase{"DeclaredWrongEncoding", u"<?xml version='1.0' encoding='UTF-8'?><a/>"}),
    [](const auto& info) { return std::string(info.param.label); });

// The events before the error are delivered; none after it.
TEST(XmlFailures, EventsBeforeTheErrorAreDelivered) {
    xmltest::EventRecorder recorder;
    EXPECT_THROW(recorder.ParseString(u"<a><b>1</b><c></a>"), MSAXError::MParse);
    const Events expected{"tag a text='' at=a<", "tag b text='1' at=b<a", "end b at=b<a"};
    EXPECT_EQ(recorder.events, expected);
}

struct StopCase {
    const char* label;
    std::u16string doc;
    std::string throwAt;  // the recorded event after which the handler throws
    std::u16string tag;   // expected tag of the MStopParsing
    Events expected;      // events recorded up to and including the throw
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.label; }

class XmlStopParsing : public ::testing::TestWithParam<StopCase> {};

TEST_P(XmlStopParsing, FillsInnermostTagAndStopsEvents) {
    const StopCase& c = GetParam();
    xmltest::EventRecorder recorder;
    recorder.thrower = [&](const std::string& event) {
        if (event == c.throwAt) {
            throw MSAXError::MStopParsing(u"halt", 9);
        }
    };
    try {
        recorder.ParseString(c.doc);
        ADD_FAILURE() << "no exception";
    } catch (const MSAXError::MStopParsing& e) {
        EXPECT_EQ(e.tag, c.tag);
        EXPECT_EQ(e.message, u"halt");
        EXPECT_EQ(e.code, 9u);
    }
    EXPECT_EQ(recorder.events, c.expected);
    EXPECT_FALSE(recorder.HoldsParser());
}

INSTANTIATE_TEST_SUITE_P(
    Throws, XmlStopParsing,
    ::testing::Values(
        StopCase{"AtLeaf", u"<a><b/></a>", "tag b text='' at=b<a", u"b",
                 {"tag a text='' at=a<", "tag b text='' at=b<a"}},
        // a's event comes at the start tag of b, before b is open.
        StopCase{"AtParentBeforeChildOpens", u"<a><b/></a>", "tag a text='' at=a<", u"a",
                 {"tag a text='' at=a<"}},
        StopCase{"AtEndTag", u"<a><b/></a>", "end b at=b<a", u"b",
                 {"tag a text='' at=a<", "tag b text='' at=b<a", "end b at=b<a"}},
        StopCase{"AtRootEnd", u"<a/>", "end a at=a<", u"a",
                 {"tag a text='' at=a<", "end a at=a<"}},
        // Expat still has the end of <b/> and the rest of the buffer to report;
        // none of it reaches the handler after the throw.
        StopCase{"LaterCallbacksIgnored", u"<a><b/><c/><d>x</d></a>", "tag b text='' at=b<a", u"b",
                 {"tag a text='' at=a<", "tag b text='' at=b<a"}}),
    [](const auto& info) { return std::string(info.param.label); });

// A type derived from MStopParsing gets its tag filled as well and keeps its type.
TEST(XmlFailures, DerivedStopParsingKeepsItsType) {
    xmltest::EventRecorder recorder;
    recorder.thrower = [](const std::string& event) {
        if (event.rfind("tag b", 0) == 0) {
            throw MSAXError::MSAXIncompatibleVersion(u"old", 700);
        }
    };
    try {
        recorder.ParseString(u"<a><b/></a>");
        ADD_FAILURE() << "no exception";
    } catch (const MSAXError::MSAXIncompatibleVersion& e) {
        EXPECT_EQ(e.tag, u"b");
        EXPECT_EQ(e.message, u"old");
    }
}

// Anything else a handler throws passes unchanged, with the parser released
// and no further event.
TEST(XmlFailures, OtherExceptionsPassUnchanged) {
    xmltest::EventRecorder recorder;
    recorder.thrower = [](const std::string& event) {
        if (event.rfind("tag b", 0) == 0) throw std::runtime_error("handler failed");
    };
    try {
        recorder.ParseString(u"<a><b/><c/></a>");
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "handler failed");
    }
    EXPECT_EQ(recorder.events.back(), "tag b text='' at=b<a");
    EXPECT_FALSE(recorder.HoldsParser());

    recorder.events.clear();
    recorder.thrower = [](const std::string& event) {
        if (event.rfind("end a", 0) == 0) throw 42;
    };
    EXPECT_THROW(recorder.ParseString(u"<a/>"), int);
    EXPECT_FALSE(recorder.HoldsParser());

    // A handler's MParse is its own, not Expat's; it passes as well.
    recorder.thrower = [](const std::string&) { throw MSAXError::MNotAKorProjectFile(); };
    EXPECT_THROW(recorder.ParseString(u"<a/>"), MSAXError::MNotAKorProjectFile);
}

// A parse that failed leaves its state behind; the next parse starts clean.
TEST(XmlFailures, NextParseStartsClean) {
    xmltest::EventRecorder recorder;
    EXPECT_THROW(recorder.ParseString(u"<x><y><z>t"), MSAXError::MParse);
    EXPECT_EQ(recorder.Depth(), 3u);  // state at the point of failure
    recorder.events.clear();
    EXPECT_TRUE(recorder.ParseString(u"<a>1</a>"));
    const Events expected{"tag a text='1' at=a<", "end a at=a<"};
    EXPECT_EQ(recorder.events, expected);

    recorder.thrower = [](const std::string&) { throw std::runtime_error("x"); };
    EXPECT_THROW(recorder.ParseString(u"<a/>"), std::runtime_error);
    recorder.thrower = nullptr;
    recorder.events.clear();
    EXPECT_TRUE(recorder.ParseString(u"<b/>"));  // the captured exception is gone
    EXPECT_EQ(recorder.events.size(), 2u);
}

std::u16string Nested(std::size_t depth, bool closed) {
    std::u16string doc;
    doc.reserve(depth * 7);
    for (std::size_t i = 0; i < depth; ++i) doc += u"<a>";
    if (closed) {
        for (std::size_t i = 0; i < depth; ++i) doc += u"</a>";
    }
    return doc;
}

TEST(XmlFailures, NestingUpToTheCapIsAccepted) {
    xmltest::EventRecorder recorder;
    recorder.skip = {"*"};
    EXPECT_TRUE(recorder.ParseString(Nested(MXMLExpat::kMaxDepth, true)));
    EXPECT_EQ(recorder.events.size(), 1u + MXMLExpat::kMaxDepth);
}

TEST(XmlFailures, NestingBeyondTheCapIsAParseError) {
    xmltest::EventRecorder recorder;
    recorder.skip = {"*"};
    EXPECT_THROW(recorder.ParseString(Nested(MXMLExpat::kMaxDepth + 1, true)), MSAXError::MParse);
    EXPECT_FALSE(recorder.HoldsParser());
    EXPECT_EQ(recorder.Depth(), static_cast<std::size_t>(MXMLExpat::kMaxDepth));
}

TEST(XmlFailures, MillionNestedElementsEndCleanly) {
    MXMLExpat plain;
    EXPECT_THROW(plain.ParseString(Nested(1000000, false)), MSAXError::MParse);
}

// Expat's amplification limit must stay on: nested entity expansion ends the
// parse before the text grows without bound.
TEST(XmlFailures, EntityExpansionBombIsAParseError) {
    std::u16string doc = u"<?xml version='1.0'?><!DOCTYPE r [<!ENTITY e0 'aaaaaaaaaaaaaaaa'>";
    for (int i = 1; i <= 12; ++i) {
        const std::u16string prev = u"&e" + qtest::Widen(std::to_string(i - 1)) + u";";
        std::u16string value;
        for (int k = 0; k < 10; ++k) value += prev;
        doc += u"<!ENTITY e" + qtest::Widen(std::to_string(i)) + u" '" + value + u"'>";
    }
    doc += u"]><r>&e12;</r>";
    MXMLExpat plain;
    EXPECT_THROW(plain.ParseString(doc), MSAXError::MParse);
}

}  // namespace
