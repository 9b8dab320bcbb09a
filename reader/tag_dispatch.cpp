// Tag dispatch: every element the event layer delivers goes to the handler
// that is current for its parent; the handler stack grows by one entry per
// handled element and shrinks at its end tag.
#include "reader/sax_reader.h"

#include "archive/blob_archive.h"
#include "errors/sax_error.h"
#include "xml/number_text.h"

#include <iterator>

namespace {

bool IsIdElement(const std::u16string& name) {
    return name.size() == 2 && name[0] == u'i' && name[1] == u'd';
}

}  // namespace

bool MSAXReader::_HandleTag(const std::u16string& name) {
    if (_tagStack.size() == 1 && name != kRootElement) {
        throw MSAXError::MNotAKorProjectFile();
    }
    if (_handlerStack.empty()) {
        return false;  // no parse of this reader is running (base class Parse)
    }
    // The new entry serves the element's children; PushTagHandler replaces it.
    _handlerStack.push_back(_handlerStack.back());
    ISAXPersist* handler = _handlerStack.back();

    if (IsIdElement(name)) {
        // Text that holds no number registers nothing: there is no id to
        // give, and a made-up one could hide another object's entry.
        uint32_t id = 0;
        if (xml::ReadUInt32(_text, &id)) {
            handler->SetId(id);
            ISAXReference* const reference = handler->GetReference();
            // Documents number their objects in ascending order: an id above
            // every id so far goes in at the end without a search of the tree.
            if (!_idMap.empty() && std::prev(_idMap.end())->first < id) {
                _idMap.emplace_hint(_idMap.end(), id, reference);
            } else {
                _idMap[id] = reference;
            }
        }
        return true;
    }
    return handler->HandleTag(name, this);
}

void MSAXReader::_HandleEndTag(const std::u16string& name) {
    // Most elements read no blob: skip the call when there is nothing to release.
    if (!_handedOutBlobs.empty() || (_blobStore && _blobStore->HasCurrentEntry())) {
        BlobEndTagStep(_blobStore.get(), _handedOutBlobs);
    }
    if (_handlerStack.size() != _tagStack.size() + 1) {
        return;  // the element was skipped
    }
    _handlerStack.pop_back();
    if (!IsIdElement(name)) {
        _handlerStack.back()->HandleEndTag(name);
    }
}

void MSAXReader::PushTagHandler(ISAXPersist* handler) {
    if (handler == nullptr || _handlerStack.empty()) {
        return;
    }
    handler->OnPush();
    _handlerStack.back() = handler;
}
