// Object references resolved after the document, and the helpers the reader owns.
#include "reader/sax_reader.h"

#include "errors/sax_error.h"

void MSAXReader::AddToReferenceResolver(ISAXPersist* object) {
    if (object != nullptr) {
        _resolverSet.insert(object);
    }
}

void MSAXReader::_ResolveReferences() {
    // Objects may register more objects meanwhile: set insertion keeps the
    // iterator valid, and those beyond the current one are called too.
    for (ISAXPersist* object : _resolverSet) {
        object->ResolveReferences(this);
    }
}

void MSAXReader::PushTagHandlerHelper(ISAXPersistHelper* helper) {
    if (helper == nullptr) {
        return;
    }
    // Ownership first, so a helper whose OnPush throws is still deleted once.
    if (_helperSet.insert(helper).second) {
        _helpers.emplace_back(helper);
    }
    PushTagHandler(helper);
}

void MSAXReader::InitHelpersAfterLoading() {
    // By index: a helper may push further helpers from InitAfterLoading.
    for (std::size_t i = 0; i < _helpers.size(); ++i) {
        _helpers[i]->InitAfterLoading();
    }
}

bool MSAXReader::LookupId(uint32_t id, ISAXReference*& out) const {
    const auto entry = _idMap.find(id);
    if (entry == _idMap.end()) {
        return false;
    }
    out = entry->second;
    return true;
}

ISAXReference* MSAXReader::ResolveId(uint32_t id, const void* referrer) const {
    ISAXReference* object = nullptr;
    if (!LookupId(id, object)) {
        throw MSAXError::MMissingReference(referrer);
    }
    return object;
}
