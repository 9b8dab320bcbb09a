#include "archive/blob_read.h"

ISAXBlobRead::~ISAXBlobRead() = default;

MSAXBlobRead::MSAXBlobRead(MSAXBlobFileInfo* fileInfo)
    : context(new MSAXBlobReadContext{fileInfo, kBlobReadContextReserved1, kBlobReadContextReserved2}) {}

MSAXBlobRead::~MSAXBlobRead() = default;

MSAXBlobReadContext* MSAXBlobRead::GetContext() { return context.get(); }
