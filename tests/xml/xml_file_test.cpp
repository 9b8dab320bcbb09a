// MXMLExpat::Parse: files read in 4096-byte blocks.

#include "errors/sax_error.h"
#include "tests/xml/event_recorder.h"

#include <gtest/gtest.h>

namespace {

using Events = std::vector<std::string>;

// "<a>xxxx</a>" of exactly size bytes (size >= 7).
std::string DocumentOfSize(std::size_t size) {
    return "<a>" + std::string(size - 7, 'x') + "</a>";
}

class XmlFileSizes : public ::testing::TestWithParam<std::size_t> {};

// A complete document parses whatever its size relative to the block size.
TEST_P(XmlFileSizes, CompleteDocument) {
    qtest::TempDir dir;
    const std::size_t size = GetParam();
    qtest::WriteFileBytes(dir.File("doc.xml"), DocumentOfSize(size));
    xmltest::EventRecorder recorder;
    EXPECT_TRUE(recorder.Parse(dir.WideFile("doc.xml")));
    const Events expected{"tag a text='" + std::string(size - 7, 'x') + "' at=a<", "end a at=a<"};
    EXPECT_EQ(recorder.events, expected);
    EXPECT_FALSE(recorder.HoldsParser());
    EXPECT_FALSE(recorder.HoldsFile());
}

// The same document cut short by one byte: only a final call to Expat reveals
// the missing '>', also when the file ends exactly on a block boundary (then
// the final call carries 0 bytes).
TEST_P(XmlFileSizes, TruncatedDocument) {
    qtest::TempDir dir;
    const std::size_t size = GetParam();
    std::string doc = DocumentOfSize(size + 1);
    doc.pop_back();
    ASSERT_EQ(doc.size(), size);
    qtest::WriteFileBytes(dir.File("doc.xml"), doc);
    xmltest::EventRecorder recorder;
    EXPECT_THROW(recorder.Parse(dir.WideFile("doc.xml")), MSAXError::MParse);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_FALSE(recorder.HoldsParser());
    EXPECT_FALSE(recorder.HoldsFile());
}

INSTANTIATE_TEST_SUITE_P(BlockBoundaries, XmlFileSizes,
                         ::testing::Values(7, 4095, 4096, 4097, 8191, 8192, 8193, 3 * 4096),
                         [](const auto& info) { return std::to_string(info.param); });

// Names and text cut by block boundaries arrive whole.
TEST(XmlFile, ElementsAcrossBlocks) {
    class Summer : public MXMLExpat {
    public:
        uint32_t sum = 0;
        int items = 0;

    protected:
        bool _HandleTag(const std::u16string& name) override {
            if (name == u"item") {
                uint32_t v = 0;
                EXPECT_TRUE(ReadValue(v));
                sum += v;
                ++items;
            }
            return true;
        }
    };
    std::string doc = "<root>";
    uint32_t expected = 0;
    for (uint32_t i = 0; i < 3000; ++i) {
        doc += "<item>" + std::to_string(i) + "</item>";
        expected += i;
    }
    doc += "</root>";
    qtest::TempDir dir;
    qtest::WriteFileBytes(dir.File("items.xml"), doc);
    Summer summer;
    EXPECT_TRUE(summer.Parse(dir.WideFile("items.xml")));
    EXPECT_EQ(summer.items, 3000);
    EXPECT_EQ(summer.sum, expected);
}

TEST(XmlFile, MissingPathReturnsFalse) {
    qtest::TempDir dir;
    xmltest::EventRecorder recorder;
    EXPECT_FALSE(recorder.Parse(dir.WideFile("absent.xml")));
    EXPECT_FALSE(recorder.Parse(u""));
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_FALSE(recorder.HoldsParser());
    EXPECT_FALSE(recorder.HoldsFile());
}

// The document's own byte order mark or declaration decides its encoding.
struct EncodingCase {
    const char* label;
    std::string bytes;
    std::string text;  // of the root element <a>, as UTF-8
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.label; }

class XmlFileEncodings : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(XmlFileEncodings, Decoded) {
    qtest::TempDir dir;
    qtest::WriteFileBytes(dir.File("doc.xml"), GetParam().bytes);
    xmltest::EventRecorder recorder;
    EXPECT_TRUE(recorder.Parse(dir.WideFile("doc.xml")));
    const Events expected{"tag a text='" + GetParam().text + "' at=a<", "end a at=a<"};
    EXPECT_EQ(recorder.events, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XmlFileEncodings,
    ::testing::Values(
        EncodingCase{"Utf8", "<a>\xC3\xA9</a>", "\xC3\xA9"},
        EncodingCase{"Utf8Bom", "\xEF\xBB\xBF<a>z</a>", "z"},
        EncodingCase{"Utf16LeBom", std::string("\xFF\xFE<\0a\0>\0\xE9\0<\0/\0a\0>\0", 18), "\xC3\xA9"},
        EncodingCase{"Utf16BeBom", std::string("\xFE\xFF\0<\0a\0>\0\xE9\0<\0/\0a\0>", 18), "\xC3\xA9"},
        EncodingCase{"Latin1Declared",
                     "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9</a>", "\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.label); });

struct BadFileCase {
    const char* label;
    std::string bytes;
};

void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.label; }

class XmlBadFiles : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(XmlBadFiles, ThrowParseAndReleaseFile) {
    qtest::TempDir dir;
    qtest::WriteFileBytes(dir.File("bad.xml"), GetParam().bytes);
    xmltest::EventRecorder recorder;
    EXPECT_THROW(recorder.Parse(dir.WideFile("bad.xml")), MSAXError::MParse);
    EXPECT_FALSE(recorder.HoldsParser());
    EXPECT_FALSE(recorder.HoldsFile());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XmlBadFiles,
    ::testing::Values(
        BadFileCase{"Empty", ""},
        BadFileCase{"Truncated", "<a><b>"},
        BadFileCase{"Mismatched", "<a></b>"},
        BadFileCase{"InvalidUtf8", "<a>\xFF\xFE\xFD</a>"},
        BadFileCase{"Utf8DeclaredInvalidBytes", "<?xml version='1.0' encoding='UTF-8'?><a>\xC3</a>"},
        BadFileCase{"UnknownEncoding", "<?xml version='1.0' encoding='x-no-such'?><a/>"},
        BadFileCase{"Utf16BomThenOddByte", std::string("\xFF\xFE<\0a\0/\0>", 9)},
        BadFileCase{"Binary", std::string("PK\3\4\0\0\x14\0", 8)}),
    [](const auto& info) { return std::string(info.param.label); });

// A handler's MStopParsing passes through Parse with the tag filled and the
// file closed.
TEST(XmlFile, StopParsingClosesTheFile) {
    qtest::TempDir dir;
    qtest::WriteFileBytes(dir.File("doc.xml"), "<a><b><c/></b></a>");
    xmltest::EventRecorder recorder;
    recorder.thrower = [](const std::string& event) {
        if (event.rfind("tag c", 0) == 0) throw MSAXError::MStopParsing();
    };
    try {
        recorder.Parse(dir.WideFile("doc.xml"));
        ADD_FAILURE() << "no exception";
    } catch (const MSAXError::MStopParsing& e) {
        EXPECT_EQ(e.tag, u"c");
        EXPECT_EQ(e.code, 524u);
    }
    EXPECT_FALSE(recorder.HoldsParser());
    EXPECT_FALSE(recorder.HoldsFile());
}

// An object serves parse after parse, also after a failed one.
TEST(XmlFile, ReusedAfterFailure) {
    qtest::TempDir dir;
    qtest::WriteFileBytes(dir.File("bad.xml"), "<a><b>");
    qtest::WriteFileBytes(dir.File("good.xml"), "<c>1</c>");
    xmltest::EventRecorder recorder;
    EXPECT_THROW(recorder.Parse(dir.WideFile("bad.xml")), MSAXError::MParse);
    recorder.events.clear();
    EXPECT_TRUE(recorder.Parse(dir.WideFile("good.xml")));
    const Events expected{"tag c text='1' at=c<", "end c at=c<"};
    EXPECT_EQ(recorder.events, expected);
}

}  // namespace
