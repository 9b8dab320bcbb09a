#pragma once
// Shared pieces of the reader tests: a reader that exposes its state, tag
// handlers that write what they receive into one log, project files made by
// the writer, and a capture of the debugger output.

#include "platform/diagnostics.h"
#include "reader/sax_reader.h"
#include "tests/support/temp_dir.h"
#include "tools/writer/project_writer.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace readertest {

// The sample document of the handler protocol.
extern const char* const kSampleDocument;

// A reader that counts _OnReadBlock calls and shows what it holds.
class TestReader : public MSAXReader {
public:
    int blocks = 0;
    std::function<void()> onReadBlock;

    std::size_t HandlerDepth() const { return _handlerStack.size(); }
    ISAXPersist* CurrentHandler() const { return _handlerStack.empty() ? nullptr : _handlerStack.back(); }
    const std::map<uint32_t, ISAXReference*>& Ids() const { return _idMap; }
    std::size_t HandedOutBlobs() const { return _handedOutBlobs.size(); }
    bool HoldsParser() const { return _parser != nullptr; }
    bool HoldsStore() const { return _blobStore != nullptr; }
    bool HoldsDecryptor() const { return _decryptor != nullptr; }
    // True when the descriptor archive was still open (closes it).
    bool CloseDescriptorArchive() { return _descriptorArchive.Close(); }
    // Nothing of a parse is held any more.
    bool Idle() { return !HoldsParser() && !HoldsStore() && !HoldsDecryptor() && !CloseDescriptorArchive(); }

protected:
    void _OnReadBlock() override {
        ++blocks;
        if (onReadBlock) onReadBlock();
    }
};

// A handler that logs every call as "<name>:<event>", e.g. "R:tag Obj",
// "P:end Name", "P:setid 7", "P:onpush", "R:resolve", "H:init".
// HandleTag answers `answer` and then runs onTag, if set. Base is
// ISAXPersist or ISAXPersistHelper.
template <class Base>
class RecorderOf : public Base {
public:
    RecorderOf(std::string name, std::vector<std::string>& log, bool answer = true)
        : name(std::move(name)), log(log), answer(answer) {}

    std::string name;
    std::vector<std::string>& log;
    bool answer;
    std::function<void(const std::u16string& tag, MSAXReader* reader)> onTag;
    std::function<void(MSAXReader* reader)> onResolve;

    void OnPush() override { Log("onpush"); }
    bool HandleTag(const std::u16string& tag, MSAXReader* reader) override {
        Log("tag " + qtest::Narrow(tag));
        if (onTag) onTag(tag, reader);
        return answer;
    }
    void HandleEndTag(const std::u16string& tag) override { Log("end " + qtest::Narrow(tag)); }
    void ResolveReferences(MSAXReader* reader) override {
        Log("resolve");
        if (onResolve) onResolve(reader);
    }
    void InitAfterLoading() override { Log("init"); }
    void SetId(uint32_t id) override { Log("setid " + std::to_string(id)); }

protected:
    void Log(const std::string& event) { log.push_back(name + ":" + event); }
};

using Recorder = RecorderOf<ISAXPersist>;

// A recorder the reader can own; counts its destruction in *deleted.
class RecordingHelper : public RecorderOf<ISAXPersistHelper> {
public:
    RecordingHelper(std::string name, std::vector<std::string>& log, int* deleted = nullptr)
        : RecorderOf(std::move(name), log), deleted(deleted) {}
    ~RecordingHelper() override {
        this->Log("deleted");
        if (deleted) ++*deleted;
    }
    int* deleted;
};

// Collects the debugger output while it lives.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;
    std::vector<std::u16string> reports;

private:
    platform::DebugOutputSink previous_;
};

// Writes a project file into dir and returns its path.
std::u16string WriteProject(const qtest::TempDir& dir, const std::string& fileName, const std::string& xml,
                            const qwriter::ProjectFileOptions& options = {});

// A document with root "kor:ProjectFile" of exactly size bytes (size >= 64).
std::string DocumentOfSize(std::size_t size);

// Overwrites the first data byte of the named (deflated) entry of the
// container at path with a deflate block of the reserved type, so that any
// read of the entry fails.
void CorruptEntryData(const std::string& path, const std::string& entry);

}  // namespace readertest
