// The parse pipeline driven through project files made by the writer: handler
// protocol, levels and signatures, chunking, failures and their clean-up,
// stopping early, the timing report and the temporary directory.

#include "tests/reader/reader_fixture.h"

#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "platform/temp_directory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

using readertest::Recorder;
using readertest::TestReader;
using testing::ElementsAre;
using testing::ElementsAreArray;

// The events of the sample document with a root handler R that pushes P for Obj.
const std::vector<std::string> kSampleEvents = {
    "R:tag kor:ProjectFile", "R:tag Obj", "P:onpush", "P:setid 7",
    "P:tag Name",            "P:end Name", "R:end Obj", "R:end kor:ProjectFile"};

// Parses xml (written as a level-0 project file) with a recording root
// handler answering `answer`; returns the log.
std::vector<std::string> ParseLogged(const std::string& xml, bool answer) {
    qtest::TempDir dir;
    const std::u16string path = readertest::WriteProject(dir, "doc.kpf", xml);
    std::vector<std::string> log;
    Recorder root("R", log, answer);
    TestReader reader;
    reader.Parse(path, &root);
    return log;
}

TEST(ParsePipelineTest, SampleDocumentAtEveryLevelAndSignature) {
    qtest::TempDir dir;
    struct Case {
        int level;
        uint32_t key;
        bool alternative;
        ESAXCompressionLevel headerLevel;
    };
    const Case cases[] = {
        {0, 0, false, eSAXCompressionDefault}, {0, 0, true, eSAXCompressionDefault},
        {1, 0x1234ABCD, false, eSAXCompressionDefault}, {1, 0xFFFFFFFF, true, eSAXCompressionNone},
        {2, 0, false, eSAXCompressionNone},    {2, 0, true, eSAXCompressionBest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level) + (c.alternative ? " KR" : " PK"));
        qwriter::ProjectFileOptions options;
        options.level = c.level;
        options.key = c.key;
        options.alternativeSignatures = c.alternative;
        options.headerLevel = c.headerLevel;
        const std::u16string path = readertest::WriteProject(dir, "sample.kpf", readertest::kSampleDocument, options);

        std::vector<std::string> log;
        Recorder root("R", log);
        Recorder pushed("P", log);
        root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
            if (tag == u"Obj") reader->PushTagHandler(&pushed);
        };
        pushed.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
            std::u16string text;
            reader->ReadValue(text);
            EXPECT_EQ(u"x", text);
            EXPECT_EQ(tag, reader->GetParentTag(0));
            EXPECT_EQ(u"Obj", reader->GetParentTag(1));
        };
        TestReader reader;
        reader.Parse(path, &root);

        EXPECT_THAT(log, ElementsAreArray(kSampleEvents));
        EXPECT_THAT(reader.Ids(), ElementsAre(std::make_pair(0u, nullptr),
                                              std::make_pair(7u, pushed.GetReference())));
        EXPECT_EQ(c.level, reader.GetFileInfoEncryption());
        EXPECT_EQ(1u, reader.HandlerDepth());
        EXPECT_EQ(&root, reader.CurrentHandler());
        EXPECT_TRUE(reader.Idle());
    }
}

TEST(ParsePipelineTest, AnswersDecideWhatIsSkipped) {
    const std::string threeLevels =
        "<kor:ProjectFile><A><B><C/></B></A><D>t</D></kor:ProjectFile>";
    // A handler answering false still sees the root's children (never skipped),
    // but none of their descendants.
    EXPECT_THAT(ParseLogged(threeLevels, false),
                ElementsAre("R:tag kor:ProjectFile", "R:tag A", "R:end A", "R:tag D", "R:end D",
                            "R:end kor:ProjectFile"));
    EXPECT_THAT(ParseLogged(threeLevels, true),
                ElementsAre("R:tag kor:ProjectFile", "R:tag A", "R:tag B", "R:tag C", "R:end C", "R:end B",
                            "R:end A", "R:tag D", "R:end D", "R:end kor:ProjectFile"));
}

