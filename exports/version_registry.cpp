#include "exports/version_registry.h"

#include <algorithm>

namespace quenzil {

void VersionRegistry::Add(KorLibraryVersion* record) { records_.push_back(record); }

void VersionRegistry::Remove(const KorLibraryVersion* record) {
    auto found = std::find(records_.begin(), records_.end(), record);
    if (found != records_.end()) records_.erase(found);
}

VersionRegistry& GetVersionRegistry() {
    // A function-local static: built on first use, its destruction entered in
    // the module's exit list at that moment.
    static VersionRegistry registry;
    return registry;
}

}  // namespace quenzil
