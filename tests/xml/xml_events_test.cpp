// Event sequences that MXMLExpat delivers for small documents.

#include "tests/xml/event_recorder.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

using Events = std::vector<std::string>;

struct EventCase {
    const char* label;
    std::u16string doc;
    std::set<std::string> skip;  // names whose _HandleTag answers false; "*" for all
    Events expected;
};

void PrintTo(const EventCase& c, std::ostream* os) { *os << c.label; }

class XmlEvents : public ::testing::TestWithParam<EventCase> {};

TEST_P(XmlEvents, Sequence) {
    xmltest::EventRecorder recorder;
    recorder.skip = GetParam().skip;
    EXPECT_TRUE(recorder.ParseString(GetParam().doc));
    EXPECT_EQ(recorder.events, GetParam().expected);
    EXPECT_FALSE(recorder.HoldsParser());
    EXPECT_EQ(recorder.Depth(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XmlEvents,
    ::testing::Values(
        EventCase{"Example", u"<a><b>1</b><c/></a>", {},
                  {"tag a text='' at=a<", "tag b text='1' at=b<a", "end b at=b<a",
                   "tag c text='' at=c<a", "end c at=c<a", "end a at=a<"}},
        EventCase{"EmptyElement", u"<a/>", {}, {"tag a text='' at=a<", "end a at=a<"}},
        EventCase{"AttributesIgnored", u"<a x=\"1\" y='&amp;'>t</a>", {},
                  {"tag a text='t' at=a<", "end a at=a<"}},
        EventCase{"Entities", u"<a>x &amp; y &lt;&#65;&#x42;</a>", {},
                  {"tag a text='x & y <AB' at=a<", "end a at=a<"}},
        EventCase{"Cdata", u"<a><![CDATA[<b>]]></a>", {},
                  {"tag a text='<b>' at=a<", "end a at=a<"}},
        EventCase{"TextAndCdataJoined", u"<a>1<![CDATA[2]]>3<!--c-->4<?pi x?>5</a>", {},
                  {"tag a text='12345' at=a<", "end a at=a<"}},
        EventCase{"TextBeforeChildIsDropped", u"<a>  text  <b/></a>", {},
                  {"tag a text='' at=a<", "tag b text='' at=b<a", "end b at=b<a",
                   "end a at=a<"}},
        EventCase{"WhiteSpaceKept", u"<a>\n\t x \n</a>", {},
                  {"tag a text='\n\t x \n' at=a<", "end a at=a<"}},
        EventCase{"TextBetweenSiblingsDropped", u"<a><b>1</b>tail<c>2</c></a>", {},
                  {"tag a text='' at=a<", "tag b text='1' at=b<a", "end b at=b<a",
                   "tag c text='2' at=c<a", "end c at=c<a", "end a at=a<"}},
        EventCase{"PrefixKept", u"<kor:P xmlns:kor=\"urn:k\"><kor:v>1</kor:v></kor:P>", {},
                  {"tag kor:P text='' at=kor:P<", "tag kor:v text='1' at=kor:v<kor:P",
                   "end kor:v at=kor:v<kor:P", "end kor:P at=kor:P<"}},
        EventCase{"NonAscii", u"<\u00E9t\u00E9>\U0001F601\u20AC</\u00E9t\u00E9>", {},
                  {"tag \u00E9t\u00E9 text='\U0001F601\u20AC' at=\u00E9t\u00E9<",
                   "end \u00E9t\u00E9 at=\u00E9t\u00E9<"}},
        EventCase{"DeclarationAndDoctype",
                  u"<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY e \"ent\">]><a>&e;</a>", {},
                  {"tag a text='ent' at=a<", "end a at=a<"}},
        // A false answer skips the descendants until the element's own end tag;
        // every element still gets its end event.
        EventCase{"SkipSubtree", u"<a><b><c><d/></c></b><e/></a>", {"b"},
                  {"tag a text='' at=a<", "tag b text='' at=b<a", "end d at=d<c", "end c at=c<b",
                   "end b at=b<a", "tag e text='' at=e<a", "end e at=e<a", "end a at=a<"}},
        EventCase{"FalseForLeafHasNoEffect", u"<a><b/><c/></a>", {"b"},
                  {"tag a text='' at=a<", "tag b text='' at=b<a", "end b at=b<a",
                   "tag c text='' at=c<a", "end c at=c<a", "end a at=a<"}},
        // What the base class does (answers false): only the root gets _HandleTag.
        EventCase{"AllFalse", u"<a><b><c/></b><d>1</d></a>", {"*"},
                  {"tag a text='' at=a<", "end c at=c<b", "end b at=b<a", "end d at=d<a",
                   "end a at=a<"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(XmlEvents, EmptyStringNeedsNoParser) {
    xmltest::EventRecorder recorder;
    EXPECT_TRUE(recorder.ParseString(u""));
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_FALSE(recorder.HoldsParser());
}

// The base class alone answers false and records nothing; it must still
// accept a document with nested elements.
TEST(XmlEvents, BaseClassParses) {
    MXMLExpat plain;
    EXPECT_TRUE(plain.ParseString(u"<a><b><c/></b></a>"));
}

TEST(XmlEvents, GetParentTagOutsideTheStackIsEmpty) {
    class Probe : public MXMLExpat {
    public:
        std::vector<std::u16string> seen;

    protected:
        bool _HandleTag(const std::u16string&) override {
            for (int n : {-1, 0, 1, 2, 3, 1000000}) {
                seen.push_back(GetParentTag(n));
            }
            return true;
        }
    } probe;
    EXPECT_TRUE(probe.ParseString(u"<a><b/></a>"));
    ASSERT_EQ(probe.seen.size(), 12u);
    const std::vector<std::u16string> atA{u"", u"a", u"", u"", u"", u""};
    const std::vector<std::u16string> atB{u"", u"b", u"a", u"", u"", u""};
    EXPECT_EQ(std::vector<std::u16string>(probe.seen.begin(), probe.seen.begin() + 6), atA);
    EXPECT_EQ(std::vector<std::u16string>(probe.seen.begin() + 6, probe.seen.end()), atB);
    EXPECT_EQ(probe.GetParentTag(0), u"");  // idle object
}

TEST(XmlEvents, ObjectsHoldingAParserCannotBeCopied) {
    EXPECT_FALSE(std::is_copy_constructible_v<MXMLExpat>);
    EXPECT_FALSE(std::is_copy_assignable_v<MXMLExpat>);
}

// Elements far apart in the tag stack reuse the stack's slots; names of
// different lengths at the same depth must not leak into each other.
TEST(XmlEvents, ReusedStackSlotsHoldExactNames) {
    xmltest::EventRecorder recorder;
    EXPECT_TRUE(recorder.ParseString(u"<r><longelementname/><b/><c><dd/></c></r>"));
    const Events expected{"tag r text='' at=r<",
                          "tag longelementname text='' at=longelementname<r",
                          "end longelementname at=longelementname<r",
                          "tag b text='' at=b<r",
                          "end b at=b<r",
                          "tag c text='' at=c<r",
                          "tag dd text='' at=dd<c",
                          "end dd at=dd<c",
                          "end c at=c<r",
                          "end r at=r<"};
    EXPECT_EQ(recorder.events, expected);
}

}  // namespace