TEST(ParsePipelineTest, IdElementsRegisterTheCurrentHandler) {
    qtest::TempDir dir;
    struct Case {
        const char* name;
        std::string body;  // children of the root
        std::vector<std::string> events;
        std::vector<uint32_t> ids;  // registered to the root handler besides 0 -> null
    };
    // Every object is read by the root handler R (answering true, pushing nothing).
    const Case cases[] = {
        {"later id replaces earlier", "<A><id>5</id></A><B><id>5</id></B>",
         {"R:tag A", "R:setid 5", "R:end A", "R:tag B", "R:setid 5", "R:end B"}, {5}},
        {"white space around the number", "<A><id> 42 \n</id></A>", {"R:tag A", "R:setid 42", "R:end A"},
         {42}},
        {"registering 0 replaces the null entry", "<A><id>0</id></A>", {"R:tag A", "R:setid 0", "R:end A"},
         {0}},
        {"empty text registers nothing", "<A><id></id></A>", {"R:tag A", "R:end A"}, {}},
        {"text without a number registers nothing", "<A><id>abc</id></A>", {"R:tag A", "R:end A"}, {}},
        {"a number too large registers nothing", "<A><id>4294967296</id></A>", {"R:tag A", "R:end A"}, {}},
        {"digits before other text count", "<A><id>12ab</id></A>", {"R:tag A", "R:setid 12", "R:end A"},
         {12}},
        {"id of the root element itself", "<id>3</id>", {"R:setid 3"}, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string path =
            readertest::WriteProject(dir, "ids.kpf", "<kor:ProjectFile>" + c.body + "</kor:ProjectFile>");
        std::vector<std::string> log;
        Recorder root("R", log);
        TestReader reader;
        reader.Parse(path, &root);

        std::vector<std::string> expected = {"R:tag kor:ProjectFile"};
        expected.insert(expected.end(), c.events.begin(), c.events.end());
        expected.push_back("R:end kor:ProjectFile");
        EXPECT_THAT(log, ElementsAreArray(expected));

        std::map<uint32_t, ISAXReference*> ids = {{0, nullptr}};
        for (uint32_t id : c.ids) ids[id] = root.GetReference();
        EXPECT_EQ(ids, reader.Ids());
    }
}

TEST(ParsePipelineTest, IdInsideSkippedElementRegistersNothing) {
    qtest::TempDir dir;
    const std::u16string path = readertest::WriteProject(
        dir, "skip.kpf", "<kor:ProjectFile><A><B><id>9</id></B></A><C><id>4</id></C></kor:ProjectFile>");
    std::vector<std::string> log;
    Recorder root("R", log);
    root.onTag = [&](const std::u16string& tag, MSAXReader*) { root.answer = tag != u"A"; };
    TestReader reader;
    reader.Parse(path, &root);
    EXPECT_THAT(log, ElementsAre("R:tag kor:ProjectFile", "R:tag A", "R:end A", "R:tag C", "R:setid 4", "R:end C",
                                 "R:end kor:ProjectFile"));
    EXPECT_EQ(0u, reader.Ids().count(9));
    EXPECT_EQ(1u, reader.Ids().count(4));
}

TEST(ParsePipelineTest, ChunksOfHeaderXml) {
    qtest::TempDir dir;
    struct Case {
        std::size_t size;
        int blocks;
    };
    // A size that is a multiple of 4096 ends with a read of 0 bytes.
    const Case cases[] = {{100, 1}, {4095, 1}, {4096, 2}, {4097, 2}, {8192, 3}, {8193, 3}};
    for (int level = 0; level <= 2; ++level) {
        for (const Case& c : cases) {
            SCOPED_TRACE("level " + std::to_string(level) + " size " + std::to_string(c.size));
            qwriter::ProjectFileOptions options;
            options.level = level;
            options.key = 0x9E3779B9;
            const std::u16string path =
                readertest::WriteProject(dir, "chunks.kpf", readertest::DocumentOfSize(c.size), options);
            std::vector<std::string> log;
            Recorder root("R", log);
            std::u16string pad;
            root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
                if (tag == u"Pad") reader->ReadValue(pad);
            };
            TestReader reader;
            reader.Parse(path, &root);
            EXPECT_EQ(c.blocks, reader.blocks);
            // The text crosses chunk borders and comes out deciphered and whole.
            EXPECT_EQ(std::u16string(c.size - 46, u'p'), pad);
        }
    }
}

