#pragma once
// Deflate level of a written entry, passed unchanged to zlib: 0 stores the
// entry, any other value deflates it at that level (it must be one zlib accepts).

#include <cstdint>

enum ESAXCompressionLevel : int32_t {
    eSAXCompressionNone = 0,
    eSAXCompressionFastest = 1,
    eSAXCompressionDefault = 6,
    eSAXCompressionBest = 9,
};
