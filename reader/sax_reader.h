#pragma once
// The project file reader. Parse opens a project file (a zip container),
// builds the decryptor its descriptor "blob_0000" asks for, streams
// "header.xml" in 4096-byte chunks through the decryptor into the XML event
// layer and hands every element to the current tag handler of a handler
// stack. "id" elements register the object being read; after the document the
// registered objects resolve their references. Every failure is thrown as an
// MSAXError (or a container error that the reader passes on unchanged).

#include "archive/blob_read.h"
#include "archive/zip_archive.h"
#include "crypt/encryption_level.h"
#include "platform/api.h"
#include "reader/sax_persist.h"
#include "xml/xml_expat.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

class ISAXDecryptor;
class MSAXBlobArchive;

class QZ_API MSAXReader : public MXMLExpat {
public:
    // Name of the root element every project file document must have.
    static constexpr const char16_t* kRootElement = u"kor:ProjectFile";
    // Name of the elements that register an object under a number.
    static constexpr const char16_t* kIdElement = u"id";

    // Nothing open, no handlers, encryption level -1, empty temporary directory.
    MSAXReader();
    // Deletes the helpers (in push order) and anything a failed parse left.
    ~MSAXReader() override;
    // A reader owns helpers, a decryptor, a blob store and open archives:
    // copying is not offered.
    MSAXReader(const MSAXReader&) = delete;
    MSAXReader& operator=(const MSAXReader&) = delete;

    // Reads the project file at file (null-terminated) through root, which
    // must stay alive until Parse returns. Starts clean every time: the
    // handler stack, id map and resolver set of an earlier parse are emptied
    // (helpers stay owned). Throws std::invalid_argument for a null file or
    // root and std::logic_error when called from inside a running parse.
    // Failures: MSAXError::MFileOpenRead (not a readable zip container),
    // MSAXError::MDecryptUnknownLevel and MZipArchiveError::MDeflate from the
    // descriptor, MSAXError::MNotAKorProjectFile (no "header.xml" or a foreign
    // root element), MSAXError::MParse (malformed document, also an empty
    // one), MSAXError::MDeflate (read error in "header.xml" or a blob), and
    // whatever a handler throws. MSAXError::MStopParsing comes back with tag =
    // the innermost open element (unchanged when none is open), after the
    // references have been resolved; after any other failure they are not.
    // Every parse resource is released on every way out; the encryption level
    // of the last descriptor read stays readable.
    void Parse(const char16_t* file, ISAXPersist* root);
    void Parse(const std::u16string& file, ISAXPersist* root);

    // Makes handler current for the children of the element being handled;
    // handler receives OnPush first. Meant for HandleTag; the reader does not
    // own handler. A null handler, or a call while no handler is current
    // (outside a parse, before the first), is ignored.
    void PushTagHandler(ISAXPersist* handler);

    // As PushTagHandler, and the reader takes ownership of helper (taken
    // before OnPush runs, so it is owned even if OnPush throws); it is deleted
    // with the reader. Pushing a helper the reader already owns makes it
    // current again without taking it twice. Null is ignored.
    void PushTagHandlerHelper(ISAXPersistHelper* helper);

    // Registers object for ResolveReferences after the document; a second
    // registration of the same object changes nothing. Null is ignored.
    void AddToReferenceResolver(ISAXPersist* object);

    // Calls InitAfterLoading on every owned helper, in push order; each call
    // repeats it. Does nothing without helpers.
    void InitHelpersAfterLoading();

    // The id lookup for objects inside ResolveReferences: true and out set to
    // the object registered under id (null for id 0 unless the document
    // registered 0); false and out untouched when id has no entry.
    bool LookupId(uint32_t id, ISAXReference*& out) const;
    // As LookupId, but an id without entry throws MSAXError::MMissingReference
    // carrying referrer (typically the object that asked), never dereferenced.
    ISAXReference* ResolveId(uint32_t id, const void* referrer) const;

