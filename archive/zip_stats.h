#pragma once
// Counters of the zip record layer, for tests that check how often entries are
// opened.

#include <cstdint>

// Number of successful unzOpenCurrentFile calls in this process so far.
uint64_t ZipEntryOpenCount();

namespace zipformat {
// Adds one to the entry-open count; called by the record layer only.
void CountEntryOpen();
}  // namespace zipformat
