#pragma once
// The tag handler interfaces through which the reader meets the objects that a
// project file describes. Every operation has a default, so a handler
// overrides only what it needs.

#include <cstdint>
#include <string>

class MSAXReader;

// The identity of an object that others can refer to by id. Handlers are
// deleted through this destructor wherever the library deletes them.
class ISAXReference {
public:
    virtual ~ISAXReference() = default;
};

// A tag handler. ISAXReference is a virtual base, so an object implementing
// several handler interfaces has exactly one identity.
class ISAXPersist : public virtual ISAXReference {
public:
    // Called by PushTagHandler(Helper) just before this handler becomes current.
    virtual void OnPush() {}
    // An element (never "id"); true lets its children be handled, false skips
    // its descendants (ignored for elements without children and for the root).
    virtual bool HandleTag(const std::u16string& name, MSAXReader* reader) {
        (void)name;
        (void)reader;
        return false;
    }
    // End of an element whose HandleTag this handler received.
    virtual void HandleEndTag(const std::u16string& name) { (void)name; }
    // After the document, for objects registered with AddToReferenceResolver.
    virtual void ResolveReferences(MSAXReader* reader) { (void)reader; }
    // Called by InitHelpersAfterLoading on every helper.
    virtual void InitAfterLoading() {}
    // Not called by the library; answers true.
    virtual bool Confirm(void* argument) {
        (void)argument;
        return true;
    }
    // The identity stored in the id map; the same pointer whatever interface
    // the object is reached through.
    virtual ISAXReference* GetReference() { return this; }
    // The number of the "id" element among this object's children.
    virtual void SetId(uint32_t id) { (void)id; }
};

// A tag handler that the reader owns once pushed with PushTagHandlerHelper; it
// is deleted with the reader. Its ISAXPersist part comes first.
class ISAXPersistHelper : public ISAXPersist {};