TEST(ParsePipelineTest, EmptyHeaderXmlIsAParseError) {
    qtest::TempDir dir;
    const std::u16string path = readertest::WriteProject(dir, "empty.kpf", "");
    std::vector<std::string> log;
    Recorder root("R", log);
    TestReader reader;
    EXPECT_THROW(reader.Parse(path, &root), MSAXError::MParse);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(0, reader.blocks);
    EXPECT_TRUE(reader.Idle());
}

// What each failing Parse throws and what it leaves: handlers called, level.
TEST(ParsePipelineTest, FailuresReleaseEverything) {
    qtest::TempDir dir;
    const std::string wellFormed = readertest::kSampleDocument;
    std::u16string notZip = dir.WideFile("plain.txt");
    qtest::WriteFileBytes(dir.File("plain.txt"), "this is no zip container");

    qwriter::ProjectFileOptions noHeader;
    noHeader.level = 1;
    noHeader.key = 77;
    // The writer always writes "header.xml"; a container without it is made
    // by naming the entry differently through an extra entry only.
    const std::u16string withoutHeader = dir.WideFile("noheader.kpf");
    {
        MZipArchive archive;
        ASSERT_TRUE(archive.Create(withoutHeader));
        MZipFile descriptor = archive.OpenNewFile("blob_0000", eSAXCompressionDefault);
        const std::string bytes = qwriter::DescriptorBytes(1, 77);
        archive.WriteFile(descriptor, bytes.data(), uint32_t(bytes.size()));
        archive.CloseNewFile(descriptor);
        MZipFile other = archive.OpenNewFile("header.xml.bak", eSAXCompressionDefault);
        archive.WriteFile(other, wellFormed.data(), uint32_t(wellFormed.size()));
        archive.CloseNewFile(other);
        ASSERT_TRUE(archive.Close());
    }
    qwriter::ProjectFileOptions level5;
    level5.descriptorBytes = qwriter::DescriptorBytes(5, 0);
    qwriter::ProjectFileOptions level2;
    level2.level = 2;
    qwriter::ProjectFileOptions level1;
    level1.level = 1;
    level1.key = 3;

    const std::u16string corrupt = readertest::WriteProject(dir, "corrupt.kpf", wellFormed, level1);
    readertest::CorruptEntryData(dir.File("corrupt.kpf"), "header.xml");
    const std::u16string corruptDescriptor = readertest::WriteProject(dir, "corruptdesc.kpf", wellFormed, level1);
    readertest::CorruptEntryData(dir.File("corruptdesc.kpf"), "blob_0000");

    enum Thrown { eOpenRead, eUnknownLevel, eZipDeflate, eNotProject, eParse, eDeflate };
    struct Case {
        const char* name;
        std::u16string path;
        Thrown thrown;
        std::vector<std::string> events;
        int level;  // reported afterwards
    };
    const Case cases[] = {
        {"missing file", dir.WideFile("absent.kpf"), eOpenRead, {}, -1},
        {"not a zip container", notZip, eOpenRead, {}, -1},
        {"unknown level", readertest::WriteProject(dir, "l5.kpf", wellFormed, level5), eUnknownLevel, {}, -1},
        {"unreadable descriptor", corruptDescriptor, eZipDeflate, {}, -1},
        {"no header.xml", withoutHeader, eNotProject, {}, 1},
        {"foreign root element", readertest::WriteProject(dir, "root.kpf", "<Project><A/></Project>", level2),
         eNotProject, {}, 2},
        {"root element differs in case",
         readertest::WriteProject(dir, "case.kpf", "<kor:projectfile/>"), eNotProject, {}, 0},
        {"truncated document",
         readertest::WriteProject(dir, "trunc.kpf", "<kor:ProjectFile><A>1</A><B>", level1), eParse,
         {"R:tag kor:ProjectFile", "R:tag A", "R:end A"}, 1},
        {"read error in header.xml", corrupt, eDeflate, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> log;
        Recorder root("R", log);
        // Registered objects are not resolved after these failures.
        Recorder object("O", log);
        root.onTag = [&](const std::u16string&, MSAXReader* reader) { reader->AddToReferenceResolver(&object); };
        TestReader reader;
        readertest::DebugCapture debug;
        try {
            reader.Parse(c.path, &root);
            ADD_FAILURE() << "no exception";
        } catch (const MSAXError::MFileOpenRead& e) {
            EXPECT_EQ(eOpenRead, c.thrown);
            EXPECT_EQ(u"Failed to open file for reading" + c.path, e.message);
        } catch (const MSAXError::MDecryptUnknownLevel&) {
            EXPECT_EQ(eUnknownLevel, c.thrown);
        } catch (const MZipArchiveError::MDeflate&) {
            EXPECT_EQ(eZipDeflate, c.thrown);
        } catch (const MSAXError::MNotAKorProjectFile&) {
            EXPECT_EQ(eNotProject, c.thrown);
        } catch (const MSAXError::MParse&) {
            EXPECT_EQ(eParse, c.thrown);
        } catch (const MSAXError::MDeflate& e) {
            EXPECT_EQ(eDeflate, c.thrown);
            EXPECT_EQ(u"Error while decompressing", e.detail);
        }
        EXPECT_THAT(log, ElementsAreArray(c.events));
        EXPECT_TRUE(debug.reports.empty());
        EXPECT_EQ(c.level, reader.GetFileInfoEncryption());
        EXPECT_EQ(u"", reader.GetArchiveFileName());
        EXPECT_TRUE(reader.Idle());
    }
}

// A recorder that throws MSAXError::MStopParsing right after logging stopAt.
class StopRecorder : public Recorder {
public:
    using Recorder::Recorder;
    std::string stopAt;

    bool HandleTag(const std::u16string& tag, MSAXReader* reader) override {
        const bool result = Recorder::HandleTag(tag, reader);
        StopIfDue();
        return result;
    }
    void HandleEndTag(const std::u16string& tag) override {
        Recorder::HandleEndTag(tag);
        StopIfDue();
    }

private:
    void StopIfDue() {
        if (log.back() == stopAt) throw MSAXError::MStopParsing();
    }
};

TEST(ParsePipelineTest, StopParsingResolvesReferencesAndNamesTheElement) {
    qtest::TempDir dir;
    const std::u16string path = readertest::WriteProject(
        dir, "stop.kpf", "<kor:ProjectFile><A><id>1</id></A><B><C>t</C></B><D><id>2</id></D></kor:ProjectFile>");
    struct Case {
        std::string stopAt;
        std::u16string tag;  // the innermost open element at that moment
    };
    const Case cases[] = {
        {"R:tag B", u"B"},  // handled at the start tag of C, before C opens
        {"R:tag C", u"C"},  // a leaf, handled at its own end tag
        {"R:end B", u"B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stopAt);
        std::vector<std::string> log;
        StopRecorder root("R", log);
        root.stopAt = c.stopAt;
        Recorder object("O", log);
        root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
            if (tag == u"A") reader->AddToReferenceResolver(&object);
        };
        object.onResolve = [&](MSAXReader* reader) {
            ISAXReference* found = nullptr;
            EXPECT_TRUE(reader->LookupId(1, found));
            EXPECT_FALSE(reader->LookupId(2, found));  // after the stop: never read
        };
        TestReader reader;
        readertest::DebugCapture debug;
        try {
            reader.Parse(path, &root);
            ADD_FAILURE() << "no exception";
        } catch (const MSAXError::MStopParsing& stop) {
            EXPECT_EQ(c.tag, stop.tag);
        }
        EXPECT_EQ(c.stopAt, log[log.size() - 2]);
        EXPECT_EQ("O:resolve", log.back());
        EXPECT_TRUE(debug.reports.empty());
        EXPECT_TRUE(reader.Idle());
    }
}

TEST(ParsePipelineTest, StopWithNoElementOpenKeepsTheTag) {
    qtest::TempDir dir;
    // 4096 bytes: the root ends in the first chunk, then the final empty read.
    const std::u16string path = readertest::WriteProject(dir, "after.kpf", readertest::DocumentOfSize(4096));
    std::vector<std::string> log;
    Recorder root("R", log);
    Recorder object("O", log);
    root.onTag = [&](const std::u16string&, MSAXReader* reader) { reader->AddToReferenceResolver(&object); };
    TestReader reader;
    reader.onReadBlock = [&] {
        if (reader.blocks == 2) {
            MSAXError::MStopParsing stop;
            stop.tag = u"kept";
            throw stop;
        }
    };
    try {
        reader.Parse(path, &root);
        ADD_FAILURE() << "no exception";
    } catch (const MSAXError::MStopParsing& stop) {
        EXPECT_EQ(u"kept", stop.tag);
    }
    EXPECT_EQ("O:resolve", log.back());
}

TEST(ParsePipelineTest, SubclassOfStopParsingKeepsItsType) {
    qtest::TempDir dir;
    const std::u16string path = readertest::WriteProject(dir, "v.kpf", readertest::kSampleDocument);
    std::vector<std::string> log;
    Recorder root("R", log);
    root.onTag = [](const std::u16string& tag, MSAXReader*) {
        if (tag == u"Name") throw MSAXError::MSAXIncompatibleVersion(u"too new", 600);
    };
    TestReader reader;
    try {
        reader.Parse(path, &root);
        ADD_FAILURE() << "no exception";
    } catch (const MSAXError::MSAXIncompatibleVersion& e) {
        EXPECT_EQ(u"Name", e.tag);
        EXPECT_EQ(600u, e.code);
    }
}

TEST(ParsePipelineTest, OtherExceptionsPassUnchangedWithoutResolving) {
    qtest::TempDir dir;
    const std::u16string path = readertest::WriteProject(dir, "x.kpf", readertest::kSampleDocument);
    std::vector<std::string> log;
    Recorder root("R", log);
    Recorder object("O", log);
    root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        reader->AddToReferenceResolver(&object);
        if (tag == u"Obj") throw std::runtime_error("handler failed");
    };
    TestReader reader;
    EXPECT_THROW(reader.Parse(path, &root), std::runtime_error);
    EXPECT_THAT(log, ElementsAre("R:tag kor:ProjectFile", "R:tag Obj"));
    EXPECT_TRUE(reader.Idle());

    // A failure from _OnReadBlock after the whole document: not resolved either.
    log.clear();
    root.onTag = [&](const std::u16string&, MSAXReader* reader) { reader->AddToReferenceResolver(&object); };
    reader.onReadBlock = [] { throw std::runtime_error("hook failed"); };
    EXPECT_THROW(reader.Parse(path, &root), std::runtime_error);
    EXPECT_EQ(0, std::count(log.begin(), log.end(), "O:resolve"));
}

