#pragma once
// The module's list of version records. Records are registered and removed
// only while the module is loaded and unloaded, so the list has no lock.

#include "exports/kor_library_version.h"

#include <vector>

namespace quenzil {

class VersionRegistry {
public:
    // Appends record (duplicates are kept, each counts once).
    void Add(KorLibraryVersion* record);

    // Removes the first entry that points to record; the entries behind it
    // move forward. An unknown record changes nothing.
    void Remove(const KorLibraryVersion* record);

    // The records in the order of registration. The registry owns none.
    const std::vector<KorLibraryVersion*>& Records() const { return records_; }

private:
    std::vector<KorLibraryVersion*> records_;
};

// The module's registry: created empty on the first call, destroyed when the
// module is unloaded. A static record's registration creates it before the
// record's own destruction is scheduled, so every static record leaves it
// before it goes. Not exported.
VersionRegistry& GetVersionRegistry();

}  // namespace quenzil
