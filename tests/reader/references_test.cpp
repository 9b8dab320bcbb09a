// References resolved after the document, the id lookup, and owned helpers.

#include "tests/reader/reader_fixture.h"

#include "errors/sax_error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using readertest::Recorder;
using readertest::RecordingHelper;
using readertest::TestReader;
using testing::ElementsAre;

// Parses xml through root in a fresh level-0 project file.
void ParseDocument(TestReader& reader, const std::string& xml, ISAXPersist* root) {
    qtest::TempDir dir;
    reader.Parse(readertest::WriteProject(dir, "refs.kpf", xml), root);
}

TEST(ReferencesTest, ResolvedOnceEachInPointerOrder) {
    std::vector<std::string> log;
    // Two objects in one array, so their address order is known.
    std::vector<std::unique_ptr<Recorder>> objects;
    objects.push_back(std::make_unique<Recorder>("first", log));
    objects.push_back(std::make_unique<Recorder>("second", log));
    Recorder* low = std::min(objects[0].get(), objects[1].get(), std::less<Recorder*>());
    Recorder* high = low == objects[0].get() ? objects[1].get() : objects[0].get();
    low->name = "low";
    high->name = "high";

    Recorder root("R", log);
    root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        // Registered high first, and twice.
        if (tag == u"A") reader->AddToReferenceResolver(high);
        if (tag == u"B") reader->AddToReferenceResolver(low);
        if (tag == u"C") reader->AddToReferenceResolver(high);
    };
    TestReader reader;
    ParseDocument(reader, "<kor:ProjectFile><A/><B/><C/></kor:ProjectFile>", &root);
    const std::vector<std::string> resolved(log.end() - 2, log.end());
    EXPECT_THAT(resolved, ElementsAre("low:resolve", "high:resolve"));
    EXPECT_EQ(2, std::count_if(log.begin(), log.end(),
                               [](const std::string& e) { return e.find(":resolve") != std::string::npos; }));
}

TEST(ReferencesTest, NothingRegisteredNothingResolved) {
    std::vector<std::string> log;
    Recorder root("R", log);
    TestReader reader;
    ParseDocument(reader, readertest::kSampleDocument, &root);
    EXPECT_EQ("R:end kor:ProjectFile", log.back());
}

// What LookupId must leave in place when an id has no entry.
ISAXReference untouched;

// An object that refers to others by number and resolves them afterwards.
class Referrer : public Recorder {
public:
    using Recorder::Recorder;
    std::vector<uint32_t> wanted;
    std::vector<ISAXReference*> found;
    std::vector<bool> present;

    void ResolveReferences(MSAXReader* reader) override {
        Recorder::ResolveReferences(reader);
        for (uint32_t id : wanted) {
            ISAXReference* object = &untouched;
            present.push_back(reader->LookupId(id, object));
            found.push_back(object);
        }
    }
};

TEST(ReferencesTest, LookupFindsLaterObjectsAndTellsNullFromMissing) {
    std::vector<std::string> log;
    Recorder root("R", log);
    Referrer referrer("F", log);
    Recorder target("T", log);
    referrer.wanted = {2, 0, 99};
    root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        if (tag == u"Ref") {
            reader->PushTagHandler(&referrer);
            reader->AddToReferenceResolver(&referrer);
        }
        if (tag == u"Target") reader->PushTagHandler(&target);
    };
    TestReader reader;
    // The referrer comes before the object it names.
    ParseDocument(reader,
                  "<kor:ProjectFile><Ref><id>1</id></Ref><Target><id>2</id></Target></kor:ProjectFile>", &root);
    EXPECT_THAT(referrer.present, ElementsAre(true, true, false));
    EXPECT_EQ(target.GetReference(), referrer.found[0]);
    EXPECT_EQ(nullptr, referrer.found[1]);  // 0 is null, not missing
    EXPECT_EQ(&untouched, referrer.found[2]);

    // The throwing form names the referrer and never touches it.
    EXPECT_EQ(target.GetReference(), reader.ResolveId(2, &referrer));
    EXPECT_EQ(nullptr, reader.ResolveId(0, &referrer));
    try {
        reader.ResolveId(99, &referrer);
        ADD_FAILURE() << "no exception";
    } catch (const MSAXError::MMissingReference& missing) {
        EXPECT_EQ(&referrer, missing.object);
        EXPECT_EQ(536u, missing.code);
    }
}

TEST(ReferencesTest, FailureInResolutionStopsItAndReachesTheCaller) {
    std::vector<std::string> log;
    std::vector<std::unique_ptr<Recorder>> objects;
    for (const char* name : {"a", "b", "c"}) objects.push_back(std::make_unique<Recorder>(name, log));
    std::vector<Recorder*> ordered;
    for (auto& object : objects) ordered.push_back(object.get());
    std::sort(ordered.begin(), ordered.end(), std::less<Recorder*>());
    ordered[1]->onResolve = [](MSAXReader*) { throw MSAXError::MMissingReference(nullptr); };

    Recorder root("R", log);
    root.onTag = [&](const std::u16string&, MSAXReader* reader) {
        for (Recorder* object : ordered) reader->AddToReferenceResolver(object);
    };
    TestReader reader;
    EXPECT_THROW(ParseDocument(reader, readertest::kSampleDocument, &root), MSAXError::MMissingReference);
    EXPECT_EQ(ordered[1]->name + ":resolve", log.back());
    EXPECT_EQ(0, std::count(log.begin(), log.end(), ordered[2]->name + ":resolve"));
    EXPECT_TRUE(reader.Idle());
}

