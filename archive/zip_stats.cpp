#include "archive/zip_stats.h"

#include <atomic>

namespace {
std::atomic<uint64_t> entryOpens{0};
}  // namespace

uint64_t ZipEntryOpenCount() { return entryOpens.load(std::memory_order_relaxed); }

namespace zipformat {
void CountEntryOpen() { entryOpens.fetch_add(1, std::memory_order_relaxed); }
}  // namespace zipformat
