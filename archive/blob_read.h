#pragma once
// How a tag handler receives a blob value: an ISAXBlobRead object whose
// context points at the blob store's entry, positioned on the value's bytes.

#include "platform/api.h"

#include <cstdint>
#include <memory>

class MSAXBlobFileInfo;

// What a blob reader hands out. The handler reads the blob through fileInfo
// (GetBlobSize, ReadBuffer) before it returns to the reader.
struct QZ_API MSAXBlobReadContext {
    // The blob store's entry, positioned on the blob's window; not owned, and
    // not to be used once the reader has released the blob reader.
    MSAXBlobFileInfo* fileInfo = nullptr;
    // 32 when handed out; the library never reads it again.
    int32_t reserved1 = 0;
    // 0 when handed out; the library never reads it again.
    int32_t reserved2 = 0;
};

// The values the reader puts into reserved1 and reserved2 of every context.
constexpr int32_t kBlobReadContextReserved1 = 32;
constexpr int32_t kBlobReadContextReserved2 = 0;

// A blob handed to a tag handler. It belongs to the reader, which deletes it
// through this destructor at the end tag of the element being handled.
class QZ_API ISAXBlobRead {
public:
    virtual ~ISAXBlobRead();
    // The context through which the blob is read; never null.
    virtual MSAXBlobReadContext* GetContext() = 0;
};

// The reader's blob reader: owns its context and nothing else.
class QZ_API MSAXBlobRead : public ISAXBlobRead {
public:
    // A context holding fileInfo, 32 and 0.
    explicit MSAXBlobRead(MSAXBlobFileInfo* fileInfo);
    // Deletes the context, not the entry it points at.
    ~MSAXBlobRead() override;
    // Owns its context, so it is not copyable.
    MSAXBlobRead(const MSAXBlobRead&) = delete;
    MSAXBlobRead& operator=(const MSAXBlobRead&) = delete;
    // The owned context; never null.
    MSAXBlobReadContext* GetContext() override;

private:
    std::unique_ptr<MSAXBlobReadContext> context;
};