TEST(ReferencesTest, ObjectsRegisteredDuringResolutionAreSafe) {
    std::vector<std::string> log;
    Recorder first("first", log);
    Recorder second("second", log);
    Recorder root("R", log);
    // Each registers the other: whatever the order, nothing is called twice
    // and the iteration survives the insertion.
    first.onResolve = [&](MSAXReader* reader) { reader->AddToReferenceResolver(&second); };
    second.onResolve = [&](MSAXReader* reader) { reader->AddToReferenceResolver(&first); };
    root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        if (tag == u"Obj") reader->AddToReferenceResolver(&first);
    };
    TestReader reader;
    ParseDocument(reader, readertest::kSampleDocument, &root);
    EXPECT_EQ(1, std::count(log.begin(), log.end(), "first:resolve"));
    EXPECT_LE(std::count(log.begin(), log.end(), "second:resolve"), 1);
}

TEST(HelpersTest, PushedHelperIsOwnedInitialisedAndDeletedWithTheReader) {
    std::vector<std::string> log;
    int deleted = 0;
    Recorder root("R", log);
    root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        if (tag == u"Obj") reader->PushTagHandlerHelper(new RecordingHelper("H", log, &deleted));
    };
    {
        TestReader reader;
        reader.InitHelpersAfterLoading();  // none yet: nothing happens
        ParseDocument(reader, readertest::kSampleDocument, &root);
        EXPECT_THAT(log, ElementsAre("R:tag kor:ProjectFile", "R:tag Obj", "H:onpush", "H:setid 7", "H:tag Name",
                                     "H:end Name", "R:end Obj", "R:end kor:ProjectFile"));
        log.clear();
        reader.InitHelpersAfterLoading();
        reader.InitHelpersAfterLoading();
        EXPECT_THAT(log, ElementsAre("H:init", "H:init"));
        EXPECT_EQ(0, deleted);
        log.clear();
    }
    EXPECT_THAT(log, ElementsAre("H:deleted"));
    EXPECT_EQ(1, deleted);
}

TEST(HelpersTest, HelpersRunAndDieInPushOrderAndAreOwnedOnce) {
    std::vector<std::string> log;
    int deleted = 0;
    Recorder root("R", log);
    RecordingHelper* shared = nullptr;
    root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        if (tag == u"A") {
            shared = new RecordingHelper("H1", log, &deleted);
            reader->PushTagHandlerHelper(shared);
        }
        if (tag == u"B") reader->PushTagHandlerHelper(new RecordingHelper("H2", log, &deleted));
        // The same helper again: current again, but still owned once.
        if (tag == u"C") reader->PushTagHandlerHelper(shared);
    };
    {
        TestReader reader;
        ParseDocument(reader, "<kor:ProjectFile><A><X/></A><B/><C><Y/></C></kor:ProjectFile>", &root);
        EXPECT_EQ(2, std::count(log.begin(), log.end(), "H1:onpush"));
        EXPECT_EQ(1, std::count(log.begin(), log.end(), "H1:tag Y"));
        log.clear();
        reader.InitHelpersAfterLoading();
        EXPECT_THAT(log, ElementsAre("H1:init", "H2:init"));
        log.clear();
    }
    EXPECT_THAT(log, ElementsAre("H1:deleted", "H2:deleted"));
    EXPECT_EQ(2, deleted);
}

TEST(HelpersTest, HelperWhoseOnPushThrowsIsStillDeletedOnce) {
    class ThrowingHelper : public RecordingHelper {
    public:
        using RecordingHelper::RecordingHelper;
        void OnPush() override { throw std::runtime_error("refused"); }
    };
    std::vector<std::string> log;
    int deleted = 0;
    Recorder root("R", log);
    root.onTag = [&](const std::u16string& tag, MSAXReader* reader) {
        if (tag == u"Obj") reader->PushTagHandlerHelper(new ThrowingHelper("H", log, &deleted));
    };
    {
        TestReader reader;
        EXPECT_THROW(ParseDocument(reader, readertest::kSampleDocument, &root), std::runtime_error);
        EXPECT_EQ(0, deleted);
    }
    EXPECT_EQ(1, deleted);
}

TEST(HelpersTest, PushesOutsideAParseAreIgnored) {
    std::vector<std::string> log;
    Recorder handler("P", log);
    int deleted = 0;
    {
        TestReader reader;
        reader.PushTagHandler(&handler);
        reader.PushTagHandler(nullptr);
        reader.PushTagHandlerHelper(nullptr);
        reader.PushTagHandlerHelper(new RecordingHelper("H", log, &deleted));
        EXPECT_EQ(0u, reader.HandlerDepth());
        EXPECT_TRUE(log.empty());
    }
    EXPECT_EQ(1, deleted);  // owned all the same
}

}  // namespace