TEST(ParsePipelineTest, OneTimingReportPerSuccessfulParse) {
    qtest::TempDir dir;
    qwriter::ProjectFileOptions options;
    options.level = 1;
    options.key = 5;
    const std::u16string path = readertest::WriteProject(dir, "t.kpf", readertest::DocumentOfSize(20000), options);
    std::vector<std::string> log;
    Recorder root("R", log);
    TestReader reader;
    readertest::DebugCapture debug;
    reader.Parse(path, &root);
    reader.Parse(path, &root);
    ASSERT_EQ(2u, debug.reports.size());
    for (const std::u16string& report : debug.reports) {
        const std::string text = qtest::Narrow(report);
        float total = 0, decompressing = 0, decrypting = 0, parsing = 0;
        ASSERT_EQ(4, std::sscanf(text.c_str(), "Total:%f\nDecompressing:%f\nDecrypting:%f\nParsing:%f\n",
                                 &total, &decompressing, &decrypting, &parsing))
            << text;
        // Printing the four values back with the report's format must give the same text.
        char again[256];
        std::snprintf(again, sizeof again, "Total:%f\nDecompressing:%f\nDecrypting:%f\nParsing:%f\n",
                      double(total), double(decompressing), double(decrypting), double(parsing));
        EXPECT_EQ(text, again);
        const float sum = decompressing + decrypting + parsing;
        EXPECT_NEAR(sum, total, 0.000002f + sum * 1e-6f);
    }
}