    using MXMLExpat::ReadValue;
    // Reads the current element's text as a blob value "offset size name" and
    // hands out a reader positioned on those bytes of the named entry (never
    // deciphered). The reader stays owned by this object and is deleted at the
    // next end tag; a second call while one element is handled keeps the
    // first alive until then too. Empty text: false, blob untouched. Missing
    // or malformed field (also a negative number or a name longer than 259
    // characters), or no parse running: false, blob = null. Throws
    // MZipArchiveError::MFileNotFound (container or entry cannot be opened)
    // and MZipArchiveError::MDeflate (read error while positioning).
    bool ReadValue(ISAXBlobRead*& blob);

    // Writes the deciphered "header.xml" of projectFile to outputFile (created
    // or emptied) without parsing it; true, every failure is thrown:
    // MSAXError::MFileOpenRead (project file), MSAXError::MDecryptUnknownLevel
    // and MZipArchiveError::MDeflate (descriptor), MSAXError::MNotAKorProjectFile
    // (no "header.xml"; outputFile untouched), MSAXError::MFileOpenWrite
    // (outputFile cannot be opened or is the project file itself, checked
    // before the document is read; or a write to it fails, after which it is
    // deleted), MZipArchiveError::MDeflate
    // (read error in the document; outputFile closed and deleted first).
    static bool ExtractXMLHeader(const char16_t* projectFile, const char16_t* outputFile);

    // The project file path of the running parse; empty outside a parse.
    std::u16string GetArchiveFileName() const;
    // Level of the last descriptor read (kept after the parse); -1 before.
    ESAXEncryptionLevel GetFileInfoEncryption() const;
    // name := "No Encryption" (level 0, true), "Korvane 32 Bit" (level 1,
    // true) or "Invalid" (any other level, false).
    bool GetFileInfoEncryption(std::u16string& name) const;

    // The system's temporary directory (with its trailing separator) as found
    // by the first Parse; empty before it or when the system reports none.
    std::u16string GetTempDirectory() const;

protected:
    // Tag dispatch: root element check, "id" elements, then the current handler.
    bool _HandleTag(const std::u16string& name) override;
    // End-of-element dispatch: blob end-tag step, then the handler that
    // received the element's HandleTag.
    void _HandleEndTag(const std::u16string& name) override;
    // Called after each chunk of "header.xml" has been parsed; does nothing.
    virtual void _OnReadBlock();

    // Releases the parse resources: decryptor, header entry, parser, handed-out
    // blob readers, blob store, both archives, temporary files. Whatever is
    // not held is skipped, so a second call does nothing.
    void _StopParsing(MZipArchive& headerArchive, MZipFile& headerEntry);
    // Calls ResolveReferences(this) on every registered object in ascending
    // pointer order. The set is not emptied.
    void _ResolveReferences();
    // Fills the temporary directory once per reader (stays empty when the
    // system reports none, or a path longer than it announced).
    void _InitTempDirectory();

    // Handlers: the last entry is current. One entry per handled open element
    // plus the root handler. Not owned.
    std::deque<ISAXPersist*> _handlerStack;
    // Objects registered by "id" elements; 0 maps to null unless registered.
    std::map<uint32_t, ISAXReference*> _idMap;
    // Objects that receive ResolveReferences after the document. Not owned.
    std::set<ISAXPersist*> _resolverSet;
    // Owned helpers in push order, and the same pointers for lookup.
    std::vector<std::unique_ptr<ISAXPersistHelper>> _helpers;
    std::unordered_set<const ISAXPersistHelper*> _helperSet;
    // Names of files in the temporary directory deleted when a parse ends.
    std::set<std::u16string> _tempFiles;
    // The blob store of the running parse.
    std::unique_ptr<MSAXBlobArchive> _blobStore;
    // Blob readers handed out since the last end tag.
    std::vector<std::unique_ptr<ISAXBlobRead>> _handedOutBlobs;
    // The system's temporary directory, filled by the first Parse.
    std::u16string _tempDirectory;
    // The project file opened a second time, for the encryption descriptor.
    MZipArchive _descriptorArchive{false};
    // The decryptor of the running parse.
    std::unique_ptr<ISAXDecryptor> _decryptor;
    // Level of the last descriptor read.
    ESAXEncryptionLevel _encryptionLevel = kEncryptionLevelUnknown;
    // True while Parse runs (a nested Parse is refused).
    bool _parsing = false;
};