TEST(ParsePipelineTest, SecondParseStartsClean) {
    qtest::TempDir dir;
    const std::u16string first = readertest::WriteProject(
        dir, "a.kpf", "<kor:ProjectFile><A><id>1</id></A><B/></kor:ProjectFile>");
    qwriter::ProjectFileOptions level1;
    level1.level = 1;
    const std::u16string second = readertest::WriteProject(
        dir, "b.kpf", "<kor:ProjectFile><A><id>2</id></A></kor:ProjectFile>", level1);

    std::vector<std::string> log;
    Recorder root("R", log);
    Recorder object("O", log);
    root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        if (tag == u"A") reader->AddToReferenceResolver(&object);
    };
    TestReader reader;
    // The first parse ends in a stop inside B, leaving a deep tag stack.
    Recorder stopper("S", log);
    stopper.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        root.onTag(tag, reader);
        if (tag == u"B") throw MSAXError::MStopParsing();
    };
    EXPECT_THROW(reader.Parse(first, &stopper), MSAXError::MStopParsing);
    ASSERT_EQ(1u, reader.Ids().count(1));

    log.clear();
    reader.Parse(second, &root);
    EXPECT_THAT(log, ElementsAre("R:tag kor:ProjectFile", "R:tag A", "R:setid 2", "R:end A",
                                 "R:end kor:ProjectFile", "O:resolve"));
    EXPECT_EQ(0u, reader.Ids().count(1));
    EXPECT_EQ(1u, reader.Ids().count(2));
    EXPECT_EQ(1u, reader.HandlerDepth());
    EXPECT_EQ(1, reader.GetFileInfoEncryption());
}

TEST(ParsePipelineTest, ParseFromInsideAParseIsRefused) {
    qtest::TempDir dir;
    const std::u16string path = readertest::WriteProject(dir, "n.kpf", readertest::kSampleDocument);
    std::vector<std::string> log;
    Recorder root("R", log);
    Recorder inner("I", log);
    bool refused = false;
    root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        if (tag != u"Obj") return;
        try {
            reader->Parse(path, &inner);
        } catch (const std::logic_error&) {
            refused = true;
        }
    };
    TestReader reader;
    reader.Parse(path, &root);
    EXPECT_TRUE(refused);
    EXPECT_EQ(std::count(log.begin(), log.end(), "I:tag kor:ProjectFile"), 0);
    EXPECT_EQ("R:end kor:ProjectFile", log.back());
}

TEST(ParsePipelineTest, NullArgumentsAreRefused) {
    std::vector<std::string> log;
    Recorder root("R", log);
    TestReader reader;
    EXPECT_THROW(reader.Parse(static_cast<const char16_t*>(nullptr), &root), std::invalid_argument);
    EXPECT_THROW(reader.Parse(u"whatever.kpf", nullptr), std::invalid_argument);
    EXPECT_EQ(-1, reader.GetFileInfoEncryption());
}

TEST(ParsePipelineTest, TemporaryDirectoryIsFilledByTheFirstParse) {
    qtest::TempDir dir;
    const std::u16string path = readertest::WriteProject(dir, "tmp.kpf", readertest::kSampleDocument);
    std::vector<std::string> log;
    Recorder root("R", log);
    TestReader reader;
    EXPECT_EQ(u"", reader.GetTempDirectory());

    // Even a parse that fails to open its file fills it.
    EXPECT_THROW(reader.Parse(dir.WideFile("absent.kpf"), &root), MSAXError::MFileOpenRead);
    char16_t system[4096];
    const uint32_t length = platform::GetTempDirectory(4096, system);
    ASSERT_GT(length, 0u);
    const std::u16string expected(system, length);
    EXPECT_EQ(expected, reader.GetTempDirectory());
    EXPECT_TRUE(expected.back() == u'/' || expected.back() == u'\\');

    reader.Parse(path, &root);
    EXPECT_EQ(expected, reader.GetTempDirectory());
}

}  // namespace
